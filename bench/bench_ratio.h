// What every benchmark program shares: a console reporter that keeps the time of each run, and a
// main that prints the program's ratios against the baseline measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace draft2d::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }

    // CPU time per iteration of the named run, or 0 when it did not run (filtered out or failed).
    double Time(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> times_;
};

// Runs the benchmarks the command line selects, then hands their times to printRatios.
inline int RunAndPrintRatios(int argc, char** argv,
                             const std::function<void(const RatioReporter&)>& printRatios) {
    // A reporter of our own does not follow --benchmark_color by itself.
    bool color = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--benchmark_color=false" || arg == "--benchmark_color=no")
            color = false;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter(color ? benchmark::ConsoleReporter::OO_ColorTabular
                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace draft2d::bench
