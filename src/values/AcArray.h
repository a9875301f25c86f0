// AcArray: the growable array of the host's CAD toolkit, for hosts that do not have it.
//
// The library relies on the first three members, in this order and all 32-bit: the element
// pointer, the allocated (physical) length and the used (logical) length; storage comes from
// new T[] and goes back with delete[], and elements are moved with the reallocator policy R.
// A host that has the toolkit can use its own type instead: define DRAFT2D_HOST_ACARRAY_HEADER as
// the name of the header that declares AcArray and AcArrayMemCopyReallocator (for example
// -DDRAFT2D_HOST_ACARRAY_HEADER='"acarray.h"') when building both the library and the host.
#pragma once

#ifdef DRAFT2D_HOST_ACARRAY_HEADER
#include DRAFT2D_HOST_ACARRAY_HEADER
#else

#include <cstring>

// Moves elements bytewise: for types that may be copied with memcpy (mgPoint, plain structs).
template <class T>
class AcArrayMemCopyReallocator {
public:
    static void reallocateArray(T* dst, const T* src, int n) {
        if (n > 0)
            std::memcpy(static_cast<void*>(dst), static_cast<const void*>(src), sizeof(T) * n);
    }
};

// Lengths are ints as in the toolkit; negative lengths passed in are treated as 0.
template <class T, class R = AcArrayMemCopyReallocator<T>>
class AcArray {
public:
    explicit AcArray(int physicalLength = 0, int growLength = 8)
        : mpArray(nullptr), mPhysicalLen(0), mLogicalLen(0), mGrowLen(growLength > 0 ? growLength : 8) {
        if (physicalLength > 0) {
            mpArray = new T[physicalLength];
            mPhysicalLen = physicalLength;
        }
    }
    AcArray(const AcArray& o) : AcArray(o.mLogicalLen, o.mGrowLen) {
        R::reallocateArray(mpArray, o.mpArray, o.mLogicalLen);
        mLogicalLen = o.mLogicalLen;
    }
    AcArray& operator=(const AcArray& o) {
        if (this != &o) {
            AcArray tmp(o);
            swap(tmp);
        }
        return *this;
    }
    ~AcArray() { delete[] mpArray; }

    int length() const { return mLogicalLen; }
    int logicalLength() const { return mLogicalLen; }
    int physicalLength() const { return mPhysicalLen; }
    int growLength() const { return mGrowLen; }
    bool isEmpty() const { return mLogicalLen == 0; }

    T* asArrayPtr() { return mpArray; }
    const T* asArrayPtr() const { return mpArray; }
    // No range check, as in the toolkit; at() is the same.
    T& operator[](int i) { return mpArray[i]; }
    const T& operator[](int i) const { return mpArray[i]; }
    T& at(int i) { return mpArray[i]; }
    const T& at(int i) const { return mpArray[i]; }

    // Replaces the storage by exactly n default-constructed elements, the first min(logical
    // length, n) copied from the old storage; the logical length is cut to n when larger. n = 0
    // releases the storage.
    AcArray& setPhysicalLength(int n) {
        if (n < 0)
            n = 0;
        if (n == mPhysicalLen)
            return *this;
        T* block = n > 0 ? new T[n] : nullptr;
        const int keep = mLogicalLen < n ? mLogicalLen : n;
        if (keep > 0)
            R::reallocateArray(block, mpArray, keep);
        delete[] mpArray;
        mpArray = block;
        mPhysicalLen = n;
        mLogicalLen = keep;
        return *this;
    }
    // Grows the storage when needed; new elements keep whatever the storage holds
    // (default-constructed after growth).
    AcArray& setLogicalLength(int n) {
        if (n < 0)
            n = 0;
        if (n > mPhysicalLen)
            setPhysicalLength(n);
        mLogicalLen = n;
        return *this;
    }
    AcArray& setGrowLength(int n) {
        if (n > 0)
            mGrowLen = n;
        return *this;
    }

    // Appends a copy of v; returns its index.
    int append(const T& v) {
        if (mLogicalLen >= mPhysicalLen) {
            const T copy = v; // v may live in the storage about to be replaced
            setPhysicalLength(mPhysicalLen + mGrowLen);
            mpArray[mLogicalLen] = copy;
        } else {
            mpArray[mLogicalLen] = v;
        }
        return mLogicalLen++;
    }
    AcArray& removeAll() {
        mLogicalLen = 0;
        return *this;
    }
    void swap(AcArray& o) {
        T* p = mpArray;
        mpArray = o.mpArray;
        o.mpArray = p;
        int t = mPhysicalLen;
        mPhysicalLen = o.mPhysicalLen;
        o.mPhysicalLen = t;
        t = mLogicalLen;
        mLogicalLen = o.mLogicalLen;
        o.mLogicalLen = t;
        t = mGrowLen;
        mGrowLen = o.mGrowLen;
        o.mGrowLen = t;
    }

protected:
    T* mpArray;
    int mPhysicalLen;
    int mLogicalLen;
    int mGrowLen;
};

#endif // DRAFT2D_HOST_ACARRAY_HEADER
