// What the text tests of the platform layer share: the mixed line they measure and draw, and the
// LOGFONTA they make fonts from.
#pragma once

#include "platform/win32.h"

#include <cstring>

namespace text_fonts {

const char kMixed[] = "\xd6\xd0\xce\xc4"
                      "ABC"               // 中文ABC
                      "\xca\xb5\xcf\xdf"; // 实线

// A TrueType request of the face (none for a null face) at the height, turned by the escapement.
inline LOGFONTA MakeLogFont(const char* face, LONG height, LONG escapement = 0, LONG weight = FW_NORMAL,
                            BYTE charset = GB2312_CHARSET, BYTE quality = NONANTIALIASED_QUALITY) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = 4; // OUT_TT_PRECIS
    lf.lfQuality = quality;
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

} // namespace text_fonts
