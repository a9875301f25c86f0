// Text measured and drawn from outside data: a text format record as a file may carry it (any
// height, width, angle, style, alignment and gaps, NaN and infinities included) and text bytes that
// need not be valid GBK or end in a terminator. Measuring and output must stay inside the given
// bytes, end, and leave no GDI object or saved DC state behind.
//
// Input: byte 0 the text length L (bounded by the input), byte 1 options (coordinate space, upright
// characters, a box), then L text bytes, then the record.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

#include "io/CIoBuffer.h"
#include "platform/devices.h"
#include "text/CFontFormat.h"
#include "text/CFontFormat2.h"
#include "view/CGraphSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 4096)
        return 0;
    const size_t len = std::min<size_t>(data[0], size - 2);
    const unsigned options = data[1];
    // The text in a block of exactly its length: any read past it is caught.
    std::unique_ptr<char[]> text(new char[len > 0 ? len : 1]);
    std::memcpy(text.get(), data + 2, len);

    CIoBuffer record;
    for (size_t i = 2 + len; i < size; ++i)
        record.AddUInt8(data[i]);
    CFontFormat2 format;
    try {
        format.Read(record);
    } catch (const CIoBufException&) {
        // A short record keeps what it read.
    }
    format.SetTextDirect(options & 4 ? 1 : 0);

    static std::unique_ptr<draft2d::Device> device = draft2d::Device::CreateImage(64, 48);
    HDC dc = device->GetDC();
    const draft2d::GdiObjectCounts before = draft2d::GetGdiObjectCounts();
    {
        CGraphSystem view;
        view.SetWndSize(64, 48);
        view.Attach(dc, nullptr, 0);
        view.Zoom(1.0, 0.0, 0.0);
        const int coordType = options & 3;
        const mgPoint box = options & 8 ? mgPoint(40.0, 6.0) : mgPoint();
        const CFontFormat& base = format;
        base.GetTextExtentPointA(&view, text.get(), static_cast<int>(len), dc);
        base.TextOutA(&view, nullptr, 10.0, 30.0, box, text.get(), static_cast<int>(len), coordType);
        const std::deque<std::string> lines = {std::string(text.get(), len), "A\xd6"};
        std::deque<double> widths;
        const double h = base.GetTextExtentPoints(&view, lines, widths);
        base.TextOutA(&view, nullptr, mgPoint(5.0, 5.0), widths, h, lines, coordType);

        format.SetGraphSystem(&view);
        format.TextOut2(nullptr, 10.0, 30.0, text.get(), static_cast<int>(len), coordType);
        format.GetTextExtentPoint2(text.get(), static_cast<int>(len), nullptr);
        if (CFontFormat* prompt = view.GetPromptTextFormat())
            *prompt = base;
        view.DrawPromptText(3, 3, "A", 0, 0);
        format.SetGraphSystem(nullptr);
        view.Detach();
    }
    const draft2d::GdiObjectCounts after = draft2d::GetGdiObjectCounts();
    if (after.total() != before.total() || device->GetSaveDepth() != 0)
        __builtin_trap();
    return 0;
}
