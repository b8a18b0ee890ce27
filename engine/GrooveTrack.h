// A pad or a Loop Bin entry: grains sorted by tick start, the pad's lengths and
// derived tempo, and its playback flags. It owns its grains and holds one
// reference on its own wave (Loop Bin entries).
#pragma once
#include "engine/GrooveEvent.h"
#include "interfaces/DXiSynthContext.h"
#include <string>
#include <vector>

class CGrooveTrack {
public:
    explicit CGrooveTrack(CDXiSynthContext* pContext);
    virtual ~CGrooveTrack();
    CGrooveTrack(const CGrooveTrack&) = delete;
    CGrooveTrack& operator=(const CGrooveTrack&) = delete;

    int GetSize() const { return static_cast<int>(m_grains.size()); }
    bool IsEmpty() const { return m_grains.empty(); }
    // Null for an index out of range.
    CGrooveEvent* GetAt(int i) const;

    // Deletes all grains; lengths 0, tempo 100.
    void Clear();
    // Takes ownership of pGrain and appends it; returns its index.
    int AddGrainAtEnd(CGrooveEvent* pGrain);
    // Inserts before the first grain whose tick start is >= the new one's, sets
    // its m_bUseTail from the pad, grows the pad when asked; returns the index.
    int InsertGrainSorted(CGrooveEvent* pGrain, bool bGrow);
    // Appends, sets m_bUseTail from the pad, grows the pad when asked.
    int AppendGrain(CGrooveEvent* pGrain, bool bGrow);
    // Deletes grain i and closes the gap; false for a bad index.
    bool RemoveGrain(int i);
    bool MarkGrain(int i);
    // Deletes every marked grain, then sorts the rest by tick start.
    void Purge();
    // Clears the pad and copies the Loop Bin entry's grains and settings.
    void CopyEntry(const CGrooveTrack& entry);
    // A new pad with every field and a copy of every grain (undo snapshots).
    // Null when memory runs out.
    CGrooveTrack* Snapshot() const;
    // Exchanges the grains (only) with other's; allocates and frees nothing,
    // so grains can leave the engine under its lock and be freed after.
    void SwapGrains(CGrooveTrack& other) noexcept { m_grains.swap(other.m_grains); }

    void SetKey(LONG nKey); // -1..127; others ignored
    void SetTail(BOOL bTail);
    void SetSourceIndex(LONG nIndex);
    LONGLONG GetLength(int nUnit) const;
    void SetLength(int nUnit, LONGLONG nValue); // negative values ignored
    // Takes a reference on pWave and releases the old one.
    void SetWave(CWaveMem* pWave);
    // tempo = beats / seconds x 60, 100.0 for a pad shorter than one sample.
    void RecomputeTempo();
    DWORD SampleRate() const;

    CDXiSynthContext* m_pContext;
    CWaveMem* m_pWave = nullptr;
    LONGLONG m_nLenSamples = 0;
    LONGLONG m_nLenTicks = 0;
    double m_dTempo = 100.0;
    BOOL m_bStarted = 0;
    LONGLONG m_nSyncStart = 0;
    BOOL m_bLooping = 0;
    BOOL m_bSyncedPlayback = 0;
    BOOL m_bLatch = 1;
    BOOL m_bMute = 0;
    BOOL m_bTail = 0;
    BOOL m_bSolo = 0;
    BOOL m_bFollowKey = 0;
    LONG m_nKey = -1;
    std::wstring m_strName;
    std::wstring m_strPath;
    LONG m_nMidiChannel = -1;
    LONG m_nOutput = 0;
    float m_fVolume = 1.0f;
    float m_fPan = 0.5f;

private:
    void GrowToGrain(CGrooveEvent* pGrain);
    void ResetLengthsWhenEmpty();

    std::vector<CGrooveEvent*> m_grains;
};
