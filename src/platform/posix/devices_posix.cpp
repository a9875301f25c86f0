// Devices off Windows: Cairo image surfaces for images, a Cairo PDF surface for printers and a Cairo SVG
// surface for SVG files.
#include "platform/devices.h"
#include "platform/posix/gdi_p.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <cmath>

using namespace draft2d::detail;

namespace draft2d {

struct Device::Impl {
    Kind kind = Image;
    int dpi = 96;
    Surface surf;
    Dc* dc = nullptr;
    std::shared_ptr<TraceSink> trace = std::make_shared<TraceSink>();
    bool finished = false;

    bool isVector() const { return kind == Printer || kind == Svg; }

    ~Impl() {
        // Memory DCs made from this device may outlive it and still share the trace: stop it.
        trace->setOn(false);
        deleteDeviceDc(dc);
        if (isVector() && !finished && surf.surface)
            cairo_surface_finish(surf.surface);
    }

    // Monochrome devices keep black and white only: each pixel becomes black when its luminance is
    // below one half, else white.
    void reduceToMonochrome() {
        if (kind != Monochrome)
            return;
        uint32_t* p = surf.beginDirect();
        const int stride = surf.strideWords();
        for (int y = 0; y < surf.height; ++y)
            for (int x = 0; x < surf.width; ++x) {
                uint32_t& v = p[y * stride + x];
                const int lum = (((v >> 16) & 0xFF) * 30 + ((v >> 8) & 0xFF) * 59 + (v & 0xFF) * 11) / 100;
                v = lum < 128 ? 0xFF000000u : 0xFFFFFFFFu;
            }
        surf.endDirect();
    }
};

namespace {

std::unique_ptr<Device> makeImage(Device::Kind kind, int width, int height, int dpi,
                                  Device* (*wrap)(Device::Impl*)) {
    if (width <= 0 || height <= 0 || dpi <= 0 || width > 32767 || height > 32767)
        return nullptr;
    auto impl = std::make_unique<Device::Impl>();
    impl->kind = kind;
    impl->dpi = dpi;
    impl->surf.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(impl->surf.surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    impl->surf.isImage = true;
    impl->surf.width = width;
    impl->surf.height = height;
    DeviceCaps caps;
    caps.technology = DT_RASDISPLAY;
    caps.width = width;
    caps.height = height;
    caps.dpiX = caps.dpiY = dpi;
    caps.widthMm = width * 25.4 / dpi;
    caps.heightMm = height * 25.4 / dpi;
    caps.numColors = kind == Device::Monochrome ? 2 : -1;
    caps.bitsPixel = kind == Device::Monochrome ? 1 : 32;
    impl->dc = createDeviceDc(DcKind::Device, caps, &impl->surf, 1.0, false);
    impl->dc->trace = impl->trace;
    impl->trace->deviceDcSerial = impl->dc->serial;
    std::unique_ptr<Device> dev(wrap(impl.release()));
    dev->Clear(0xFFFFFF);
    return dev;
}

} // namespace

Device::Device(Impl* impl) : impl_(impl) {}
Device::~Device() {
    delete impl_;
}

std::unique_ptr<Device> Device::CreateImage(int width, int height, int dpi) {
    return makeImage(Image, width, height, dpi, [](Impl* i) { return new Device(i); });
}

std::unique_ptr<Device> Device::CreateMonochrome(int width, int height, int dpi) {
    return makeImage(Monochrome, width, height, dpi, [](Impl* i) { return new Device(i); });
}

namespace {

// A page of widthMm x heightMm at dpi as a vector device. makeSurface gets the page size in device
// pixels and returns the Cairo surface together with its user units per device pixel.
template <typename MakeSurface>
std::unique_ptr<Device::Impl> makeVector(Device::Kind kind, double widthMm, double heightMm, int dpi,
                                         MakeSurface makeSurface) {
    if (!(widthMm > 0) || !(heightMm > 0) || dpi <= 0 || widthMm > 10000 || heightMm > 10000)
        return nullptr;
    const int width = static_cast<int>(std::lround(widthMm / 25.4 * dpi));
    const int height = static_cast<int>(std::lround(heightMm / 25.4 * dpi));
    if (width <= 0 || height <= 0)
        return nullptr;
    auto impl = std::make_unique<Device::Impl>();
    impl->kind = kind;
    impl->dpi = dpi;
    double unitsPerPixel = 1.0;
    impl->surf.surface = makeSurface(unitsPerPixel);
    if (cairo_surface_status(impl->surf.surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    impl->surf.isImage = false;
    impl->surf.width = width;
    impl->surf.height = height;
    DeviceCaps caps;
    caps.technology = DT_RASPRINTER;
    caps.width = width;
    caps.height = height;
    caps.dpiX = caps.dpiY = dpi;
    caps.widthMm = widthMm;
    caps.heightMm = heightMm;
    caps.numColors = -1;
    caps.bitsPixel = 24;
    impl->dc = createDeviceDc(DcKind::Device, caps, &impl->surf, unitsPerPixel, false);
    impl->dc->trace = impl->trace;
    impl->trace->deviceDcSerial = impl->dc->serial;
    return impl;
}

} // namespace

// A PDF page is measured in points: 72 / dpi points per device pixel.
std::unique_ptr<Device> Device::CreatePrinter(const std::string& pdfPath, double widthMm, double heightMm,
                                              int dpi) {
    auto impl = makeVector(Printer, widthMm, heightMm, dpi, [&](double& unitsPerPixel) {
        unitsPerPixel = 72.0 / dpi;
        return cairo_pdf_surface_create(pdfPath.c_str(), widthMm / 25.4 * 72, heightMm / 25.4 * 72);
    });
    return impl ? std::unique_ptr<Device>(new Device(impl.release())) : nullptr;
}

// The SVG document is measured in millimetres (width="210mm", viewBox="0 0 210 297"), so that its
// coordinates read as paper millimetres: 25.4 / dpi user units per device pixel.
std::unique_ptr<Device> Device::CreateSvg(const std::string& svgPath, double widthMm, double heightMm,
                                          int dpi) {
    auto impl = makeVector(Svg, widthMm, heightMm, dpi, [&](double& unitsPerPixel) {
        unitsPerPixel = 25.4 / dpi;
        cairo_surface_t* s = cairo_svg_surface_create(svgPath.c_str(), widthMm, heightMm);
        if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
            cairo_svg_surface_restrict_to_version(s, CAIRO_SVG_VERSION_1_1);
            cairo_svg_surface_set_document_unit(s, CAIRO_SVG_UNIT_MM);
        }
        return s;
    });
    return impl ? std::unique_ptr<Device>(new Device(impl.release())) : nullptr;
}

HDC Device::GetDC() const {
    return reinterpret_cast<HDC>(static_cast<GdiObject*>(impl_->dc));
}
Device::Kind Device::GetKind() const {
    return impl_->kind;
}
int Device::GetWidth() const {
    return impl_->surf.width;
}
int Device::GetHeight() const {
    return impl_->surf.height;
}
int Device::GetDpi() const {
    return impl_->dpi;
}

void Device::Clear(COLORREF color) {
    if (impl_->isVector())
        return;
    uint32_t* p = impl_->surf.beginDirect();
    const int stride = impl_->surf.strideWords();
    const uint32_t v = 0xFF000000u | (static_cast<uint32_t>(GetRValue(color)) << 16) |
                       (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    for (int y = 0; y < impl_->surf.height; ++y)
        std::fill(p + y * stride, p + y * stride + impl_->surf.width, v);
    impl_->surf.endDirect();
}

COLORREF Device::GetPixel(int x, int y) const {
    if (impl_->isVector() || x < 0 || y < 0 || x >= impl_->surf.width || y >= impl_->surf.height)
        return CLR_INVALID;
    impl_->reduceToMonochrome();
    const uint32_t v = impl_->surf.beginDirect()[y * impl_->surf.strideWords() + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

const uint32_t* Device::GetPixels() const {
    if (impl_->isVector())
        return nullptr;
    impl_->reduceToMonochrome();
    return impl_->surf.beginDirect();
}

int Device::GetStride() const {
    return impl_->isVector() ? 0 : impl_->surf.strideWords() * 4;
}

bool Device::WritePng(const std::string& path) const {
    if (impl_->isVector())
        return false;
    impl_->reduceToMonochrome();
    impl_->surf.beginDirect();
    impl_->surf.beforeCairo();
    return cairo_surface_write_to_png(impl_->surf.surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool Device::NewPage() {
    if (impl_->kind != Printer || impl_->finished)
        return false;
    flushStrokes(*impl_->dc);
    impl_->surf.beforeCairo();
    cairo_surface_show_page(impl_->surf.surface);
    return cairo_surface_status(impl_->surf.surface) == CAIRO_STATUS_SUCCESS;
}

bool Device::Finish() {
    if (!impl_->isVector() || impl_->finished)
        return false;
    impl_->finished = true;
    flushStrokes(*impl_->dc);
    if (impl_->dc->cr) {
        cairo_destroy(impl_->dc->cr);
        impl_->dc->cr = nullptr;
    }
    cairo_surface_finish(impl_->surf.surface);
    return cairo_surface_status(impl_->surf.surface) == CAIRO_STATUS_SUCCESS;
}

void Device::EnableTrace(bool on) {
    impl_->trace->setOn(on);
}
bool Device::IsTraceEnabled() const {
    return impl_->trace->on();
}
std::vector<std::string> Device::GetTrace() const {
    return impl_->trace->lines;
}

std::string Device::GetTraceText() const {
    std::string s;
    for (const std::string& l : impl_->trace->lines)
        s += l + "\n";
    return s;
}

void Device::ClearTrace() {
    impl_->trace->lines.clear();
}

int Device::GetSaveDepth() const {
    return static_cast<int>(impl_->dc->saved.size());
}

bool IsCallTraceAvailable() {
    return true;
}

bool IsWineGdi() {
    return false;
}

COLORREF GetBitmapPixel(HBITMAP bitmap, int x, int y) {
    Bitmap* b = lookupBitmap(bitmap);
    if (!b || x < 0 || y < 0 || x >= b->surf.width || y >= b->surf.height)
        return CLR_INVALID;
    const uint32_t v = b->surf.beginDirect()[y * b->surf.strideWords() + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool WriteBitmapPng(HBITMAP bitmap, const std::string& path) {
    Bitmap* b = lookupBitmap(bitmap);
    if (!b || !b->surf.surface)
        return false;
    b->surf.beginDirect();
    b->surf.beforeCairo();
    return cairo_surface_write_to_png(b->surf.surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace draft2d
