// The host frame's services as the engine sees them: output pins, time
// conversion, transport state, sample rate and tempo. Operations marked
// "locks" take the object's critical section themselves.
#pragma once
#include "platform/com/Types.h"

class CFilterOutputPin;

class CDXiSynthContext {
public:
    virtual HRESULT AddOutputPin(const wchar_t* pszName, DWORD* pdwId) = 0; // slot 0 (locks)
    virtual HRESULT RemoveOutputPin(DWORD dwId) = 0;                        // slot 1 (locks)
    virtual HRESULT RemoveAllOutputPins() = 0;                              // slot 2 (locks)
    virtual CFilterOutputPin* FindOutputPin(DWORD dwId) = 0;                // slot 3
    virtual DWORD GetOutputPinCount() = 0;                                  // slot 4
    virtual DWORD GetOutputPinId(DWORD dwIndex) = 0; // slot 5: 0xFFFFFFFF when none
    virtual LONGLONG MidiTicksToSamples(LONG lMidiTicks) = 0; // slot 6 (locks)
    virtual LONG SamplesToMidiTicks(LONGLONG llSamples) = 0;  // slot 7 (locks)
    virtual LONGLONG TicksToSamples(LONGLONG llTicks) = 0;    // slot 8 (locks)
    virtual LONGLONG SamplesToTicks(LONGLONG llSamples) = 0;  // slot 9 (locks)
    virtual DWORD QueryPosition(LONGLONG llTicks) = 0;        // slot 10 (locks)
    virtual BOOL IsPlaying() = 0;                             // slot 11
    virtual DWORD GetSampleRate() = 0;                        // slot 12
    virtual double GetTempo() = 0;                            // slot 13
    virtual void SetTempo(double dTempo) = 0;                 // slot 14

protected:
    ~CDXiSynthContext() = default;
};
