// Delimited rows of text: splitting, building, and the escaped text form.
//
// A row is a line of items separated by one split character (',' by default). Items may be
// grouped in double quotes so that they can hold the split character, and a backslash introduces
// an escape (\n \r \t \" \' \\ and \,). Text is narrow GBK (code page 936): bytes 0x80-0xFF are
// ordinary characters.
//
// The escaped form written by ToEscStr maps TAB, LF, CR, double quote, single quote and backslash
// to two-character escapes, drops the other control characters (1-31) and keeps everything else,
// the split character included (an item that may hold it is quoted instead). A backslash that
// already starts one of the six escapes is copied as it is, so escaping such a pair twice does not
// double it.
#pragma once

#include "draft2d_export.h"

#include <deque>
#include <string>

class DRAFT2D_EXPORT CStringSplit {
public:
    CStringSplit();
    CStringSplit(const CStringSplit& other);
    CStringSplit& operator=(const CStringSplit& other);
    virtual ~CStringSplit();

    // Frees every item; the split character and the work buffer stay.
    void Clear();
    void SetSplitChar(char c) { splitChar = c; }

    int GetCount() const { return count; }
    // Item i, or null when i is out of range (an item itself may also be null).
    char* GetItem(int i) const;
    // -1 out of range, 0 for a null item, else the item's length.
    int GetItemSize(int i) const;
    // Leading blanks and bytes 0x80-0xFF skipped; "0x"/"0X" reads hexadecimal, else decimal.
    // 0 out of range. The value is the 32-bit quantity of the row (decimal saturates).
    long GetItemInteger(int i) const;
    double GetItemDouble(int i) const;

    // Appends s, escaped, optionally right-trimmed first and wrapped in double quotes.
    bool AddString(const char* s, bool trimRight, bool quote);
    // radix 16 gives "0x%08X", radix 10 decimal, any other radix an empty item.
    bool AddInteger(long v, int radix);
    // decimals limited to 0..7; 0 writes the value truncated toward zero.
    bool AddDouble(double v, int decimals);
    // The items joined with the split character, without escaping or quoting.
    void GetRowStr(std::string& out) const;

    // Splits s (len bytes, or up to its zero byte when len < 0) into items. Leading blanks and
    // control characters of an item are skipped and trailing ones trimmed. false for a null s, a
    // final lone backslash or an allocation failure (the items made before it stay).
    bool SplitString(const char* s, int len, bool quotes);

    // Type letters (either case): B 0..255, C -128..127, N -32768..32767, I/L 32-bit integers,
    // F/D real numbers within the float/double range, H hexadecimal, S anything.
    static bool CheckDataType(const char* item, char type);
    // i >= 0 checks item i against types[0]; i < 0 checks every item against its own letter
    // and needs exactly one letter per item.
    bool CheckItemType(const char* types, int i) const;

    // Escaped text. Lengths exclude the terminator; cap includes it. -1 marks a result that does
    // not fit, a bad destination, or (unescaping) an unknown escape or a final lone backslash.
    static int StrLenAfterWithEsc(const char* s, int len);
    static int ToEscStr(char* dst, int cap, const char* s, int len);
    static int StrLenAfterNoEsc(const char* s, int len);
    static int ToStrNoEsc(char* dst, int cap, const char* s, int len);
    static char* StrTrimRight(char* s);

    // A list of strings as one escaped text: the escaped strings joined with backslash-n.
    static int CharCountOfStringList(const std::deque<std::string>& l);
    static int StringListToEscStr(std::deque<std::string>& l, char* buf, int cap);
    static bool EscStrToStringList(std::deque<std::string>& l, const char* s, int len);
    static void EscStrToAnsiString(std::string& out, const char* s, int len);

    // Plain lines: split at LF (control characters dropped, the last line only when not empty)
    // and joined with LF.
    static void StrToStrings(std::deque<std::string>& l, const char* s);
    static void StringsToStr(std::string& out, const std::deque<std::string>& l);

private:
    bool SetSubStrMaxLen(int n);
    int AddItem(const char* s);
    bool AddCharToSubStr(char c, int j);
    bool SplitRow(const char* s, int len, bool quotes, bool escapes);

    char splitChar;
    int subStrMaxLen;
    char* subStr;
    int count;
    char** items;
    int itemCapacity;
};

// Appends to out every maximal run of characters of s that are not in delims (no empty tokens).
DRAFT2D_EXPORT void split(const std::string& s, const std::string& delims, std::deque<std::string>& out);
