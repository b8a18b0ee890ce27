// The active list: the events that have left the pending queue and are
// sounding (or were just dispatched), in arrival order, in storage allocated
// once. The host framework appends and retires under the object's lock; the
// engine's Process reads it (and writes durations and note states) under the
// same lock.
#pragma once
#include "interfaces/SynthEvent.h"
#include "platform/com/HResult.h"
#include <new>

constexpr int kActiveListCapacity = 1024;

class CSynthEventList {
public:
    explicit CSynthEventList(int nCapacity = kActiveListCapacity)
        : m_pEvents(new (std::nothrow) SynthEvent[nCapacity > 0 ? nCapacity : 1]),
          m_nCapacity(m_pEvents != nullptr ? (nCapacity > 0 ? nCapacity : 1) : 0) {}
    ~CSynthEventList() { delete[] m_pEvents; }
    CSynthEventList(const CSynthEventList&) = delete;
    CSynthEventList& operator=(const CSynthEventList&) = delete;

    bool IsValid() const { return m_pEvents != nullptr; }
    int GetCount() const { return m_nCount; }
    int GetCapacity() const { return m_nCapacity; }
    bool IsEmpty() const { return m_nCount == 0; }
    bool IsFull() const { return m_nCount >= m_nCapacity; }

    SynthEvent& operator[](int i) { return m_pEvents[i]; }
    const SynthEvent& operator[](int i) const { return m_pEvents[i]; }
    SynthEvent* begin() { return m_pEvents; }
    SynthEvent* end() { return m_pEvents + m_nCount; }
    const SynthEvent* begin() const { return m_pEvents; }
    const SynthEvent* end() const { return m_pEvents + m_nCount; }

    // Appends at the back; false (nothing stored) when the list is full.
    bool AddTail(const SynthEvent& ev) {
        if (m_nCount >= m_nCapacity) return false;
        m_pEvents[m_nCount++] = ev;
        return true;
    }
    void RemoveAll() { m_nCount = 0; }

    // Walks front to back calling fn(SynthEvent&): a negative answer stops the
    // walk and is returned (the rest stays), 0 removes the event, a positive
    // answer keeps it. The order of the kept events is unchanged.
    template <typename F> HRESULT Sweep(F fn) {
        int w = 0;
        HRESULT hr = S_OK;
        int r = 0;
        for (; r < m_nCount; ++r) {
            HRESULT a = fn(m_pEvents[r]);
            if (a < 0) {
                hr = a;
                break;
            }
            if (a > 0) {
                if (w != r) m_pEvents[w] = m_pEvents[r];
                ++w;
            }
        }
        for (; r < m_nCount; ++r, ++w)
            if (w != r) m_pEvents[w] = m_pEvents[r];
        m_nCount = w;
        return hr;
    }

private:
    SynthEvent* m_pEvents;
    int m_nCapacity;
    int m_nCount = 0;
};
