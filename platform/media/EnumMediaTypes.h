// Enumerates the media types a pin proposes (its GetMediaType by position),
// each as a task-allocated record the caller frees with DeleteMediaType. A
// change of the pin's type version puts it out of sync as the pin enumerator
// is. Holds a reference on the pin. One thread at a time.
#pragma once
#include "platform/com/RefCounted.h"
#include "platform/media/BasePin.h"

class CEnumMediaTypes : public CRefCounted<IEnumMediaTypes> {
public:
    CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pClone);
    ~CEnumMediaTypes() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;

    HRESULT Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) override;
    HRESULT Skip(ULONG cMediaTypes) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumMediaTypes** ppEnum) override;

private:
    bool OutOfSync() { return m_nVersion != m_pPin->GetMediaTypeVersion(); }

    CBasePin* m_pPin;
    int m_nPosition = 0;
    LONG m_nVersion;
};
