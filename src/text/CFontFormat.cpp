#include "text/CFontFormat.h"

#include "io/CIoBuffer.h"

#include <cmath>

namespace {

// "仿宋_GB2312" in GBK; sources stay UTF-8, so system texts are written as escaped GBK bytes.
const char kDefaultFontName[] = "\xb7\xc2\xcb\xce_GB2312";
const char kDefaultFontNameEng[] = "Times New Roman";

} // namespace

CFontFormat::CFontFormat(double h)
    : fontName(kDefaultFontName), fontNameEng(kDefaultFontNameEng), height(5.0), widthPer(0.7f),
      widthPerEng(0.0f), angle(0.0), flags(0), align(0), charGap(0.0f), rowGap(0.0f), textDirect(0) {
    SetHeight(h);
}

CFontFormat::CFontFormat(const CFontFormat& other)
    : fontName(other.fontName), fontNameEng(other.fontNameEng), height(other.height),
      widthPer(other.widthPer), widthPerEng(other.widthPerEng), angle(other.angle), flags(other.flags),
      align(other.align), charGap(other.charGap), rowGap(other.rowGap), textDirect(other.textDirect) {}

CFontFormat& CFontFormat::operator=(const CFontFormat& other) {
    if (this != &other) {
        fontName = other.fontName;
        fontNameEng = other.fontNameEng;
        height = other.height;
        widthPer = other.widthPer;
        widthPerEng = other.widthPerEng;
        angle = other.angle;
        flags = other.flags;
        align = other.align;
        charGap = other.charGap;
        rowGap = other.rowGap;
        textDirect = other.textDirect;
    }
    return *this;
}

CFontFormat::~CFontFormat() = default;

void CFontFormat::SetFontName(const char* name) {
    if (name != nullptr && name[0] != 0) {
        fontName = name;
    }
}

void CFontFormat::SetFontNameEng(const char* name) {
    if (name != nullptr && name[0] != 0) {
        fontNameEng = name;
    }
}

void CFontFormat::SetHeight(double h) {
    // NaN fails the comparison too and is ignored.
    if (std::fabs(h) > 1e-7) {
        height = h;
    }
}

void CFontFormat::SetWidthPer(float w) {
    widthPer = w >= 1e-7f ? w : 0.0f;
}

void CFontFormat::SetWidthPerEng(float w) {
    widthPerEng = w >= 1e-7f ? w : 0.0f;
}

void CFontFormat::SetCharGap(float g) {
    if (!(g >= -0.4f)) {
        g = -0.4f;
    } else if (g > 5.0f) {
        g = 5.0f;
    }
    charGap = g;
}

bool CFontFormat::Save(CIoBuffer& buf) const {
    buf.AddString(fontName.c_str());
    buf.AddString(fontNameEng.c_str());
    buf.AddDouble(height);
    buf.AddFloat(widthPer);
    buf.AddFloat(widthPerEng);
    buf.AddDouble(angle);
    buf.AddUInt8(flags);
    buf.AddUInt32(align);
    buf.AddFloat(charGap);
    buf.AddFloat(rowGap);
    return !buf.HasError();
}

bool CFontFormat::Read(CIoBuffer& buf) {
    // A field that cannot be read ends the record: the fields after it would be read from the
    // wrong offset, so they keep their values rather than take garbage.
    unsigned int a = align;
    const bool ok = buf.ReadStrict(fontName) && buf.ReadStrict(fontNameEng) && buf.ReadStrict(height) &&
                    buf.ReadStrict(widthPer) && buf.ReadStrict(widthPerEng) && buf.ReadStrict(angle) &&
                    buf.ReadStrict(flags) && buf.ReadStrict(a);
    if (ok) {
        align = a;
        if (buf.ReadStrict(charGap)) {
            buf.ReadStrict(rowGap);
        }
    }
    return !buf.HasError();
}
