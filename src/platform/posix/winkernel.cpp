// KERNEL and USER string, version and message functions off Windows.
#include "platform/win32.h"

#include <cstdio>
#include <cstring>

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Byte comparison of two strings, with a null pointer ordered before everything else.
template <typename Fold>
int compareStrings(LPCSTR a, LPCSTR b, Fold fold) {
    if (a == nullptr || b == nullptr)
        return (a != nullptr) - (b != nullptr);
    const auto* pa = reinterpret_cast<const unsigned char*>(a);
    const auto* pb = reinterpret_cast<const unsigned char*>(b);
    while (*pa != 0 && fold(*pa) == fold(*pb)) {
        ++pa;
        ++pb;
    }
    return sign(static_cast<int>(fold(*pa)) - static_cast<int>(fold(*pb)));
}

thread_local DWORD t_lastError = 0;

} // namespace

extern "C" {

DWORD WINAPI GetLastError(void) {
    return t_lastError;
}

void WINAPI SetLastError(DWORD code) {
    t_lastError = code;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA))
        return FALSE;
    info->dwMajorVersion = 10;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 19045;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = '\0';
    return TRUE;
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
    return IDOK;
}

HWND WINAPI GetActiveWindow(void) {
    return nullptr;
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) {
    return TRUE;
}

int WINAPI lstrlenA(LPCSTR s) {
    return s ? static_cast<int>(std::strlen(s)) : 0;
}

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
    if (dst == nullptr || src == nullptr)
        return nullptr;
    return std::strcpy(dst, src);
}

// Copies at most iMaxLength - 1 bytes and always terminates (when iMaxLength > 0).
LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int maxLength) {
    if (dst == nullptr || src == nullptr)
        return nullptr;
    if (maxLength <= 0)
        return dst;
    int i = 0;
    for (; i < maxLength - 1 && src[i] != '\0'; ++i)
        dst[i] = src[i];
    dst[i] = '\0';
    return dst;
}

int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) {
    return compareStrings(a, b, [](unsigned char c) { return c; });
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    return compareStrings(a, b, foldAscii);
}

} // extern "C"
