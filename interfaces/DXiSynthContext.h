// The host frame's services as the engine sees them: output pins, time
// conversion, transport state, sample rate and tempo. Operations marked
// "locks" take the object's critical section themselves (re-entrant, so the
// engine may call them under it). The filter implements them; the engine
// calls them from Initialize (the creating thread), from its render path
// (streaming thread, under the lock) and from control operations.
#pragma once
#include "platform/com/Types.h"

class CFilterOutputPin;

class CDXiSynthContext {
public:
    // --- Output pins: not on the render path (they allocate or free pins).
    // Adds an output pin named pszName (at most 255 characters; null gives
    // "Output n") and returns its id in *pdwId (may be null); a pin-change
    // sink of the host may refuse with its failure.
    virtual HRESULT AddOutputPin(const wchar_t* pszName, DWORD* pdwId) = 0; // slot 0 (locks)
    // E_FAIL: no such id; E_UNEXPECTED: the pin is connected and stays.
    virtual HRESULT RemoveOutputPin(DWORD dwId) = 0; // slot 1 (locks)
    // Stops at the first connected pin with E_UNEXPECTED; those before it go.
    virtual HRESULT RemoveAllOutputPins() = 0; // slot 2 (locks)
    // Lookups without the lock: call them under it. Null / 0xFFFFFFFF when none.
    virtual CFilterOutputPin* FindOutputPin(DWORD dwId) = 0; // slot 3
    virtual DWORD GetOutputPinCount() = 0;                   // slot 4
    virtual DWORD GetOutputPinId(DWORD dwIndex) = 0;         // slot 5: 0xFFFFFFFF when none

    // --- Time: the host's converter or tempo map first, else the own tempo.
    // Called on the render path: no allocation (the host's answer aside).
    // MIDI ticks: 960 per quarter note; ticks: kTicksPerBeat per quarter note.
    virtual LONGLONG MidiTicksToSamples(LONG lMidiTicks) = 0; // slot 6 (locks)
    virtual LONG SamplesToMidiTicks(LONGLONG llSamples) = 0;  // slot 7 (locks)
    virtual LONGLONG TicksToSamples(LONGLONG llTicks) = 0;    // slot 8 (locks)
    virtual LONGLONG SamplesToTicks(LONGLONG llSamples) = 0;  // slot 9 (locks)
    // The host's answer for the song position (the engine reads the song key
    // from it, 0..127, else 0xFFFFFFFF); 0 without a host position service.
    virtual DWORD QueryPosition(LONGLONG llTicks) = 0; // slot 10 (locks)

    // --- Without the lock, from any thread (the render path included).
    virtual BOOL IsPlaying() = 0; // slot 11: the host's transport runs
    // The host's rate, else the input's, else 44100.
    virtual DWORD GetSampleRate() = 0; // slot 12
    virtual double GetTempo() = 0;     // slot 13: BPM
    // Ignores a tempo that is not finite and positive.
    virtual void SetTempo(double dTempo) = 0; // slot 14

protected:
    ~CDXiSynthContext() = default;
};
