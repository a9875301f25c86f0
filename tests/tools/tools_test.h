// Helpers of the tool tests: running a tool and reading the PNG files it writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/devices.h"

struct ToolRun {
    int status = -1; // exit status; -1 when the program could not run or was killed
    std::string out;
    std::string err;
};

// Runs program with args, extra environment entries (NAME=value) and without the variables named
// in unset; waits for it, at most timeoutSeconds (then it is killed and the status is -1).
ToolRun RunTool(const std::string& program, const std::vector<std::string>& args,
                const std::vector<std::string>& env = {}, const std::vector<std::string>& unset = {},
                int timeoutSeconds = 120);

// A PNG file read back through Cairo; pixels as 0xRRGGBB.
class Png {
public:
    explicit Png(const std::string& path);
    ~Png();
    Png(const Png&) = delete;
    Png& operator=(const Png&) = delete;

    bool ok() const { return pixels_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t Pixel(int x, int y) const; // 0xRRGGBB; 0xFFFFFFFF outside
    // Pixels that differ from the device's (the device's size must match; else every pixel).
    int DiffCount(const draft2d::Device& device) const;
    // Pixels that differ from other inside the rectangle x0..x1, y0..y1 (exclusive ends).
    int DiffCount(const Png& other, int x0, int y0, int x1, int y1) const;

private:
    void* surface_ = nullptr;
    const unsigned char* pixels_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
};
