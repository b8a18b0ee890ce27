// An output pin as the process path sees it: whether it is connected, a
// delivery buffer from its allocator, delivery downstream and end-of-stream.
// The filter's output pins implement it; the process path calls it on the
// streaming thread under the object's lock.
#pragma once
#include "interfaces/PinSample.h"

class IRenderOutput {
public:
    virtual BOOL IsConnected() = 0;
    // A buffer from the pin's allocator, with one reference for the caller.
    virtual HRESULT GetDeliveryBuffer(IPinSample** ppSample) = 0;
    virtual HRESULT Deliver(IPinSample* pSample) = 0;
    virtual HRESULT DeliverEndOfStream() = 0;

protected:
    ~IRenderOutput() = default;
};
