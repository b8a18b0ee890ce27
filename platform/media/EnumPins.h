// Enumerates a filter's pins in its own order, each handed out with one
// reference. It remembers the pin version and count from its creation or
// last Reset; when the version changes, Next starts over (never handing out
// a pin twice) and Skip answers VFW_E_ENUM_OUT_OF_SYNC. Holds a reference on
// the filter. One thread at a time; reads the pins under the filter's lock.
#pragma once
#include "platform/com/RefCounted.h"
#include "platform/media/BaseFilter.h"
#include <vector>

class CEnumPins : public CRefCounted<IEnumPins> {
public:
    // pClone (optional): an enumerator whose position and history to copy.
    CEnumPins(CBaseFilter* pFilter, const CEnumPins* pClone);
    ~CEnumPins() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;

    HRESULT Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    HRESULT Skip(ULONG cPins) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumPins** ppEnum) override;

private:
    void Refresh();
    bool OutOfSync() const { return m_nVersion != m_pFilter->GetPinVersion(); }

    CBaseFilter* m_pFilter;
    int m_nPosition = 0;
    int m_nPinCount = 0;
    LONG m_nVersion = 0;
    std::vector<CBasePin*> m_handedOut;
};
