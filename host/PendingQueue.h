// The pending queue: events waiting for the buffer that covers their sample
// time, in time order; an event queued with the same time as others goes
// behind them. Nodes come from a pool allocated once; a full pool drops the
// new event and counts it. Used under the object's lock (sequencer threads
// insert, the streaming thread takes due events from the front).
#pragma once
#include "interfaces/SynthEvent.h"

constexpr int kPendingQueueCapacity = 4096;

class CPendingQueue {
public:
    static constexpr int kEnd = -1; // the handle after the last event

    explicit CPendingQueue(int nCapacity = kPendingQueueCapacity);
    ~CPendingQueue();
    CPendingQueue(const CPendingQueue&) = delete;
    CPendingQueue& operator=(const CPendingQueue&) = delete;

    bool IsValid() const { return m_pNodes != nullptr; }
    int GetCount() const { return m_nCount; }
    int GetCapacity() const { return m_nCapacity; }
    DWORD GetDroppedCount() const { return m_dwDropped; }

    // Inserts behind every queued event of equal or earlier sample time;
    // false (and counted) when the pool is full.
    bool Insert(const SynthEvent& ev);
    void RemoveAll();

    // Walking in time order: handles from GetHead and GetNext, kEnd at the end.
    int GetHead() const { return m_nHead; }
    int GetNext(int h) const { return m_pNodes[h].nNext; }
    SynthEvent& GetAt(int h) { return m_pNodes[h].ev; }
    const SynthEvent& GetAt(int h) const { return m_pNodes[h].ev; }
    // Removes the event at h and returns the handle of the one after it.
    int RemoveAt(int h);

private:
    struct Node {
        SynthEvent ev;
        int nPrev;
        int nNext;
    };

    Node* m_pNodes;
    int m_nCapacity;
    int m_nCount = 0;
    int m_nHead = kEnd;
    int m_nTail = kEnd;
    int m_nFree = kEnd; // free nodes, linked through nNext
    DWORD m_dwDropped = 0;
};
