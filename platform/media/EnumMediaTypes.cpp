#include "platform/media/EnumMediaTypes.h"
#include <new>

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pClone)
    : m_pPin(pPin), m_nVersion(pPin->GetMediaTypeVersion()) {
    m_pPin->AddRef();
    if (pClone != nullptr) {
        m_nPosition = pClone->m_nPosition;
        m_nVersion = pClone->m_nVersion;
    }
}

CEnumMediaTypes::~CEnumMediaTypes() { m_pPin->Release(); }

HRESULT CEnumMediaTypes::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IEnumMediaTypes) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IEnumMediaTypes*>(this);
    AddRef();
    return S_OK;
}

HRESULT CEnumMediaTypes::Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) {
    if (ppMediaTypes == nullptr) return E_POINTER;
    if (pcFetched == nullptr && cMediaTypes > 1) return E_INVALIDARG;
    if (pcFetched != nullptr) *pcFetched = 0;
    if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG fetched = 0;
    while (fetched < cMediaTypes) {
        CMediaType mt;
        if (m_pPin->GetMediaType(m_nPosition, &mt) != S_OK) break;
        ++m_nPosition;
        AM_MEDIA_TYPE* p = CreateMediaType(&mt);
        if (p == nullptr) {
            if (pcFetched != nullptr) *pcFetched = fetched;
            return E_OUTOFMEMORY;
        }
        ppMediaTypes[fetched++] = p;
    }
    if (pcFetched != nullptr) *pcFetched = fetched;
    return fetched == cMediaTypes ? S_OK : S_FALSE;
}

HRESULT CEnumMediaTypes::Skip(ULONG cMediaTypes) {
    if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    // Skipping is walking: the pin alone knows how many types it has.
    while (cMediaTypes-- > 0) {
        CMediaType mt;
        if (m_pPin->GetMediaType(m_nPosition, &mt) != S_OK) return S_FALSE;
        ++m_nPosition;
    }
    return S_OK;
}

HRESULT CEnumMediaTypes::Reset() {
    m_nPosition = 0;
    m_nVersion = m_pPin->GetMediaTypeVersion();
    return S_OK;
}

HRESULT CEnumMediaTypes::Clone(IEnumMediaTypes** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = new (std::nothrow) CEnumMediaTypes(m_pPin, this);
    return *ppEnum != nullptr ? S_OK : E_OUTOFMEMORY;
}
