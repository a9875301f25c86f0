// Growable binary record buffer and its exception.
//
// Values are appended at the end in little-endian order with no padding or tags, and read back from
// a read offset. Interface `long`/`unsigned long` values are 32-bit quantities in records: the 4-byte
// forms write exactly 4 bytes and read them back sign- or zero-extended.
//
// Two kinds of reads:
//  - Read...(def): at the end of the data they return def and leave the error alone; with some but
//    too few bytes left they give 0 and set the sticky error -2 without moving the read offset.
//  - ReadStrict(...): used by record readers; at the end of the data they throw CIoBufException(-2).
// Lengths stored in the data are never trusted: nothing is read or allocated past what is held.
//
// The block grows in multiples of the granule given at construction, and by at least half its size
// each time, so appending n values costs O(n). An allocation failure empties the buffer and sets the
// error -1.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "draft2d_export.h"

class MgString;

class DRAFT2D_EXPORT CIoBufException : public std::exception {
public:
    // -1 out of memory, -2 read offset at the end of the buffer, -3 data could not be read.
    explicit CIoBufException(int code);
    CIoBufException(const CIoBufException& other);
    CIoBufException& operator=(const CIoBufException& other);
    ~CIoBufException() override;

    // The GBK text of the code.
    const char* what() const noexcept override;
    int GetError() const { return m_code; }

private:
    std::int32_t m_code;
};

class DRAFT2D_EXPORT CIoBuffer {
public:
    // growBy is the allocation granule; 0 means 16.
    explicit CIoBuffer(unsigned short growBy = 8);
    virtual ~CIoBuffer();
    CIoBuffer(const CIoBuffer&) = delete;
    CIoBuffer& operator=(const CIoBuffer&) = delete;

    // Frees the block; size, capacity, read offset and error become 0.
    virtual void Clear();
    // Replaces the contents by a copy of src's data (read offset and error start at 0).
    virtual bool Clone(const CIoBuffer* src);

    // Clear(), then exactly n bytes of undefined contents.
    bool SetSize(unsigned long n);
    // Ensures a capacity of at least n bytes, keeping the data.
    bool Reserve(unsigned long n);

    unsigned long GetSize() const { return m_size; }
    // Bytes allocated.
    unsigned long GetCapacity() const { return m_capacity; }
    unsigned char* GetBuffer() { return m_buffer; }
    const unsigned char* GetBuffer() const { return m_buffer; }
    int GetError() const { return m_error; }
    bool HasError() const { return m_error != 0; }
    // Rewinds the read offset and clears the error; the data stays.
    void Reset();

    // b.Clear(), then each types[i] as an AddInt16, up to count elements (100 when count <= 0) and
    // stopping before the first 0 or -1.
    static void MakeFieldType(CIoBuffer& b, int count, const int* types);

    bool AddBool(bool v);
    bool AddBOOL(int v);
    bool AddInt8(char v);
    bool AddUInt8(unsigned char v);
    bool AddInt16(short v);
    bool AddUInt16(unsigned short v);
    bool AddInt32(long v);
    bool AddUInt32(unsigned long v);
    bool AddFloat(float v);
    bool AddDouble(double v);
    // 4-byte length n, the n bytes and a zero byte; null is written as the empty string.
    bool AddString(const char* s);
    bool AddString(const std::string& s);
    // 4-byte length n and b's n bytes.
    bool AddBinary(const CIoBuffer& b);

    bool ReadBool(bool def);
    int ReadBOOL(int def);
    char ReadInt8(char def);
    unsigned char ReadUInt8(unsigned char def);
    short ReadInt16(short def);
    unsigned short ReadUInt16(unsigned short def);
    long ReadInt32(long def);
    unsigned long ReadUInt32(unsigned long def);
    float ReadFloat(float def);
    double ReadDouble(double def);
    // A string record; the result points into the buffer (valid until it next changes), def at the
    // end of the data, null when the record is damaged.
    const char* ReadString(const char* def);
    // The same copied into out; false (out empty, error -3) when no string could be read.
    bool ReadString(std::string& out, const char* def);
    // A nested buffer record into out, which is cleared first. The end of the data or a zero length
    // gives true with out empty; a length beyond the data gives false and error -3.
    bool ReadBinary(CIoBuffer& out, bool allowEnd);

    // Checked reads of record fields. Each throws CIoBufException(-2) when the read offset is at the
    // end of the data; a short read sets error -2, leaves v untouched and returns false.
    // 1-byte fields:
    bool ReadStrict(char& v);
    bool ReadStrict(signed char& v);
    bool ReadStrict(unsigned char& v);
    bool ReadStrict(bool& v);
    // 4-byte fields (long and unsigned long are 32-bit in records):
    bool ReadStrict(int& v);
    bool ReadStrict(unsigned int& v);
    bool ReadStrict(long& v);
    bool ReadStrict(unsigned long& v);
    bool ReadStrict(float& v);
    // 8-byte fields:
    bool ReadStrict(double& v);
    // A string record; a damaged one sets error -3 and returns false.
    bool ReadStrict(MgString& v);

protected:
    // Appends len bytes.
    bool Add(unsigned long len, const void* src);
    // Copies the next len bytes to dst; error -2 and nothing copied when fewer remain.
    bool Read(unsigned long len, void* dst);
    // The address of the next len bytes inside the block (advancing past them), or null and error -2.
    unsigned char* Read(unsigned long len);

private:
    bool ThrowIfAtEnd() const;
    template <typename Wire, typename T>
    bool ReadStrictAs(T& v);
    bool Fail(int code);

    std::uint32_t m_size = 0;
    std::uint32_t m_capacity = 0;
    std::uint16_t m_growBy;
    unsigned char* m_buffer = nullptr;
    std::uint32_t m_readPos = 0;
    std::int32_t m_error = 0;
};
