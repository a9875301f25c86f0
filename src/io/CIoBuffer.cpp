#include "io/CIoBuffer.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "io/MgString.h"

namespace {

constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::uint32_t>::max();

// Texts of the error codes (GBK).
constexpr const char kOutOfMemory[] = "\xc4\xda\xb4\xe6\xb2\xbb\xd7\xe3"; // 内存不足
constexpr const char kReadAtEnd[] =                                       // 读偏移量已到缓冲末尾
    "\xb6\xc1\xc6\xab\xd2\xc6\xc1\xbf\xd2\xd1\xb5\xbd\xbb\xba\xb3\xe5\xc4\xa9\xce\xb2";
constexpr const char kReadError[] = "\xb6\xc1\xca\xfd\xbe\xdd\xb4\xed\xce\xf3"; // 读数据错误
constexpr const char kUnknownError[] =                                          // 没有该类型的错误
    "\xc3\xbb\xd3\xd0\xb8\xc3\xc0\xe0\xd0\xcd\xb5\xc4\xb4\xed\xce\xf3";

std::uint64_t RoundUp(std::uint64_t n, std::uint64_t granule) {
    return (n + granule - 1) / granule * granule;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// CIoBufException

CIoBufException::CIoBufException(int code) : m_code(code) {}

CIoBufException::CIoBufException(const CIoBufException& other)
    : std::exception(other), m_code(other.m_code) {}

CIoBufException& CIoBufException::operator=(const CIoBufException& other) {
    std::exception::operator=(other);
    m_code = other.m_code;
    return *this;
}

CIoBufException::~CIoBufException() = default;

const char* CIoBufException::what() const noexcept {
    switch (m_code) {
    case -1:
        return kOutOfMemory;
    case -2:
        return kReadAtEnd;
    case -3:
        return kReadError;
    default:
        return kUnknownError;
    }
}

// ---------------------------------------------------------------------------------------------------
// Storage

CIoBuffer::CIoBuffer(unsigned short growBy) : m_growBy(growBy == 0 ? 16 : growBy) {}

CIoBuffer::~CIoBuffer() {
    CIoBuffer::Clear();
}

void CIoBuffer::Clear() {
    std::free(m_buffer);
    m_buffer = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_readPos = 0;
    m_error = 0;
}

// An allocation failed: the data is gone and the error says so.
bool CIoBuffer::Fail(int code) {
    std::free(m_buffer);
    m_buffer = nullptr;
    m_size = 0;
    m_capacity = 0;
    m_readPos = 0;
    m_error = code;
    return false;
}

bool CIoBuffer::Clone(const CIoBuffer* src) {
    if (src == this)
        return true;
    Clear();
    if (src == nullptr || src->m_size == 0)
        return true;
    return Add(src->m_size, src->m_buffer);
}

bool CIoBuffer::SetSize(unsigned long n) {
    Clear();
    if (n == 0)
        return true;
    if (n > kMaxBytes)
        return Fail(-1);
    m_buffer = static_cast<unsigned char*>(std::malloc(n));
    if (m_buffer == nullptr)
        return Fail(-1);
    m_size = m_capacity = static_cast<std::uint32_t>(n);
    return true;
}

bool CIoBuffer::Reserve(unsigned long n) {
    if (m_capacity >= n)
        return true;
    if (n > kMaxBytes)
        return Fail(-1);
    void* block = std::realloc(m_buffer, n);
    if (block == nullptr)
        return Fail(-1);
    m_buffer = static_cast<unsigned char*>(block);
    m_capacity = static_cast<std::uint32_t>(n);
    return true;
}

void CIoBuffer::Reset() {
    m_readPos = 0;
    m_error = 0;
}

void CIoBuffer::MakeFieldType(CIoBuffer& b, int count, const int* types) {
    b.Clear();
    if (types == nullptr)
        return;
    const int limit = count <= 0 ? 100 : count;
    for (int i = 0; i < limit && types[i] != 0 && types[i] != -1; ++i)
        b.AddInt16(static_cast<short>(types[i]));
}

// ---------------------------------------------------------------------------------------------------
// Raw append and read

bool CIoBuffer::Add(unsigned long len, const void* src) {
    if (len == 0)
        return true;
    if (src == nullptr)
        return false;
    const std::uint64_t needed = std::uint64_t(m_size) + len;
    if (needed > kMaxBytes)
        return Fail(-1);
    if (needed > m_capacity) {
        // The capacity is the needed size rounded up to the granule, but at least half as much again
        // as before, so that a long run of small appends costs linear time rather than quadratic.
        std::uint64_t capacity = RoundUp(needed, m_growBy);
        const std::uint64_t geometric = RoundUp(std::uint64_t(m_capacity) + m_capacity / 2, m_growBy);
        if (geometric > capacity && geometric <= kMaxBytes)
            capacity = geometric;
        if (capacity > kMaxBytes)
            capacity = needed;
        // The source may be our own data (appending a buffer to itself, a string read from it).
        const auto* bytes = static_cast<const unsigned char*>(src);
        const bool inside = m_buffer != nullptr && bytes >= m_buffer && bytes < m_buffer + m_capacity;
        const std::size_t offset = inside ? static_cast<std::size_t>(bytes - m_buffer) : 0;
        void* block = std::realloc(m_buffer, capacity);
        if (block == nullptr)
            return Fail(-1);
        m_buffer = static_cast<unsigned char*>(block);
        m_capacity = static_cast<std::uint32_t>(capacity);
        if (inside)
            src = m_buffer + offset;
    }
    std::memmove(m_buffer + m_size, src, len);
    m_size = static_cast<std::uint32_t>(needed);
    return true;
}

bool CIoBuffer::Read(unsigned long len, void* dst) {
    if (len == 0)
        return true;
    if (len > m_size - m_readPos) {
        m_error = -2;
        return false;
    }
    if (dst == nullptr)
        return false;
    std::memcpy(dst, m_buffer + m_readPos, len);
    m_readPos += static_cast<std::uint32_t>(len);
    return true;
}

unsigned char* CIoBuffer::Read(unsigned long len) {
    if (len > m_size - m_readPos || m_buffer == nullptr) {
        m_error = -2;
        return nullptr;
    }
    unsigned char* p = m_buffer + m_readPos;
    m_readPos += static_cast<std::uint32_t>(len);
    return p;
}

// ---------------------------------------------------------------------------------------------------
// Typed appends (little-endian, as the machine stores them)

bool CIoBuffer::AddBool(bool v) {
    const unsigned char b = v ? 1 : 0;
    return Add(1, &b);
}

bool CIoBuffer::AddBOOL(int v) {
    const unsigned char b = v != 0 ? 1 : 0;
    return Add(1, &b);
}

bool CIoBuffer::AddInt8(char v) {
    return Add(1, &v);
}
bool CIoBuffer::AddUInt8(unsigned char v) {
    return Add(1, &v);
}
bool CIoBuffer::AddInt16(short v) {
    return Add(2, &v);
}
bool CIoBuffer::AddUInt16(unsigned short v) {
    return Add(2, &v);
}

bool CIoBuffer::AddInt32(long v) {
    const auto w = static_cast<std::uint32_t>(static_cast<unsigned long>(v));
    return Add(4, &w);
}

bool CIoBuffer::AddUInt32(unsigned long v) {
    const auto w = static_cast<std::uint32_t>(v);
    return Add(4, &w);
}

bool CIoBuffer::AddFloat(float v) {
    return Add(4, &v);
}
bool CIoBuffer::AddDouble(double v) {
    return Add(8, &v);
}

bool CIoBuffer::AddString(const char* s) {
    if (s == nullptr)
        s = "";
    const std::size_t n = std::strlen(s);
    if (n >= kMaxBytes)
        return false;
    // A text held in this very buffer would move when it grows: keep a private copy of it first.
    if (m_buffer != nullptr && s >= reinterpret_cast<const char*>(m_buffer) &&
        s < reinterpret_cast<const char*>(m_buffer) + m_capacity) {
        const std::string copy(s, n);
        return AddString(copy);
    }
    const auto w = static_cast<std::uint32_t>(n);
    return Add(4, &w) && Add(n + 1, s);
}

bool CIoBuffer::AddString(const std::string& s) {
    const std::size_t n = std::strlen(s.c_str());
    if (n >= kMaxBytes)
        return false;
    const auto w = static_cast<std::uint32_t>(n);
    return Add(4, &w) && Add(n + 1, s.c_str());
}

bool CIoBuffer::AddBinary(const CIoBuffer& b) {
    const std::uint32_t n = b.m_size;
    return Add(4, &n) && Add(n, b.m_buffer);
}

// ---------------------------------------------------------------------------------------------------
// Reads with a default

bool CIoBuffer::ReadBool(bool def) {
    if (m_readPos == m_size)
        return def;
    unsigned char b = 0;
    Read(1, &b);
    return b != 0;
}

int CIoBuffer::ReadBOOL(int def) {
    if (m_readPos == m_size)
        return def;
    unsigned char b = 0;
    Read(1, &b);
    return b != 0 ? 1 : 0;
}

char CIoBuffer::ReadInt8(char def) {
    if (m_readPos == m_size)
        return def;
    char v = 0;
    Read(1, &v);
    return v;
}

unsigned char CIoBuffer::ReadUInt8(unsigned char def) {
    if (m_readPos == m_size)
        return def;
    unsigned char v = 0;
    Read(1, &v);
    return v;
}

short CIoBuffer::ReadInt16(short def) {
    if (m_readPos == m_size)
        return def;
    short v = 0;
    if (!Read(2, &v))
        return 0;
    return v;
}

unsigned short CIoBuffer::ReadUInt16(unsigned short def) {
    if (m_readPos == m_size)
        return def;
    unsigned short v = 0;
    if (!Read(2, &v))
        return 0;
    return v;
}

long CIoBuffer::ReadInt32(long def) {
    if (m_readPos == m_size)
        return def;
    std::int32_t v = 0;
    if (!Read(4, &v))
        return 0;
    return v;
}

unsigned long CIoBuffer::ReadUInt32(unsigned long def) {
    if (m_readPos == m_size)
        return def;
    std::uint32_t v = 0;
    if (!Read(4, &v))
        return 0;
    return v;
}

float CIoBuffer::ReadFloat(float def) {
    if (m_readPos == m_size)
        return def;
    float v = 0;
    if (!Read(4, &v))
        return 0;
    return v;
}

double CIoBuffer::ReadDouble(double def) {
    if (m_readPos == m_size)
        return def;
    double v = 0;
    if (!Read(8, &v))
        return 0;
    return v;
}

// A string record is a 4-byte length n followed by n + 1 bytes. The length is outside data: it is
// read unsigned and must fit in what remains, so neither a huge nor a "negative" length can make the
// terminator write land outside the block.
const char* CIoBuffer::ReadString(const char* def) {
    if (m_readPos == m_size)
        return def;
    std::uint32_t n = 0;
    if (!Read(4, &n))
        return nullptr;
    const std::uint64_t total = std::uint64_t(n) + 1;
    if (total > m_size - m_readPos) {
        m_error = -2;
        return nullptr;
    }
    unsigned char* p = Read(static_cast<unsigned long>(total));
    if (p == nullptr)
        return nullptr;
    p[n] = 0;
    return reinterpret_cast<const char*>(p);
}

bool CIoBuffer::ReadString(std::string& out, const char* def) {
    const char* s = ReadString(def);
    if (s == nullptr) {
        out.clear();
        m_error = -3;
        return false;
    }
    out = s;
    return true;
}

bool CIoBuffer::ReadBinary(CIoBuffer& out, bool allowEnd) {
    if (&out == this) {
        m_error = -3;
        return false;
    }
    out.Clear();
    if (m_readPos == m_size && allowEnd)
        return true;
    const auto n = static_cast<std::uint32_t>(ReadUInt32(0));
    if (n == 0)
        return true;
    const unsigned char* p = Read(n);
    if (p == nullptr) {
        m_error = -3;
        return false;
    }
    return out.Add(n, p);
}

// ---------------------------------------------------------------------------------------------------
// Checked reads of record fields

bool CIoBuffer::ThrowIfAtEnd() const {
    if (m_readPos == m_size)
        throw CIoBufException(-2);
    return true;
}

bool CIoBuffer::ReadStrict(char& v) {
    ThrowIfAtEnd();
    return Read(1, &v);
}

bool CIoBuffer::ReadStrict(signed char& v) {
    ThrowIfAtEnd();
    return Read(1, &v);
}

bool CIoBuffer::ReadStrict(unsigned char& v) {
    ThrowIfAtEnd();
    return Read(1, &v);
}

bool CIoBuffer::ReadStrict(bool& v) {
    ThrowIfAtEnd();
    unsigned char b = 0;
    if (!Read(1, &b))
        return false;
    v = b != 0;
    return true;
}

// The 32-bit integer forms: a record holds exactly four bytes whatever the width of the C++ type
// (long is 64-bit off Windows); Wire gives the sign extension.
template <typename Wire, typename T>
bool CIoBuffer::ReadStrictAs(T& v) {
    ThrowIfAtEnd();
    Wire f = 0;
    if (!Read(sizeof f, &f))
        return false;
    v = static_cast<T>(f);
    return true;
}

bool CIoBuffer::ReadStrict(int& v) {
    return ReadStrictAs<std::int32_t>(v);
}

bool CIoBuffer::ReadStrict(unsigned int& v) {
    return ReadStrictAs<std::uint32_t>(v);
}

bool CIoBuffer::ReadStrict(long& v) {
    return ReadStrictAs<std::int32_t>(v);
}

bool CIoBuffer::ReadStrict(unsigned long& v) {
    return ReadStrictAs<std::uint32_t>(v);
}

bool CIoBuffer::ReadStrict(float& v) {
    ThrowIfAtEnd();
    return Read(4, &v);
}

bool CIoBuffer::ReadStrict(double& v) {
    ThrowIfAtEnd();
    return Read(8, &v);
}

bool CIoBuffer::ReadStrict(MgString& v) {
    ThrowIfAtEnd();
    const char* s = ReadString(nullptr);
    if (s == nullptr) {
        m_error = -3;
        return false;
    }
    v = s;
    return true;
}
