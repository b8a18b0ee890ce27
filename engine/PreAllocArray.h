// A fixed-capacity array allocated once. Appending to a full array drops the
// element without error; nothing ever reallocates, so the render path can use
// it freely.
#pragma once
#include <cstddef>
#include <new>

template <typename T> class CPreAllocArray {
public:
    explicit CPreAllocArray(int nCapacity)
        : m_pData(new (std::nothrow) T[nCapacity > 0 ? nCapacity : 1]()),
          m_nCapacity(m_pData != nullptr ? nCapacity : 0) {}
    virtual ~CPreAllocArray() { delete[] m_pData; }
    CPreAllocArray(const CPreAllocArray&) = delete;
    CPreAllocArray& operator=(const CPreAllocArray&) = delete;

    int GetCount() const { return m_nCount; }
    int GetCapacity() const { return m_nCapacity; }
    bool IsFull() const { return m_nCount >= m_nCapacity; }
    void Clear() { m_nCount = 0; }

    // Returns the index of the new element, or -1 when the array is full.
    int Add(const T& value) {
        if (m_nCount >= m_nCapacity) return -1;
        m_pData[m_nCount] = value;
        return m_nCount++;
    }
    // Inserts at i (0..count), moving later elements up; -1 when full or out of range.
    int InsertAt(int i, const T& value) {
        if (m_nCount >= m_nCapacity || i < 0 || i > m_nCount) return -1;
        for (int k = m_nCount; k > i; --k) m_pData[k] = m_pData[k - 1];
        m_pData[i] = value;
        ++m_nCount;
        return i;
    }
    // Removes element i, moving later elements down; false when out of range.
    bool RemoveAt(int i) {
        if (i < 0 || i >= m_nCount) return false;
        for (int k = i; k + 1 < m_nCount; ++k) m_pData[k] = m_pData[k + 1];
        --m_nCount;
        return true;
    }

    T& operator[](int i) { return m_pData[i]; }
    const T& operator[](int i) const { return m_pData[i]; }
    T* begin() { return m_pData; }
    T* end() { return m_pData + m_nCount; }
    const T* begin() const { return m_pData; }
    const T* end() const { return m_pData + m_nCount; }

private:
    T* m_pData;
    int m_nCapacity;
    int m_nCount = 0;
};
