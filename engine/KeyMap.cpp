#include "engine/KeyMap.h"
#include "engine/GrooveTrack.h"
#include <algorithm>

namespace {
constexpr LONG kDefaultKeys[kKeyMapCapacity] = {60, 62, 64, 65, 67, 69, 71, 72,
                                                74, 76, 77, 79, 81, 83, 84, 86};
}

CKeyMap::CKeyMap(CDXiSynthContext* pContext) : m_pContext(pContext), m_entries(kKeyMapCapacity) {}

LONG CKeyMap::DefaultKey(int nPad) {
    return nPad >= 0 && nPad < kKeyMapCapacity ? kDefaultKeys[nPad] : -1;
}

int CKeyMap::SetEntry(const TrackKeyInfoImp& entry) {
    for (TrackKeyInfoImp& e : m_entries) {
        if (e.nPad != entry.nPad) continue;
        e.pTrack = entry.pTrack;
        e.nLowKey = std::min(entry.nLowKey, entry.nHighKey);
        e.nHighKey = std::max(entry.nLowKey, entry.nHighKey);
        e.nRootKey = entry.nRootKey;
        e.nLowVelocity = entry.nLowVelocity;
        e.nHighVelocity = entry.nHighVelocity;
        return m_entries.GetCount();
    }
    m_entries.Add(entry);
    return m_entries.GetCount();
}

int CKeyMap::GetEntry(DWORD nPad, TrackKeyInfoImp* pEntry) const {
    for (const TrackKeyInfoImp& e : m_entries) {
        if (e.nPad != nPad) continue;
        if (pEntry != nullptr) *pEntry = e;
        return 1;
    }
    return 0;
}

int CKeyMap::LookUp(LONG nKey, LONG nChannel, LONG nVelocity,
                    CPreAllocArray<TrackPlayInfo>* pList) const {
    pList->Clear();
    for (const TrackKeyInfoImp& e : m_entries) {
        const CGrooveTrack* pTrack = e.pTrack;
        if (pTrack == nullptr) continue;
        if (pTrack->m_nMidiChannel != -1 && pTrack->m_nMidiChannel != nChannel) continue;
        if (nKey < e.nLowKey || nKey > e.nHighKey) continue;
        if (nVelocity != -1 && (nVelocity < e.nLowVelocity || nVelocity > e.nHighVelocity))
            continue;
        TrackPlayInfo info;
        info.nKind = kPlayKindPad;
        info.bLatch = pTrack->m_bLatch;
        info.nPad = static_cast<LONG>(e.nPad);
        info.pTrack = e.pTrack;
        info.nTranspose = nKey - e.nRootKey;
        info.fGain = 1.0f;
        pList->Add(info);
    }
    return pList->GetCount();
}
