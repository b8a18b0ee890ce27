// The host's context object handed to the instrument on Attach: the song's
// tempo map, a time-format converter (MIDI ticks, ticks, samples, seconds)
// and the position service, all answered from one CTempoMap and sample rate.
#pragma once
#include "apps/hostkit/TempoMap.h"
#include "platform/com/RefCounted.h"
#include "platform/mfx/MfxHostContext.h"

class CHostContext final : public CRefCounted<IMfxTempoMap, IMfxTimeConverter, IMfxPosition> {
public:
    static constexpr DWORD kNoHostKey = 0xFFFFFFFF;

    // Created with one reference.
    CHostContext(const CTempoMap& tempo, DWORD dwRate);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;

    LONG TicksToMsecs(LONG lMidiTicks) override;
    LONG MsecsToTicks(LONG lMsecs) override;
    HRESULT TempoMapReserved5() override { return E_NOTIMPL; }
    HRESULT TempoMapReserved6() override { return E_NOTIMPL; }
    HRESULT TempoMapReserved7() override { return E_NOTIMPL; }
    HRESULT GetTempoAt(LONG lMidiTicks, LONG* plStart, LONG* plTempo100) override;

    HRESULT ConvertTime(MfxTime* pTime, DWORD dwToFormat) override;

    HRESULT PositionReserved3() override { return E_NOTIMPL; }
    HRESULT PositionReserved4() override { return E_NOTIMPL; }
    HRESULT PositionReserved5() override { return E_NOTIMPL; }
    // The host key when one is set, else kNoHostKey.
    HRESULT QueryPosition(const MfxTime* pTime, DWORD* pdwAnswer) override;

    // The key in the instrument's numbering, as a pad's Root: 0..11 from A
    // (A = 0, A# = 1, B = 2, C = 3, ...), or kNoHostKey.
    void SetHostKey(DWORD dwKey) { m_dwHostKey = dwKey; }
    // The instrument's key for a key numbered from C (C = 0 ... B = 11), as
    // hosts and users name keys; kNoHostKey for any other value.
    static DWORD KeyFromC(long nKey) {
        return nKey >= 0 && nKey <= 11 ? static_cast<DWORD>((nKey + 3) % 12) : kNoHostKey;
    }
    const CTempoMap& Tempo() const { return m_tempo; }
    // The host's tempo as it plays. Reserve on a setup thread; the others are
    // for the audio thread between buffers (the instrument reads the map while
    // it renders), allocate nothing once reserved, and take no lock.
    void ReserveTempoChanges(size_t nChanges) { m_tempo.Reserve(nChanges); }
    void ResetTempoBpm(double dBpm) { m_tempo.ResetTempoBpm(dBpm); }
    void ReplaceTempoFromBpm(int64_t nTick, double dBpm) {
        m_tempo.ReplaceTempoFromBpm(nTick, dBpm);
    }
    // Song time of a MIDI tick in samples, rounded to the nearest sample.
    LONGLONG MidiTicksToSamples(double dTicks) const;

private:
    ~CHostContext() override = default; // through Release only

    CTempoMap m_tempo;
    double m_dRate;
    DWORD m_dwHostKey = kNoHostKey;
};
