// Appending and reading back doubles through CIoBuffer, against a plain std::vector<unsigned char>
// doing the same byte copies, and against a buffer that grows its block by one fixed granule at a time.
//
// Besides the usual table, the program prints two ratios measured in the same run:
//  - CIoBuffer time / vector time at 10^6 doubles (the cost of the record API over raw bytes);
//  - time per double at 10^6 / at 10^5 for each buffer: about 1 when appending is linear, about 10
//    when every append may copy the whole block (quadratic).
#include <benchmark/benchmark.h>

#include "bench_ratio.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "io/CIoBuffer.h"

namespace {

void CIoBufferRoundTrip(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CIoBuffer b;
        for (int i = 0; i < n; ++i)
            b.AddDouble(i * 0.5);
        double sum = 0;
        for (int i = 0; i < n; ++i)
            sum += b.ReadDouble(0);
        benchmark::DoNotOptimize(sum);
        if (b.HasError() || b.GetSize() != 8u * n)
            state.SkipWithError("CIoBuffer lost data");
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void VectorRoundTrip(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<unsigned char> v;
        for (int i = 0; i < n; ++i) {
            const double d = i * 0.5;
            const auto* p = reinterpret_cast<const unsigned char*>(&d);
            v.insert(v.end(), p, p + sizeof d);
        }
        double sum = 0;
        std::size_t pos = 0;
        for (int i = 0; i < n; ++i) {
            double d;
            std::memcpy(&d, v.data() + pos, sizeof d);
            pos += sizeof d;
            sum += d;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// The growth CIoBuffer replaced: realloc to the needed size rounded up to an 8-byte granule on every
// append that does not fit. Kept to show what linear growth saves.
void FixedGranuleAppend(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        unsigned char* block = nullptr;
        std::size_t size = 0, capacity = 0;
        for (int i = 0; i < n; ++i) {
            const double d = i * 0.5;
            if (size + sizeof d > capacity) {
                capacity = (size + sizeof d + 7) / 8 * 8;
                auto* grown = static_cast<unsigned char*>(std::realloc(block, capacity));
                if (grown == nullptr) {
                    state.SkipWithError("out of memory");
                    break;
                }
                block = grown;
            }
            std::memcpy(block + size, &d, sizeof d);
            size += sizeof d;
        }
        benchmark::DoNotOptimize(block);
        std::free(block);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(CIoBufferRoundTrip)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorRoundTrip)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(FixedGranuleAppend)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return draft2d::bench::RunAndPrintRatios(argc, argv, [](const draft2d::bench::RatioReporter& times) {
        const double buffer = times.Time("CIoBufferRoundTrip/1000000");
        const double vector = times.Time("VectorRoundTrip/1000000");
        if (buffer > 0 && vector > 0)
            std::printf("CIoBuffer / std::vector at 10^6 doubles: %.2f\n", buffer / vector);
        for (const char* name : {"CIoBufferRoundTrip", "VectorRoundTrip", "FixedGranuleAppend"}) {
            const double small = times.Time(std::string(name) + "/100000");
            const double large = times.Time(std::string(name) + "/1000000");
            if (small > 0 && large > 0)
                std::printf("%s: time per double at 10^6 / at 10^5 = %.2f (1 = linear, 10 = quadratic)\n",
                            name, large / 10 / small);
        }
    });
}
