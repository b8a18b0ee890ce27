// Fixed pool of note play states: ActivateNote takes one on the audio thread,
// RetireNote gives it back, and nothing is allocated after construction.
#pragma once
#include "engine/PlayInfo.h"
#include <new>

constexpr int kNoteStateCapacity = 256;

class CPlayStatePool {
public:
    explicit CPlayStatePool(int nCapacity = kNoteStateCapacity)
        : m_pStates(new (std::nothrow) PlayState[nCapacity]),
          m_ppFree(new (std::nothrow) PlayState*[nCapacity]) {
        if (m_pStates == nullptr || m_ppFree == nullptr) return;
        for (int i = 0; i < nCapacity; ++i) m_ppFree[i] = &m_pStates[nCapacity - 1 - i];
        m_nFree = m_nCapacity = nCapacity;
    }
    ~CPlayStatePool() {
        delete[] m_pStates;
        delete[] m_ppFree;
    }
    CPlayStatePool(const CPlayStatePool&) = delete;
    CPlayStatePool& operator=(const CPlayStatePool&) = delete;

    // A zeroed state, or null when every state is in use.
    PlayState* Take() {
        if (m_nFree == 0) return nullptr;
        PlayState* p = m_ppFree[--m_nFree];
        *p = PlayState{};
        return p;
    }
    // Ignores pointers that are not from this pool.
    void Give(PlayState* p) {
        if (!Owns(p) || m_nFree >= m_nCapacity) return;
        m_ppFree[m_nFree++] = p;
    }
    bool Owns(const PlayState* p) const { return p >= m_pStates && p < m_pStates + m_nCapacity; }
    int InUse() const { return m_nCapacity - m_nFree; }

private:
    PlayState* m_pStates;
    PlayState** m_ppFree;
    int m_nCapacity = 0;
    int m_nFree = 0;
};
