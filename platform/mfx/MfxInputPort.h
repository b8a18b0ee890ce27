// The object a host routes the instrument's input port to.
#pragma once
#include "platform/com/Unknown.h"

// Identifier chosen by Pandrel; the host protocol leaves it open.
// {A62BC700-9491-4DC1-998C-32D56DC4B797}
constexpr IID IID_IMfxInputPort = {
    0xA62BC700, 0x9491, 0x4DC1, {0x99, 0x8C, 0x32, 0xD5, 0x6D, 0xC4, 0xB7, 0x97}};

class IMfxInputPort : public IUnknown {
public:
    virtual HRESULT SetPortTarget(IUnknown* pTarget) = 0;   // 3
    virtual HRESULT GetPortTarget(IUnknown** ppTarget) = 0; // 4: S_FALSE and null when none

protected:
    ~IMfxInputPort() = default;
};
