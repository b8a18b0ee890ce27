// How the page writes gains and pans as text: a gain in dB with one decimal
// ("-Inf" for silence), a pan as "50L", "C" or "50R". Any thread.
#pragma once
#include <string>

class CValueText {
public:
    static std::wstring Gain(float fGain);
    static std::wstring Pan(float fPan);
};
