// draft2d-view under Xvfb: scripted mouse and key events drive the view's commands, and what the
// window shows afterwards is what draft2d-render draws for the same view.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tools_test.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

// An X server of our own on a free display, stopped with the test.
class Xvfb {
public:
    Xvfb() {
        const char* candidates[] = {"/usr/bin/Xvfb", "/usr/local/bin/Xvfb"};
        std::string program;
        for (const char* c : candidates) {
            if (access(c, X_OK) == 0) {
                program = c;
            }
        }
        if (program.empty()) {
            return;
        }
        for (int n = 70 + getpid() % 20; n < 140; ++n) {
            const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (fs::exists(lock) || fs::exists(socket)) {
                continue;
            }
            const std::string display = ":" + std::to_string(n);
            std::vector<std::string> args = {program,       display,     "-screen", "0",
                                             "1024x768x24", "-nolisten", "tcp"};
            std::vector<char*> argv;
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
            const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
            posix_spawn_file_actions_destroy(&actions);
            if (rc != 0) {
                pid_ = 0;
                return;
            }
            // The server is ready once its socket is there.
            for (int i = 0; i < 100 && !fs::exists(socket); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (fs::exists(socket)) {
                display_ = display;
            }
            return;
        }
    }
    ~Xvfb() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

// "<when> view SCALE,X,Y" of the viewer's output, as the argument of draft2d-render --view.
std::string ViewOf(const std::string& out, const std::string& when) {
    const std::string key = when + " view ";
    const size_t at = out.find(key);
    if (at == std::string::npos) {
        return "";
    }
    const size_t end = out.find('\n', at);
    return out.substr(at + key.size(), end - at - key.size());
}

fs::path Out(const std::string& name) {
    const fs::path dir = fs::path(DRAFT2D_TEST_OUTPUT_DIR) / "viewer";
    fs::create_directories(dir);
    return dir / name;
}

// draft2d-view on an X server of its own, showing the sample sheet; skipped where either is missing.
class ViewerOnXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(DRAFT2D_VIEW_EXE).empty()) {
            GTEST_SKIP() << "draft2d-view was not built (no SDL2)";
        }
        x_ = std::make_unique<Xvfb>();
        if (x_->display().empty()) {
            GTEST_SKIP() << "no Xvfb (scripts/install-deps.sh installs it)";
        }
    }
    std::unique_ptr<Xvfb> x_;
    const std::string sample = std::string(DRAFT2D_SOURCE_DIR) + "/data/sample.d2d";
};

} // namespace

TEST_F(ViewerOnXvfb, ScriptedEventsShowWhatTheRenderToolDraws) {
    const fs::path shot = Out("viewer.png"), window = Out("viewer-window.png"), events = Out("events.txt");
    fs::remove(shot);
    // Zoom in by a click, pan by a drag, zoom about the cursor with the wheel, pan with a key, and
    // leave a rubber band of the window command on screen for the picture of the whole window.
    std::ofstream(events) << "key i\n"
                             "down 300 200\n"
                             "up 300 200\n"
                             "key p\n"
                             "down 400 250\n"
                             "move 430 270\n"
                             "move 470 290\n"
                             "up 480 300\n"
                             "wheel 200 150 1\n"
                             "key Right\n"
                             "screenshot "
                          << shot.string()
                          << "\n"
                             "key w\n"
                             "down 100 100\n"
                             "move 300 250\n"
                             "screenshot "
                          << window.string() << " window\n";
    const ToolRun view =
        RunTool(DRAFT2D_VIEW_EXE, {"--size", "640x400", "--events", events.string(), "--print-view", sample},
                {"DISPLAY=" + x_->display(), "SDL_VIDEODRIVER=x11"});
    ASSERT_EQ(view.status, 0) << view.err;
    const std::string start = ViewOf(view.out, "start"), end = ViewOf(view.out, "end");
    ASSERT_FALSE(start.empty()) << view.out;
    ASSERT_FALSE(end.empty()) << view.out;
    EXPECT_NE(start, end); // the events changed the view

    const fs::path ref = Out("render.png");
    const ToolRun render =
        RunTool(DRAFT2D_RENDER_EXE, {sample, "-q", "--size", "640x400", "--view", end, "-o", ref.string()});
    ASSERT_NE(render.status, 2) << render.err;
    Png a(shot.string()), b(ref.string());
    ASSERT_TRUE(a.ok());
    ASSERT_TRUE(b.ok());
    ASSERT_EQ(a.width(), 640);
    ASSERT_EQ(a.height(), 400);
    EXPECT_EQ(a.DiffCount(b, 0, 0, 640, 400), 0);
    // Not an empty picture: the sheet's frame and the site are on it.
    int ink = 0;
    for (int y = 0; y < 400; ++y) {
        for (int xx = 0; xx < 640; ++xx) {
            ink += a.Pixel(xx, y) != 0xFFFFFFu;
        }
    }
    EXPECT_GT(ink, 1000);

    // The whole window: the picture, the rubber band the window command draws over it, and the
    // status line below.
    Png w(window.string());
    ASSERT_TRUE(w.ok());
    EXPECT_EQ(w.height(), 400 + 22);
    EXPECT_GT(w.DiffCount(b, 0, 0, 640, 400), 100); // the dotted rubber band
    EXPECT_EQ(w.Pixel(2, 405), 0xE8E8E8u);          // the status line's background
}

// Key names of an event file are taken in any letter case: the same keys in lower and in upper
// case leave the same view, and a different one from the start.
TEST_F(ViewerOnXvfb, EventKeyNamesInAnyCase) {
    std::string views[2];
    const char* const keys[2][6] = {{"i", "left", "pageup", "down", "escape", "plus"},
                                    {"I", "LEFT", "PageUp", "DOWN", "Escape", "PLUS"}};
    for (int k = 0; k < 2; ++k) {
        const fs::path events = Out(k == 0 ? "lower.txt" : "upper.txt");
        std::ofstream out(events);
        out << "key " << keys[k][0] << "\ndown 300 200\nup 300 200\n";
        for (int i = 1; i < 6; ++i) {
            out << "key " << keys[k][i] << "\n";
        }
        out.close();
        const ToolRun view = RunTool(
            DRAFT2D_VIEW_EXE, {"--size", "640x400", "--events", events.string(), "--print-view", sample},
            {"DISPLAY=" + x_->display(), "SDL_VIDEODRIVER=x11"});
        ASSERT_EQ(view.status, 0) << view.err;
        EXPECT_EQ(view.err.find("unknown event"), std::string::npos) << view.err;
        views[k] = ViewOf(view.out, "end");
        EXPECT_NE(views[k], ViewOf(view.out, "start"));
    }
    EXPECT_EQ(views[0], views[1]);
}

// Where no window can be shown the viewer says so and exits with 2, instead of running unseen.
TEST(Viewer, WithoutADisplayItSaysSoAndExitsTwo) {
    if (std::string(DRAFT2D_VIEW_EXE).empty()) {
        GTEST_SKIP() << "draft2d-view was not built (no SDL2)";
    }
    if (access("/dev/dri", F_OK) == 0) {
        GTEST_SKIP() << "a kernel display may be here";
    }
    const std::string sample = std::string(DRAFT2D_SOURCE_DIR) + "/data/sample.d2d";
    const ToolRun view =
        RunTool(DRAFT2D_VIEW_EXE, {sample}, {}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, 60);
    EXPECT_EQ(view.status, 2) << view.err;
    EXPECT_NE(view.err.find("draft2d-view: no display to show a window on"), std::string::npos) << view.err;
}
