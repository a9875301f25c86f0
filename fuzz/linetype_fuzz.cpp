// The line type file reader and the dash definition parser on arbitrary bytes.
//
// LoadFromFile takes a path and opens it itself, so each input is put into one memory file
// (memfd_create, made once) that is opened through its /proc/self/fd name: no file on disk, and
// every open starts reading at the beginning. The loaded registry is then searched, copied and
// cleared, and the input is also parsed as a definition.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "linetype/CLineType.h"

namespace {

struct Registry : CLineTypes {
    Registry() : CLineTypes(0) {}
};

// Fills the memory file with the input and returns the path that opens it.
const std::string& MemoryFilePath(const uint8_t* data, size_t size) {
    static int fd = -1;
    static const std::string path = [] {
        fd = memfd_create("draft2d-fuzz-linetype", MFD_CLOEXEC);
        if (fd < 0) {
            std::abort();
        }
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    if (ftruncate(fd, static_cast<off_t>(size)) != 0 ||
        (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))) {
        std::abort();
    }
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;
    }
    const std::string& path = MemoryFilePath(data, size);

    Registry reg;
    const int count = reg.LoadFromFile(path.c_str());
    if (count < 0 || count > 1001 || static_cast<unsigned>(count) != reg.GetCount()) {
        __builtin_trap();
    }
    for (unsigned i = 0; i < reg.GetCount(); ++i) {
        const CLineType* lt = reg.GetItem(i);
        const std::string name = lt->GetName();
        if (lt->GetCount() == 0 || lt->GetCount() > 1000 ||
            reg.FindIndex(name.c_str()) != static_cast<int>(i)) {
            __builtin_trap();
        }
        for (unsigned k = 0; k < lt->GetCount(); ++k) {
            const CLineType::item_data* item = lt->GetItem(k);
            for (int o = 0; o < item->offsetCount; ++o) {
                (void)item->offsets[o];
            }
        }
    }
    Registry copy;
    static_cast<CLineTypes&>(copy) = reg;
    if (copy.GetCount() != reg.GetCount()) {
        __builtin_trap();
    }
    if (reg.GetCount() > 0) {
        reg.DeleteItem(reg.GetItem(0));
    }

    // The same bytes as a dash definition and as a name to look up.
    const std::string text(reinterpret_cast<const char*>(data), size < 4096 ? size : 4096);
    CLineType def;
    def.SetLineTypeDef(text.c_str(), nullptr);
    CLineTypes::c_object.Find(text.c_str());
    copy.Find(text.c_str());
    return 0;
}
