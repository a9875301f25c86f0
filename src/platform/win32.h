// The one include for Win32 names.
//
// On Windows this is the system's <windows.h> (GDI, USER and KERNEL) plus the runtime's directory
// and low-level file functions. Everywhere else it is our own implementation of the same subset,
// with the same names, types, widths (LLP64: LONG and DWORD are 32 bits) and documented semantics.
// No other file of the library asks which platform it is on.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <io.h>
#include <fcntl.h>
#else
#include "platform/posix/wintypes.h"
#include "platform/posix/winkernel.h"
#include "platform/posix/wingdi.h"
#include "platform/posix/winuser.h"
#include "platform/posix/wincrt.h"
#endif
