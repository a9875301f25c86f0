// A small writer of both symbol file formats, for the tests: items become text lines or binary
// records exactly as the readers expect them, so that anything written can be read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "algorithms/angles.h"
#include "symbol/mgSymbol.h"

namespace symtest {

// Symbols and libraries of our own (their constructors are for the library and derived classes).
struct Symbol : mgSymbol {
    explicit Symbol(const char* name = "test") : mgSymbol(name) {}
};
struct Library : mgSymbols {
    Library() = default;
};

inline mgSymbolItem* Add(mgSymbol& s, char kind) {
    auto* item = new mgSymbolItem;
    item->kind = kind;
    s.GetItems().push_back(item);
    return item;
}

inline std::string Num(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

inline double Degrees(float radians) {
    return Rad2Deg(radians);
}

// One text line (without the line end) for an item; angles go out in degrees.
inline std::string TextLine(const mgSymbolItem& it) {
    std::string s(1, it.kind);
    auto add = [&s](std::initializer_list<double> vs) {
        for (double v : vs)
            s += "," + Num(v);
    };
    switch (it.kind) {
    case 'l':
    case 'r':
        add({it.x, it.y, it.x2, it.y2, it.width});
        break;
    case 'c':
        add({it.x, it.y, it.radius, it.width});
        break;
    case 'd':
        add({it.x, it.y});
        break;
    case 'a':
        add({it.x, it.y, Degrees(it.startAngle), Degrees(it.endAngle), it.radius, it.width});
        break;
    case 'h':
        add({it.x, it.y, it.height, Degrees(it.angle)});
        s += ",\"" + std::string(it.text ? it.text : "") + "\"";
        break;
    case 'f':
        add({double(it.fillIndex), double(it.fillStyle), double(it.fillFlag)});
        break;
    case 'z':
    case 'q':
        add({it.width, double(it.count)});
        for (int k = 0; k < it.count; ++k)
            add({it.xs[k], it.ys[k]});
        break;
    default:
        break;
    }
    return s;
}

inline std::string TextFile(const mgSymbol& s) {
    std::string out;
    for (const mgSymbolItem* it : s.GetItems())
        out += TextLine(*it) + "\n";
    return out;
}

// Binary records, little-endian.
struct Bin {
    std::string bytes;
    Bin& Byte(int b) {
        bytes += static_cast<char>(b);
        return *this;
    }
    Bin& F(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        return I(static_cast<int32_t>(u));
    }
    Bin& I(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int k = 0; k < 4; ++k)
            bytes += static_cast<char>((u >> (8 * k)) & 0xFF);
        return *this;
    }
    Bin& Skip(int n) {
        bytes.append(static_cast<size_t>(n), '\xEE');
        return *this;
    }
    Bin& Text(const std::string& t) {
        bytes += t;
        return *this;
    }
};

inline void Record(Bin& b, const mgSymbolItem& it) {
    b.Byte(static_cast<unsigned char>(it.kind));
    switch (it.kind) {
    case 'l':
    case 'r':
        b.F(it.x).F(it.y).F(it.x2).F(it.y2).F(it.width).Skip(4);
        break;
    case 'c':
        b.F(it.x).F(it.y).F(it.radius).F(it.width).Skip(8);
        break;
    case 'd':
        b.F(it.x).F(it.y).Skip(16);
        break;
    case 'a':
        b.F(it.x).F(it.y).F(float(Degrees(it.startAngle))).F(float(Degrees(it.endAngle))).F(it.radius);
        b.F(it.width);
        break;
    case 'f':
        b.I(it.fillIndex).I(it.fillStyle).I(it.fillFlag).Skip(12);
        break;
    case 'h':
    case 'T': {
        b.F(it.x).F(it.y).F(it.height).F(float(Degrees(it.angle)));
        if (it.kind == 'T')
            b.F(it.extra);
        const std::string t = it.text ? it.text : "";
        b.F(float(t.size()));
        if (!t.empty())
            b.Skip(4).Text(t);
        break;
    }
    case 'z':
    case 'q':
        b.F(it.width).I(it.count);
        for (int k = 0; k < it.count; ++k)
            b.F(float(it.xs[k])).F(float(it.ys[k]));
        break;
    default:
        break;
    }
}

inline std::string BinaryFile(const mgSymbol& s) {
    Bin b;
    for (const mgSymbolItem* it : s.GetItems())
        Record(b, *it);
    return b.bytes;
}

// A path in the test output folder, prefixed with the running test's name: ctest runs the tests
// of one program in parallel processes, which must not share files.
inline std::string OutputPath(const std::string& name) {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string prefix = info != nullptr ? std::string(info->name()) + "-" : "";
    return std::string(DRAFT2D_TEST_OUTPUT_DIR) + "/" + prefix + name;
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace symtest
