// draft2d-render: draws a drawing script to PNG, PDF or SVG files through CGraphSystem.
//
//   draft2d-render [options] [script.d2d]
//
// Without a script it draws the sample sheet that comes with the library. Each output file gets a
// device of its kind and a view of its own; the script is read once:
//   PNG       an image of the sheet among its surroundings (a margin of the background), the sheet
//             drawn as on a screen, the entities as a printer draws them (no cap on pen widths)
//   PDF, SVG  a page that is the sheet, filled with the background, with its printable frame
// Every output has the same resolution (--dpi, 96 by default), so that what the library draws in
// device pixels (hatch patterns of 8 pixels, grid dots of one, one-pixel pens) looks alike in all of
// them and as on a screen. Pen widths in millimetres become whole device pixels, rounded.
//
// Exit status: 0 when every row was read, 1 when some rows failed (the outputs are still written,
// without them), 2 when the tool could not do its job (bad options, a script that cannot be read, an
// output that cannot be made or written).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "platform/devices.h"
#include "script/scene.h"
#include "script/script.h"
#include "view/CGraphSystem.h"

namespace {

using namespace draft2d::script;
using Clock = std::chrono::steady_clock;

// The largest picture or page, in pixels a side, whether --size or --dpi makes it.
constexpr int kMaxPixels = 16384;

const char kUsage[] =
    "usage: draft2d-render [options] [script]\n"
    "Draws a drawing script (docs/script-format.md); without a script, the sample sheet.\n"
    "\n"
    "  -o, --output FILE     write FILE; .png, .pdf or .svg by its extension (may be repeated;\n"
    "                        default: the script's name with .png, in the current folder)\n"
    "  --size WxH            PNG picture size in pixels (default: the paper at the resolution plus\n"
    "                        the margin); PDF and SVG pages are always the paper's size\n"
    "  --dpi N               resolution of every output in dots per inch (default 96, as a screen:\n"
    "                        hatches and grid dots print as they look there)\n"
    "  --fit paper|extent|X1,Y1,X2,Y2\n"
    "                        what the picture shows: the sheet, the entities, or a rectangle in\n"
    "                        user units (default: the script's view row, else the sheet)\n"
    "  --margin PX           pixels left around what --fit frames (default 10; PDF and SVG 0)\n"
    "Pictures and pages are at most 16384 pixels a side (at the resolution).\n"
    "  --view SCALE,X,Y      an exact view instead of --fit: the view scale and the paper point in mm\n"
    "                        at the picture's bottom-left corner (as draft2d-view prints it)\n"
    "  --stats               print the time taken and the peak memory\n"
    "  -q, --quiet           no progress line\n"
    "  -h, --help            this text\n";

struct Options {
    std::string script;
    std::vector<std::string> outputs;
    int width = 0, height = 0;
    int dpi = 0;
    bool hasFit = false;
    ViewFit fit = ViewFit::Paper;
    mgRect window;
    int margin = -1;
    bool hasView = false;
    double viewScale = 1.0, viewX = 0.0, viewY = 0.0;
    bool stats = false;
    bool quiet = false;
};

[[noreturn]] void Usage(const std::string& problem) {
    fprintf(stderr, "draft2d-render: %s\n%s", problem.c_str(), kUsage);
    exit(2);
}

// Numbers separated by sep; false unless exactly count of them.
bool Numbers(const std::string& text, char sep, size_t count, double* out) {
    size_t pos = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t end = i + 1 < count ? text.find(sep, pos) : text.size();
        if (end == std::string::npos || !ParseNumber(text.substr(pos, end - pos), out[i])) {
            return false;
        }
        pos = end + 1;
    }
    return true;
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage(a + " needs a value");
            }
            return argv[++i];
        };
        if (a == "-h" || a == "--help") {
            fputs(kUsage, stdout);
            exit(0);
        } else if (a == "-o" || a == "--output") {
            o.outputs.push_back(value());
        } else if (a == "--size") {
            double wh[2];
            const std::string v = value();
            if (!Numbers(v, 'x', 2, wh) || wh[0] < 16 || wh[1] < 16 || wh[0] > kMaxPixels ||
                wh[1] > kMaxPixels || wh[0] != static_cast<int>(wh[0]) || wh[1] != static_cast<int>(wh[1])) {
                Usage("--size wants WxH, each a whole number of pixels from 16 to " +
                      std::to_string(kMaxPixels) + ", not '" + v + "'");
            }
            o.width = static_cast<int>(wh[0]);
            o.height = static_cast<int>(wh[1]);
        } else if (a == "--dpi") {
            double d = 0;
            const std::string v = value();
            if (!ParseNumber(v, d) || d < 10 || d > 2400 || d != static_cast<int>(d)) {
                Usage("--dpi wants a whole number from 10 to 2400, not '" + v + "'");
            }
            o.dpi = static_cast<int>(d);
        } else if (a == "--fit") {
            const std::string v = value();
            double r[4];
            o.hasFit = true;
            if (v == "paper") {
                o.fit = ViewFit::Paper;
            } else if (v == "extent") {
                o.fit = ViewFit::Extent;
            } else if (Numbers(v, ',', 4, r) && r[0] != r[2] && r[1] != r[3]) {
                o.fit = ViewFit::Window;
                o.window = mgRect(std::min(r[0], r[2]), std::min(r[1], r[3]), std::max(r[0], r[2]),
                                  std::max(r[1], r[3]));
            } else {
                Usage("--fit wants paper, extent or X1,Y1,X2,Y2 with an area, not '" + v + "'");
            }
        } else if (a == "--margin") {
            double m = 0;
            const std::string v = value();
            if (!ParseNumber(v, m) || m < 0 || m > 1000 || m != static_cast<int>(m)) {
                Usage("--margin wants a whole number of pixels from 0 to 1000, not '" + v + "'");
            }
            o.margin = static_cast<int>(m);
        } else if (a == "--view") {
            double v3[3];
            const std::string v = value();
            if (!Numbers(v, ',', 3, v3) || !(v3[0] > 0)) {
                Usage("--view wants SCALE,X,Y with a positive scale, not '" + v + "'");
            }
            o.hasView = true;
            o.viewScale = v3[0];
            o.viewX = v3[1];
            o.viewY = v3[2];
        } else if (a == "--stats") {
            o.stats = true;
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a.size() > 1 && a[0] == '-') {
            Usage("unknown option " + a);
        } else if (o.script.empty()) {
            o.script = a;
        } else {
            Usage("one script at a time (" + o.script + " and " + a + ")");
        }
    }
    return o;
}

// The process's clock, processor time (user and system) and peak memory at its construction.
struct Snapshot {
    double wall, cpu, peakMiB;
    Snapshot() {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        wall = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
        cpu = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
              static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
        peakMiB = static_cast<double>(u.ru_maxrss) / 1024.0;
    }
};

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// A progress line on stderr once drawing has taken more than a second, at most four times a second.
class Progress {
public:
    Progress(bool quiet, std::string what) : quiet_(quiet), what_(std::move(what)), start_(Clock::now()) {}
    ~Progress() {
        if (shown_) {
            fputc('\n', stderr);
        }
    }
    void operator()(size_t done, size_t total) {
        if (quiet_ || Seconds(start_) < 1.0 || (shown_ && Seconds(last_) < 0.25 && done != total)) {
            return;
        }
        fprintf(stderr, "\rdraft2d-render: %s: %zu of %zu entities drawn", what_.c_str(), done, total);
        fflush(stderr);
        shown_ = true;
        last_ = Clock::now();
    }

private:
    bool quiet_;
    std::string what_;
    Clock::time_point start_;
    Clock::time_point last_;
    bool shown_ = false;
};

enum class Format { Png, Pdf, Svg };

bool FormatOf(const std::string& path, Format& f) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    if (ext == ".png") {
        f = Format::Png;
    } else if (ext == ".pdf") {
        f = Format::Pdf;
    } else if (ext == ".svg") {
        f = Format::Svg;
    } else {
        return false;
    }
    return true;
}

// Draws the drawing into one output file. false (with a message) when it could not be made or
// written.
bool Render(const Options& o, const Drawing& drawing, const std::string& path, Format format,
            DrawReport& report) {
    const bool page = format != Format::Png;
    const int dpi = o.dpi > 0 ? o.dpi : 96;
    // PDF and SVG pages are the paper itself; a picture has a margin around the sheet.
    const int margin = o.margin >= 0 ? o.margin : (page ? 0 : 10);
    const double w = drawing.paperWidth / 25.4 * dpi, h = drawing.paperHeight / 25.4 * dpi;
    long width = o.width, height = o.height;
    if (page || width == 0) {
        width = std::lround(w) + (page ? 0 : 2 * margin);
        height = std::lround(h) + (page ? 0 : 2 * margin);
    }
    if (width > kMaxPixels || height > kMaxPixels) {
        fprintf(stderr,
                "draft2d-render: %s: the %s at %d dpi would be %ld x %ld pixels; pictures and pages are at "
                "most %d pixels a side (lower --dpi%s)\n",
                path.c_str(), page ? "page" : "picture", dpi, width, height, kMaxPixels,
                page ? "" : " or give --size");
        return false;
    }
    std::unique_ptr<draft2d::Device> device;
    if (format == Format::Pdf) {
        device = draft2d::Device::CreatePrinter(path, drawing.paperWidth, drawing.paperHeight, dpi);
    } else if (format == Format::Svg) {
        device = draft2d::Device::CreateSvg(path, drawing.paperWidth, drawing.paperHeight, dpi);
    } else {
        device = draft2d::Device::CreateImage(static_cast<int>(width), static_cast<int>(height), dpi);
    }
    if (!device) {
        fprintf(stderr, "draft2d-render: %s: cannot make the device\n", path.c_str());
        return false;
    }
    CGraphSystem view(drawing.lineTypes.get());
    view.SetWndSize(device->GetWidth(), device->GetHeight());
    view.Attach(device->GetDC(), nullptr, 0);
    SetUpView(view, drawing);
    const ViewFit fit = o.hasFit ? o.fit : drawing.fit;
    if (o.hasView) {
        view.Zoom(o.viewScale, o.viewX, o.viewY);
    } else if (page && fit == ViewFit::Paper && margin == 0) {
        view.Zoom(1.0, 0.0, 0.0); // the sheet at full scale on its page
    } else {
        FitView(view, drawing, fit, o.hasFit ? o.window : drawing.window, margin);
    }
    DrawSheet(view, drawing, page ? SheetKind::Page : SheetKind::Screen);
    // A picture's entities are drawn by a printer's rules, as on the pages: the view is attached to
    // the image again with a printer as its attribute device context (the information context of
    // GDI), whose output goes nowhere. A printer attachment sets the background to white.
    std::unique_ptr<draft2d::Device> printer;
    if (!page) {
        printer = draft2d::Device::CreatePrinter("/dev/null", 10.0, 10.0, dpi);
        if (!printer) {
            fprintf(stderr, "draft2d-render: %s: cannot make the device\n", path.c_str());
            return false;
        }
        view.Attach(device->GetDC(), printer->GetDC(), 0);
        view.SetBkColor(drawing.background, drawing.background);
    }
    Progress progress(o.quiet, path);
    DrawEntities(view, drawing, &report, std::ref(progress));
    view.Detach();
    bool ok = true;
    if (format == Format::Png) {
        ok = device->WritePng(path);
    } else {
        ok = device->Finish();
    }
    if (!ok) {
        fprintf(stderr, "draft2d-render: %s: cannot be written\n", path.c_str());
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    Options o = ParseOptions(argc, argv);
    if (o.script.empty()) {
        o.script = SampleSheetPath();
    }
    if (o.outputs.empty()) {
        o.outputs.push_back(std::filesystem::path(o.script).stem().string() + ".png");
    }
    std::vector<Format> formats;
    for (const std::string& path : o.outputs) {
        Format f;
        if (!FormatOf(path, f)) {
            Usage("cannot tell the format of " + path + " (use .png, .pdf or .svg)");
        }
        formats.push_back(f);
        if (o.width > 0 && f != Format::Png) {
            fprintf(stderr,
                    "draft2d-render: note: --size sets PNG pictures; %s is a page of the paper's size\n",
                    path.c_str());
        }
    }

    // --stats: wall and processor time of each stage (the processor time says what the stage cost
    // on a machine that others share), and the peak memory after reading and at the end.
    const Snapshot start;
    Drawing drawing;
    std::vector<Diagnostic> diags;
    const int failed = ReadScriptFile(o.script, drawing, diags);
    for (const Diagnostic& d : diags) {
        fprintf(stderr, "%s\n", d.Format().c_str());
    }
    if (!diags.empty() && diags.front().row == 0) {
        return 2;
    }
    if (o.stats) {
        const Snapshot read;
        fprintf(
            stderr,
            "draft2d-render: %s: %zu entities read in %.3f s (processor %.3f s; %d rows failed); peak memory "
            "%.1f MiB\n",
            o.script.c_str(), drawing.entities.size(), read.wall - start.wall, read.cpu - start.cpu, failed,
            read.peakMiB);
    }

    int status = failed > 0 ? 1 : 0;
    for (size_t i = 0; i < o.outputs.size(); ++i) {
        const Snapshot before;
        DrawReport report;
        if (!Render(o, drawing, o.outputs[i], formats[i], report)) {
            status = 2;
            continue;
        }
        if (o.stats) {
            const Snapshot after;
            fprintf(stderr,
                    "draft2d-render: %s: %zu entities drawn and written in %.3f s (processor %.3f s); peak "
                    "memory "
                    "%.1f MiB\n",
                    o.outputs[i].c_str(), report.drawn, after.wall - before.wall, after.cpu - before.cpu,
                    after.peakMiB);
        }
    }
    return status;
}
