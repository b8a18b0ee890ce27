#include "engine/VudivuVizezud.h"
#include "engine/LoopLoader.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

CVudivuVizezud::CVudivuVizezud(CDXiSynthContext* pContext)
    : CDXi(pContext), m_playList(kPlayListCapacity), m_playList2(kPlayListCapacity),
      m_pads(kPadCount), m_loopBin(kLoopBinCapacity), m_auditionPad(pContext), m_keyMap(pContext),
      m_segments(kSegmentListCapacity), m_pScratch(new (std::nothrow) float[kScratchFloats]()) {
    m_renderer.Init();
    for (int i = 0; i < kPadCount; ++i) {
        auto* pPad = new (std::nothrow) CGrooveTrack(pContext);
        if (pPad == nullptr) break;
        pPad->m_nOutput = 0;
        m_pads.Add(pPad);
    }
    ResetPadsAndKeyMap();
    for (DWORD& id : m_adwOutputPins) id = 0;
}

CVudivuVizezud::~CVudivuVizezud() {
    {
        CAutoLock lock(this);
        ResetVoices();
        for (auto& slot : m_apUndo)
            for (CGrooveTrack*& p : slot) {
                delete p;
                p = nullptr;
            }
        m_auditionPad.Clear();
        for (CGrooveTrack* p : m_pads) delete p;
        m_pads.Clear();
        for (CGrooveTrack* p : m_loopBin) delete p;
        m_loopBin.Clear();
    }
    delete[] m_pScratch;
}

void CVudivuVizezud::ResetPadsAndKeyMap() {
    m_keyMap.Clear();
    for (CGrooveTrack* pPad : m_pads) {
        pPad->m_nMidiChannel = -1;
        pPad->m_nOutput = 0;
        pPad->m_nKey = -1;
        pPad->SetTail(0);
        pPad->m_bFollowKey = 0;
        pPad->m_bLatch = 1;
    }
    for (int i = 0; i < m_pads.GetCount(); ++i) {
        TrackKeyInfoImp entry;
        entry.nPad = static_cast<DWORD>(i);
        entry.pTrack = m_pads[i];
        entry.nLowKey = entry.nHighKey = entry.nRootKey = CKeyMap::DefaultKey(i);
        entry.nLowVelocity = 0;
        entry.nHighVelocity = 127;
        m_keyMap.SetEntry(entry);
    }
}

HRESULT CVudivuVizezud::Initialize() {
    m_dwMixPin = m_pSynthContext != nullptr ? m_pSynthContext->GetOutputPinId(0) : 0xFFFFFFFF;
    for (int n = 1; n <= kPadCount; ++n) {
        const HRESULT hr = CreateOutput(n);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CVudivuVizezud::CreateOutput(int n) {
    if (n < 1 || n > kPadCount) return E_INVALIDARG;
    CAutoLock lock(this);
    if (m_adwOutputPins[n - 1] != 0) return S_FALSE;
    if (m_pSynthContext == nullptr) return E_FAIL;
    wchar_t name[16];
    std::swprintf(name, 16, L"Chan %d", n);
    DWORD id = 0;
    const HRESULT hr = m_pSynthContext->AddOutputPin(name, &id);
    if (SUCCEEDED(hr)) m_adwOutputPins[n - 1] = id;
    return hr;
}

HRESULT CVudivuVizezud::CheckInputFormat(const WAVEFORMATEX* pwfx) {
    if (m_pSynthContext == nullptr) return E_FAIL;
    return pwfx != nullptr && pwfx->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ? S_OK
                                                                         : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVudivuVizezud::CheckOutputFormat(const WAVEFORMATEX* pwfx) {
    if (m_pSynthContext == nullptr) return E_FAIL;
    return pwfx != nullptr && pwfx->wFormatTag == WAVE_FORMAT_IEEE_FLOAT ? S_OK
                                                                         : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVudivuVizezud::CheckTransform(const WAVEFORMATEX* pIn, const WAVEFORMATEX* pOut) {
    const bool ok = pIn != nullptr && pOut != nullptr &&
                    pIn->wFormatTag == WAVE_FORMAT_IEEE_FLOAT &&
                    pOut->wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVudivuVizezud::ProposeOutputFormat(WAVEFORMATEX*, AM_MEDIA_TYPE*) { return S_OK; }

HRESULT CVudivuVizezud::FilterEvent(SynthEvent* pEvent) {
    return pEvent != nullptr && pEvent->rec.dwType == kEventNote ? S_OK : S_FALSE;
}

HRESULT CVudivuVizezud::LoadState(IStream*) { return E_NOTIMPL; }

HRESULT CVudivuVizezud::SaveState(IStream*) { return E_NOTIMPL; }

HRESULT CVudivuVizezud::ResetVoices() {
    CAutoLock lock(this);
    for (PlayState& s : m_padStates) s = PlayState{};
    for (PlayState& s : m_binStates) s = PlayState{};
    m_auditionState = PlayState{};
    for (PadOwnership& o : m_ownership) o = PadOwnership{};
    std::memset(m_abStartRequest, 0, sizeof(m_abStartRequest));
    std::memset(m_abSounded, 0, sizeof(m_abSounded));
    std::memset(m_abActive, 0, sizeof(m_abActive));
    m_nBufferPos = -1;
    m_nRunningSamples = -1;
    return S_OK;
}

void CVudivuVizezud::RecomputeTimeConstants() {
    const LONGLONG nRate = m_wfxOut.nSamplesPerSec;
    m_nSamplesPerMs = nRate / 1000;
    m_nReleaseSamples = nRate * 20 / 1000;
}

bool CVudivuVizezud::EnsureOutputFormat() {
    CAutoLock lock(this);
    if (m_wfxOut.wFormatTag == WAVE_FORMAT_IEEE_FLOAT &&
        (m_wfxOut.nChannels == 1 || m_wfxOut.nChannels == 2) && m_wfxOut.nSamplesPerSec != 0) {
        RecomputeTimeConstants();
        return false;
    }
    const DWORD nRate = m_pSynthContext != nullptr ? m_pSynthContext->GetSampleRate() : 44100;
    m_wfxOut = MakeFloatFormat(2, nRate);
    RecomputeTimeConstants();
    return true;
}

LONG CVudivuVizezud::FindBinEntry(const wchar_t* pszPath) const {
    if (pszPath == nullptr) return -1;
    for (int i = 0; i < m_loopBin.GetCount(); ++i)
        if (m_loopBin[i]->m_strPath == pszPath) return i;
    return -1;
}

HRESULT CVudivuVizezud::LoadSourceToBin(const LoopSource& src, const wchar_t* pszPath, LONG nIndex,
                                        LONG* pnIndex, LONG* pnStatus, const wchar_t* pszName) {
    if (pnIndex == nullptr || pnStatus == nullptr) return E_POINTER;
    *pnIndex = -1;
    *pnStatus = 0;
    bool bChanged = false;
    // The entry is decoded for the output rate outside the lock; should the
    // host change the rate meanwhile, it is decoded again for the new one.
    for (;;) {
        const WAVEFORMATEX wfxOut = CurrentOutputFormat(&bChanged);
        {
            CAutoLock lock(this);
            const LONG nExisting = FindBinEntry(pszPath);
            if (nExisting >= 0) return FinishBinLoad(nExisting, bChanged, pnIndex, pnStatus);
        }
        std::unique_ptr<CGrooveTrack> pEntry(new (std::nothrow) CGrooveTrack(m_pSynthContext));
        if (pEntry == nullptr) return E_OUTOFMEMORY;
        const HRESULT hr = LoadLoopIntoEntry(pEntry.get(), src, wfxOut, nIndex, pszPath);
        if (FAILED(hr)) return hr;
        pEntry->m_bLooping = 1; // a preview of any entry loops until stopped
        if (pszName != nullptr) pEntry->m_strName = pszName;

        CAutoLock lock(this);
        if (m_wfxOut.nSamplesPerSec != wfxOut.nSamplesPerSec) continue; // freed unlocked
        // Another thread may have loaded the same file meanwhile.
        const LONG nExisting = FindBinEntry(pszPath);
        if (nExisting >= 0) return FinishBinLoad(nExisting, bChanged, pnIndex, pnStatus);
        if (m_loopBin.IsFull()) {
            *pnStatus = kLoadStatusBinFull;
            return S_FALSE;
        }
        const LONG nAt = InsertBinEntry(pEntry.release(), nIndex);
        OnBinEntryInserted(nAt);
        return FinishBinLoad(nAt, bChanged, pnIndex, pnStatus);
    }
}

WAVEFORMATEX CVudivuVizezud::CurrentOutputFormat(bool* pbChanged) {
    CAutoLock lock(this);
    if (EnsureOutputFormat()) *pbChanged = true;
    return m_wfxOut;
}

HRESULT CVudivuVizezud::FinishBinLoad(LONG nAt, bool bChanged, LONG* pnIndex, LONG* pnStatus) {
    *pnIndex = nAt;
    *pnStatus = bChanged ? kLoadStatusFormatChanged : 0;
    return bChanged ? S_FALSE : S_OK;
}

LONG CVudivuVizezud::InsertBinEntry(CGrooveTrack* pEntry, LONG nIndex) {
    // An index past the last entry appends, so the bin never has holes.
    const int nAt = nIndex >= 0 && nIndex < kLoopBinCapacity && nIndex < m_loopBin.GetCount()
                        ? nIndex
                        : m_loopBin.GetCount();
    m_loopBin.InsertAt(nAt, pEntry);
    // Entries that moved up keep their grains pointing at themselves, and
    // pad grains cut from them follow.
    for (int i = nAt; i < m_loopBin.GetCount(); ++i) m_loopBin[i]->SetSourceIndex(i);
    for (CGrooveTrack* pPad : m_pads)
        for (int g = 0; g < pPad->GetSize(); ++g) {
            CGrooveEvent* pGrain = pPad->GetAt(g);
            if (pGrain->m_nSourceIndex >= nAt) ++pGrain->m_nSourceIndex;
        }
    return nAt;
}
