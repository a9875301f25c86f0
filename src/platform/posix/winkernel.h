// KERNEL and USER functions of the Win32 subset that have nothing to do with drawing.
#pragma once

#include "platform/posix/wintypes.h"

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

// Message box styles and results (only what the library shows: an error box with OK).
#define MB_OK 0x00000000L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION 0x00000040L
#define MB_TASKMODAL 0x00002000L
#define MB_SYSTEMMODAL 0x00001000L
#define IDOK 1

// Codes of the thread's last error that the subset sets.
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_NOACCESS 998L
#define ERROR_CAN_NOT_COMPLETE 1003L

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

extern "C" {
// Reports the NT family (platform 2, version 10.0) on every platform but Windows.
WINAPI_EXPORT BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
// There is no GUI here: the caption and the text go to standard error, and the answer is IDOK.
WINAPI_EXPORT int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
WINAPI_EXPORT HWND WINAPI GetActiveWindow(void);
WINAPI_EXPORT BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);

// The calling thread's last error: calls of the subset that fail for a bad handle or parameter set
// it as Windows does; successful calls leave it alone.
WINAPI_EXPORT DWORD WINAPI GetLastError(void);
WINAPI_EXPORT void WINAPI SetLastError(DWORD dwErrCode);

// String functions. A null pointer is treated as Windows does: length 0, no copy, and comparisons
// ordering null before any string. lstrcmpiA folds ASCII letters only; other bytes compare unsigned.
WINAPI_EXPORT int WINAPI lstrlenA(LPCSTR lpString);
WINAPI_EXPORT LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
WINAPI_EXPORT LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
WINAPI_EXPORT int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
WINAPI_EXPORT int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);
}
