// The Loop Bin operations: loading files (read outside the lock), laying an
// entry on a pad, deleting an entry with the grains cut from it, names and
// slices.
#include "files/BinLoader.h"
#include "files/ControlInterface.h"
#include "platform/kernel/TextConvert.h"

HRESULT CControlInterface::AssignFileToPad(LONG nPad, LONG nEntry) {
    CAutoLock lock(this);
    CGrooveTrack* pPad = PadAt(nPad);
    CGrooveTrack* pEntry = BinEntry(nEntry);
    if (pPad == nullptr || pEntry == nullptr) return E_INVALIDARG;
    pPad->CopyEntry(*pEntry);
    return S_OK;
}

HRESULT CControlInterface::DeleteFile(LONG nEntry) {
    CAutoLock lock(this);
    ResetVoices();
    CGrooveTrack* pEntry = BinEntry(nEntry);
    if (pEntry == nullptr) return S_FALSE;
    for (CGrooveTrack* pPad : m_pads)
        for (int g = pPad->GetSize() - 1; g >= 0; --g)
            if (pPad->GetAt(g)->m_nSourceIndex == nEntry) pPad->RemoveGrain(g);
    delete pEntry;
    m_loopBin.RemoveAt(nEntry);
    auto renumber = [nEntry](CGrooveTrack* pTrack) {
        for (int g = 0; g < pTrack->GetSize(); ++g)
            if (pTrack->GetAt(g)->m_nSourceIndex >= nEntry) --pTrack->GetAt(g)->m_nSourceIndex;
    };
    for (CGrooveTrack* pPad : m_pads) renumber(pPad);
    for (CGrooveTrack* p : m_loopBin) renumber(p);
    // Undoing a later edit must not bring back grains that name a wrong entry.
    RenumberSnapshotsForDelete(nEntry);
    return S_OK;
}

HRESULT CControlInterface::LoadFileToBin(const char* pszName, const char* pszPath, LONG* pnIndex,
                                         LONG* pnStatus) {
    if (pnIndex == nullptr || pnStatus == nullptr || pszPath == nullptr) return E_POINTER;
    return LoadFileToBinEntry(this, pszPath, *pnIndex, pnIndex, pnStatus, pszName);
}

void CControlInterface::OnBinEntryInserted(LONG nAt) {
    // The snapshots' grains follow the entries that moved up.
    RenumberSnapshotsForInsert(nAt);
}

HRESULT CControlInterface::LoadFileToPad(LONG nPad, const char* pszName, const char* pszPath,
                                         LONG* pnIndex, LONG* pnStatus) {
    if (pnIndex == nullptr || pnStatus == nullptr || pszPath == nullptr) return E_POINTER;
    {
        // Under the lock: a project load on another thread replaces the pads.
        CAutoLock lock(this);
        if (PadAt(nPad) == nullptr) return E_INVALIDARG;
    }
    const HRESULT hr = LoadFileToBin(pszName, pszPath, pnIndex, pnStatus);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE && *pnStatus != kLoadStatusFormatChanged) return hr;
    CAutoLock lock(this);
    CGrooveTrack* pEntry = BinEntry(*pnIndex);
    if (pEntry == nullptr) return E_FAIL;
    PadAt(nPad)->CopyEntry(*pEntry);
    return S_OK;
}

HRESULT CControlInterface::GetFileCount(LONG* pnCount) {
    if (pnCount == nullptr) return E_POINTER;
    CAutoLock lock(this);
    *pnCount = BinCount();
    return S_OK;
}

HRESULT CControlInterface::GetFileName(LONG nEntry, BOOL bPath, char* pszText) {
    if (pszText == nullptr) return S_OK;
    CAutoLock lock(this);
    const CGrooveTrack* pEntry = BinEntry(nEntry);
    if (pEntry == nullptr) return S_OK;
    WideToMultiByte(bPath ? pEntry->m_strPath.c_str() : pEntry->m_strName.c_str(), pszText,
                    kTextBufferLength);
    return S_OK;
}

HRESULT CControlInterface::GetFileSlices(LONG nEntry, GrainSummary** ppSlices, LONG* pnCount) {
    if (ppSlices == nullptr || pnCount == nullptr) return E_POINTER;
    CAutoLock lock(this);
    const CGrooveTrack* pEntry = BinEntry(nEntry);
    if (pEntry == nullptr) {
        *pnCount = 0;
        return S_FALSE;
    }
    return Summarise(*pEntry, false, ppSlices, pnCount);
}
