// draft2d-view: a window that hosts a CGraphSystem showing a drawing script.
//
//   draft2d-view [--size WxH] [--events FILE] [--print-view] [script]
//
// The window is a host as the library expects one: the view draws into an off-screen cache on an
// image device (Attach with a cache), the cache is blitted to the device (ShowCacheBitmap) and the
// device's pixels go to the SDL window. Mouse and keys go to the view's commands; every view change
// comes back through the redraw callback. Below the picture a status line shows the command, the
// cursor's user coordinates and the zoom.
//
// Keys: P pan, D dynamic zoom, I zoom in, O zoom out, W zoom window, E extent, A the whole paper,
// arrows move the picture their way, + and - zoom, Page Up/Down change the step, Escape cancels,
// Q quits. The wheel zooms about the cursor.
//
// --events FILE runs a list of events through the same event handling, then quits (the viewer's
// tests drive it this way under Xvfb); docs/script-format.md describes the file. --print-view prints
// "view SCALE,X,Y" (the arguments of draft2d-render --view) at the start and at the end. Where no
// window can be shown (no display) the viewer says so and exits with 2.
#include <SDL.h>
#include <cairo.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "script/scene.h"
#include "script/script.h"
#include "view/CGraphSystem.h"

namespace {

using namespace draft2d::script;

const int kStatusHeight = 22;

const char kUsage[] =
    "usage: draft2d-view [--size WxH] [--events FILE] [--print-view] [script]\n"
    "Shows a drawing script (without one, the sample sheet) in a window.\n"
    "Keys: P pan, D dynamic zoom, I zoom in, O zoom out, W window, E extent, A paper,\n"
    "arrows move the picture their way, + and - zoom, Page Up/Down step, Escape cancel, Q quit;\n"
    "the wheel zooms. --events FILE plays events (docs/script-format.md) and quits.\n";

const char* CommandName(int mode) {
    switch (mode) {
    case CGraphSystem::ZOOM_PAN:
        return "Pan: drag the picture";
    case CGraphSystem::ZOOM_DYNAMIC:
        return "Dynamic zoom: drag up or down";
    case CGraphSystem::ZOOM_IN:
        return "Zoom in: click or drag a window";
    case CGraphSystem::ZOOM_OUT:
        return "Zoom out: click or drag a window";
    case CGraphSystem::ZOOM_WINDOW:
        return "Zoom window: drag a window";
    default:
        return "P pan  D dynamic  I in  O out  W window  E extent  A paper  Q quit";
    }
}

// Windows virtual-key codes of the keys the view handles, 0 for others.
unsigned short VirtualKey(SDL_Keycode key) {
    switch (key) {
    case SDLK_ESCAPE:
        return 27;
    case SDLK_PAGEUP:
        return 33;
    case SDLK_PAGEDOWN:
        return 34;
    case SDLK_LEFT:
        return 37;
    case SDLK_UP:
        return 38;
    case SDLK_RIGHT:
        return 39;
    case SDLK_DOWN:
        return 40;
    case SDLK_KP_PLUS:
        return 107;
    case SDLK_PLUS:
    case SDLK_EQUALS:
        return 187;
    case SDLK_KP_MINUS:
        return 109;
    case SDLK_MINUS:
        return 189;
    default:
        return 0;
    }
}

class Viewer {
public:
    Viewer(const Drawing& drawing, std::string title)
        : drawing_(drawing), title_(std::move(title)), view_(drawing.lineTypes.get()) {
        view_.SetRegenFunc(&Viewer::Regen, this);
    }
    ~Viewer() {
        view_.Detach();
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        if (renderer_ != nullptr) {
            SDL_DestroyRenderer(renderer_);
        }
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
    }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    bool Open(int width, int height) {
        window_ = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                   height + kStatusHeight, SDL_WINDOW_RESIZABLE);
        if (window_ == nullptr) {
            return false;
        }
        // The software renderer copies the device's pixels as they are.
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (renderer_ == nullptr || !Resize(width, height)) {
            return false;
        }
        SetUpView(view_, drawing_);
        FitView(view_, drawing_, drawing_.fit, drawing_.window, 10);
        view_.RegenAll();
        return true;
    }

    void PrintView(const char* when) const {
        printf("%s view %.17g,%.17g,%.17g\n", when, view_.GetViewScale(), view_.GetViewX(), view_.GetViewY());
        fflush(stdout);
    }

    bool running() const { return running_; }

    void Handle(const SDL_Event& e) {
        switch (e.type) {
        case SDL_QUIT:
            running_ = false;
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                Resize(e.window.data1, std::max(16, e.window.data2 - kStatusHeight));
                view_.RegenAll();
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                dirty_ = true;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT && e.button.y < height_) {
                view_.OnLButtonDown(e.button.x, e.button.y);
                dirty_ = true;
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT) {
                view_.OnLButtonUp(e.button.x, e.button.y);
                dirty_ = true;
            }
            break;
        case SDL_MOUSEMOTION:
            cursorX_ = e.motion.x;
            cursorY_ = e.motion.y;
            view_.OnMouseMove(e.motion.x, e.motion.y);
            dirty_ = true;
            break;
        case SDL_MOUSEWHEEL:
            if (e.wheel.y != 0) {
                // The wheel zooms about the cursor: a notch away from the user by a quarter.
                const POINT at{cursorX_, cursorY_};
                view_.ZoomByFactor(at, 0.25 * e.wheel.y);
                view_.RegenAll();
            }
            break;
        case SDL_KEYDOWN:
            Key(e.key.keysym.sym);
            break;
        default:
            break;
        }
    }

    // Draws what changed and shows it.
    void Paint() {
        if (!dirty_) {
            return;
        }
        dirty_ = false;
        if (!view_.IsBmpSaved()) {
            view_.Cls();
            DrawDrawing(view_, drawing_);
            view_.SaveBmp(view_.GetDrawDC());
        } else {
            view_.RestoreBmp(0, 0);
        }
        view_.OnDraw();
        view_.ShowCacheBitmap();
        DrawStatus();
        SDL_UpdateTexture(texture_, nullptr, device_->GetPixels(), device_->GetStride());
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    }

    // The view's part of the window (with the status line: the whole window), read back from the
    // renderer, as PNG.
    bool Screenshot(const std::string& path, bool withStatus) {
        Paint();
        const int h = height_ + (withStatus ? kStatusHeight : 0);
        std::vector<uint32_t> pixels(static_cast<size_t>(width_) * static_cast<size_t>(h));
        const SDL_Rect area{0, 0, width_, h};
        if (SDL_RenderReadPixels(renderer_, &area, SDL_PIXELFORMAT_ARGB8888, pixels.data(), width_ * 4) !=
            0) {
            return false;
        }
        cairo_surface_t* s = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(pixels.data()), CAIRO_FORMAT_RGB24, width_, h, width_ * 4);
        const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(s);
        return ok;
    }

private:
    static void Regen(void* self, CGraphSystem*) { static_cast<Viewer*>(self)->dirty_ = true; }

    // A device of the window's size; the view draws in a cache of the picture's size on it.
    bool Resize(int width, int height) {
        width_ = width;
        height_ = height;
        view_.Detach();
        device_ = draft2d::Device::CreateImage(width, height + kStatusHeight, 96);
        if (!device_) {
            return false;
        }
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width,
                                     height + kStatusHeight);
        view_.SetWndSize(width, height);
        view_.Attach(device_->GetDC(), nullptr, 1);
        dirty_ = true;
        return texture_ != nullptr;
    }

    void Key(SDL_Keycode key) {
        switch (key) {
        case SDLK_q:
            running_ = false;
            return;
        case SDLK_p:
            view_.SetCmd(CGraphSystem::ZOOM_PAN);
            break;
        case SDLK_d:
            view_.SetCmd(CGraphSystem::ZOOM_DYNAMIC);
            break;
        case SDLK_i:
            view_.SetCmd(CGraphSystem::ZOOM_IN);
            break;
        case SDLK_o:
            view_.SetCmd(CGraphSystem::ZOOM_OUT);
            break;
        case SDLK_w:
            view_.SetCmd(CGraphSystem::ZOOM_WINDOW);
            break;
        case SDLK_e:
            FitView(view_, drawing_, ViewFit::Extent, mgRect(), 10);
            view_.OnCancel();
            view_.RegenAll();
            break;
        case SDLK_a:
            view_.ZoomPaper(1, 10);
            break;
        default:
            if (const unsigned short vk = VirtualKey(key)) {
                view_.OnKeyDown(vk);
            }
            break;
        }
        dirty_ = true;
    }

    // The status line under the picture, drawn with GDI on the device.
    void DrawStatus() {
        HDC dc = device_->GetDC();
        RECT strip{0, height_, width_, height_ + kStatusHeight};
        HBRUSH back = ::CreateSolidBrush(0xE8E8E8);
        ::FillRect(dc, &strip, back);
        ::DeleteObject(back);
        LOGFONTA lf{};
        lf.lfHeight = -13;
        lf.lfWeight = 400;
        strcpy(lf.lfFaceName, "Arial");
        HFONT font = ::CreateFontIndirectA(&lf);
        HGDIOBJ old = ::SelectObject(dc, font);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, 0x202020);
        ::SetTextAlign(dc, TA_LEFT | TA_BASELINE);
        mgPoint user;
        view_.ClientToUser(cursorX_, cursorY_, user);
        char text[256];
        snprintf(text, sizeof text, "%s   |   x %.2f  y %.2f   |   zoom %.3g",
                 CommandName(view_.GetZoomMode()), user.x(), user.y(), view_.GetViewScale());
        ::TextOutA(dc, 6, height_ + kStatusHeight - 6, text, static_cast<int>(strlen(text)));
        ::SelectObject(dc, old);
        ::DeleteObject(font);
    }

    const Drawing& drawing_;
    std::string title_;
    CGraphSystem view_;
    std::unique_ptr<draft2d::Device> device_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int width_ = 0, height_ = 0;
    int cursorX_ = 0, cursorY_ = 0;
    bool dirty_ = true;
    bool running_ = true;
};

// A key of an event file by its name, in any letter case; SDLK_UNKNOWN for a name it does not know.
SDL_Keycode KeyByName(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    static const struct {
        const char* name;
        SDL_Keycode key;
    } keys[] = {
        {"escape", SDLK_ESCAPE}, {"left", SDLK_LEFT},     {"right", SDLK_RIGHT},       {"up", SDLK_UP},
        {"down", SDLK_DOWN},     {"pageup", SDLK_PAGEUP}, {"pagedown", SDLK_PAGEDOWN}, {"plus", SDLK_KP_PLUS},
        {"minus", SDLK_KP_MINUS}};
    for (const auto& k : keys) {
        if (name == k.name) {
            return k.key;
        }
    }
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') {
        return static_cast<SDL_Keycode>(name[0]);
    }
    return SDLK_UNKNOWN;
}

// One line of an event file as SDL events pushed to the queue; false for a line it does not know.
bool PushScripted(const std::string& line, Viewer& viewer, bool& ok) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    SDL_Event e{};
    if (verb.empty() || verb[0] == '#') {
        return true;
    }
    if (verb == "key") {
        std::string name;
        in >> name;
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = KeyByName(name);
        if (e.key.keysym.sym == SDLK_UNKNOWN) {
            return false;
        }
    } else if (verb == "down" || verb == "up") {
        e.type = verb == "down" ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = SDL_BUTTON_LEFT;
        if (!(in >> e.button.x >> e.button.y)) {
            return false;
        }
    } else if (verb == "move") {
        e.type = SDL_MOUSEMOTION;
        if (!(in >> e.motion.x >> e.motion.y)) {
            return false;
        }
    } else if (verb == "wheel") {
        int x = 0, y = 0, steps = 0;
        if (!(in >> x >> y >> steps)) {
            return false;
        }
        // The cursor goes there first, as a real wheel turns where the mouse is.
        SDL_Event move{};
        move.type = SDL_MOUSEMOTION;
        move.motion.x = x;
        move.motion.y = y;
        SDL_PushEvent(&move);
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = steps;
    } else if (verb == "screenshot") {
        std::string path, what;
        in >> path >> what;
        if (path.empty() || !viewer.Screenshot(path, what == "window")) {
            fprintf(stderr, "draft2d-view: cannot write %s\n", path.c_str());
            ok = false;
        }
        return true;
    } else {
        return false;
    }
    SDL_PushEvent(&e);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int width = 1024, height = 700;
    std::string script, events;
    bool printView = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            fputs(kUsage, stdout);
            return 0;
        } else if (a == "--size" && i + 1 < argc) {
            if (sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 64 || height < 64 ||
                width > 8192 || height > 8192) {
                fprintf(stderr, "draft2d-view: --size wants WxH from 64 to 8192\n");
                return 2;
            }
        } else if (a == "--events" && i + 1 < argc) {
            events = argv[++i];
        } else if (a == "--print-view") {
            printView = true;
        } else if (a[0] == '-' || !script.empty()) {
            fprintf(stderr, "draft2d-view: unexpected argument %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            script = a;
        }
    }
    if (script.empty()) {
        script = SampleSheetPath();
    }

    Drawing drawing;
    std::vector<Diagnostic> diags;
    const int failed = ReadScriptFile(script, drawing, diags);
    for (const Diagnostic& d : diags) {
        fprintf(stderr, "%s\n", d.Format().c_str());
    }
    if (!diags.empty() && diags.front().row == 0) {
        return 2;
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "draft2d-view: no display: %s\n", SDL_GetError());
        return 2;
    }
    // Without a display SDL falls back to drivers that draw into memory: a window there is never
    // seen, and the viewer would wait for events that never come.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr &&
        (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0 || strcmp(driver, "evdev") == 0)) {
        fprintf(stderr,
                "draft2d-view: no display to show a window on (SDL found only its '%s' video driver); set "
                "DISPLAY or WAYLAND_DISPLAY, or draw the script with draft2d-render\n",
                driver);
        SDL_Quit();
        return 2;
    }
    int status = failed > 0 ? 1 : 0;
    {
        Viewer viewer(drawing, "draft2d-view - " + script);
        if (!viewer.Open(width, height)) {
            fprintf(stderr, "draft2d-view: cannot open a window: %s\n", SDL_GetError());
            SDL_Quit();
            return 2;
        }
        if (printView) {
            viewer.PrintView("start");
        }
        std::vector<std::string> lines;
        if (!events.empty()) {
            std::ifstream in(events);
            if (!in) {
                fprintf(stderr, "draft2d-view: cannot read %s\n", events.c_str());
                status = 2;
            }
            for (std::string line; std::getline(in, line);) {
                lines.push_back(line);
            }
        }
        size_t next = 0;
        bool ok = true;
        while (viewer.running()) {
            SDL_Event e;
            if (!events.empty()) {
                // Scripted: drain the queue, draw, then the next line; at the end, quit.
                while (SDL_PollEvent(&e)) {
                    viewer.Handle(e);
                }
                viewer.Paint();
                if (next == lines.size() || status == 2) {
                    break;
                }
                if (!PushScripted(lines[next], viewer, ok)) {
                    fprintf(stderr, "%s:%zu: unknown event '%s'\n", events.c_str(), next + 1,
                            lines[next].c_str());
                    status = 2;
                }
                ++next;
                continue;
            }
            if (SDL_WaitEvent(&e)) {
                viewer.Handle(e);
                while (SDL_PollEvent(&e)) {
                    viewer.Handle(e);
                }
            }
            viewer.Paint();
        }
        if (!ok) {
            status = 2;
        }
        if (printView) {
            viewer.PrintView("end");
        }
    }
    SDL_Quit();
    return status;
}
