// Construction and destruction, identity, persistence hooks, property pages,
// attaching to the host and the format checks.
#include "host/Filter.h"
#include "host/ServerCounters.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/TaskMem.h"
#include <cstring>
#include <new>

INonDelegatingUnknown* CFilter::CreateInstance(IUnknown* pUnkOuter, HRESULT* phr) {
    auto* p = new (std::nothrow) CFilter(pUnkOuter, phr);
    if (p == nullptr) *phr = E_OUTOFMEMORY;
    return p;
}

CFilter::CFilter(IUnknown* pUnkOuter, HRESULT* phr)
    : CSoftSynth(this), CDXi(this), CControlInterface(this),
      CBaseFilter(nullptr, static_cast<CDXi*>(this), CLSID_Pandrel),
      m_pUnkOwner(pUnkOuter != nullptr ? pUnkOuter : &m_inner) {
    HRESULT hr = GetCreateResult();
    if (SUCCEEDED(hr)) {
        m_pInput.reset(new (std::nothrow) CFilterInputPin(this, &hr));
        if (!m_pInput && SUCCEEDED(hr)) hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr)) {
        try {
            m_outputs.reserve(kOutputPinReserve);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
    }
    AfxOleLockApp();
    m_bAppLocked = true;
    if (SUCCEEDED(hr)) hr = AddOutputPin(L"Mix Output", nullptr);
    if (SUCCEEDED(hr)) hr = Initialize();
    *phr = hr;
}

CFilter::~CFilter() {
    // Guards against a release from inside the destruction (the sink or the
    // graph may take and drop a reference when told about the pins).
    m_cRef = 1;
    {
        CAutoLock lock(ObjectLock());
        RemoveAllOutputPins();
        // Pins the host kept connected, or whose removal the host's sink
        // refused, still go: nothing may outlive the filter they point to.
        while (!m_outputs.empty()) {
            m_outputs.front()->ForceDisconnect();
            UnlinkOutput(0);
        }
        FlushEvents(); // no note may keep engine state past the engine
    }
    if (m_bAppLocked) AfxOleUnlockApp();
    m_pInput.reset();
    if (m_pPinSink != nullptr) m_pPinSink->Release();
    m_pPinSink = nullptr;
}

HRESULT CFilter::QueryInterface(REFIID riid, void** ppv) {
    return m_pUnkOwner->QueryInterface(riid, ppv);
}
ULONG CFilter::AddRef() { return m_pUnkOwner->AddRef(); }
ULONG CFilter::Release() { return m_pUnkOwner->Release(); }

HRESULT CFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    IUnknown* p = nullptr;
    if (riid == IID_IVudivuVizezud) {
        p = static_cast<IVudivuVizezud*>(this);
    } else if (riid == IID_IMfxSoftSynth || riid == IID_IMfxSoftSynth2 || riid == IID_IMfxNotify ||
               riid == IID_IMfxInputPort) {
        return QuerySoftSynthInterface(riid, ppv);
    } else if (riid == IID_IDispatch) {
        p = static_cast<IDispatch*>(static_cast<IVudivuVizezud*>(this));
    } else if (riid == IID_ISpecifyPropertyPages) {
        p = static_cast<ISpecifyPropertyPages*>(this);
    } else if (riid == IID_IPersistStream) {
        p = static_cast<IPersistStream*>(this);
    } else if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist ||
               riid == IID_IAMovieSetup) {
        return QueryBaseFilterInterface(riid, ppv);
    } else if (riid == IID_IUnknown) {
        // The inner identity: what an aggregating object keeps.
        *ppv = &m_inner;
        NonDelegatingAddRef();
        return S_OK;
    }
    if (p == nullptr) return E_NOINTERFACE;
    *ppv = p;
    p->AddRef();
    return S_OK;
}

ULONG CFilter::NonDelegatingAddRef() { return ++m_cRef; }

ULONG CFilter::NonDelegatingRelease() {
    const ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
}

HRESULT CFilter::GetClassID(CLSID* pClsID) {
    if (pClsID == nullptr) return E_POINTER;
    *pClsID = CLSID_Pandrel;
    return S_OK;
}

HRESULT CFilter::GetPages(CAUUID* pPages) {
    if (pPages == nullptr) return E_POINTER;
    pPages->cElems = 0;
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (pPages->pElems == nullptr) return E_OUTOFMEMORY;
    pPages->cElems = 1;
    pPages->pElems[0] = CLSID_PandrelPropertyPage;
    return S_OK;
}

// Not under the object lock: the engine takes it only briefly, to copy the
// project or to install the one it read, so streaming goes on meanwhile.
HRESULT CFilter::WriteState(IStream* pStm) { return SaveState(pStm); }

HRESULT CFilter::ReadState(IStream* pStm) { return LoadState(pStm); }

HRESULT CFilter::Attach(IUnknown* pContext) {
    CAutoLock lock(ObjectLock());
    // The adapter keeps the sink only to hold it; the pin changes call it.
    void* pv = nullptr;
    if (pContext != nullptr && !IsAttached()) pContext->QueryInterface(IID_IMfxPinChangeSink, &pv);
    auto* pSink = static_cast<IMfxPinChangeNotify*>(pv);
    const HRESULT hr = CSoftSynth::Attach(pContext);
    if (FAILED(hr)) {
        if (pSink != nullptr) pSink->Release();
        return hr;
    }
    if (m_pPinSink != nullptr) m_pPinSink->Release();
    m_pPinSink = pSink;
    return hr;
}

HRESULT CFilter::Detach() {
    CAutoLock lock(ObjectLock());
    const HRESULT hr = CSoftSynth::Detach();
    if (m_pPinSink != nullptr) m_pPinSink->Release();
    m_pPinSink = nullptr;
    return hr;
}

HRESULT CFilter::CheckFormat(PIN_DIRECTION dir, const AM_MEDIA_TYPE* pmt) {
    if (pmt == nullptr) return E_POINTER;
    if (pmt->majortype != MEDIATYPE_Audio || pmt->bTemporalCompression ||
        pmt->pbFormat == nullptr || pmt->cbFormat < sizeof(WAVEFORMATEX))
        return VFW_E_TYPE_NOT_ACCEPTED;
    WAVEFORMATEX wfx;
    std::memcpy(&wfx, pmt->pbFormat, sizeof(wfx));
    const bool bPcm16 =
        (wfx.wFormatTag == WAVE_FORMAT_PCM || wfx.wFormatTag == WAVE_FORMAT_EXTENSIBLE) &&
        wfx.wBitsPerSample == 16;
    const bool bFloat32 = wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && wfx.wBitsPerSample == 32;
    if (!bPcm16 && !bFloat32) return VFW_E_TYPE_NOT_ACCEPTED;
    if (wfx.nChannels != 1 && wfx.nChannels != 2) return VFW_E_TYPE_NOT_ACCEPTED;
    return dir == PINDIR_INPUT ? CheckInputFormat(&wfx) : CheckOutputFormat(&wfx);
}

HRESULT CFilter::CheckTransformTypes(const AM_MEDIA_TYPE* pIn, const AM_MEDIA_TYPE* pOut) {
    HRESULT hr = CheckFormat(PINDIR_INPUT, pIn);
    if (hr == S_OK) hr = CheckFormat(PINDIR_OUTPUT, pOut);
    if (hr != S_OK) return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    WAVEFORMATEX in, out;
    std::memcpy(&in, pIn->pbFormat, sizeof(in));
    std::memcpy(&out, pOut->pbFormat, sizeof(out));
    if (in.nSamplesPerSec != out.nSamplesPerSec) return VFW_E_TYPE_NOT_ACCEPTED;
    return CheckTransform(&in, &out);
}

void CFilter::StoreInputFormat(const AM_MEDIA_TYPE& mt) {
    WAVEFORMATEX wfx;
    std::memcpy(&wfx, mt.pbFormat, sizeof(wfx));
    SetInputFormatRecord(wfx);
}

void CFilter::StoreOutputFormat(const AM_MEDIA_TYPE& mt) {
    WAVEFORMATEX wfx;
    std::memcpy(&wfx, mt.pbFormat, sizeof(wfx));
    SetOutputFormatRecord(wfx);
}
