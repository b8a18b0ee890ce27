#include "host/PendingQueue.h"
#include <new>

CPendingQueue::CPendingQueue(int nCapacity)
    : m_pNodes(new (std::nothrow) Node[nCapacity > 0 ? nCapacity : 1]),
      m_nCapacity(m_pNodes != nullptr ? (nCapacity > 0 ? nCapacity : 1) : 0) {
    RemoveAll();
}

CPendingQueue::~CPendingQueue() { delete[] m_pNodes; }

void CPendingQueue::RemoveAll() {
    m_nCount = 0;
    m_nHead = m_nTail = kEnd;
    m_nFree = kEnd;
    for (int i = m_nCapacity - 1; i >= 0; --i) {
        m_pNodes[i].nNext = m_nFree;
        m_nFree = i;
    }
}

bool CPendingQueue::Insert(const SynthEvent& ev) {
    if (m_nFree == kEnd) {
        ++m_dwDropped;
        return false;
    }
    int n = m_nFree;
    m_nFree = m_pNodes[n].nNext;
    m_pNodes[n].ev = ev;

    // Hosts queue mostly in time order, so the place is found from the back.
    int after = m_nTail;
    while (after != kEnd && m_pNodes[after].ev.llSampleTime > ev.llSampleTime)
        after = m_pNodes[after].nPrev;

    int before = after == kEnd ? m_nHead : m_pNodes[after].nNext;
    m_pNodes[n].nPrev = after;
    m_pNodes[n].nNext = before;
    if (after == kEnd)
        m_nHead = n;
    else
        m_pNodes[after].nNext = n;
    if (before == kEnd)
        m_nTail = n;
    else
        m_pNodes[before].nPrev = n;
    ++m_nCount;
    return true;
}

int CPendingQueue::RemoveAt(int h) {
    Node& node = m_pNodes[h];
    int next = node.nNext;
    if (node.nPrev == kEnd)
        m_nHead = next;
    else
        m_pNodes[node.nPrev].nNext = next;
    if (next == kEnd)
        m_nTail = node.nPrev;
    else
        m_pNodes[next].nPrev = node.nPrev;
    node.nNext = m_nFree;
    m_nFree = h;
    --m_nCount;
    return next;
}
