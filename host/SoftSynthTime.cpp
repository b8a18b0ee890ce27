// Time conversions for the engine and the queues. Each asks the host first
// (time-format converter, then tempo map) and falls back to the adapter's own
// tempo. Float-to-integer steps truncate toward zero.
#include "host/SoftSynth.h"
#include "interfaces/PandrelConstants.h"
#include <cmath>
#include <cstdint>

namespace {
constexpr double kQuarterPerMidiTick = 0.0010416666666666667; // 1 / 960
constexpr double kQuarterPerTick = 1.5894571940104166e-8;     // 1 / 62,914,560
constexpr double kMinutePerSecond = 0.016666666666666666;
constexpr double kTicksPerQuarter = static_cast<double>(kTicksPerBeat);
constexpr double kMidiTicksPerQuarter = static_cast<double>(kMidiTicksPerBeat);

// Truncates toward zero; out-of-range values saturate and NaN gives 0, so a
// degenerate tempo or rate cannot make the conversion undefined.
LONGLONG Trunc64(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 9223372036854775807.0) return INT64_MAX;
    if (x <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<LONGLONG>(x);
}

LONG Low32(LONGLONG v) { return static_cast<LONG>(static_cast<DWORD>(static_cast<uint64_t>(v))); }

MfxTime MakeTime(DWORD dwFormat, LONGLONG llValue) {
    MfxTime t{};
    t.dwFormat = dwFormat;
    t.llValue = llValue;
    return t;
}
} // namespace

DWORD CSoftSynth::ConversionRate() {
    // Without an input format (no connection yet) the default rate keeps the
    // integer divisions defined.
    const WAVEFORMATEX* pwfx = m_pOwner->GetInputFormat();
    DWORD sr = pwfx != nullptr ? pwfx->nSamplesPerSec : 0;
    return sr != 0 ? sr : kDefaultSampleRate;
}

// The tempo at song time 0 from the host's tempo map, when it gives a usable one.
bool CSoftSynth::HostTempo(double* pdTempo) {
    LONG lStart = 0;
    LONG lTempo100 = 0;
    m_pTempoMap->GetTempoAt(0, &lStart, &lTempo100);
    if (lTempo100 <= 0) return false;
    *pdTempo = lTempo100 * 0.01;
    return true;
}

LONGLONG CSoftSynth::MidiTicksToSamples(LONG lMidiTicks) {
    CAutoLock lock(Lock());
    if (m_pConverter != nullptr) {
        MfxTime t = MakeTime(MFX_TIME_MIDI_TICKS, lMidiTicks);
        m_pConverter->ConvertTime(&t, MFX_TIME_SAMPLES);
        return t.llValue;
    }
    const LONGLONG sr = ConversionRate();
    if (m_pTempoMap != nullptr) {
        LONGLONG ms = m_pTempoMap->TicksToMsecs(lMidiTicks);
        return ms * sr / 1000;
    }
    return Trunc64(((lMidiTicks * kQuarterPerMidiTick) / GetTempo() * 60.0) *
                   static_cast<double>(sr));
}

LONG CSoftSynth::SamplesToMidiTicks(LONGLONG llSamples) {
    CAutoLock lock(Lock());
    if (m_pConverter != nullptr) {
        MfxTime t = MakeTime(MFX_TIME_SAMPLES, llSamples);
        m_pConverter->ConvertTime(&t, MFX_TIME_MIDI_TICKS);
        return Low32(t.llValue);
    }
    const LONGLONG sr = ConversionRate();
    if (m_pTempoMap != nullptr) {
        LONGLONG ms = llSamples * 1000 / sr;
        return m_pTempoMap->MsecsToTicks(Low32(ms));
    }
    const double s = static_cast<double>(llSamples);
    return Low32(Trunc64(GetTempo() * (s / static_cast<double>(sr) * kMinutePerSecond) *
                         kMidiTicksPerQuarter));
}

LONGLONG CSoftSynth::TicksToSamples(LONGLONG llTicks) {
    CAutoLock lock(Lock());
    const double q = static_cast<double>(llTicks) * kQuarterPerTick;
    const bool bPlaying = IsPlaying() != 0;
    if (bPlaying && m_pConverter != nullptr) {
        MfxTime t = MakeTime(MFX_TIME_TICKS, llTicks);
        m_pConverter->ConvertTime(&t, MFX_TIME_SAMPLES);
        return t.llValue;
    }
    const double sr = ConversionRate();
    double tempo = GetTempo();
    if (!bPlaying && m_pTempoMap != nullptr) HostTempo(&tempo);
    return Trunc64(sr * (q / tempo * 60.0) + 0.5);
}

LONGLONG CSoftSynth::SamplesToTicks(LONGLONG llSamples) {
    CAutoLock lock(Lock());
    const bool bPlaying = IsPlaying() != 0;
    if (bPlaying && m_pConverter != nullptr) {
        MfxTime t = MakeTime(MFX_TIME_SAMPLES, llSamples);
        m_pConverter->ConvertTime(&t, MFX_TIME_TICKS);
        return t.llValue;
    }
    const double sr = ConversionRate();
    const double s = static_cast<double>(llSamples);
    double tempo = GetTempo();
    if (!bPlaying && m_pTempoMap != nullptr) HostTempo(&tempo);
    return Trunc64(tempo * (s / sr * kMinutePerSecond) * kTicksPerQuarter + 0.5);
}

DWORD CSoftSynth::QueryPosition(LONGLONG llTicks) {
    CAutoLock lock(Lock());
    if (m_pPosition == nullptr) return 0;
    MfxTime t = MakeTime(MFX_TIME_TICKS, llTicks);
    DWORD dwAnswer = 0;
    m_pPosition->QueryPosition(&t, &dwAnswer);
    return dwAnswer;
}

DWORD CSoftSynth::GetSampleRate() {
    // Without a usable answer from the host, the stream's own rate (when the
    // input is connected) is the truth; 44100 otherwise.
    IMfxTimeConverter* pConverter = m_pConverter;
    if (pConverter != nullptr) {
        MfxTime t{};
        t.dwFormat = MFX_TIME_SECONDS;
        t.dSeconds = 1.0;
        pConverter->ConvertTime(&t, MFX_TIME_SAMPLES);
        if (t.llValue > 0 && t.llValue < 0x7FFFFFFF) return static_cast<DWORD>(t.llValue);
    }
    return ConversionRate();
}
