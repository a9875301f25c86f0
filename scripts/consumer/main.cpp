// The README's hosting example, built against the installed package as a host outside the
// library's tree would build it. Exits 0 when the line and the text arrived on the device.
#include <cstdio>

#include "draft2d.h"

int main() {
    auto device = draft2d::Device::CreateImage(800, 600); // a host passes its window's DC instead
    CGraphSystem view;
    view.SetWndSize(800, 600);
    view.Attach(device->GetDC());
    view.SetUCS(100, 0, 0, 2);                       // metres at 1:100
    view.ZoomTo(mgRect(-1, -1, 20, 15), 1);          // show this user rectangle
    view.SetLineType("\xb5\xe3\xbb\xae\xcf\xdf", 1); // 点划线, a standard line type (GBK)
    view.DrawLine(0, 0, 18, 12, CGraphSystem::COORD_USER);
    CFontFormat(5.0).TextOutA(&view, nullptr, 1, 12, mgPoint(0, 0), "draft2d \xbb\xe6\xcd\xbc", -1, // 绘图
                              CGraphSystem::COORD_USER);
    device->WritePng("consumer.png");

    // The checks of this program: ink on the line's middle and under the text's first letter.
    auto inked = [&](double x, double y, int around) {
        long sx = 0, sy = 0;
        view.UserToScreen(x, y, &sx, &sy);
        for (int dy = -around; dy <= around; ++dy) {
            for (int dx = -around; dx <= around; ++dx) {
                if (device->GetPixel(static_cast<int>(sx) + dx, static_cast<int>(sy) + dy) != 0xFFFFFF) {
                    return true;
                }
            }
        }
        return false;
    };
    const bool ok = inked(9, 6, 2) && inked(1.5, 12.5, 6) && !inked(15, 2, 6);
    view.Detach();
    std::printf("draft2d consumer: %s\n", ok ? "ok" : "the drawing did not arrive");
    return ok ? 0 : 1;
}
