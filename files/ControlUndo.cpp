// The undo history: 129 slots of 16 pad snapshots with current, oldest and
// newest indices. Undo and Redo swap the live pads with a slot's snapshots,
// so the slot then holds the state to return to.
#include "files/ControlInterface.h"

namespace {
int Next(int i) { return i + 1 == kUndoSlots ? 0 : i + 1; }
int Previous(int i) { return i == 0 ? kUndoSlots - 1 : i - 1; }
} // namespace

void CControlInterface::ClearUndoHistory(CRetiredProject& retired) {
    CAutoLock lock(this);
    for (auto& slot : m_apUndo)
        for (CGrooveTrack*& p : slot) {
            retired.Keep(p);
            p = nullptr;
        }
    m_nUndoCurrent = m_nUndoOldest = m_nUndoNewest = 0;
}

void CControlInterface::RepointKeyMapEntry(int i) {
    TrackKeyInfoImp entry;
    if (m_keyMap.GetEntry(static_cast<DWORD>(i), &entry) == 0) return;
    entry.pTrack = m_pads[i];
    m_keyMap.SetEntry(entry);
}

HRESULT CControlInterface::Checkpoint() {
    CAutoLock lock(this);
    CGrooveTrack* apCopies[kPadCount] = {};
    for (int i = 0; i < kPadCount; ++i) {
        apCopies[i] = m_pads[i]->Snapshot();
        if (apCopies[i] == nullptr) {
            for (CGrooveTrack* p : apCopies) delete p;
            return E_OUTOFMEMORY;
        }
    }
    for (int i = 0; i < kPadCount; ++i) {
        delete m_apUndo[m_nUndoCurrent][i];
        m_apUndo[m_nUndoCurrent][i] = apCopies[i];
    }
    m_nUndoCurrent = Next(m_nUndoCurrent);
    m_nUndoNewest = m_nUndoCurrent;
    if (m_nUndoCurrent == m_nUndoOldest) m_nUndoOldest = Next(m_nUndoOldest);
    return S_OK;
}

HRESULT CControlInterface::Undo() {
    CAutoLock lock(this);
    if (m_nUndoCurrent == m_nUndoOldest) return S_FALSE;
    m_nUndoCurrent = Previous(m_nUndoCurrent);
    for (int i = 0; i < kPadCount; ++i) {
        if (m_apUndo[m_nUndoCurrent][i] == nullptr) continue;
        std::swap(m_pads[i], m_apUndo[m_nUndoCurrent][i]);
        RepointKeyMapEntry(i);
    }
    UpdateAnySolo(); // a restored pad brings its solo flag back
    return S_OK;
}

HRESULT CControlInterface::Redo() {
    CAutoLock lock(this);
    if (m_nUndoCurrent == m_nUndoNewest) return S_FALSE;
    for (int i = 0; i < kPadCount; ++i) {
        if (m_apUndo[m_nUndoCurrent][i] == nullptr) continue;
        std::swap(m_pads[i], m_apUndo[m_nUndoCurrent][i]);
        RepointKeyMapEntry(i);
    }
    m_nUndoCurrent = Next(m_nUndoCurrent);
    UpdateAnySolo();
    return S_OK;
}

void CControlInterface::RenumberSnapshotsForInsert(LONG nAt) {
    CAutoLock lock(this);
    for (auto& slot : m_apUndo)
        for (CGrooveTrack* p : slot) {
            if (p == nullptr) continue;
            for (int g = 0; g < p->GetSize(); ++g)
                if (p->GetAt(g)->m_nSourceIndex >= nAt) ++p->GetAt(g)->m_nSourceIndex;
        }
}

void CControlInterface::RenumberSnapshotsForDelete(LONG nEntry) {
    CAutoLock lock(this);
    for (auto& slot : m_apUndo)
        for (CGrooveTrack* p : slot) {
            if (p == nullptr) continue;
            for (int g = p->GetSize() - 1; g >= 0; --g) {
                CGrooveEvent* pGrain = p->GetAt(g);
                if (pGrain->m_nSourceIndex == nEntry)
                    p->RemoveGrain(g);
                else if (pGrain->m_nSourceIndex > nEntry)
                    --pGrain->m_nSourceIndex;
            }
        }
}
