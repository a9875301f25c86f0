// The runtime's directory search and unbuffered file functions off Windows.
#include "platform/win32.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct FindState {
    std::vector<_finddata_t> entries;
    size_t next = 0;
};

std::unordered_set<FindState*>& findStates() {
    static std::unordered_set<FindState*>* s = new std::unordered_set<FindState*>;
    return *s;
}

std::string toPosixPath(const char* path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Windows wildcard match: '*' any run, '?' one character, ASCII letters without case. "*.*" matches
// names without a dot too.
bool wildMatch(const char* pat, const char* name) {
    if (std::strcmp(pat, "*.*") == 0)
        return true;
    const char* starPat = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pat == '*') {
            starPat = pat++;
            starName = name;
        } else if (*pat == '?' || (*pat && fold(*pat) == fold(*name))) {
            ++pat;
            ++name;
        } else if (starPat) {
            pat = starPat + 1;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pat == '*')
        ++pat;
    return *pat == '\0';
}

FindState* lookup(intptr_t handle) {
    auto* st = reinterpret_cast<FindState*>(handle);
    return findStates().count(st) ? st : nullptr;
}

} // namespace

extern "C" {

intptr_t _findfirst(const char* filespec, struct _finddata_t* info) {
    if (!filespec || !info) {
        errno = EINVAL;
        return -1;
    }
    const std::string pattern_path = toPosixPath(filespec);
    const size_t slash = pattern_path.rfind('/');
    const std::string dir =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern_path.substr(0, slash));
    const std::string pattern = slash == std::string::npos ? pattern_path : pattern_path.substr(slash + 1);
    DIR* d = opendir(dir.c_str());
    if (!d) {
        errno = ENOENT;
        return -1;
    }
    auto* st = new FindState;
    while (dirent* e = readdir(d)) {
        if (std::strlen(e->d_name) >= sizeof(info->name) || !wildMatch(pattern.c_str(), e->d_name))
            continue;
        _finddata_t fd{};
        std::strcpy(fd.name, e->d_name);
        struct stat sb {};
        const std::string full = dir + "/" + e->d_name;
        if (stat(full.c_str(), &sb) == 0) {
            fd.attrib = S_ISDIR(sb.st_mode) ? _A_SUBDIR : _A_ARCH;
            if (access(full.c_str(), W_OK) != 0)
                fd.attrib |= _A_RDONLY;
            fd.time_create = fd.time_write = static_cast<int64_t>(sb.st_mtime);
            fd.time_access = static_cast<int64_t>(sb.st_atime);
            fd.size = static_cast<_fsize_t>(sb.st_size);
        }
        if (e->d_name[0] == '.' && std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            fd.attrib |= _A_HIDDEN;
        st->entries.push_back(fd);
    }
    closedir(d);
    if (st->entries.empty()) {
        delete st;
        errno = ENOENT;
        return -1;
    }
    std::sort(st->entries.begin(), st->entries.end(),
              [](const _finddata_t& a, const _finddata_t& b) { return std::strcmp(a.name, b.name) < 0; });
    findStates().insert(st);
    *info = st->entries[0];
    st->next = 1;
    return reinterpret_cast<intptr_t>(st);
}

int _findnext(intptr_t handle, struct _finddata_t* info) {
    FindState* st = lookup(handle);
    if (!st || !info) {
        errno = EINVAL;
        return -1;
    }
    if (st->next >= st->entries.size()) {
        errno = ENOENT;
        return -1;
    }
    *info = st->entries[st->next++];
    return 0;
}

int _findclose(intptr_t handle) {
    FindState* st = lookup(handle);
    if (!st) {
        errno = EINVAL;
        return -1;
    }
    findStates().erase(st);
    delete st;
    return 0;
}

int _open(const char* filename, int oflag, ...) {
    if (!filename) {
        errno = EINVAL;
        return -1;
    }
    int flags = 0;
    switch (oflag & (_O_WRONLY | _O_RDWR)) {
    case _O_WRONLY:
        flags = O_WRONLY;
        break;
    case _O_RDWR:
        flags = O_RDWR;
        break;
    default:
        flags = O_RDONLY;
        break;
    }
    if (oflag & _O_APPEND)
        flags |= O_APPEND;
    if (oflag & _O_CREAT)
        flags |= O_CREAT;
    if (oflag & _O_TRUNC)
        flags |= O_TRUNC;
    if (oflag & _O_EXCL)
        flags |= O_EXCL;
    mode_t mode = 0644;
    if (oflag & _O_CREAT) {
        va_list ap;
        va_start(ap, oflag);
        // _S_IWRITE (0x80) asks for a writable file.
        mode = (va_arg(ap, int) & 0x80) ? 0644 : 0444;
        va_end(ap);
    }
    return ::open(toPosixPath(filename).c_str(), flags | O_CLOEXEC, mode);
}

int _read(int fd, void* buffer, unsigned int count) {
    if (!buffer && count > 0) {
        errno = EINVAL;
        return -1;
    }
    if (count > 0x7FFFFFFFu)
        count = 0x7FFFFFFFu;
    return static_cast<int>(::read(fd, buffer, count));
}

int _close(int fd) {
    return ::close(fd);
}

} // extern "C"
