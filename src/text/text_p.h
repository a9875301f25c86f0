// What the text sources share: the GBK walk over a length-bounded text, the two fonts of a format
// selected into one DC, and the per-character layout of a line that measuring and output both use.
//
// Layout units are device pixels of the DC the line is measured on. A line is the run of bytes before
// the first '\n', '\r' or NUL (never more than the count given). Characters are GBK: a lead byte
// 0x81..0xFE followed inside the line by a trail byte 0x40..0x7E or 0x80..0xFE is one double-byte
// character of the Chinese font; every other byte is one character of the Western font.
#pragma once

#include "platform/win32.h"
#include "text/CFontFormat.h"

#include <string>
#include <vector>

namespace draft2d::detail {

// Bytes of the character at s[k] of a line of n bytes: 2 for a double-byte character whose trail
// byte lies inside the line, else 1.
inline int GbkCharBytes(const unsigned char* s, int k, int n) {
    const unsigned char c = s[k];
    if (c < 0x81 || c > 0xFE || k + 1 >= n)
        return 1;
    const unsigned char t = s[k + 1];
    return (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE) ? 2 : 1;
}

// Number of bytes of the first line of text among its first len bytes (len < 0: up to the NUL).
int LineLength(const char* text, int len);

// Length of a std::string as a GDI count.
int LengthOf(const std::string& s);

// The point (x, y) of the space coordType names (0 user, 1 paper, other screen) in screen pixels;
// *pixelsPerUnit receives the pixels per unit of that space.
mgPoint ScreenAnchor(const CGraphSystem& gs, double x, double y, int coordType, double* pixelsPerUnit);

// Whether every value of the format that reaches a size or a position is finite.
bool IsDrawable(const CFontFormat& f);

// Whether the characters of a line keep their own frame: textDirect 1 on a line turned away from 0.
bool IsUprightLine(const CFontFormat& f);

// The Chinese and the Western font of a format for a view, created together, selected on demand and
// deleted on destruction (the DC's previous font selected back first). Upright characters on a
// turned line get fonts without escapement: they are placed one by one along the line.
class FontPair {
public:
    FontPair(const CFontFormat& f, const CGraphSystem* gs, HDC dc, bool unturned);
    ~FontPair();
    FontPair(const FontPair&) = delete;
    FontPair& operator=(const FontPair&) = delete;

    bool ok() const { return western_ != nullptr && chinese_ != nullptr; }
    // Selects the font of the kind unless it is selected already.
    void Use(bool chinese);

private:
    HDC dc_;
    HFONT western_ = nullptr;
    HFONT chinese_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int selected_ = -1; // -1 none, 0 Western, 1 Chinese
};

// One character of a laid-out line.
struct CharSlot {
    int offset;   // first byte in the text
    int bytes;    // 1 or 2
    bool chinese; // drawn with the Chinese font
    int a, b, c;  // GetTextAbcExtent of the character alone
    int cy;       // its cell height
};

// A line measured by the rules of GetTextExtentPointA, in pixels.
struct LineLayout {
    std::vector<CharSlot> chars;
    bool upright = false; // characters keep their own frame on a turned line
    double cosA = 1.0;    // |cos| and |sin| of the angle, for upright characters
    double sinA = 0.0;
    double width = 0.0;  // from the first ink to the last, gaps included
    double height = 0.0; // the largest cell height (upright: the largest extent across the line)
    double gap = 0.0;    // charGap x height

    // Empties the layout, keeping the characters' storage.
    void Clear() {
        chars.clear();
        upright = false;
        cosA = 1.0;
        sinA = 0.0;
        width = height = gap = 0.0;
    }

    // The part of character k that the box holds along its own baseline: its advance less the
    // first character's A and the last character's C (only when 0 <= C < B).
    double UsedWidth(size_t k) const;
    double UsedStart(size_t k) const; // where that part starts from the glyph origin
    // Length of character k's share of the line, gaps excluded.
    double SlotLength(size_t k) const;
};

// The calling thread's layout, whose characters' storage stays for the next line: measuring and
// output are not reentrant and never nest. Taken once per call, since the compiler looks a
// thread's own variable up again at every use.
LineLayout& ThreadLayout();

// Measures text[0..n) (one line) in fonts selected into dc; a character that cannot be measured
// ends the line. Fills every field of out.
void LayoutLine(const CFontFormat& f, FontPair& fonts, HDC dc, const char* text, int n, LineLayout& out);

} // namespace draft2d::detail
