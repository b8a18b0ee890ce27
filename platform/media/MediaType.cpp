#include "platform/media/MediaType.h"
#include "platform/com/TaskMem.h"
#include <cstring>

void FreeMediaType(AM_MEDIA_TYPE& mt) {
    if (mt.cbFormat != 0 || mt.pbFormat != nullptr) CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk != nullptr) mt.pUnk->Release();
    mt.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE* pmt) {
    if (pmt == nullptr) return;
    FreeMediaType(*pmt);
    CoTaskMemFree(pmt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* pDst, const AM_MEDIA_TYPE* pSrc) {
    if (pDst == nullptr || pSrc == nullptr) return E_POINTER;
    *pDst = *pSrc;
    if (pSrc->cbFormat != 0 && pSrc->pbFormat != nullptr) {
        pDst->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pSrc->cbFormat));
        if (pDst->pbFormat == nullptr) {
            pDst->cbFormat = 0;
            pDst->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(pDst->pbFormat, pSrc->pbFormat, pSrc->cbFormat);
    } else {
        pDst->cbFormat = 0;
        pDst->pbFormat = nullptr;
    }
    if (pDst->pUnk != nullptr) pDst->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* pSrc) {
    auto* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (pmt == nullptr) return nullptr;
    if (FAILED(CopyMediaType(pmt, pSrc))) {
        CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

CMediaType::CMediaType() : AM_MEDIA_TYPE() { InitMediaType(); }

CMediaType::CMediaType(const AM_MEDIA_TYPE& mt) : AM_MEDIA_TYPE() {
    InitMediaType();
    if (FAILED(CopyMediaType(this, &mt))) InitMediaType();
}

CMediaType::CMediaType(const CMediaType& mt) : CMediaType(static_cast<const AM_MEDIA_TYPE&>(mt)) {}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& mt) {
    if (&mt == this) return *this;
    FreeMediaType(*this);
    if (FAILED(CopyMediaType(this, &mt))) InitMediaType();
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& mt) {
    return *this = static_cast<const AM_MEDIA_TYPE&>(mt);
}

CMediaType::~CMediaType() { FreeMediaType(*this); }

void CMediaType::InitMediaType() {
    majortype = subtype = formattype = GUID_NULL;
    bFixedSizeSamples = TRUE;
    bTemporalCompression = FALSE;
    lSampleSize = 1;
    pUnk = nullptr;
    cbFormat = 0;
    pbFormat = nullptr;
}

bool CMediaType::SetFormat(const BYTE* pFormat, ULONG cb) {
    BYTE* p = nullptr;
    if (cb != 0) {
        p = static_cast<BYTE*>(CoTaskMemAlloc(cb));
        if (p == nullptr) return false;
        if (pFormat != nullptr)
            std::memcpy(p, pFormat, cb);
        else
            std::memset(p, 0, cb);
    }
    CoTaskMemFree(pbFormat);
    pbFormat = p;
    cbFormat = cb;
    return true;
}

bool CMediaType::MatchesPartial(const AM_MEDIA_TYPE* pPartial) const {
    if (pPartial->majortype != GUID_NULL && pPartial->majortype != majortype) return false;
    if (pPartial->subtype != GUID_NULL && pPartial->subtype != subtype) return false;
    if (pPartial->formattype != GUID_NULL) {
        if (pPartial->formattype != formattype || pPartial->cbFormat != cbFormat) return false;
        if (cbFormat != 0 && std::memcmp(pPartial->pbFormat, pbFormat, cbFormat) != 0) return false;
    }
    return true;
}

bool CMediaType::operator==(const CMediaType& o) const {
    return majortype == o.majortype && subtype == o.subtype && formattype == o.formattype &&
           cbFormat == o.cbFormat &&
           (cbFormat == 0 || std::memcmp(pbFormat, o.pbFormat, cbFormat) == 0);
}
