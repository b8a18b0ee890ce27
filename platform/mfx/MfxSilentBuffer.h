// The silent-buffer extension of a media sample: a flag that says the buffer
// holds silence, so that neither side has to clear or mix it.
#pragma once
#include "platform/com/Unknown.h"

// {447DA113-4AC8-4833-849A-2BA285E1E52B}
constexpr IID IID_IMfxSilentBuffer = {
    0x447DA113, 0x4AC8, 0x4833, {0x84, 0x9A, 0x2B, 0xA2, 0x85, 0xE1, 0xE5, 0x2B}};

class IMfxSilentBuffer : public IUnknown {
public:
    virtual HRESULT GetSilentFlag(BOOL* pbSilent) = 0; // 3
    virtual HRESULT SetSilentFlag(BOOL bSilent) = 0;   // 4

protected:
    ~IMfxSilentBuffer() = default;
};
