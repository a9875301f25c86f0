#include "algorithms/helpers.h"

#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------------
// Text scanning. Bytes go to <cctype> as unsigned char: GBK bytes are negative as plain char.

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsXDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool EndsToken(char c) {
    return c == '\0' || IsSpace(c);
}

// The common prefix of the validators: skips at most 100 leading blanks. Returns null when the text
// is null or nothing but those blanks, else the first byte after them.
const char* SkipBlanks(const char* s) {
    if (s == nullptr)
        return nullptr;
    for (int i = 0; i < 100 && IsSpace(*s); ++i)
        ++s;
    return *s == '\0' ? nullptr : s;
}

// Counts a run of decimal digits starting at p.
int DigitRun(const char* p) {
    int n = 0;
    while (IsDigit(p[n]))
        ++n;
    return n;
}

// "0x" and 1 to 8 hex digits, then the end or a blank.
bool HexBody(const char* p) {
    if (p[0] != '0' || (p[1] != 'x' && p[1] != 'X'))
        return false;
    p += 2;
    int n = 0;
    while (IsXDigit(p[n]))
        ++n;
    return n >= 1 && n <= 8 && EndsToken(p[n]);
}

// 32-bit long as the interface defines it: values beyond its range saturate, as strtol does where
// long has 32 bits.
long ClampToLong32(long long v) {
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<long>(v);
}

// ---------------------------------------------------------------------------------------------------
// ACI palette. Indices 10..249 are 24 hues of 15 degrees, each in five brightness levels, full colour
// and pale; the colour of a hue follows the six sectors of the HSV hexcone.

struct Rgb {
    int r, g, b;
};

std::array<COLORREF, 256> BuildPalette() {
    std::array<COLORREF, 256> p{};
    const Rgb basic[9] = {{255, 0, 0},   {255, 255, 0},   {0, 255, 0},     {0, 255, 255},  {0, 0, 255},
                          {255, 0, 255}, {255, 255, 255}, {128, 128, 128}, {192, 192, 192}};
    for (int i = 0; i < 9; ++i)
        p[i + 1] = RGB(basic[i].r, basic[i].g, basic[i].b);
    const int levels[5] = {255, 204, 153, 127, 76};
    for (int h = 0; h < 24; ++h) {
        const double f = ((15 * h) % 60) / 60.0;
        for (int m = 0; m < 5; ++m) {
            for (int s = 0; s < 2; ++s) {
                const int v = levels[m];
                const int low = s == 0 ? 0 : v / 2;
                const int up = static_cast<int>(std::floor(low + (v - low) * f));
                const int down = static_cast<int>(std::floor(v - (v - low) * f));
                Rgb c{};
                switch (h / 4) {
                case 0:
                    c = {v, up, low};
                    break;
                case 1:
                    c = {down, v, low};
                    break;
                case 2:
                    c = {low, v, up};
                    break;
                case 3:
                    c = {low, down, v};
                    break;
                case 4:
                    c = {up, low, v};
                    break;
                default:
                    c = {v, low, down};
                    break;
                }
                p[10 + 10 * h + 2 * m + s] = RGB(c.r, c.g, c.b);
            }
        }
    }
    const int greys[6] = {51, 91, 132, 173, 214, 255};
    for (int i = 0; i < 6; ++i)
        p[250 + i] = RGB(greys[i], greys[i], greys[i]);
    return p;
}

const std::array<COLORREF, 256>& Palette() {
    static const std::array<COLORREF, 256> palette = BuildPalette();
    return palette;
}

int Channel(COLORREF c, int shift) {
    return static_cast<int>((c >> shift) & 0xFF);
}

// ---------------------------------------------------------------------------------------------------
// Fatal-error message: the GBK prefix and a line break, then the formatted message.

constexpr char kAbortPrefix[] = // 程序出现了严重的错误，异常终止。
    "\xb3\xcc\xd0\xf2\xb3\xf6\xcf\xd6\xc1\xcb\xd1\xcf\xd6\xd8\xb5\xc4\xb4\xed\xce\xf3\xa3\xac\xd2\xec\xb3\xa3"
    "\xd6\xd5\xd6\xb9\xa1\xa3\n";
constexpr char kAbortCaption[] = "\xd2\xec\xb3\xa3\xd6\xd5\xd6\xb9"; // 异常终止
constexpr UINT kMbSetForeground = 0x00010000;                        // MB_SETFOREGROUND

char g_abortMessage[1024] = {};
int g_isNT = -1;

} // namespace

// ---------------------------------------------------------------------------------------------------
// Text

char* TrimStr(char* s) {
    if (s == nullptr)
        return nullptr;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t start = 0;
    while (blank(s[start]))
        ++start;
    std::size_t end = start + std::strlen(s + start);
    while (end > start && blank(s[end - 1]))
        --end;
    s[end] = '\0';
    if (start > 0)
        std::memmove(s, s + start, end - start + 1);
    return s;
}

bool IsHexStr(const char* s, bool empty_result) {
    const char* p = SkipBlanks(s);
    if (p == nullptr)
        return empty_result;
    return HexBody(p);
}

bool IsFloatStr(const char* s, bool empty_result) {
    const char* p = SkipBlanks(s);
    if (p == nullptr)
        return empty_result;
    if (*p == '+' || *p == '-')
        ++p;
    int n = DigitRun(p);
    if (n > 16)
        return false;
    if (n > 0) {
        p += n;
        if (*p == '.') {
            ++p;
            n = DigitRun(p);
            if (n > 16)
                return false;
            p += n;
        }
    } else {
        if (*p != '.')
            return false;
        ++p;
        n = DigitRun(p);
        if (n < 1 || n > 16)
            return false;
        p += n;
    }
    if (*p == 'E' || *p == 'e') {
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        n = DigitRun(p);
        if (n < 1 || n > 3)
            return false;
        p += n;
    }
    return EndsToken(*p);
}

bool IsValidIntStr(const char* s, bool check_min, int min, bool check_max, int max, bool empty_result) {
    const char* p = SkipBlanks(s);
    if (p == nullptr)
        return empty_result;
    long value;
    if (HexBody(p)) {
        value = ClampToLong32(std::strtoll(p, nullptr, 16));
    } else {
        const char* q = p;
        if (*q == '+' || *q == '-')
            ++q;
        const int n = DigitRun(q);
        if (n < 1 || n > 10 || !EndsToken(q[n]))
            return false;
        if (!check_min && !check_max)
            return true;
        value = ClampToLong32(std::strtoll(s, nullptr, 10));
    }
    if (check_min && value < min)
        return false;
    if (check_max && value > max)
        return false;
    return true;
}

bool IsValidFloatStr(const char* s, bool check_min, double min, bool check_max, double max,
                     bool empty_result) {
    if (SkipBlanks(s) == nullptr)
        return empty_result;
    if (!IsFloatStr(s, false))
        return false;
    if (!check_min && !check_max)
        return true;
    const double value = std::atof(s);
    if (check_min && value < min)
        return false;
    if (check_max && value > max)
        return false;
    return true;
}

int is_hz_or_char(BYTE charset, const unsigned char* s, unsigned pos) {
    if (s == nullptr)
        return 0;
    if (std::strlen(reinterpret_cast<const char*>(s)) <= pos)
        return 0;
    if (charset != 134)
        return (s[pos] > 0xA1 && s[pos + 1] > 0xA1) ? 1 : 0;
    // GBK: a lead byte 0x81..0xFE followed by a trail byte 0x40..0x7E or 0x80..0xFE. The scan runs
    // from the start because a byte's class depends on the bytes before it.
    int cls = 0;
    for (unsigned i = 0; i <= pos; ++i) {
        if (cls == 1) {
            cls = 2;
            continue;
        }
        const unsigned char c = s[i];
        const unsigned char next = s[i + 1];
        const bool lead = c >= 0x81 && c <= 0xFE;
        const bool trail = (next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFE);
        cls = lead && trail ? 1 : 0;
    }
    return cls;
}

// ---------------------------------------------------------------------------------------------------
// Process

int IsNT() {
    if (g_isNT == 0 || g_isNT == 1)
        return g_isNT;
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    const BOOL ok = GetVersionExA(&info);
    g_isNT = (ok && info.dwPlatformId == VER_PLATFORM_WIN32_NT) ? 1 : 0;
    return g_isNT;
}

void* Realloc(void* block, int size) {
    if (size < 0) {
        std::free(block);
        return nullptr;
    }
    void* r = std::realloc(block, static_cast<std::size_t>(size));
    if (r == nullptr && block != nullptr && size != 0)
        std::free(block);
    return r;
}

void kx_abort(const char* format, ...) {
    const std::size_t prefix = sizeof kAbortPrefix - 1;
    std::memcpy(g_abortMessage, kAbortPrefix, prefix + 1);
    if (format != nullptr) {
        // The message is cut at the end of the buffer rather than written past it.
        va_list args;
        va_start(args, format);
        std::vsnprintf(g_abortMessage + prefix, sizeof g_abortMessage - prefix, format, args);
        va_end(args);
    }
    MessageBoxA(GetActiveWindow(), g_abortMessage, kAbortCaption, MB_ICONHAND | kMbSetForeground);
    std::exit(3);
}

// ---------------------------------------------------------------------------------------------------
// Colour indices

COLORREF ACIToRGB(int index) {
    if (index < 1 || index > 255)
        return 0xFFFFFF;
    return Palette()[static_cast<std::size_t>(index)];
}

int RGBtoACI(COLORREF rgb, int first) {
    if (rgb == 0)
        return 7;
    if (first < 1 || first > 255)
        return -1;
    const auto& palette = Palette();
    int best = -1;
    long long bestDist = 0;
    for (int i = first; i <= 255; ++i) {
        const COLORREF c = palette[static_cast<std::size_t>(i)];
        if (c == rgb)
            return i;
        const long long dr = Channel(c, 0) - Channel(rgb, 0);
        const long long dg = Channel(c, 8) - Channel(rgb, 8);
        const long long db = Channel(c, 16) - Channel(rgb, 16);
        const long long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return best;
}
