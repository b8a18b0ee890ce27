#include "apps/hostkit/HostContext.h"
#include <cmath>

namespace {
constexpr double kTicksPerMidiTick = 65536.0;

LONGLONG Round(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9.2e18) return INT64_MAX;
    if (d <= -9.2e18) return INT64_MIN;
    return static_cast<LONGLONG>(std::floor(d + 0.5));
}
LONG Round32(double d) {
    const LONGLONG v = Round(d);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<LONG>(v);
}
} // namespace

CHostContext::CHostContext(const CTempoMap& tempo, DWORD dwRate)
    : m_tempo(tempo), m_dRate(dwRate) {}

HRESULT CHostContext::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMfxTempoMap)
        *ppv = static_cast<IMfxTempoMap*>(this);
    else if (riid == IID_IMfxTimeConverter)
        *ppv = static_cast<IMfxTimeConverter*>(this);
    else if (riid == IID_IMfxPosition)
        *ppv = static_cast<IMfxPosition*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

LONG CHostContext::TicksToMsecs(LONG lMidiTicks) { return Round32(m_tempo.TicksToMs(lMidiTicks)); }
LONG CHostContext::MsecsToTicks(LONG lMsecs) { return Round32(m_tempo.MsToTicks(lMsecs)); }

HRESULT CHostContext::GetTempoAt(LONG lMidiTicks, LONG* plStart, LONG* plTempo100) {
    const CTempoMap::Change& c = m_tempo.ChangeAt(lMidiTicks);
    if (plStart != nullptr) *plStart = static_cast<LONG>(c.nTick);
    if (plTempo100 != nullptr) *plTempo100 = Round32(6e9 / c.dMicrosPerQuarter);
    return S_OK;
}

LONGLONG CHostContext::MidiTicksToSamples(double dTicks) const {
    return Round(m_tempo.TicksToSamples(dTicks, m_dRate));
}

HRESULT CHostContext::ConvertTime(MfxTime* pTime, DWORD dwToFormat) {
    if (pTime == nullptr) return E_POINTER;
    // Everything passes through song time in milliseconds.
    double dMs = 0.0;
    switch (pTime->dwFormat) {
    case MFX_TIME_SECONDS: dMs = pTime->dSeconds * 1000.0; break;
    case MFX_TIME_SAMPLES: dMs = static_cast<double>(pTime->llValue) * 1000.0 / m_dRate; break;
    case MFX_TIME_MIDI_TICKS: dMs = m_tempo.TicksToMs(static_cast<double>(pTime->llValue)); break;
    case MFX_TIME_TICKS:
        dMs = m_tempo.TicksToMs(static_cast<double>(pTime->llValue) / kTicksPerMidiTick);
        break;
    default: return E_INVALIDARG;
    }
    switch (dwToFormat) {
    case MFX_TIME_SECONDS: pTime->dSeconds = dMs / 1000.0; break;
    case MFX_TIME_SAMPLES: pTime->llValue = Round(dMs * m_dRate / 1000.0); break;
    case MFX_TIME_MIDI_TICKS: pTime->llValue = Round(m_tempo.MsToTicks(dMs)); break;
    case MFX_TIME_TICKS: pTime->llValue = Round(m_tempo.MsToTicks(dMs) * kTicksPerMidiTick); break;
    default: return E_INVALIDARG;
    }
    pTime->dwFormat = dwToFormat;
    return S_OK;
}

HRESULT CHostContext::QueryPosition(const MfxTime*, DWORD* pdwAnswer) {
    if (pdwAnswer == nullptr) return E_POINTER;
    *pdwAnswer = m_dwHostKey;
    return S_OK;
}
