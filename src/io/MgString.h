// Owned narrow string: a heap copy of a zero-terminated text, or null when empty.
//
// Null is the only empty state; an empty text given explicitly is kept as a one-byte buffer. Bytes
// are copied as they are (GBK passes through). Allocation failure leaves the string empty.
#pragma once

#include <cstddef>

#include "draft2d_export.h"

class DRAFT2D_EXPORT MgString {
public:
    MgString(const char* text = nullptr);
    MgString(const MgString& other);
    ~MgString();

    MgString& operator=(const char* text);
    MgString& operator=(const MgString& other);

    // Releases the text; the string becomes null.
    void clear();
    // Bytes of the text without the terminator; 0 when empty.
    std::size_t length() const;

    // The held pointer itself: null for an empty string.
    char* c_str() { return m_text; }
    const char* c_str() const { return m_text; }
    operator char*() { return m_text; }
    operator const char*() const { return m_text; }

private:
    char* m_text = nullptr;
};
