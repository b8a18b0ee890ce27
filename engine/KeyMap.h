// The key map: which pads a MIDI note triggers, and by how many semitones each
// is transposed. At most 16 entries, one per pad.
#pragma once
#include "engine/PlayInfo.h"
#include "engine/PreAllocArray.h"
#include "interfaces/DXiSynthContext.h"
#include "interfaces/PandrelConstants.h"

constexpr int kKeyMapCapacity = kPadCount;

class CKeyMap {
public:
    explicit CKeyMap(CDXiSynthContext* pContext);
    virtual ~CKeyMap() = default;

    // Overwrites the entry of the same pad (keys ordered), else appends the
    // record unchanged while fewer than 16 exist. Returns the entry count.
    int SetEntry(const TrackKeyInfoImp& entry);
    // Copies the pad's entry out: 1, or 0 when the pad has none.
    int GetEntry(DWORD nPad, TrackKeyInfoImp* pEntry) const;
    void Clear() { m_entries.Clear(); }
    int GetCount() const { return m_entries.GetCount(); }
    const TrackKeyInfoImp& EntryAt(int i) const { return m_entries[i]; }
    // Clears pList and appends one TrackPlayInfo per matching entry, in entry
    // order; velocity -1 matches any range. Returns the number appended.
    int LookUp(LONG nKey, LONG nChannel, LONG nVelocity,
               CPreAllocArray<TrackPlayInfo>* pList) const;

    // Key of pad i in the default map: the C-major scale from middle C.
    static LONG DefaultKey(int nPad);

private:
    CDXiSynthContext* m_pContext;
    CPreAllocArray<TrackKeyInfoImp> m_entries;
};
