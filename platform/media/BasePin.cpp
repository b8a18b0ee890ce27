#include "platform/media/BasePin.h"
#include "platform/com/TaskMem.h"
#include "platform/media/EnumMediaTypes.h"
#include <cstring>
#include <cwchar>
#include <new>

namespace {
// A check answer other than S_OK or a real error means "not this type".
HRESULT AsTypeAnswer(HRESULT hr) {
    if (hr == S_FALSE || hr == E_FAIL || hr == E_INVALIDARG) return VFW_E_TYPE_NOT_ACCEPTED;
    return hr;
}
} // namespace

CBasePin::CBasePin(const WCHAR* pName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT*,
                   PIN_DIRECTION dir)
    : m_strName(pName != nullptr ? pName : L""), m_pFilter(pFilter), m_pLock(pLock), m_dir(dir) {}

CBasePin::~CBasePin() {
    if (m_Connected != nullptr) m_Connected->Release();
}

HRESULT CBasePin::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IPin) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IPin*>(this);
    AddRef();
    return S_OK;
}

ULONG CBasePin::AddRef() { return static_cast<IBaseFilter*>(m_pFilter)->AddRef(); }
ULONG CBasePin::Release() { return static_cast<IBaseFilter*>(m_pFilter)->Release(); }

HRESULT CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
    if (pReceivePin == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected != nullptr) return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    if (pmt == nullptr) return AgreeMediaType(pReceivePin, nullptr);
    const CMediaType mt(*pmt);
    return AgreeMediaType(pReceivePin, &mt);
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt) {
    if (pmt != nullptr && !pmt->IsPartiallySpecified()) return AttemptConnection(pReceivePin, pmt);
    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    // The peer's types first, then our own.
    for (int pass = 0; pass < 2; ++pass) {
        IEnumMediaTypes* pEnum = nullptr;
        const HRESULT hrEnum =
            pass == 0 ? pReceivePin->EnumMediaTypes(&pEnum) : EnumMediaTypes(&pEnum);
        if (FAILED(hrEnum) || pEnum == nullptr) continue;
        const HRESULT hr = TryMediaTypes(pReceivePin, pmt, pEnum);
        pEnum->Release();
        if (SUCCEEDED(hr)) return S_OK;
        if (hr != E_FAIL && hr != E_INVALIDARG && hr != VFW_E_TYPE_NOT_ACCEPTED &&
            hrFailure == VFW_E_NO_ACCEPTABLE_TYPES)
            hrFailure = hr;
    }
    return hrFailure;
}

HRESULT CBasePin::TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum) {
    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (;;) {
        AM_MEDIA_TYPE* pCandidate = nullptr;
        ULONG fetched = 0;
        if (pEnum->Next(1, &pCandidate, &fetched) != S_OK || fetched != 1 ||
            pCandidate == nullptr) {
            DeleteMediaType(pCandidate);
            return hrFailure;
        }
        const CMediaType candidate(*pCandidate);
        DeleteMediaType(pCandidate);
        if (pmt != nullptr && !candidate.MatchesPartial(pmt)) continue;
        const HRESULT hr = AttemptConnection(pReceivePin, &candidate);
        if (SUCCEEDED(hr)) return S_OK;
        if (hr != E_FAIL && hr != E_INVALIDARG && hr != VFW_E_TYPE_NOT_ACCEPTED &&
            hrFailure == VFW_E_NO_ACCEPTABLE_TYPES)
            hrFailure = hr;
    }
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const CMediaType* pmt) {
    HRESULT hr = CheckConnect(pReceivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    hr = AsTypeAnswer(CheckMediaType(pmt));
    if (hr != S_OK) {
        BreakConnect();
        return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_Connected = pReceivePin;
    m_Connected->AddRef();
    hr = SetMediaType(pmt);
    if (SUCCEEDED(hr)) {
        hr = pReceivePin->ReceiveConnection(this, pmt);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(pReceivePin);
            if (SUCCEEDED(hr)) return S_OK;
        }
    }
    pReceivePin->Disconnect();
    BreakConnect();
    m_Connected->Release();
    m_Connected = nullptr;
    return hr;
}

HRESULT CBasePin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) {
    if (pConnector == nullptr || pmt == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected != nullptr) return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckConnect(pConnector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    const CMediaType mt(*pmt);
    hr = AsTypeAnswer(CheckMediaType(&mt));
    if (hr != S_OK) {
        BreakConnect();
        return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_Connected = pConnector;
    m_Connected->AddRef();
    hr = SetMediaType(&mt);
    if (SUCCEEDED(hr)) {
        hr = CompleteConnect(pConnector);
        if (SUCCEEDED(hr)) return S_OK;
    }
    m_Connected->Release();
    m_Connected = nullptr;
    BreakConnect();
    return hr;
}

HRESULT CBasePin::Disconnect() {
    CAutoLock lock(m_pLock);
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    return DisconnectInternal();
}

HRESULT CBasePin::DisconnectInternal() {
    if (m_Connected == nullptr) return S_FALSE;
    const HRESULT hr = BreakConnect();
    if (FAILED(hr)) return hr;
    m_Connected->Release();
    m_Connected = nullptr;
    return S_OK;
}

HRESULT CBasePin::ConnectedTo(IPin** pPin) {
    if (pPin == nullptr) return E_POINTER;
    *pPin = m_Connected;
    if (m_Connected == nullptr) return VFW_E_NOT_CONNECTED;
    m_Connected->AddRef();
    return S_OK;
}

HRESULT CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    if (pmt == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_Connected == nullptr) {
        std::memset(pmt, 0, sizeof(*pmt));
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

HRESULT CBasePin::QueryPinInfo(PIN_INFO* pInfo) {
    if (pInfo == nullptr) return E_POINTER;
    pInfo->pFilter = m_pFilter;
    pInfo->pFilter->AddRef();
    std::wcsncpy(pInfo->achName, m_strName.c_str(), MAX_PIN_NAME - 1);
    pInfo->achName[MAX_PIN_NAME - 1] = 0;
    pInfo->dir = m_dir;
    return S_OK;
}

HRESULT CBasePin::QueryDirection(PIN_DIRECTION* pPinDir) {
    if (pPinDir == nullptr) return E_POINTER;
    *pPinDir = m_dir;
    return S_OK;
}

HRESULT CBasePin::QueryId(WCHAR** Id) {
    if (Id == nullptr) return E_POINTER;
    const size_t cb = (m_strName.size() + 1) * sizeof(WCHAR);
    *Id = static_cast<WCHAR*>(CoTaskMemAlloc(cb));
    if (*Id == nullptr) return E_OUTOFMEMORY;
    std::memcpy(*Id, m_strName.c_str(), cb);
    return S_OK;
}

HRESULT CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt) {
    if (pmt == nullptr) return E_POINTER;
    const CMediaType mt(*pmt);
    const HRESULT hr = CheckMediaType(&mt);
    return hr == S_OK ? S_OK : S_FALSE;
}

HRESULT CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumMediaTypes(this, nullptr);
    return *ppEnum != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CBasePin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) {
    m_tStart = tStart;
    m_tStop = tStop;
    m_dRate = dRate;
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int iPosition, CMediaType*) {
    return iPosition < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
}

HRESULT CBasePin::SetMediaType(const CMediaType* pmt) {
    m_mt = *pmt;
    return m_mt.cbFormat == pmt->cbFormat ? S_OK : E_OUTOFMEMORY;
}

HRESULT CBasePin::CheckConnect(IPin* pPin) {
    PIN_DIRECTION dir;
    const HRESULT hr = pPin->QueryDirection(&dir);
    if (FAILED(hr)) return hr;
    return dir == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}
