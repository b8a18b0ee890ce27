// How the page writes gains and pans as text ("-Inf" for silence, "50L", "C",
// "50R"), reads them back from typed text, and turns knob positions (0 to
// 100) into gains, pans and semitones. Any thread.
#pragma once
#include "platform/com/Types.h"
#include <string>

class CValueText {
public:
    static std::wstring Gain(float fGain);
    static std::wstring Pan(float fPan);

    // A gain of 0 to 2 (position 50 is 1.0, 0 dB), a pan of 0 (left) to 1 and
    // semitones -24 to 24 from a knob position.
    static float GainFromKnob(int nPos);
    static float PanFromKnob(int nPos);
    static LONG PitchFromKnob(int nPos);

    // A whole number at the start of the text; false when there is none.
    static bool ReadNumber(const std::wstring& text, LONG* pn);
    // A gain typed in dB: below -75 dB silence, at most 2.0; false without a number.
    static bool ReadGain(const std::wstring& text, float* pfGain);
    // A pan typed as "30L", "C", "30R" or a number -100 to 100; false without a number.
    static bool ReadPan(const std::wstring& text, float* pfPan);
};
