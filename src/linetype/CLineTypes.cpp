#include "linetype/CLineType.h"

#include "algorithms/helpers.h"
#include "io/CStringSplit.h"
#include "linetype/linetype_p.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

using draft2d::detail::kMaxItemsPerLineType;
using draft2d::detail::kMaxLineTypes;
using draft2d::detail::SaturatedFloat;

namespace {

// The standard line types by index. Names are GBK bytes (sources stay UTF-8, so the Chinese is
// given in the comment beside each). Index 0 has no name; index 1 is the solid line, which is
// never stored in a registry.
struct StdLineType {
    const char* name;
    const char* def;
};

const StdLineType kStdLineTypes[16] = {
    {nullptr, nullptr},
    {"\xca\xb5\xcf\xdf", nullptr},                                             // 实线
    {"\xd0\xe9\xcf\xdf", "4-1"},                                               // 虚线
    {"\xbc\xe4\xb8\xf4\xbb\xae\xcf\xdf", "4-4"},                               // 间隔划线
    {"\xb5\xe3\xbb\xae\xcf\xdf", "8-1-0.5-1"},                                 // 点划线
    {"\xcb\xab\xb5\xe3\xbb\xae\xcf\xdf", "8-1-0.5-1-0.5-1"},                   // 双点划线
    {"\xc8\xfd\xb5\xe3\xbb\xae\xcf\xdf", "8-1-0.5-1-0.5-1-0.5-1"},             // 三点划线
    {"\xb5\xe3\xcf\xdf", "0.3-1"},                                             // 点线
    {"\xb3\xa4\xbb\xae\xb6\xcc\xbb\xae\xcf\xdf", "8-1-2-1"},                   // 长划短划线
    {"\xb3\xa4\xbb\xae\xcb\xab\xb6\xcc\xbb\xae\xcf\xdf", "8-1-2-1-2-1"},       // 长划双短划线
    {"\xbb\xae\xb5\xe3\xcf\xdf", "4-1-0.5-1"},                                 // 划点线
    {"\xcb\xab\xbb\xae\xb5\xa5\xb5\xe3\xcf\xdf", "4-1-4-1-0.5-1"},             // 双划单点线
    {"\xbb\xae\xcb\xab\xb5\xe3\xcf\xdf", "4-1-0.5-1-0.5-1"},                   // 划双点线
    {"\xcb\xab\xbb\xae\xcb\xab\xb5\xe3\xcf\xdf", "4-1-4-1-0.5-1-0.5-1"},       // 双划双点线
    {"\xbb\xae\xc8\xfd\xb5\xe3\xcf\xdf", "4-1-0.5-1-0.5-1-0.5-1"},             // 划三点线
    {"\xcb\xab\xbb\xae\xc8\xfd\xb5\xe3\xcf\xdf", "4-1-4-1-0.5-1-0.5-1-0.5-1"}, // 双划三点线
};

const char kSolidName[] = "\xca\xb5\xcf\xdf"; // 实线

// Name equality of the registry: ASCII letters without regard to case, every other byte (GBK
// text) exactly. The system's lstrcmpiA follows the user's locale on Windows, where for example
// the bytes 0xD0 and 0xF0 are one letter in two cases under code page 1252; comparing here keeps
// names apart in the same way on every system.
bool NamesEqual(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<unsigned char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<unsigned char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
        if (x == 0) {
            return true;
        }
    }
}

} // namespace

const char* CLineTypes::StdLineTypeName(int index) {
    return (index >= 1 && index <= 15) ? kStdLineTypes[index].name : nullptr;
}

CLineTypes::CLineTypes(int loadStd) {
    if (loadStd != 0) {
        LoadStdLineTypes();
    }
}

CLineTypes::CLineTypes(const CLineTypes& other) {
    *this = other;
}

CLineTypes& CLineTypes::operator=(const CLineTypes& other) {
    if (this == &other) {
        return *this;
    }
    Clear();
    for (const CLineType* lt : other.items) {
        items.push_back(new CLineType(*lt));
    }
    return *this;
}

CLineTypes::~CLineTypes() {
    Clear();
}

void CLineTypes::Clear() {
    for (CLineType* lt : items) {
        delete lt;
    }
    items.clear();
}

int CLineTypes::AddItem(CLineType* lt) {
    if (lt == nullptr || lt->name.empty()) {
        return 0;
    }
    const int index = FindIndex(lt->name.c_str());
    if (index >= 0) {
        if (items[static_cast<size_t>(index)] == lt) {
            return 0;
        }
        DeleteItem(items[static_cast<size_t>(index)]);
    }
    try {
        items.push_back(lt);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int CLineTypes::AddItemDef(const char* def, const char* name) {
    CLineType* lt = new (std::nothrow) CLineType;
    if (lt == nullptr) {
        return 0;
    }
    if (lt->SetLineTypeDef(def, name) == 1 && AddItem(lt) == 1) {
        return 1;
    }
    delete lt;
    return 0;
}

// Only a registered line type is destroyed: one that belongs to the caller or to another registry
// is left alone rather than freed behind its owner's back.
void CLineTypes::DeleteItem(CLineType* lt) {
    if (lt == nullptr || lt == &c_solidLine) {
        return;
    }
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (*it == lt) {
            items.erase(it);
            delete lt;
            return;
        }
    }
}

int CLineTypes::FindIndex(const char* name) const {
    if (name == nullptr) {
        return -1;
    }
    for (size_t k = 0; k < items.size(); ++k) {
        if (NamesEqual(items[k]->name.c_str(), name)) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

CLineType* CLineTypes::Find(const char* name) const {
    if (name == nullptr || strcmp(name, "0") == 0 || strcmp(name, kSolidName) == 0 ||
        NamesEqual(name, "Continuous")) {
        return &c_solidLine;
    }
    const char* lookup = name;
    if (strncmp(name, "ACAD_ISO", 8) == 0) {
        // The two characters after the prefix number the standard line type ("ACAD_ISO02W100").
        char digits[3] = {name[8], name[8] != 0 ? name[9] : '\0', '\0'};
        const int n = atoi(digits);
        if (n >= 2 && n <= 15) {
            lookup = kStdLineTypes[n].name;
        }
    } else if (IsValidIntStr(name, true, 1, true, 15, false)) {
        const long n = IsHexStr(name, false) ? strtol(name, nullptr, 16) : atol(name);
        if (n >= 1 && n <= 15) {
            lookup = kStdLineTypes[n].name;
        }
    }
    const int index = FindIndex(lookup);
    return index >= 0 ? items[static_cast<size_t>(index)] : nullptr;
}

void CLineTypes::LoadStdLineTypes() {
    for (int i = 2; i <= 15; ++i) {
        AddItemDef(kStdLineTypes[i].def, kStdLineTypes[i].name);
    }
}

// Line type file: one statement per line, its first character the key.
//   *name     opens a new line type (the one still open is added first; one without items is an
//             error)
//   :text     comment of the open line type
//   Dp        period p mm
//   M C E H h B b Z followed by comma-separated fields: an item of that kind
//   other     ignored
// Lines are read in pieces of at most 254 characters and trimmed; shorter than 2 characters they
// are skipped. An error stops loading and drops the open line type; the line types added before
// stay. A line type may hold at most 1000 items; more is an error. Loading also stops, without
// error, at a line that cannot be split and once the registry holds 1000 line types.
int CLineTypes::LoadFromFile(const char* path) {
    if (path == nullptr) {
        return -1;
    }
    FILE* file = fopen(path, "r");
    if (file == nullptr) {
        return -1;
    }
    char line[256];
    CStringSplit fields;
    CLineType* open = nullptr;
    bool error = false;
    while (!error && items.size() < kMaxLineTypes && fgets(line, 255, file) != nullptr) {
        TrimStr(line);
        if (strlen(line) < 2) {
            continue;
        }
        const char key = line[0];
        const char* text = line + 1;
        if (!fields.SplitString(text, -1, true)) {
            break;
        }
        switch (key) {
        case '*':
            if (open != nullptr) {
                if (open->items.empty() || AddItem(open) == 0) {
                    error = true;
                    break;
                }
                open = nullptr;
            }
            open = new (std::nothrow) CLineType;
            if (open == nullptr) {
                error = true;
                break;
            }
            try {
                open->name = text;
            } catch (const std::bad_alloc&) {
                error = true;
            }
            break;
        case ':':
            if (open != nullptr) {
                try {
                    open->comment = text;
                } catch (const std::bad_alloc&) {
                    error = true;
                }
            }
            break;
        case 'D':
            if (open != nullptr) {
                open->period = SaturatedFloat(fields.GetItemDouble(0));
            }
            break;
        case 'M':
        case 'C':
        case 'E':
        case 'H':
        case 'h':
        case 'B':
        case 'b':
        case 'Z':
            if (open != nullptr) {
                // A file cannot make one pattern arbitrarily large.
                if (open->items.size() >= kMaxItemsPerLineType ||
                    open->AddItemDataOfLineType(key, fields) == -1) {
                    error = true;
                }
            }
            break;
        default:
            break;
        }
    }
    // The line type still open is judged like one closed by a '*' line: without items it is
    // dropped rather than registered as an empty pattern.
    if (open != nullptr && (error || open->items.empty() || AddItem(open) == 0)) {
        delete open;
    }
    fclose(file);
    return static_cast<int>(items.size());
}
