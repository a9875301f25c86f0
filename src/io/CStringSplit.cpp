#include "io/CStringSplit.h"

#include "algorithms/helpers.h"
#include "platform/win32.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Characters skipped at the start of an item: spaces and the control characters other than TAB,
// LF and CR.
bool IsSkippedAtStart(unsigned char c) {
    return c != 0 && c <= 32 && c != 9 && c != 10 && c != 13;
}

// Control characters that the escaped form drops (all but TAB, LF and CR).
bool IsDroppedControl(unsigned char c) {
    return c != 0 && c < 32 && c != 9 && c != 10 && c != 13;
}

// The character a two-character escape stands for in the escaped form, or 0 when c does not
// complete an escape.
char Unescaped(char c) {
    switch (c) {
    case '"':
    case '\'':
    case '\\':
        return c;
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return 0;
    }
}

// Bytes of s to process: len bytes, or fewer when a zero byte comes first; strlen when len < 0.
size_t TextLength(const char* s, int len) {
    if (s == nullptr) {
        return 0;
    }
    if (len < 0) {
        return strlen(s);
    }
    const void* zero = memchr(s, 0, static_cast<size_t>(len));
    return zero ? static_cast<size_t>(static_cast<const char*>(zero) - s) : static_cast<size_t>(len);
}

int ClampToInt(long long n) {
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

char* CopyText(const char* s, size_t n) {
    char* p = static_cast<char*>(malloc(n + 1));
    if (p != nullptr) {
        memcpy(p, s, n);
        p[n] = 0;
    }
    return p;
}

// Appends characters to a caller-supplied buffer of cap bytes, always leaving room for the
// terminator.
struct BoundedWriter {
    char* dst;
    int cap;
    int w = 0;
    bool put(char c) {
        if (w + 1 >= cap) {
            return false;
        }
        dst[w++] = c;
        return true;
    }
    int finish() {
        dst[w] = 0;
        return w;
    }
    int fail() {
        dst[0] = 0;
        return -1;
    }
};

} // namespace

CStringSplit::CStringSplit()
    : splitChar(','), subStrMaxLen(100), subStr(static_cast<char*>(malloc(101))), count(0), items(nullptr),
      itemCapacity(0) {
    if (subStr == nullptr) {
        subStrMaxLen = 0;
    } else {
        subStr[0] = 0;
    }
}

CStringSplit::CStringSplit(const CStringSplit& other)
    : splitChar(','), subStrMaxLen(0), subStr(nullptr), count(0), items(nullptr), itemCapacity(0) {
    *this = other;
}

CStringSplit& CStringSplit::operator=(const CStringSplit& other) {
    if (this == &other) {
        return *this;
    }
    Clear();
    free(subStr);
    splitChar = other.splitChar;
    subStrMaxLen = other.subStrMaxLen;
    subStr = static_cast<char*>(malloc(static_cast<size_t>(subStrMaxLen) + 1));
    if (subStr == nullptr) {
        subStrMaxLen = 0;
    } else if (other.subStr != nullptr) {
        memcpy(subStr, other.subStr, static_cast<size_t>(subStrMaxLen) + 1);
    } else {
        subStr[0] = 0;
    }
    if (other.count > 0) {
        items = static_cast<char**>(calloc(static_cast<size_t>(other.count), sizeof(char*)));
        if (items != nullptr) {
            itemCapacity = other.count;
            for (int k = 0; k < other.count; ++k) {
                // An item that cannot be copied stays null, which readers treat as empty.
                const char* src = other.items[k];
                items[k] = src ? CopyText(src, strlen(src)) : nullptr;
            }
            count = other.count;
        }
    }
    return *this;
}

CStringSplit::~CStringSplit() {
    Clear();
    free(subStr);
}

void CStringSplit::Clear() {
    for (int k = 0; k < count; ++k) {
        free(items[k]);
    }
    free(items);
    items = nullptr;
    count = 0;
    itemCapacity = 0;
}

char* CStringSplit::GetItem(int i) const {
    if (i < 0 || i >= count) {
        return nullptr;
    }
    return items[i];
}

int CStringSplit::GetItemSize(int i) const {
    if (i < 0 || i >= count) {
        return -1;
    }
    return items[i] ? ClampToInt(static_cast<long long>(strlen(items[i]))) : 0;
}

long CStringSplit::GetItemInteger(int i) const {
    const char* item = GetItem(i);
    if (item == nullptr) {
        return 0;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(item);
    while (*p != 0 && (*p <= 0x20 || *p >= 0x80)) {
        ++p;
    }
    const char* text = reinterpret_cast<const char*>(p);
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        // Hexadecimal is an unsigned 32-bit pattern: 0xFFFFFFFF reads as -1.
        unsigned long long v = strtoull(text, nullptr, 16);
        if (v > 0xFFFFFFFFull) {
            v = 0xFFFFFFFFull;
        }
        return static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    }
    long long v = strtoll(text, nullptr, 10);
    if (v > INT32_MAX) {
        v = INT32_MAX;
    } else if (v < INT32_MIN) {
        v = INT32_MIN;
    }
    return static_cast<long>(v);
}

double CStringSplit::GetItemDouble(int i) const {
    const char* item = GetItem(i);
    return item ? atof(item) : 0.0;
}

bool CStringSplit::SetSubStrMaxLen(int n) {
    if (n == subStrMaxLen && subStr != nullptr) {
        return true;
    }
    if (n < 10) {
        n = 10;
    } else if (n > 1024) {
        n = 1024;
    }
    char* p = static_cast<char*>(realloc(subStr, static_cast<size_t>(n) + 1));
    if (p == nullptr) {
        free(subStr);
        subStr = nullptr;
        subStrMaxLen = 0;
        return false;
    }
    subStr = p;
    subStrMaxLen = n;
    subStr[n] = 0;
    return true;
}

int CStringSplit::AddItem(const char* s) {
    if (count >= itemCapacity) {
        if (itemCapacity > INT_MAX - 10) {
            return -2;
        }
        const int cap = itemCapacity + 10;
        char** p = static_cast<char**>(realloc(items, static_cast<size_t>(cap) * sizeof(char*)));
        if (p == nullptr) {
            return -2;
        }
        for (int k = itemCapacity; k < cap; ++k) {
            p[k] = nullptr;
        }
        items = p;
        itemCapacity = cap;
    }
    if (s == nullptr) {
        items[count++] = nullptr;
        return 0;
    }
    size_t n = strlen(s);
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 0x20) {
        --n;
    }
    char* copy = CopyText(s, n);
    if (copy == nullptr) {
        return -1;
    }
    items[count++] = copy;
    return 0;
}

bool CStringSplit::AddCharToSubStr(char c, int j) {
    if (j >= subStrMaxLen || subStr == nullptr) {
        // Grows geometrically so that very long items cost linear time; the buffer is set back
        // to its usual size after each row.
        long long want = static_cast<long long>(j) + 1;
        long long doubled = 2LL * subStrMaxLen;
        long long n = doubled > want ? doubled : want;
        if (n >= INT_MAX) {
            n = want;
        }
        if (n >= INT_MAX) {
            return false;
        }
        char* p = static_cast<char*>(realloc(subStr, static_cast<size_t>(n) + 1));
        if (p == nullptr) {
            if (subStr != nullptr) {
                subStr[subStrMaxLen] = 0;
            }
            return false;
        }
        subStr = p;
        subStrMaxLen = static_cast<int>(n);
    }
    subStr[j] = c;
    return true;
}

bool CStringSplit::AddString(const char* s, bool trimRight, bool quote) {
    size_t n = 0;
    const char* text = "";
    if (s != nullptr) {
        n = strlen(s);
        if (trimRight) {
            while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 0x20) {
                --n;
            }
        }
        text = s;
    }
    if (n > static_cast<size_t>(INT_MAX / 2 - 4)) {
        return false;
    }
    const int escLen = StrLenAfterWithEsc(text, static_cast<int>(n));
    free(subStr);
    subStr = static_cast<char*>(malloc(static_cast<size_t>(escLen) + 3));
    if (subStr == nullptr) {
        subStrMaxLen = 0;
        return false;
    }
    subStrMaxLen = escLen + 2;
    char* out = quote ? subStr + 1 : subStr;
    const int written = ToEscStr(out, escLen + 1, text, static_cast<int>(n));
    if (written < 0) {
        return false;
    }
    if (quote) {
        subStr[0] = '"';
        subStr[written + 1] = '"';
        subStr[written + 2] = 0;
    }
    return AddItem(subStr) == 0;
}

bool CStringSplit::AddInteger(long v, int radix) {
    // The row holds the 32-bit quantity that a long is on the host's platform.
    const int32_t value = static_cast<int32_t>(v);
    char buf[32];
    if (radix == 16) {
        snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(static_cast<uint32_t>(value)));
    } else if (radix == 10) {
        snprintf(buf, sizeof buf, "%d", static_cast<int>(value));
    } else {
        buf[0] = 0;
    }
    return AddItem(buf) == 0;
}

bool CStringSplit::AddDouble(double v, int decimals) {
    if (decimals < 0) {
        decimals = 0;
    } else if (decimals > 7) {
        decimals = 7;
    }
    // Large enough for the longest "%.7f" of a double (309 digits, sign, point, 7 decimals).
    char buf[400];
    if (decimals > 0) {
        char format[] = "%.?f";
        format[2] = static_cast<char>('0' + decimals);
        snprintf(buf, sizeof buf, format, v);
    } else {
        const double t = std::trunc(v);
        if (t >= INT32_MIN && t <= INT32_MAX) {
            snprintf(buf, sizeof buf, "%d", static_cast<int>(t));
        } else {
            // Beyond the 32-bit range the truncated value is still written exactly.
            snprintf(buf, sizeof buf, "%.0f", t);
        }
    }
    return AddItem(buf) == 0;
}

void CStringSplit::GetRowStr(std::string& out) const {
    out.clear();
    for (int k = 0; k < count; ++k) {
        if (k > 0) {
            out += splitChar;
        }
        if (items[k] != nullptr) {
            out += items[k];
        }
    }
}

bool CStringSplit::SplitString(const char* s, int len, bool quotes) {
    return SplitRow(s, len, quotes, true);
}

// escapes false takes backslashes literally; EscStrToStringList splits text that has already
// been unescaped, where a second pass of escapes would eat the backslashes of the strings.
bool CStringSplit::SplitRow(const char* s, int len, bool quotes, bool escapes) {
    Clear();
    if (!SetSubStrMaxLen(512) || s == nullptr) {
        return false;
    }
    const size_t n = TextLength(s, len);

    // First pass: size the item array by the number of separators.
    size_t separators = 0;
    bool inQuote = false;
    for (size_t i = 0; i < n; ++i) {
        const char c = s[i];
        if (c == splitChar && !inQuote) {
            ++separators;
            inQuote = false;
        } else if (quotes && c == '"') {
            inQuote = !inQuote;
        } else if (escapes && c == '\\') {
            ++i;
        }
    }
    const size_t slots = separators + 1;
    if (slots > static_cast<size_t>(INT_MAX)) {
        return false;
    }
    items = static_cast<char**>(calloc(slots, sizeof(char*)));
    if (items == nullptr) {
        return false;
    }
    itemCapacity = static_cast<int>(slots);

    // Second pass: assemble the items in subStr.
    int j = 0;
    inQuote = false;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (j == 0 && IsSkippedAtStart(c)) {
            continue;
        }
        if (c == static_cast<unsigned char>(splitChar) && !inQuote) {
            subStr[j] = 0;
            if (AddItem(subStr) != 0) {
                return false;
            }
            j = 0;
            continue;
        }
        if (quotes && c == '"') {
            inQuote = (j == 0 && !inQuote);
            continue;
        }
        if (escapes && c == '\\') {
            if (i + 1 >= n) {
                return false;
            }
            const char next = s[++i];
            const char ch = next == ',' ? ',' : Unescaped(next);
            if (ch != 0 && AddCharToSubStr(ch, j)) {
                ++j;
            }
            continue;
        }
        if (c < 32 && c != 9) {
            continue;
        }
        if (AddCharToSubStr(static_cast<char>(c), j)) {
            ++j;
        }
    }
    subStr[j] = 0;
    if (AddItem(subStr) != 0) {
        return false;
    }
    SetSubStrMaxLen(512);
    return true;
}

bool CStringSplit::CheckDataType(const char* item, char type) {
    if (item == nullptr) {
        return false;
    }
    switch (type) {
    case 'B':
    case 'b':
        return IsValidIntStr(item, true, 0, true, 255, false);
    case 'C':
    case 'c':
        return IsValidIntStr(item, true, -128, true, 127, false);
    case 'N':
    case 'n':
        return IsValidIntStr(item, true, -32768, true, 32767, false);
    case 'I':
    case 'i':
    case 'L':
    case 'l': {
        if (!IsValidIntStr(item, true, INT32_MIN, true, INT32_MAX, false)) {
            return false;
        }
        // The bound test above saturates at the 32-bit limits, so a ten-digit decimal beyond them
        // would pass it; check the exact value too. Hexadecimal texts are 32-bit patterns.
        if (IsHexStr(item, false)) {
            return true;
        }
        const long long v = strtoll(item, nullptr, 10);
        return v >= INT32_MIN && v <= INT32_MAX;
    }
    case 'F':
    case 'f':
        return IsValidFloatStr(item, true, -3.4028234663852886e38, true, 3.4028234663852886e38, false);
    case 'D':
    case 'd':
        return IsValidFloatStr(item, true, -1.7976931348623157e308, true, 1.7976931348623157e308, false);
    case 'H':
    case 'h':
        return IsHexStr(item, false);
    case 'S':
    case 's':
        return true;
    default:
        return false;
    }
}

bool CStringSplit::CheckItemType(const char* types, int i) const {
    if (types == nullptr || i > count - 1) {
        return false;
    }
    if (i >= 0) {
        return CheckDataType(items[i], types[0]);
    }
    if (strlen(types) != static_cast<size_t>(count)) {
        return false;
    }
    for (int k = 0; k < count; ++k) {
        if (!CheckDataType(items[k], types[k])) {
            return false;
        }
    }
    return true;
}

int CStringSplit::StrLenAfterWithEsc(const char* s, int len) {
    const size_t n = TextLength(s, len);
    long long total = 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\t' || c == '\n' || c == '\r' || c == '"' || c == '\'' || c == '\\') {
            total += 2;
        } else if (!IsDroppedControl(c)) {
            total += 1;
        }
    }
    return ClampToInt(total);
}

int CStringSplit::ToEscStr(char* dst, int cap, const char* s, int len) {
    if (dst == nullptr || cap <= 0) {
        return -1;
    }
    BoundedWriter out{dst, cap};
    const size_t n = TextLength(s, len);
    for (size_t i = 0; i < n; ++i) {
        const char c = s[i];
        bool ok = true;
        if (c == '\\' && i + 1 < n && Unescaped(s[i + 1]) != 0) {
            // Already an escape: copy the pair unchanged.
            ok = out.put(c) && out.put(s[i + 1]);
            ++i;
        } else if (c == '\t') {
            ok = out.put('\\') && out.put('t');
        } else if (c == '\n') {
            ok = out.put('\\') && out.put('n');
        } else if (c == '\r') {
            ok = out.put('\\') && out.put('r');
        } else if (c == '"' || c == '\'' || c == '\\') {
            ok = out.put('\\') && out.put(c);
        } else if (!IsDroppedControl(static_cast<unsigned char>(c))) {
            ok = out.put(c);
        }
        if (!ok) {
            return out.fail();
        }
    }
    return out.finish();
}

// TAB, LF and CR count 1: ToStrNoEsc keeps them, so a buffer sized by this length always holds
// the unescaped text.
int CStringSplit::StrLenAfterNoEsc(const char* s, int len) {
    const size_t n = TextLength(s, len);
    long long total = 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\\') {
            if (i + 1 >= n || Unescaped(s[i + 1]) == 0) {
                return -1;
            }
            ++i;
            total += 1;
        } else if (!IsDroppedControl(c)) {
            total += 1;
        }
    }
    return ClampToInt(total);
}

int CStringSplit::ToStrNoEsc(char* dst, int cap, const char* s, int len) {
    if (dst == nullptr || cap <= 0) {
        return -1;
    }
    BoundedWriter out{dst, cap};
    const size_t n = TextLength(s, len);
    for (size_t i = 0; i < n; ++i) {
        const char c = s[i];
        bool ok = true;
        if (c == '\\') {
            const char u = i + 1 < n ? Unescaped(s[i + 1]) : 0;
            if (u == 0) {
                return out.fail();
            }
            ok = out.put(u);
            ++i;
        } else if (!IsDroppedControl(static_cast<unsigned char>(c))) {
            ok = out.put(c);
        }
        if (!ok) {
            return out.fail();
        }
    }
    return out.finish();
}

char* CStringSplit::StrTrimRight(char* s) {
    if (s == nullptr) {
        return nullptr;
    }
    size_t n = strlen(s);
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 0x20) {
        s[--n] = 0;
    }
    return s;
}

int CStringSplit::CharCountOfStringList(const std::deque<std::string>& l) {
    long long total = 0;
    for (const std::string& str : l) {
        total += StrLenAfterWithEsc(str.c_str(), -1);
    }
    if (!l.empty()) {
        total += 2LL * static_cast<long long>(l.size() - 1);
    }
    return ClampToInt(total);
}

int CStringSplit::StringListToEscStr(std::deque<std::string>& l, char* buf, int cap) {
    if (buf == nullptr || cap <= 0) {
        return -1;
    }
    int w = 0;
    bool first = true;
    for (const std::string& str : l) {
        if (!first) {
            if (w + 2 >= cap) {
                buf[0] = 0;
                return -1;
            }
            buf[w++] = '\\';
            buf[w++] = 'n';
        }
        first = false;
        const int r = ToEscStr(buf + w, cap - w, str.c_str(), -1);
        if (r < 0) {
            buf[0] = 0;
            return -1;
        }
        w += r;
    }
    buf[w] = 0;
    return w;
}

bool CStringSplit::EscStrToStringList(std::deque<std::string>& l, const char* s, int len) {
    l.clear();
    if (s == nullptr) {
        return true;
    }
    const int n = StrLenAfterNoEsc(s, len);
    if (n < 0 || n == INT_MAX) {
        return false;
    }
    char* work = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
    if (work == nullptr) {
        // "内存空间不够!" / "错误信息" (GBK)
        MessageBoxA(GetActiveWindow(), "\xc4\xda\xb4\xe6\xbf\xd5\xbc\xe4\xb2\xbb\xb9\xbb!",
                    "\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2", MB_OK | MB_ICONHAND);
        return false;
    }
    const int r = ToStrNoEsc(work, n + 1, s, len);
    bool ok = r >= 0;
    if (ok) {
        CStringSplit lines;
        lines.SetSplitChar('\n');
        ok = lines.SplitRow(work, r, false, false);
        for (int k = 0; ok && k < lines.GetCount(); ++k) {
            const char* item = lines.GetItem(k);
            l.emplace_back(item ? item : "");
        }
    }
    free(work);
    return ok;
}

void CStringSplit::EscStrToAnsiString(std::string& out, const char* s, int len) {
    out.clear();
    if (s == nullptr) {
        return;
    }
    const int n = StrLenAfterNoEsc(s, len);
    if (n < 0 || n == INT_MAX) {
        return;
    }
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    const int r = ToStrNoEsc(&buf[0], n + 1, s, len);
    if (r >= 0) {
        out.assign(buf.data(), static_cast<size_t>(r));
    }
}

void CStringSplit::StrToStrings(std::deque<std::string>& l, const char* s) {
    l.clear();
    if (s == nullptr) {
        return;
    }
    std::string line;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p != 0; ++p) {
        if (*p == '\n') {
            l.push_back(line);
            line.clear();
        } else if (*p > 0x7E && p[1] > 0x7E) {
            line += static_cast<char>(p[0]);
            line += static_cast<char>(p[1]);
            ++p;
        } else if (*p >= 0x20) {
            line += static_cast<char>(*p);
        }
    }
    if (!line.empty()) {
        l.push_back(line);
    }
}

void CStringSplit::StringsToStr(std::string& out, const std::deque<std::string>& l) {
    out.clear();
    bool first = true;
    for (const std::string& str : l) {
        if (!first) {
            out += '\n';
        }
        first = false;
        out += str;
    }
}

void split(const std::string& s, const std::string& delims, std::deque<std::string>& out) {
    size_t pos = 0;
    while (pos < s.size()) {
        const size_t start = s.find_first_not_of(delims, pos);
        if (start == std::string::npos) {
            break;
        }
        size_t end = s.find_first_of(delims, start);
        if (end == std::string::npos) {
            end = s.size();
        }
        out.push_back(s.substr(start, end - start));
        pos = end;
    }
}
