// A host of its own: a view on an image device, as an application outside the library's tree
// uses the installed package. Exits 0 when the drawing arrived on the device.
#include <cstdio>

#include "draft2d.h"

int main() {
    auto device = draft2d::Device::CreateImage(200, 100);
    CGraphSystem view;
    view.SetWndSize(200, 100);
    view.Attach(device->GetDC());
    view.Cls();
    view.DrawLinePx(nullptr, 10, 50, 190, 50);

    CStringSplit row;
    row.SplitString("line,\"a, b\",42", -1, true);
    const bool ok = device->GetPixel(100, 50) == 0 && device->GetPixel(100, 40) == 0xFFFFFF &&
                    row.GetCount() == 3 && row.GetItemInteger(2) == 42;
    view.Detach();
    std::printf("draft2d consumer: %s\n", ok ? "ok" : "the drawing did not arrive");
    return ok ? 0 : 1;
}
