// Construction, attach and detach, transport, name lists, source properties
// and the port target.
#include "host/SoftSynth.h"
#include "files/Instrument.h"
#include <cmath>
#include <new>
#include <type_traits>

CSoftSynth::CSoftSynth(CDXi* pOwner) : m_pOwner(pOwner) {
    CInstrument* pInstrument = new (std::nothrow) CInstrument(L"Pandrel");
    if (pInstrument != nullptr) {
        pInstrument->AddRef();
        m_pInstrument = pInstrument;
    }
    if (m_pInstrument == nullptr || !m_pending.IsValid() || !m_active.IsValid() ||
        !m_sources.IsValid())
        m_hrCreate = E_OUTOFMEMORY;
}

CSoftSynth::~CSoftSynth() {
    // The engine may already be gone: only host references and our own objects.
    ReleaseHostInterfaces();
    if (m_pInstrument != nullptr) m_pInstrument->Release();
    m_pending.RemoveAll();
    m_active.RemoveAll();
}

HRESULT CSoftSynth::QuerySoftSynthInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    IUnknown* p = nullptr;
    if (riid == IID_IMfxSoftSynth || riid == IID_IMfxSoftSynth2)
        p = static_cast<IMfxSoftSynth2*>(this);
    else if (riid == IID_IMfxNotify)
        p = static_cast<IMfxNotify*>(this);
    else if (riid == IID_IMfxInputPort)
        p = static_cast<IMfxInputPort*>(this);
    *ppv = p;
    if (p == nullptr) return E_NOINTERFACE;
    p->AddRef();
    return S_OK;
}

void CSoftSynth::ReleaseHostInterfaces() {
    auto drop = [](auto*& p) {
        if (p != nullptr) p->Release();
        p = nullptr;
    };
    drop(m_pTempoMap);
    drop(m_pConverter);
    drop(m_pPortTarget);
    drop(m_pPinChangeSink);
    drop(m_pPosition);
}

HRESULT CSoftSynth::Attach(IUnknown* pContext) {
    CAutoLock lock(Lock());
    if (pContext == nullptr) return E_POINTER;
    if (m_dwAttached != 0) return E_UNEXPECTED;
    void* pv = nullptr;
    HRESULT hr = pContext->QueryInterface(IID_IMfxTempoMap, &pv);
    if (FAILED(hr) || pv == nullptr) return FAILED(hr) ? hr : E_NOINTERFACE;
    m_pTempoMap = static_cast<IMfxTempoMap*>(pv);

    auto optional = [pContext](REFIID riid, auto*& p) {
        void* q = nullptr;
        if (SUCCEEDED(pContext->QueryInterface(riid, &q)) && q != nullptr) {
            // A port target set earlier is replaced, not leaked.
            if (p != nullptr) p->Release();
            p = static_cast<std::remove_reference_t<decltype(p)>>(q);
        }
    };
    optional(IID_IMfxTimeConverter, m_pConverter);
    optional(IID_IMfxPosition, m_pPosition);
    optional(IID_IMfxPortTarget, m_pPortTarget);
    optional(IID_IMfxPinChangeSink, m_pPinChangeSink);
    m_dwAttached = 1;
    // The host hands over one reference of its context object.
    pContext->Release();
    return S_OK;
}

HRESULT CSoftSynth::Detach() {
    CAutoLock lock(Lock());
    ReleaseHostInterfaces();
    m_dwAttached = 0;
    return S_OK;
}

void CSoftSynth::ResetTransport() {
    m_pOwner->ResetVoices();
    Retire(m_llSampleClock, 1);
    m_pending.RemoveAll();
    m_active.RemoveAll();
}

HRESULT CSoftSynth::TransportStart(LONG lMidiTicks) {
    CAutoLock lock(Lock());
    ResetTransport();
    m_llTickOrigin = MidiTicksToSamples(lMidiTicks);
    m_llSampleClock = 0;
    m_llLoopOffset = 0;
    m_dwPlaying.store(1, std::memory_order_relaxed);
    return S_OK;
}

HRESULT CSoftSynth::TransportLoop(LONG lFirst, LONG lSecond) {
    CAutoLock lock(Lock());
    m_llLoopOffset += MidiTicksToSamples(lSecond) - MidiTicksToSamples(lFirst);
    return S_OK;
}

HRESULT CSoftSynth::TransportStop() {
    CAutoLock lock(Lock());
    ResetTransport();
    m_dwPlaying.store(0, std::memory_order_relaxed);
    return S_OK;
}

HRESULT CSoftSynth::FlushEvents() {
    CAutoLock lock(Lock());
    HRESULT hr = Retire(m_llSampleClock, 1);
    m_pending.RemoveAll();
    m_active.RemoveAll();
    return hr;
}

// The name-list operations are the instrument object's.
HRESULT CSoftSynth::GetBankList(LONG** ppBanks, LONG* plCount) {
    CAutoLock lock(Lock());
    return m_pInstrument->GetBankList(ppBanks, plCount);
}
HRESULT CSoftSynth::QueryPatchFlag(LONG lBank, LONG lPatch) {
    CAutoLock lock(Lock());
    return m_pInstrument->QueryPatchFlag(lBank, lPatch);
}
HRESULT CSoftSynth::ValidatePatch(LONG lBank, LONG lPatch) {
    CAutoLock lock(Lock());
    return m_pInstrument->ValidatePatch(lBank, lPatch);
}
HRESULT CSoftSynth::GetPatchNames(LONG lBank, IMfxNameList** ppList) {
    CAutoLock lock(Lock());
    return m_pInstrument->GetPatchNames(lBank, ppList);
}
HRESULT CSoftSynth::GetNoteNames(LONG lBank, LONG lPatch, IMfxNameList** ppList) {
    CAutoLock lock(Lock());
    return m_pInstrument->GetNoteNames(lBank, lPatch, ppList);
}
HRESULT CSoftSynth::GetControllerNames(IMfxNameList** ppList) {
    CAutoLock lock(Lock());
    return m_pInstrument->GetControllerNames(ppList);
}
HRESULT CSoftSynth::GetRpnNames(IMfxNameList** ppList) {
    CAutoLock lock(Lock());
    return m_pInstrument->GetRpnNames(ppList);
}
HRESULT CSoftSynth::GetNrpnNames(IMfxNameList** ppList) {
    CAutoLock lock(Lock());
    return m_pInstrument->GetNrpnNames(ppList);
}

HRESULT CSoftSynth::GetInstrument(DWORD, IMfxInstrument** ppInstrument) {
    CAutoLock lock(Lock());
    if (ppInstrument == nullptr) return E_POINTER;
    m_pInstrument->AddRef();
    *ppInstrument = m_pInstrument;
    return S_OK;
}

HRESULT CSoftSynth::SetSourceProperty(const MfxSourceProperty* pProperty) {
    CAutoLock lock(Lock());
    if (pProperty == nullptr) return E_POINTER;
    if (pProperty->dwProperty > MFX_PROP_KEY_OFFSET_B) return S_OK;
    SourceState* ps = m_sources.FindOrCreate(pProperty->lSource);
    if (ps == nullptr) return S_OK; // table full: the source keeps the defaults
    const BYTE v = pProperty->byValue;
    switch (pProperty->dwProperty) {
    case MFX_PROP_FORCE_CHANNEL: ps->byForcedChannel = v; break;
    case MFX_PROP_MUTE:
        ps->byMuteBits = static_cast<BYTE>((ps->byMuteBits & ~pProperty->byMask) | v);
        break;
    case MFX_PROP_VELOCITY_OFFSET_A: ps->nVelocityOffsetA = static_cast<int8_t>(v); break;
    case MFX_PROP_VELOCITY_OFFSET_B: ps->nVelocityOffsetB = static_cast<int8_t>(v); break;
    case MFX_PROP_KEY_OFFSET_A: ps->nKeyOffsetA = static_cast<int8_t>(v); break;
    case MFX_PROP_KEY_OFFSET_B: ps->nKeyOffsetB = static_cast<int8_t>(v); break;
    }
    return S_OK;
}

HRESULT CSoftSynth::SetPortTarget(IUnknown* pTarget) {
    CAutoLock lock(Lock());
    if (pTarget != nullptr) pTarget->AddRef();
    if (m_pPortTarget != nullptr) m_pPortTarget->Release();
    m_pPortTarget = pTarget;
    return S_OK;
}

HRESULT CSoftSynth::GetPortTarget(IUnknown** ppTarget) {
    CAutoLock lock(Lock());
    if (ppTarget == nullptr) return E_POINTER;
    *ppTarget = m_pPortTarget;
    if (m_pPortTarget == nullptr) return S_FALSE;
    m_pPortTarget->AddRef();
    return S_OK;
}

void CSoftSynth::SetTempo(double dTempo) {
    if (std::isfinite(dTempo) && dTempo > 0.0) m_dTempo.store(dTempo, std::memory_order_relaxed);
}

LONGLONG CSoftSynth::GetStreamPosition() {
    CAutoLock lock(Lock());
    return m_llStreamPos;
}
void CSoftSynth::SetStreamPosition(LONGLONG llPos) {
    CAutoLock lock(Lock());
    m_llStreamPos = llPos;
}
LONGLONG CSoftSynth::GetSampleClock() {
    CAutoLock lock(Lock());
    return m_llSampleClock;
}
LONGLONG CSoftSynth::GetTickOrigin() {
    CAutoLock lock(Lock());
    return m_llTickOrigin;
}
LONGLONG CSoftSynth::GetLoopOffset() {
    CAutoLock lock(Lock());
    return m_llLoopOffset;
}
BOOL CSoftSynth::IsAttached() {
    CAutoLock lock(Lock());
    return m_dwAttached != 0;
}
DWORD CSoftSynth::GetDroppedEventCount() {
    CAutoLock lock(Lock());
    return m_pending.GetDroppedCount() + m_dwDroppedActive;
}
