// The geometry functions under their plain names, found the way a host or a binding that loads
// functions by name finds them: GetProcAddress on draft2d.dll, dlsym on the shared object.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "algorithms/angles.h"
#include "algorithms/arcs.h"
#include "algorithms/clip.h"
#include "algorithms/helpers.h"
#include "algorithms/intersect.h"
#include "algorithms/spline.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#endif

namespace {

// Every free function of the algorithms headers that has a plain name. round(double, int) has none:
// its plain name is the C runtime's.
// clang-format off
#define PLAIN_NAMES(X)                                                                                 \
    /* angles.h */ X(RoundStr) X(Dms2Deg) X(Deg2Dms) X(DegSin) X(DegCos) X(Deg2Rad) X(Rad2Deg)         \
    X(SetAngle0_360) X(SetAngle0_2PI) X(SetAnglePI) X(SetAnglePI2) X(SetAngle0_PI) X(AngleBisector)    \
    X(IsMidAngle) X(AngleBetween) X(CalcDistPoint) X(LineInArea) X(GetLineAngle) X(CalcAngleBetween)   \
    X(IsParallel) X(IsPerpendicular) X(IsColinear) X(IsLeft) X(IsLeftOn) X(IsBetween) X(usu_ruler_xy2) \
    X(usu_ruler_xy) X(GetDist) X(Dist_Pt2Line) X(svw_check_left_right) X(PtInArea) X(Cross2Line)       \
    X(CrossLine) X(CalcLineMidPoint) X(CalcLineNearPoint) X(CalcCircleNearPoint) X(CalcRectNearPoint)  \
    /* intersect.h */ X(LineCrossLine) X(BeelineCrossBeeline) X(BeelineCrossLine) X(ArcCrossArc)       \
    X(CircleCrossCircle) X(CircleCrossArc) X(LineCrossArc) X(LineCrossCircle) X(BeelineCrossArc)       \
    X(BeelineCrossCircle) X(LineCrossRect) X(BeelineCrossRect) X(RectCrossRect) X(ArcCrossRect)        \
    X(CircleCrossRect)                                                                                 \
    /* clip.h */ X(CS_clip) X(ClipLineInArea) X(ClipArcInArea) X(ChangeLineVertex)                     \
    /* arcs.h */ X(GetArcBoundBox) X(CalcCenterForArc) X(CalcCenterForArc2) X(CalcTangentArc)          \
    X(CalcTangentArc2) X(AngleBetweenTwoLine) X(CircleTanForParallel) X(CircleTanForTwoLine)           \
    X(ArcTanForTwoLine)                                                                                \
    /* spline.h */ X(CalcCubicSpline) X(GaussJordan)                                                   \
    /* helpers.h */ X(TrimStr) X(IsHexStr) X(IsFloatStr) X(IsValidIntStr) X(IsValidFloatStr)           \
    X(is_hz_or_char) X(IsNT) X(Realloc) X(kx_abort) X(RGBtoACI) X(ACIToRGB)
// clang-format on

// A plain name and the C++ function it must stand for.
struct PlainName {
    const char* name;
    void* function;
};

// Filled at run time: in a constant table the compiler may record, for a function of the DLL, the
// address of the import library's jump stub rather than the address of the function.
const std::vector<PlainName>& PlainNames() {
    static const std::vector<PlainName> names = [] {
        std::vector<PlainName> list;
#define ADD_PLAIN_NAME(f) list.push_back(PlainName{#f, reinterpret_cast<void*>(&f)});
        PLAIN_NAMES(ADD_PLAIN_NAME)
#undef ADD_PLAIN_NAME
        return list;
    }();
    return names;
}

#ifdef _WIN32

// The name in draft2d.dll's own export table, or null.
void* Exported(const char* name) {
    HMODULE dll = GetModuleHandleA("draft2d.dll");
    if (dll == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(dll, name));
}

#else

// The shared object as this process loaded it: its path, and a handle that dlopen gives for it.
struct SharedObject {
    std::string path;
    void* handle = nullptr;

    SharedObject() {
        dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void* data) {
                const char* name = info->dlpi_name != nullptr ? info->dlpi_name : "";
                const char* slash = std::strrchr(name, '/');
                if (std::strncmp(slash != nullptr ? slash + 1 : name, "libdraft2d.so", 13) != 0)
                    return 0;
                static_cast<SharedObject*>(data)->path = name;
                return 1;
            },
            this);
        if (!path.empty())
            handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    }
    ~SharedObject() {
        if (handle != nullptr)
            dlclose(handle);
    }
};

// The name as the shared object defines it, or null. dlsym searches the object's dependencies too
// (libm defines round), so a definition found in another object does not count.
void* Exported(const char* name) {
    static const SharedObject library;
    if (library.handle == nullptr)
        return nullptr;
    void* address = dlsym(library.handle, name);
    Dl_info where{};
    if (address == nullptr || dladdr(address, &where) == 0 || where.dli_fname == nullptr ||
        library.path != where.dli_fname)
        return nullptr;
    return address;
}

#endif

// The function exported under the name of f, typed as f, or null.
template <typename F>
F Plain(const char* name) {
    return reinterpret_cast<F>(Exported(name));
}
#define PLAIN_FUNCTION(f) Plain<decltype(&f)>(#f)

std::string ReadSource(const std::filesystem::path& relative) {
    std::ifstream in(std::filesystem::path(DRAFT2D_SOURCE_DIR) / relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first capture group of every match of pattern in text.
std::set<std::string> Captures(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert((*it)[1].str());
    return found;
}

// The names of a that b lacks, space-separated ("" when there are none).
std::string Missing(const std::set<std::string>& a, const std::set<std::string>& b) {
    std::string names;
    for (const std::string& name : a)
        if (b.count(name) == 0)
            names += (names.empty() ? "" : " ") + name;
    return names;
}

} // namespace

TEST(PlainNames, EveryNameIsTheCppFunctionItself) {
    for (const PlainName& plain : PlainNames()) {
        void* exported = Exported(plain.name);
        EXPECT_NE(exported, nullptr) << plain.name << " is not exported under its plain name";
        EXPECT_EQ(exported, plain.function) << plain.name << " names other code than the C++ function";
    }
}

TEST(PlainNames, RoundIsLeftToTheCRuntime) {
    EXPECT_EQ(Exported("round"), nullptr);
#ifndef _WIN32
    // A C host that looks up round gets the C runtime's round(double), not ours.
    using CRound = double (*)(double);
    auto c_round = reinterpret_cast<CRound>(dlsym(RTLD_DEFAULT, "round"));
    ASSERT_NE(c_round, nullptr);
    EXPECT_EQ(c_round(-2.5), -3.0); // halves away from zero; our round(-2.5, 0) gives -2
    EXPECT_EQ(::round(-2.5, 0), -2.0);
#endif
}

// Calls through the plain names with the C calling sequence a binding uses, one function for each
// shape of argument list: doubles only, out-pointers, in/out pointers, arrays and counts, more
// arguments than registers, bool and narrow integer arguments, text in and out, COLORREF.
TEST(PlainNames, CallsThroughPlainNamesComputeAsTheCppFunctions) {
    auto line_angle = PLAIN_FUNCTION(GetLineAngle);
    ASSERT_NE(line_angle, nullptr);
    EXPECT_EQ(line_angle(1, 1, 4, 5), GetLineAngle(1, 1, 4, 5));
    EXPECT_EQ(line_angle(2, 3, 2, 1), -1.5707963267948966);

    auto dist_point = PLAIN_FUNCTION(CalcDistPoint);
    ASSERT_NE(dist_point, nullptr);
    double px = 0, py = 0, cx = 0, cy = 0;
    dist_point(1, 2, 0.5, 3, &px, &py);
    CalcDistPoint(1, 2, 0.5, 3, &cx, &cy);
    EXPECT_EQ(px, cx);
    EXPECT_EQ(py, cy);

    auto clip_line = PLAIN_FUNCTION(ClipLineInArea);
    ASSERT_NE(clip_line, nullptr);
    double l[4] = {0.5, -1, 0.5, 2};
    EXPECT_EQ(clip_line(&l[0], &l[1], &l[2], &l[3], 0, 0, 1, 1), 0);
    EXPECT_EQ(l[1], 0.0);
    EXPECT_EQ(l[3], 1.0);

    const double square_x[4] = {0, 1, 1, 0}, square_y[4] = {0, 0, 1, 1};
    auto in_area = PLAIN_FUNCTION(PtInArea);
    ASSERT_NE(in_area, nullptr);
    int index = -1;
    EXPECT_EQ(in_area(1, 1, 4, square_x, square_y, &index), 4);
    EXPECT_EQ(index, 2);

    // Ten doubles and two pointers: the last arguments travel on the stack.
    auto arc_arc = PLAIN_FUNCTION(ArcCrossArc);
    ASSERT_NE(arc_arc, nullptr);
    double ax[2] = {}, ay[2] = {}, bx[2] = {}, by[2] = {};
    const double two_pi = 6.283185307179586;
    EXPECT_EQ(arc_arc(0, 0, 1, 0, two_pi, 1, 0, 1, 0, two_pi, ax, ay), 2);
    EXPECT_EQ(ArcCrossArc(0, 0, 1, 0, two_pi, 1, 0, 1, 0, two_pi, bx, by), 2);
    EXPECT_EQ(ax[0], bx[0]);
    EXPECT_EQ(ay[0], by[0]);
    EXPECT_EQ(ay[1], by[1]);

    double fx[3] = {0, 10, 20}, fy[3] = {0, 5, 0}, gx[3] = {0, 10, 20}, gy[3] = {0, 5, 0};
    double fdx[3], fdy[3], flen[2], gdx[3], gdy[3], glen[2];
    int fn = 3, gn = 3;
    auto cubic = PLAIN_FUNCTION(CalcCubicSpline);
    ASSERT_NE(cubic, nullptr);
    EXPECT_TRUE(cubic(&fn, fx, fy, 1e-3, fdx, fdy, flen, SPLINE_START_TANGENT, 1, 0, 0, 0));
    EXPECT_TRUE(CalcCubicSpline(&gn, gx, gy, 1e-3, gdx, gdy, glen, SPLINE_START_TANGENT, 1, 0, 0, 0));
    EXPECT_EQ(fdx[1], gdx[1]);
    EXPECT_EQ(fdy[2], gdy[2]);

    auto valid_int = PLAIN_FUNCTION(IsValidIntStr);
    ASSERT_NE(valid_int, nullptr);
    EXPECT_TRUE(valid_int(" 15", true, 1, true, 15, false));
    EXPECT_FALSE(valid_int("16", true, 1, true, 15, false));

    auto hz = PLAIN_FUNCTION(is_hz_or_char);
    ASSERT_NE(hz, nullptr);
    const unsigned char zhong[] = {0xd6, 0xd0, 'a', 0};
    EXPECT_EQ(hz(134, zhong, 1), 2);
    EXPECT_EQ(hz(134, zhong, 2), 0);

    auto round_str = PLAIN_FUNCTION(RoundStr);
    ASSERT_NE(round_str, nullptr);
    EXPECT_STREQ(round_str(1.2, 3), "1.2");
    EXPECT_EQ(round_str(2.0, 2), RoundStr(2.0, 2)); // the one static buffer

    auto trim = PLAIN_FUNCTION(TrimStr);
    ASSERT_NE(trim, nullptr);
    char text[] = "  ab c\r\n";
    EXPECT_EQ(trim(text), text);
    EXPECT_STREQ(text, "ab c");

    auto to_aci = PLAIN_FUNCTION(RGBtoACI);
    ASSERT_NE(to_aci, nullptr);
    EXPECT_EQ(to_aci(0x0000FF, 2), 10);
    EXPECT_EQ(to_aci(0x7F7FFF, 1), RGBtoACI(0x7F7FFF, 1));
}

// The tables the linker reads and the list above cannot drift from the headers: a function added
// to an algorithms header without its plain name, or a table entry without a function, shows here
// on every platform, whichever of the two tables the build in hand uses.
TEST(PlainNames, ExportTablesListEveryFunctionOfTheHeaders) {
    const std::regex declared(R"(DRAFT2D_EXPORT[^(;{]*?\b(\w+)\s*\()");
    std::set<std::string> headers;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(DRAFT2D_SOURCE_DIR) /
                                                                 "src" / "algorithms")) {
        const std::string file = entry.path().filename().string();
        if (entry.path().extension() != ".h" || file.size() < 4 ||
            file.compare(file.size() - 4, 4, "_p.h") == 0)
            continue;
        for (const std::string& name :
             Captures(ReadSource(std::filesystem::path("src") / "algorithms" / file), declared))
            headers.insert(name);
    }
    ASSERT_EQ(headers.count("round"), 1u) << "the header scan found nothing it expected";
    headers.erase("round");

    std::set<std::string> listed;
    for (const PlainName& plain : PlainNames())
        listed.insert(plain.name);

    const std::regex def_entry(R"((?:^|\n)[ \t]+(\w+)[ \t]*=[ \t]*\w+)");
    const std::regex ld_entry(R"((?:^|\n)(\w+)[ \t]*=[ \t]*\w+[ \t]*;)");
    const std::set<std::string> def = Captures(ReadSource("src/plain_names.def"), def_entry);
    const std::set<std::string> ld = Captures(ReadSource("src/plain_names.ld"), ld_entry);
    EXPECT_EQ(Missing(headers, listed), "") << "declared but not in this test's list";
    EXPECT_EQ(Missing(listed, headers), "") << "in this test's list but not declared";
    EXPECT_EQ(Missing(headers, def), "") << "declared but missing from plain_names.def";
    EXPECT_EQ(Missing(def, headers), "") << "in plain_names.def but not declared";
    EXPECT_EQ(Missing(headers, ld), "") << "declared but missing from plain_names.ld";
    EXPECT_EQ(Missing(ld, headers), "") << "in plain_names.ld but not declared";
}
