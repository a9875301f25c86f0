#include "io/MgString.h"

#include <cstdlib>
#include <cstring>

namespace {

// A heap copy of text with its terminator, or null for null text or a failed allocation.
char* Duplicate(const char* text) {
    if (text == nullptr)
        return nullptr;
    const std::size_t n = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(n));
    if (copy != nullptr)
        std::memcpy(copy, text, n);
    return copy;
}

} // namespace

MgString::MgString(const char* text) : m_text(Duplicate(text)) {}

MgString::MgString(const MgString& other) : m_text(Duplicate(other.m_text)) {}

MgString::~MgString() {
    clear();
}

MgString& MgString::operator=(const char* text) {
    if (text == m_text)
        return *this;
    // The text may lie inside the held buffer (a tail of it): copy before releasing.
    char* copy = Duplicate(text);
    std::free(m_text);
    m_text = copy;
    return *this;
}

MgString& MgString::operator=(const MgString& other) {
    if (&other == this || other.m_text == m_text)
        return *this;
    return *this = other.m_text;
}

void MgString::clear() {
    std::free(m_text);
    m_text = nullptr;
}

std::size_t MgString::length() const {
    return m_text != nullptr ? std::strlen(m_text) : 0;
}
