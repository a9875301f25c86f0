#include "tools_test.h"

#include <cairo.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env, const std::vector<std::string>& unset,
                int timeoutSeconds) {
    ToolRun run;
    char outName[] = "/tmp/d2d-tool-out-XXXXXX";
    char errName[] = "/tmp/d2d-tool-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    if (outFd < 0 || errFd < 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool keep = true;
        for (const std::string& name : unset) {
            keep = keep && entry.compare(0, name.size() + 1, name + "=") != 0;
        }
        if (keep) {
            envStrings.push_back(entry);
        }
    }
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (std::string& e : envStrings) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
        pid_t done = 0;
        while ((done = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (done == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        } else if (done == pid && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    close(errFd);
    run.out = Slurp(outName);
    run.err = Slurp(errName);
    unlink(outName);
    unlink(errName);
    return run;
}

Png::Png(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    surface_ = s;
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        return;
    }
    cairo_surface_flush(s);
    width_ = cairo_image_surface_get_width(s);
    height_ = cairo_image_surface_get_height(s);
    stride_ = cairo_image_surface_get_stride(s);
    pixels_ = cairo_image_surface_get_data(s);
}

Png::~Png() {
    cairo_surface_destroy(static_cast<cairo_surface_t*>(surface_));
}

uint32_t Png::Pixel(int x, int y) const {
    if (pixels_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0xFFFFFFFFu;
    }
    uint32_t v = 0;
    std::memcpy(
        &v, pixels_ + static_cast<size_t>(y) * static_cast<size_t>(stride_) + 4u * static_cast<size_t>(x), 4);
    return v & 0xFFFFFFu;
}

int Png::DiffCount(const draft2d::Device& device) const {
    if (device.GetWidth() != width_ || device.GetHeight() != height_) {
        return width_ * height_ + 1;
    }
    int diff = 0;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const COLORREF c = device.GetPixel(x, y); // 0x00BBGGRR
            const uint32_t rgb = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
            diff += Pixel(x, y) != rgb;
        }
    }
    return diff;
}

int Png::DiffCount(const Png& other, int x0, int y0, int x1, int y1) const {
    int diff = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            diff += Pixel(x, y) != other.Pixel(x, y);
        }
    }
    return diff;
}
