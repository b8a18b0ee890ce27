// The call a soft synth makes on the host's pin-change sink (the interface
// obtained as IID_IMfxPinChangeSink) around every change of its output pins:
// phase 1 asks leave before the change (a failure cancels it), phase 2 tells
// that it happened. dwCount is the output pin count the change leads to.
#pragma once
#include "platform/com/Unknown.h"

class IBaseFilter;

class IMfxPinChangeNotify : public IUnknown {
public:
    virtual HRESULT OnPinChange(DWORD dwPhase, IBaseFilter* pFilter, DWORD dwCount) = 0; // 3

protected:
    ~IMfxPinChangeNotify() = default;
};

constexpr DWORD kPinChangeAsk = 1;
constexpr DWORD kPinChangeDone = 2;
