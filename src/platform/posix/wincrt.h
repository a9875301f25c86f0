// The runtime library's directory search and unbuffered file functions (<io.h>, <fcntl.h>) off
// Windows. Paths may use '\' or '/' as separators: the library builds them with '\'.
#pragma once

#include <cstdint>

#include "platform/posix/wintypes.h"

#define _A_NORMAL 0x00
#define _A_RDONLY 0x01
#define _A_HIDDEN 0x02
#define _A_SYSTEM 0x04
#define _A_SUBDIR 0x10
#define _A_ARCH 0x20

#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_EXCL 0x0400
#define _O_TEXT 0x4000
#define _O_BINARY 0x8000

typedef uint32_t _fsize_t;

struct _finddata_t {
    unsigned attrib;
    int64_t time_create;
    int64_t time_access;
    int64_t time_write;
    _fsize_t size;
    char name[260];
};

extern "C" {

// Lists the entries of a directory whose names match the last component of the pattern ('*' and
// '?' wildcards, ASCII letters compared without case, as on Windows), in name order. Returns a
// search handle, or -1 (errno ENOENT) when nothing matches or the directory cannot be read.
DRAFT2D_EXPORT intptr_t _findfirst(const char* filespec, struct _finddata_t* fileinfo);
// 0 and the next entry, or -1 (errno ENOENT at the end, EINVAL for a bad handle).
DRAFT2D_EXPORT int _findnext(intptr_t handle, struct _finddata_t* fileinfo);
DRAFT2D_EXPORT int _findclose(intptr_t handle);

// Opens with the runtime's flags (_O_BINARY and _O_TEXT change nothing here); a permission mode
// follows when _O_CREAT is given. Returns a descriptor or -1.
DRAFT2D_EXPORT int _open(const char* filename, int oflag, ...);
DRAFT2D_EXPORT int _read(int fd, void* buffer, unsigned int count);
DRAFT2D_EXPORT int _close(int fd);

} // extern "C"
