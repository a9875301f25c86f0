// Reads arbitrary scripts (no files: line type files and symbol folders are refused) and checks
// what the reader promises: every failed row has exactly one message that points inside it, and
// whatever entered the drawing is finite and within the reader's limits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/scene.h"
#include "script/script.h"

using namespace draft2d::script;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReaderOptions options;
    options.allowFiles = false;
    Drawing drawing;
    std::vector<Diagnostic> diags;
    const int failed = ReadScript(text, "fuzz.d2d", options, drawing, diags);
    if (failed != static_cast<int>(diags.size())) {
        __builtin_trap();
    }
    // Row lengths, to check that columns fall inside their rows (the column after the last byte
    // stands for a missing field).
    std::vector<size_t> lengths;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            lengths.push_back(i - start);
            start = i + 1;
        }
    }
    for (const Diagnostic& d : diags) {
        if (d.row < 1 || static_cast<size_t>(d.row) > lengths.size() || d.column < 1 ||
            static_cast<size_t>(d.column) > lengths[static_cast<size_t>(d.row) - 1] + 1 ||
            d.message.empty()) {
            __builtin_trap();
        }
    }
    for (const Entity& e : drawing.entities) {
        if (e.count == 0 || e.count > 2u * kMaxPoints || e.style >= drawing.styles.size() ||
            (e.format >= 0 && static_cast<size_t>(e.format) >= drawing.formats.size()) ||
            (e.text >= 0 && static_cast<size_t>(e.text) >= drawing.texts.size())) {
            __builtin_trap();
        }
        for (uint32_t i = 0; i < e.count; ++i) {
            if (!std::isfinite(e.v[i]) || std::fabs(e.v[i]) > kMaxCoordinate) {
                __builtin_trap();
            }
        }
    }
    const mgRect extent = Extent(drawing);
    if (!std::isfinite(extent.left()) || !std::isfinite(extent.top())) {
        __builtin_trap();
    }
    return 0;
}
