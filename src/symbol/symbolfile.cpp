// The two symbol file formats and the loading of a symbol directory.
//
// Text format (*.20): one item per line, the kind letter, one separator character, then fields
// separated by commas (double quotes group a field). Angles in degrees.
//   l,x1,y1,x2,y2,width      r,x1,y1,x2,y2,width     c,x,y,radius,width       d,x,y
//   a,x,y,start,end,radius,width                     h,x,y,height,angle,text
//   f,index,style,flag       z,width,n,x1,y1,...,xn,yn (q alike)
//   any other letter: the whole line is the symbol's comment
//
// Binary format (*.20s): records of a kind byte and a body; little-endian 32-bit floats (f) and
// ints (i); "skip n" bytes are read and ignored. Angles in degrees.
//   'l' 'r'  5f skip 4        'c' 4f skip 8         'd' 2f skip 16       'a' 6f
//   'f'      3i skip 12       'h' 4f, length L (f), then when L != 0: skip 4 and L text bytes
//   'T'      5f, L (f), then as 'h'                 'z' 'q'  width (f), count n (i), n pairs 2f
//   0 or end of file: end of the symbol
//   other    L (signed byte), skip 4, L comment bytes; ends the symbol
//
// Binary files are outside data: every length and count is checked against what the file still
// holds before anything is allocated for it. A length or count that is not finite, is negative, or
// asks for more bytes than remain, and any short read, make the symbol fail with -1.
#include "symbol/mgSymbol.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "algorithms/angles.h"
#include "algorithms/helpers.h"
#include "io/CStringSplit.h"
#include "linetype/linetype_p.h"
#include "platform/win32.h"
#include "symbol/symbol_p.h"

using draft2d::detail::ClampFillStyle;
using draft2d::detail::DuplicateText;
using draft2d::detail::kMaxSymbolFiles;
using draft2d::detail::kMaxSymbolItems;
using draft2d::detail::SaturatedFloat;

namespace {

// Line widths of binary files: below 0 or above 1000 (and NaN) become 0, above 200 become 200.
float ClampWidth(float w) {
    if (!(w >= 0.0f && w <= 1000.0f))
        return 0.0f;
    return w > 200.0f ? 200.0f : w;
}

float DegreesToRadians(float deg) {
    return SaturatedFloat(Deg2Rad(deg));
}

// ---- text files --------------------------------------------------------------------------------

float Field(const CStringSplit& f, int i) {
    return SaturatedFloat(f.GetItemDouble(i));
}

// Fills item (of kind) from the fields of a text line. 0, -1 (memory, or a point count that the
// line does not hold) or -2 (a text item without text).
int FillFromFields(mgSymbolItem& item, const CStringSplit& f) {
    switch (item.kind) {
    case 'l':
    case 'r':
        item.x = Field(f, 0);
        item.y = Field(f, 1);
        item.x2 = Field(f, 2);
        item.y2 = Field(f, 3);
        item.width = Field(f, 4);
        return 0;
    case 'c':
        item.x = Field(f, 0);
        item.y = Field(f, 1);
        item.radius = Field(f, 2);
        item.width = Field(f, 3);
        return 0;
    case 'd':
        item.x = Field(f, 0);
        item.y = Field(f, 1);
        return 0;
    case 'a':
        item.x = Field(f, 0);
        item.y = Field(f, 1);
        item.startAngle = DegreesToRadians(Field(f, 2));
        item.endAngle = DegreesToRadians(Field(f, 3));
        item.radius = Field(f, 4);
        item.width = Field(f, 5);
        return 0;
    case 'h': {
        item.x = Field(f, 0);
        item.y = Field(f, 1);
        item.height = Field(f, 2);
        item.angle = DegreesToRadians(Field(f, 3));
        const char* t = f.GetItem(4);
        if (t == nullptr || t[0] == 0)
            return -2;
        item.text = DuplicateText(t);
        return item.text != nullptr ? 0 : -1;
    }
    case 'f':
        item.fillIndex = static_cast<int>(f.GetItemInteger(0));
        item.fillStyle = ClampFillStyle(static_cast<int>(f.GetItemInteger(1)));
        item.fillFlag = static_cast<int>(f.GetItemInteger(2));
        return 0;
    case 'q':
    case 'z': {
        item.width = Field(f, 0);
        // The count must be a number of pairs that the line really holds.
        const double n = f.GetItemDouble(1);
        const int pairs = f.GetCount() > 2 ? (f.GetCount() - 2) / 2 : 0;
        if (!(n >= 0.0 && n < static_cast<double>(pairs) + 1.0))
            return -1;
        const int count = static_cast<int>(n);
        if (!item.allocPoints(count))
            return -1;
        for (int k = 0; k < count; ++k) {
            item.xs[k] = f.GetItemDouble(2 + 2 * k);
            item.ys[k] = f.GetItemDouble(3 + 2 * k);
        }
        return 0;
    }
    default:
        return 0;
    }
}

// ---- binary files ------------------------------------------------------------------------------

// Reading of a descriptor, record by record, never past the end of a symbol: a host may read several
// symbols one after the other from one descriptor, and each must leave the descriptor just after its
// end record. The only byte read ahead is the kind byte of the record that follows (a record is never
// the last thing of a symbol but the end record, a comment record or the end of the file), asked for
// in the same request as the last bytes of a record: most records then cost one request. Reads are
// exact: a read fails unless every byte asked for arrives, so a file that ends inside a record is a
// failure, never data taken from nowhere.
class FdReader {
public:
    explicit FdReader(int fd) : fd_(fd) {}

    // 1 and the byte, 0 at the end of the file, -1 on a read error.
    int ReadByte(unsigned char& b) {
        if (next_ >= 0) {
            b = static_cast<unsigned char>(next_);
            next_ = -1;
            return 1;
        }
        if (atEnd_)
            return 0;
        const int got = _read(fd_, &b, 1);
        return got == 1 ? 1 : got == 0 ? 0 : -1;
    }

    // Up to n bytes into dst (null: read and dropped); the number that arrived, n unless the file
    // ends first or a read fails. With peek (n at most kPeekMax), the next record's kind byte is
    // asked for in the same request and kept for ReadByte.
    size_t Read(void* dst, size_t n, bool peek = false) {
        auto* out = static_cast<unsigned char*>(dst);
        if (peek && n <= kPeekMax) {
            size_t got = 0;
            while (got < n + 1) {
                const int r = _read(fd_, buf_ + got, static_cast<unsigned>(n + 1 - got));
                if (r <= 0) {
                    atEnd_ = r == 0;
                    break;
                }
                got += static_cast<size_t>(r);
            }
            if (got == n + 1)
                next_ = buf_[n];
            const size_t arrived = got < n ? got : n;
            if (out != nullptr)
                std::memcpy(out, buf_, arrived);
            return arrived;
        }
        size_t done = 0;
        while (done < n) {
            unsigned char* to = out != nullptr ? out + done : buf_;
            const size_t room = out != nullptr ? n - done : sizeof(buf_);
            const int r = _read(fd_, to, static_cast<unsigned>(std::min<size_t>({n - done, room, kMaxRead})));
            if (r <= 0)
                break;
            done += static_cast<size_t>(r);
        }
        return done;
    }

    bool ReadAll(void* dst, size_t n, bool peek = false) { return Read(dst, n, peek) == n; }
    bool Skip(size_t n) { return ReadAll(nullptr, n); }

    // n little-endian 32-bit words, as floats or as signed integers, read in one request.
    bool ReadFloats(float* v, int n, bool peek = false) {
        if (!ReadAll(v, static_cast<size_t>(n) * 4, peek))
            return false;
        for (int k = 0; k < n; ++k) {
            const uint32_t u = WordAt(&v[k]);
            std::memcpy(&v[k], &u, 4);
        }
        return true;
    }

    bool ReadInts(int* v, int n) {
        if (!ReadAll(v, static_cast<size_t>(n) * 4))
            return false;
        for (int k = 0; k < n; ++k)
            v[k] = static_cast<int32_t>(WordAt(&v[k]));
        return true;
    }

    // The little-endian word in the four bytes at p.
    static uint32_t WordAt(const void* p) {
        unsigned char b[4];
        std::memcpy(b, p, 4);
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
               static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    }

    static constexpr size_t kPeekMax = 8192;

private:
    static constexpr size_t kMaxRead = 1u << 20;

    int fd_;
    int next_ = -1;      // the kind byte read ahead, or -1
    bool atEnd_ = false; // a read found the end of the file
    unsigned char buf_[kPeekMax + 1];
};

// A length stored as a float: finite, not negative, truncated. -1 for anything else (including
// values beyond what any file of a 32-bit size could hold).
int64_t LengthFromFloat(float v) {
    if (!(v >= 0.0f && v < 4294967296.0f))
        return -1;
    return static_cast<int64_t>(v);
}

// Reads n bytes of text into a new zero-terminated block (peek: with the next kind byte after the
// last). The block grows with the bytes that actually arrive, so a length larger than the rest of the
// file fails without a large allocation.
char* ReadText(FdReader& in, int64_t n, bool peek) {
    std::string s;
    char chunk[4096];
    while (n > 0) {
        const size_t k = n < static_cast<int64_t>(sizeof(chunk)) ? static_cast<size_t>(n) : sizeof(chunk);
        if (!in.ReadAll(chunk, k, peek && static_cast<int64_t>(k) == n))
            return nullptr;
        try {
            s.append(chunk, k);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        n -= static_cast<int64_t>(k);
    }
    return DuplicateText(s.c_str());
}

// Reads n pairs of floats into the item's point block (peek: with the next kind byte after the last),
// growing a staging buffer only as the pairs arrive.
bool ReadPairs(FdReader& in, mgSymbolItem& item, int n, bool peek) {
    std::vector<float> pairs;
    constexpr int kChunk = 1024;
    try {
        for (int done = 0; done < n;) {
            const int k = n - done < kChunk ? n - done : kChunk;
            pairs.resize(static_cast<size_t>(done + k) * 2);
            if (!in.ReadFloats(&pairs[static_cast<size_t>(done) * 2], 2 * k, peek && done + k == n))
                return false;
            done += k;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!item.allocPoints(n))
        return false;
    for (int k = 0; k < n; ++k) {
        item.xs[k] = pairs[static_cast<size_t>(k) * 2];
        item.ys[k] = pairs[static_cast<size_t>(k) * 2 + 1];
    }
    return true;
}

// The text tail of 'h' and 'T' records: length L, then when L != 0 four skipped bytes and L bytes.
bool ReadTextTail(FdReader& in, mgSymbolItem& item, bool peek) {
    float lf = 0.0f;
    if (!in.ReadFloats(&lf, 1))
        return false;
    const int64_t n = LengthFromFloat(lf);
    if (n < 0)
        return false;
    if (n == 0)
        return true;
    if (!in.Skip(4))
        return false;
    item.text = ReadText(in, n, peek);
    return item.text != nullptr;
}

// The body of one record after its kind byte. false on a failed read, a bad count or length, or
// memory; the item keeps what was read. With peek the record's last request also asks for the next
// record's kind byte (never with a comment record, which ends the symbol).
bool ReadBody(FdReader& in, mgSymbolItem& item, MgString& comment, bool& end, bool peek) {
    float v[6] = {0, 0, 0, 0, 0, 0};
    switch (item.kind) {
    case 'l':
    case 'r':
    case 'c':
    case 'd':
    case 'a':
    case 'f': {
        // Six words, read at once: the numbers, then the bytes skipped.
        unsigned char body[24];
        const size_t got = in.Read(body, sizeof(body), peek);
        int w[6];
        for (int k = 0; k < 6; ++k) {
            w[k] = static_cast<int32_t>(FdReader::WordAt(body + 4 * k));
            std::memcpy(&v[k], &w[k], 4);
        }
        // The words a kind uses; an item takes its numbers only when all of them arrived.
        const size_t used = item.kind == 'd'   ? 8
                            : item.kind == 'f' ? 12
                            : item.kind == 'c' ? 16
                            : item.kind == 'a' ? 24
                                               : 20;
        if (got < used)
            return false;
        switch (item.kind) {
        case 'l':
        case 'r':
            item.x = v[0];
            item.y = v[1];
            item.x2 = v[2];
            item.y2 = v[3];
            item.width = ClampWidth(v[4]);
            break;
        case 'c':
            item.x = v[0];
            item.y = v[1];
            item.radius = v[2];
            item.width = ClampWidth(v[3]);
            break;
        case 'd':
            item.x = v[0];
            item.y = v[1];
            break;
        case 'a':
            item.x = v[0];
            item.y = v[1];
            item.startAngle = DegreesToRadians(v[2]);
            item.endAngle = DegreesToRadians(v[3]);
            item.radius = v[4];
            item.width = ClampWidth(v[5]);
            break;
        default:
            item.fillIndex = w[0];
            item.fillStyle = ClampFillStyle(w[1]);
            item.fillFlag = w[2];
            break;
        }
        return got == sizeof(body);
    }
    case 'h':
    case 'T': {
        const int n = item.kind == 'h' ? 4 : 5;
        if (!in.ReadFloats(v, n))
            return false;
        item.x = v[0];
        item.y = v[1];
        item.height = v[2];
        item.angle = DegreesToRadians(v[3]);
        item.extra = item.kind == 'h' ? 0.0f : v[4];
        return ReadTextTail(in, item, peek);
    }
    case 'z':
    case 'q': {
        int n = 0;
        if (!in.ReadFloats(v, 1) || !in.ReadInts(&n, 1))
            return false;
        item.width = ClampWidth(v[0]);
        if (n < (item.kind == 'z' ? 1 : 0))
            return false;
        return ReadPairs(in, item, n, peek);
    }
    default: {
        // A comment record ends the symbol; the item stays as an empty one.
        end = true;
        item.kind = 0;
        unsigned char lb = 0;
        if (in.ReadByte(lb) != 1 || !in.Skip(4))
            return false;
        const int n = static_cast<signed char>(lb);
        if (n > 0) {
            char* t = ReadText(in, n, false);
            if (t == nullptr)
                return false;
            comment = t;
            std::free(t);
        }
        return true;
    }
    }
}

} // namespace

// ---- mgSymbol readers --------------------------------------------------------------------------

int mgSymbol::ReadFileTxt(FILE* f) {
    Clear();
    if (f == nullptr)
        return 0;
    char line[256];
    CStringSplit fields;
    int result = 0;
    while (result == 0 && items.size() < kMaxSymbolItems && fgets(line, 255, f) != nullptr) {
        TrimStr(line);
        if (strlen(line) < 2)
            continue;
        if (!fields.SplitString(line + 2, -1, true))
            break;
        mgSymbolItem* item = new (std::nothrow) mgSymbolItem;
        if (item == nullptr)
            return -1;
        item->kind = line[0];
        switch (item->kind) {
        case 'l':
        case 'r':
        case 'c':
        case 'd':
        case 'a':
        case 'h':
        case 'f':
        case 'q':
        case 'z':
            result = FillFromFields(*item, fields);
            break;
        default:
            // A comment line, kept whole (its first character too).
            item->kind = 0;
            comment = line;
            break;
        }
        try {
            items.push_back(item);
        } catch (const std::bad_alloc&) {
            delete item;
            return -1;
        }
    }
    return result;
}

int mgSymbol::ReadFileBin(int fd) {
    Clear();
    FdReader in(fd);
    while (items.size() < kMaxSymbolItems) {
        unsigned char kind = 0;
        const int got = in.ReadByte(kind);
        if (got < 0)
            return -1;
        if (got == 0 || kind == 0)
            return 0;
        mgSymbolItem* item = new (std::nothrow) mgSymbolItem;
        if (item == nullptr)
            return -1;
        item->kind = static_cast<char>(kind);
        bool end = false;
        // The record that fills the symbol is its last: nothing after it is read.
        const bool ok = ReadBody(in, *item, comment, end, items.size() + 1 < kMaxSymbolItems);
        try {
            items.push_back(item);
        } catch (const std::bad_alloc&) {
            delete item;
            return -1;
        }
        if (!ok)
            return -1;
        if (end)
            return 0;
    }
    return 0;
}

// ---- mgSymbols::Load ---------------------------------------------------------------------------

bool mgSymbols::Load(const char* dir) {
    if (dir == nullptr)
        return false;
    // The directory gets a separator unless it ends in one: '\\' as on Windows, or '/' for a
    // path written with '/' only, which every system reads (and which fopen needs off Windows).
    std::string path;
    try {
        path = dir;
        const bool slashes = path.find('/') != std::string::npos && path.find('\\') == std::string::npos;
        if (path.empty() || (path.back() != '\\' && path.back() != '/'))
            path += slashes ? '/' : '\\';
    } catch (const std::bad_alloc&) {
        return false;
    }
    const bool text = c_bTxtFile;
    _finddata_t found;
    const intptr_t search = _findfirst((path + (text ? "*.20" : "*.20s")).c_str(), &found);
    if (search == -1)
        return false;
    unsigned files = 0;
    do {
        if ((found.attrib & _A_SUBDIR) != 0)
            continue;
        ++files;
        // The symbol's name is the file name up to its last '.'.
        std::string nm = found.name;
        const size_t dot = nm.rfind('.');
        if (dot != std::string::npos)
            nm.resize(dot);
        const std::string file = path + found.name;
        mgSymbol* s = nullptr;
        int result = -1;
        if (text) {
            FILE* f = fopen(file.c_str(), "rt");
            if (f == nullptr)
                continue;
            s = new (std::nothrow) mgSymbol(nm.c_str());
            if (s != nullptr)
                result = s->ReadFileTxt(f);
            fclose(f);
        } else {
            // Descriptor 0 is a valid descriptor (the standard input may have been closed).
            const int fd = _open(file.c_str(), _O_RDONLY | _O_BINARY);
            if (fd < 0)
                continue;
            s = new (std::nothrow) mgSymbol(nm.c_str());
            if (s != nullptr)
                result = s->ReadFileBin(fd);
            _close(fd);
        }
        if (s != nullptr && (result != 0 || AddItem(s) == 0))
            delete s;
    } while (files < kMaxSymbolFiles && _findnext(search, &found) == 0);
    _findclose(search);
    return true;
}
