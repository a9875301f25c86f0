// Devices on Windows, where GDI is the system's.
//
// Image and monochrome devices are 32-bit top-down DIB sections selected into a memory DC, so their
// pixels have exactly the layout devices.h promises and can be read without copying. A memory DC
// reports the capabilities of the display it is compatible with (GetDeviceCaps gives the screen's
// HORZRES, LOGPIXELSX, NUMCOLORS, ...), not the size and resolution asked for: GDI offers no way to
// make a raster DC with capabilities of our choosing. A monochrome device draws in colour and is
// reduced to black and white when its pixels are read, as on our own layer.
//
// Printers are the "Microsoft Print to PDF" printer writing to the file asked for; where it is not
// installed (Wine has no printers) CreatePrinter fails and returns null. There is no SVG device:
// CreateSvg returns null.
//
// GDI keeps no call trace. Live objects are counted from GDI's handle table (see countObjects).
#include "platform/devices.h"
#include "platform/windows/png_p.h"

#include <winternl.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <set>

namespace draft2d {

namespace {

// Handles that belong to live devices (their DCs and DIB sections): devices.h does not count a
// device's own DC, and its pixels are not a GDI object the library made.
std::mutex g_deviceHandlesMutex;
std::set<uint32_t> g_deviceHandles;

// GDI handles carry 32 significant bits (the rest is the sign extension of bit 31).
uint32_t handleBits(HGDIOBJ h) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
}

void ownHandle(HGDIOBJ h, bool own) {
    std::lock_guard<std::mutex> lock(g_deviceHandlesMutex);
    if (own)
        g_deviceHandles.insert(handleBits(h));
    else
        g_deviceHandles.erase(handleBits(h));
}

COLORREF colorOf(uint32_t word) {
    return RGB((word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF);
}

// A BITMAPINFO for 32-bit rows; a negative height means rows top-down.
BITMAPINFO rgb32Info(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

bool bitmapSize(HBITMAP bitmap, int& width, int& height) {
    BITMAP bm{};
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP || !GetObjectA(bitmap, sizeof(bm), &bm))
        return false;
    width = bm.bmWidth;
    height = bm.bmHeight;
    return width > 0 && height > 0;
}

// Rows [first, first + count) of a bitmap (0 = top) as 32-bit words, through GetDIBits: it converts
// from whatever format the bitmap has (device-dependent or DIB section).
bool readBitmapRows(HBITMAP bitmap, int width, int height, int first, int count, uint32_t* out) {
    GdiFlush();
    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return false;
    // Bottom-up rows: the scan lines GetDIBits numbers from the bottom are then plain to address.
    BITMAPINFO bi = rgb32Info(width, height);
    std::vector<uint32_t> rows(static_cast<size_t>(width) * count);
    const int got = GetDIBits(screen, bitmap, static_cast<UINT>(height - first - count),
                              static_cast<UINT>(count), rows.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (got != count)
        return false;
    for (int r = 0; r < count; ++r)
        std::copy_n(rows.data() + static_cast<size_t>(count - 1 - r) * width, width,
                    out + static_cast<size_t>(r) * width);
    return true;
}

// GDI keeps every object of a process in a handle table that it maps into the process read-only,
// reachable from the process environment block (PEB.GdiSharedHandleTable). Entries are 24 bytes on
// 64-bit systems: kernel address (8), owner process id (2), count (2), the handle's upper 16 bits
// (2), type (2), user address (8); the handle is (upper << 16) | index. Windows and Wine (which
// keeps the same layout for programs that read it) agree on this. The type of each candidate handle
// comes from GetObjectType, which also rejects entries that are free or belong to another process;
// stock objects carry bit 23 in their handles.
struct GdiTableEntry {
    uint64_t kernelAddress;
    uint16_t processId;
    uint16_t count;
    uint16_t upper;
    uint16_t type;
    uint64_t userAddress;
};
static_assert(sizeof(GdiTableEntry) == 24, "64-bit GDI handle table entry");

const GdiTableEntry* gdiHandleTable(size_t& entries) {
#ifdef _WIN64
    const size_t tableOffset = 0xF8;
#else
    const size_t tableOffset = 0x94;
#endif
    entries = 0;
    // The PEB's address from ntdll, which every process has loaded.
    using QueryFn = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0 ||
        !info.PebBaseAddress)
        return nullptr;
    const PEB* peb = info.PebBaseAddress;
    const auto* table =
        *reinterpret_cast<const GdiTableEntry* const*>(reinterpret_cast<const char*>(peb) + tableOffset);
    if (!table)
        return nullptr;
    // Read no further than the mapping reaches (at most the 65536 entries a 16-bit index allows).
    MEMORY_BASIC_INFORMATION mbi{};
    if (!VirtualQuery(table, &mbi, sizeof(mbi)) || mbi.State != MEM_COMMIT ||
        (mbi.Protect & (PAGE_NOACCESS | PAGE_GUARD)))
        return nullptr;
    const size_t reach = static_cast<size_t>(static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize -
                                             reinterpret_cast<const char*>(table));
    entries = std::min<size_t>(0x10000, reach / sizeof(GdiTableEntry));
    return table;
}

// GDI and USER make some objects of their own the first time they are needed and keep them for the
// life of the process: the display driver's first DC brings the desktop's cursor bitmaps and DCs,
// and the first GetDC of the screen leaves a DC in USER's cache, which ReleaseDC keeps for the next
// caller. Made before the first count, they are part of every baseline instead of showing up as
// leaks of whatever test first touched the display.
void makeLazySystemObjects() {
    static const bool made = [] {
        if (HDC mem = CreateCompatibleDC(nullptr))
            DeleteDC(mem);
        if (HDC screen = ::GetDC(nullptr))
            ::ReleaseDC(nullptr, screen);
        return true;
    }();
    (void)made;
}

GdiObjectCounts countObjects() {
    makeLazySystemObjects();
    GdiObjectCounts counts;
    size_t entries = 0;
    const GdiTableEntry* table = gdiHandleTable(entries);
    if (!table)
        return counts;
    const uint16_t pid = static_cast<uint16_t>(GetCurrentProcessId());
    const uint32_t stockBit = 0x00800000u;
    std::lock_guard<std::mutex> lock(g_deviceHandlesMutex);
    for (size_t i = 0; i < entries; ++i) {
        const GdiTableEntry& e = table[i];
        if (e.upper == 0 || (e.processId != 0 && e.processId != pid))
            continue;
        const uint32_t bits = (static_cast<uint32_t>(e.upper) << 16) | static_cast<uint32_t>(i);
        if ((bits & stockBit) || g_deviceHandles.count(bits))
            continue;
        const auto handle = reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(static_cast<int32_t>(bits)));
        switch (GetObjectType(handle)) {
        case OBJ_PEN:
        case OBJ_EXTPEN:
            ++counts.pens;
            break;
        case OBJ_BRUSH:
            ++counts.brushes;
            break;
        case OBJ_FONT:
            ++counts.fonts;
            break;
        case OBJ_BITMAP:
            ++counts.bitmaps;
            break;
        case OBJ_DC:
        case OBJ_MEMDC:
        case OBJ_METADC:
        case OBJ_ENHMETADC:
            ++counts.dcs;
            break;
        default:
            break;
        }
    }
    return counts;
}

const int kMaxImageSide = 32767;

} // namespace

struct Device::Impl {
    Kind kind = Image;
    int width = 0; // device pixels
    int height = 0;
    int dpi = 96;
    HDC dc = nullptr;
    // Image devices: the DIB section and the memory DC's original bitmap.
    HBITMAP dib = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    uint32_t* bits = nullptr;
    // Printers: a document is open until Finish().
    bool docOpen = false;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    ~Impl() {
        if (docOpen) {
            EndPage(dc);
            EndDoc(dc);
        }
        if (dc) {
            if (oldBitmap)
                SelectObject(dc, oldBitmap);
            ownHandle(dc, false);
            DeleteDC(dc);
        }
        if (dib) {
            ownHandle(dib, false);
            DeleteObject(dib);
        }
    }

    // Pixels as the caller may read them: GDI's pending drawing done, monochrome reduced.
    uint32_t* pixels() {
        if (!bits)
            return nullptr;
        GdiFlush();
        if (kind == Monochrome) {
            // Black where the luminance is below one half, else white.
            const size_t n = static_cast<size_t>(width) * height;
            for (size_t i = 0; i < n; ++i) {
                const uint32_t v = bits[i];
                const int lum = (((v >> 16) & 0xFF) * 30 + ((v >> 8) & 0xFF) * 59 + (v & 0xFF) * 11) / 100;
                bits[i] = lum < 128 ? 0x000000u : 0xFFFFFFu;
            }
        }
        return bits;
    }
};

namespace {

std::unique_ptr<Device::Impl> makeImage(Device::Kind kind, int width, int height, int dpi) {
    if (width <= 0 || height <= 0 || dpi <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return nullptr;
    auto impl = std::make_unique<Device::Impl>();
    impl->kind = kind;
    impl->width = width;
    impl->height = height;
    impl->dpi = dpi;
    BITMAPINFO bi = rgb32Info(width, -height);
    void* bits = nullptr;
    impl->dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!impl->dib || !bits)
        return nullptr;
    ownHandle(impl->dib, true);
    impl->bits = static_cast<uint32_t*>(bits);
    impl->dc = CreateCompatibleDC(nullptr);
    if (!impl->dc)
        return nullptr;
    ownHandle(impl->dc, true);
    impl->oldBitmap = SelectObject(impl->dc, impl->dib);
    if (!impl->oldBitmap)
        return nullptr;
    return impl;
}

} // namespace

Device::Device(Impl* impl) : impl_(impl) {}
Device::~Device() {
    delete impl_;
}

std::unique_ptr<Device> Device::CreateImage(int width, int height, int dpi) {
    auto impl = makeImage(Image, width, height, dpi);
    if (!impl)
        return nullptr;
    std::unique_ptr<Device> dev(new Device(impl.release()));
    dev->Clear(0xFFFFFF);
    return dev;
}

std::unique_ptr<Device> Device::CreateMonochrome(int width, int height, int dpi) {
    auto impl = makeImage(Monochrome, width, height, dpi);
    if (!impl)
        return nullptr;
    std::unique_ptr<Device> dev(new Device(impl.release()));
    dev->Clear(0xFFFFFF);
    return dev;
}

std::unique_ptr<Device> Device::CreatePrinter(const std::string& pdfPath, double widthMm, double heightMm,
                                              int dpi) {
    // DEVMODE holds paper sizes in tenths of a millimetre and the resolution in 16-bit fields. A
    // driver may round either to what it supports, so the device reports what the DC says.
    if (!(widthMm > 0) || !(heightMm > 0) || dpi <= 0 || widthMm > 3276 || heightMm > 3276 || dpi > 0x7FFF)
        return nullptr;
    DEVMODEA dm{};
    dm.dmSize = sizeof(dm);
    dm.dmFields = DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY | DM_YRESOLUTION;
    dm.dmPaperSize = DMPAPER_USER;
    dm.dmPaperWidth = static_cast<short>(std::lround(widthMm * 10));
    dm.dmPaperLength = static_cast<short>(std::lround(heightMm * 10));
    dm.dmPrintQuality = static_cast<short>(dpi);
    dm.dmYResolution = static_cast<short>(dpi);
    auto impl = std::make_unique<Impl>();
    impl->kind = Printer;
    impl->dc = CreateDCA("WINSPOOL", "Microsoft Print to PDF", nullptr, &dm);
    if (!impl->dc)
        return nullptr;
    ownHandle(impl->dc, true);
    impl->width = GetDeviceCaps(impl->dc, HORZRES);
    impl->height = GetDeviceCaps(impl->dc, VERTRES);
    impl->dpi = GetDeviceCaps(impl->dc, LOGPIXELSY);
    if (impl->width <= 0 || impl->height <= 0 || GetDeviceCaps(impl->dc, TECHNOLOGY) != DT_RASPRINTER)
        return nullptr;
    DOCINFOA doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = "draft2d";
    doc.lpszOutput = pdfPath.c_str();
    if (StartDocA(impl->dc, &doc) <= 0)
        return nullptr;
    if (StartPage(impl->dc) <= 0) {
        AbortDoc(impl->dc);
        return nullptr;
    }
    impl->docOpen = true;
    return std::unique_ptr<Device>(new Device(impl.release()));
}

// SVG files are written through Cairo, which the Windows build does not have.
std::unique_ptr<Device> Device::CreateSvg(const std::string& /*svgPath*/, double /*widthMm*/,
                                          double /*heightMm*/, int /*dpi*/) {
    return nullptr;
}

HDC Device::GetDC() const {
    return impl_->dc;
}
Device::Kind Device::GetKind() const {
    return impl_->kind;
}
int Device::GetWidth() const {
    return impl_->width;
}
int Device::GetHeight() const {
    return impl_->height;
}
int Device::GetDpi() const {
    return impl_->dpi;
}

void Device::Clear(COLORREF color) {
    if (!impl_->bits)
        return;
    GdiFlush();
    const uint32_t v = (static_cast<uint32_t>(GetRValue(color)) << 16) |
                       (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    std::fill_n(impl_->bits, static_cast<size_t>(impl_->width) * impl_->height, v);
}

COLORREF Device::GetPixel(int x, int y) const {
    if (!impl_->bits || x < 0 || y < 0 || x >= impl_->width || y >= impl_->height)
        return CLR_INVALID;
    return colorOf(impl_->pixels()[static_cast<size_t>(y) * impl_->width + x]);
}

const uint32_t* Device::GetPixels() const {
    return impl_->pixels();
}

int Device::GetStride() const {
    return impl_->bits ? impl_->width * 4 : 0;
}

bool Device::WritePng(const std::string& path) const {
    const uint32_t* p = impl_->pixels();
    if (!p)
        return false;
    const std::vector<uint8_t> png = detail::EncodePngRgb(p, impl_->width, impl_->height, impl_->width);
    return !png.empty() && detail::WriteFileBytes(path, png);
}

bool Device::NewPage() {
    if (impl_->kind != Printer || !impl_->docOpen)
        return false;
    if (EndPage(impl_->dc) <= 0)
        return false;
    return StartPage(impl_->dc) > 0;
}

bool Device::Finish() {
    if (impl_->kind != Printer || !impl_->docOpen)
        return false;
    impl_->docOpen = false;
    const bool pageEnded = EndPage(impl_->dc) > 0;
    return EndDoc(impl_->dc) > 0 && pageEnded;
}

// GDI keeps no trace: enabling it records nothing, and the device says so.
void Device::EnableTrace(bool /*on*/) {}
bool Device::IsTraceEnabled() const {
    return false;
}
std::vector<std::string> Device::GetTrace() const {
    return {};
}
std::string Device::GetTraceText() const {
    return {};
}
void Device::ClearTrace() {}

int Device::GetSaveDepth() const {
    return GetSaveDCDepth(impl_->dc);
}

bool IsCallTraceAvailable() {
    return false;
}

bool IsWineGdi() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

GdiObjectCounts GetGdiObjectCounts() {
    return countObjects();
}

// SaveDC returns the number of the state it saved, one more than the states saved before it; the
// state is restored at once, so the DC is left as it was.
int GetSaveDCDepth(HDC hdc) {
    if (!hdc)
        return -1;
    const int level = SaveDC(hdc);
    if (level <= 0)
        return -1;
    RestoreDC(hdc, -1);
    return level - 1;
}

COLORREF GetBitmapPixel(HBITMAP bitmap, int x, int y) {
    int width = 0, height = 0;
    if (!bitmapSize(bitmap, width, height) || x < 0 || y < 0 || x >= width || y >= height)
        return CLR_INVALID;
    std::vector<uint32_t> row(static_cast<size_t>(width));
    if (!readBitmapRows(bitmap, width, height, y, 1, row.data()))
        return CLR_INVALID;
    return colorOf(row[static_cast<size_t>(x)]);
}

bool WriteBitmapPng(HBITMAP bitmap, const std::string& path) {
    int width = 0, height = 0;
    if (!bitmapSize(bitmap, width, height) || width > kMaxImageSide || height > kMaxImageSide)
        return false;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    if (!readBitmapRows(bitmap, width, height, 0, height, pixels.data()))
        return false;
    const std::vector<uint8_t> png = detail::EncodePngRgb(pixels.data(), width, height, width);
    return !png.empty() && detail::WriteFileBytes(path, png);
}

} // namespace draft2d
