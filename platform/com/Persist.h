// Persistence interfaces: IPersist (the class of the saved object) and
// IPersistStream (saving into and loading from a host's stream).
#pragma once
#include "platform/com/Stream.h"

// {0000010C-0000-0000-C000-000000000046}
constexpr IID IID_IPersist = {
    0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000109-0000-0000-C000-000000000046}
constexpr IID IID_IPersistStream = {
    0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IPersist : public IUnknown {
public:
    virtual HRESULT GetClassID(CLSID* pClassID) = 0; // 3

protected:
    ~IPersist() = default;
};

class IPersistStream : public IPersist {
public:
    virtual HRESULT IsDirty() = 0;                             // 4
    virtual HRESULT Load(IStream* pStm) = 0;                   // 5
    virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0; // 6
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;   // 7

protected:
    ~IPersistStream() = default;
};
