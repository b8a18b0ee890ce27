// A synth context for engine tests: a fixed sample rate and tempo, outputs
// recorded by name, and tick/sample conversion at the fixed tempo.
#pragma once
#include "interfaces/DXiSynthContext.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/HResult.h"
#include <cmath>
#include <string>
#include <vector>

class FakeSynthContext : public CDXiSynthContext {
    static constexpr double kMidiBeat = kMidiTicksPerBeat;
    static constexpr double kBeat = static_cast<double>(kTicksPerBeat);

public:
    explicit FakeSynthContext(DWORD rate = 44100, double tempo = 120.0)
        : m_rate(rate), m_tempo(tempo) {
        m_pins.push_back(L"Mix Output");
    }
    virtual ~FakeSynthContext() = default;

    HRESULT AddOutputPin(const wchar_t* name, DWORD* id) override {
        m_pins.push_back(name != nullptr ? name : L"");
        *id = static_cast<DWORD>(m_pins.size()); // ids start at 1 for the mix output
        return S_OK;
    }
    HRESULT RemoveOutputPin(DWORD) override { return S_OK; }
    HRESULT RemoveAllOutputPins() override { return S_OK; }
    CFilterOutputPin* FindOutputPin(DWORD) override { return nullptr; }
    DWORD GetOutputPinCount() override { return static_cast<DWORD>(m_pins.size()); }
    DWORD GetOutputPinId(DWORD i) override { return i < m_pins.size() ? i + 1 : 0xFFFFFFFF; }
    LONGLONG MidiTicksToSamples(LONG t) override {
        return static_cast<LONGLONG>(t / kMidiBeat / m_tempo * 60.0 * m_rate);
    }
    LONG SamplesToMidiTicks(LONGLONG s) override {
        return static_cast<LONG>(static_cast<double>(s) / m_rate / 60.0 * m_tempo * kMidiBeat);
    }
    LONGLONG TicksToSamples(LONGLONG b) override {
        return static_cast<LONGLONG>(m_rate * (b / kBeat / m_tempo * 60.0) + 0.5);
    }
    LONGLONG SamplesToTicks(LONGLONG s) override {
        return static_cast<LONGLONG>(m_tempo * (static_cast<double>(s) / m_rate / 60.0) * kBeat +
                                     0.5);
    }
    DWORD QueryPosition(LONGLONG) override { return m_hostKey; }
    BOOL IsPlaying() override { return m_playing; }
    DWORD GetSampleRate() override { return m_rate; }
    double GetTempo() override { return m_tempo; }
    void SetTempo(double t) override { m_tempo = t; }

    DWORD m_rate;
    double m_tempo;
    BOOL m_playing = 0;
    DWORD m_hostKey = 0xFFFFFFFF;
    std::vector<std::wstring> m_pins;
};
