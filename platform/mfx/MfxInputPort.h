// The object a host routes the instrument's input port to.
#pragma once
#include "platform/com/Unknown.h"

// {49C2EE08-7DCA-4DF3-9A41-35CFDB44F12E}
constexpr IID IID_IMfxInputPort = {
    0x49C2EE08, 0x7DCA, 0x4DF3, {0x9A, 0x41, 0x35, 0xCF, 0xDB, 0x44, 0xF1, 0x2E}};

class IMfxInputPort : public IUnknown {
public:
    virtual HRESULT SetPortTarget(IUnknown* pTarget) = 0;   // 3
    virtual HRESULT GetPortTarget(IUnknown** ppTarget) = 0; // 4: S_FALSE and null when none

protected:
    ~IMfxInputPort() = default;
};
