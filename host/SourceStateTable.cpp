#include "host/SourceStateTable.h"
#include <new>

CSourceStateTable::CSourceStateTable(int nCapacity)
    : m_pEntries(new (std::nothrow) Entry[nCapacity > 0 ? nCapacity : 1]),
      m_nCapacity(m_pEntries != nullptr ? (nCapacity > 0 ? nCapacity : 1) : 0) {}

CSourceStateTable::~CSourceStateTable() { delete[] m_pEntries; }

int CSourceStateTable::LowerBound(LONG lSource) const {
    int lo = 0;
    int hi = m_nCount;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (m_pEntries[mid].lSource < lSource)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

SourceState* CSourceStateTable::Find(LONG lSource) {
    int i = LowerBound(lSource);
    if (i < m_nCount && m_pEntries[i].lSource == lSource) return &m_pEntries[i].state;
    return nullptr;
}

SourceState* CSourceStateTable::FindOrCreate(LONG lSource) {
    int i = LowerBound(lSource);
    if (i < m_nCount && m_pEntries[i].lSource == lSource) return &m_pEntries[i].state;
    if (m_nCount >= m_nCapacity) return nullptr;
    for (int k = m_nCount; k > i; --k) m_pEntries[k] = m_pEntries[k - 1];
    m_pEntries[i].lSource = lSource;
    m_pEntries[i].state = SourceState{};
    ++m_nCount;
    return &m_pEntries[i].state;
}
