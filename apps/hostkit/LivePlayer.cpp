// The live player's cycles: the instrument taken without blocking, the
// cycle split at each MIDI event's frame, the master's transport followed.
#include "apps/hostkit/LivePlayer.h"
#include "apps/hostkit/HostContext.h"
#include "apps/hostkit/HostSource.h"
#include "apps/hostkit/PortSink.h"
#include "platform/media/FilterGraph.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

CLivePlayer::~CLivePlayer() { Close(); }

bool CLivePlayer::Open(const CInstrumentModule& module, DWORD dwRate, double dOwnBpm,
                       std::string* pstrError) {
    Close();
    m_dRate = static_cast<double>(dwRate);
    m_dOwnBpm = m_dBpm = std::clamp(dOwnBpm, 1.0, 1000.0);
    // A port sink on every output; each writes straight into its pair of ports.
    auto makeSink = [this, dwRate](int n) {
        return CPortSink::ForGraph(dwRate, &m_sinks[static_cast<size_t>(n)]);
    };
    CTempoMap tempo;
    tempo.ResetTempoBpm(m_dOwnBpm);
    ComPtr<CHostContext> pContext = MakeCom<CHostContext>(tempo, dwRate);
    pContext->ReserveTempoChanges(kTempoChanges);
    if (m_graph.Open(module, {dwRate, 2, kBlockFrames}, pContext.Get(), makeSink, pstrError))
        return true;
    Close();
    return false;
}

void CLivePlayer::Close() {
    Stop();
    m_graph.Close();
    m_sinks.fill(nullptr);
}

void CLivePlayer::Start() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_bStarted || m_graph.Graph() == nullptr) return;
    m_midi.Clear();
    m_graph.Graph()->Run(0);
    m_mode = Mode::Own;
    Relocate(m_dOwnBpm, 0.0);
    m_bStarted = true;
}

void CLivePlayer::Stop() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_bStarted) return;
    m_graph.Synth()->TransportStop();
    m_graph.Graph()->Pause();
    m_graph.Graph()->Stop();
    m_bStarted = false;
}

bool CLivePlayer::TakeLock(std::unique_lock<std::mutex>* pGuard) {
    // The other threads hold the lock for one control call at a time, which
    // is short: the cycle tries again for a little while before it gives up.
    if (pGuard->try_lock()) return true;
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::microseconds(kWaitMicroseconds);
    do {
        std::this_thread::yield();
        if (pGuard->try_lock()) return true;
    } while (std::chrono::steady_clock::now() < until);
    return false;
}

void CLivePlayer::Silence(const Cycle& cycle, uint32_t nFrom, uint32_t nTo) {
    for (int i = 0; i < kPorts; ++i)
        if (float* p = cycle.ppPorts[i]; p != nullptr) std::fill(p + nFrom, p + nTo, 0.0f);
}

void CLivePlayer::AddMidi(const MidiEvent& e) {
    if (e.byStatus < 0x80 || e.byStatus >= 0xF0) return;
    m_midi.Add(e.byStatus, e.byData1 & 0x7F, e.byData2 & 0x7F);
}

void CLivePlayer::Process(const Cycle& cycle) {
    std::unique_lock<std::mutex> guard(m_lock, std::defer_lock);
    if (!TakeLock(&guard)) {
        // The cycle's MIDI waits in the pool (beyond its capacity messages are
        // dropped) and plays at the first frame of the next cycle that gets
        // the instrument. The master's frame runs on, so that cycle does not
        // take the held frames for a relocation.
        Silence(cycle, 0, cycle.nFrames);
        for (size_t i = 0; i < cycle.nEvents; ++i) AddMidi(cycle.pEvents[i]);
        if (m_mode == Mode::Rolling) m_llMasterFrame += cycle.nFrames;
        ++m_nHeld;
        return;
    }
    if (!m_bStarted) return Silence(cycle, 0, cycle.nFrames);
    for (int n = 0; n < kOutputCount; ++n)
        m_sinks[static_cast<size_t>(n)]->Target(cycle.ppPorts[2 * n], cycle.ppPorts[2 * n + 1],
                                                cycle.nFrames);
    Follow(cycle.pTransport);
    // The cycle is split at each event's frame: the instrument starts what is
    // queued at the first frame of the next buffer, so onsets are exact.
    uint32_t nDone = 0;
    for (size_t i = 0; i < cycle.nEvents; ++i) {
        const MidiEvent& e = cycle.pEvents[i];
        const uint32_t nAt = std::clamp(e.nFrame, nDone, cycle.nFrames);
        if (nAt > nDone) RenderTo(cycle, nDone, nAt);
        nDone = nAt;
        AddMidi(e);
    }
    if (nDone < cycle.nFrames) RenderTo(cycle, nDone, cycle.nFrames);
    if (m_mode == Mode::Rolling) m_llMasterFrame += cycle.nFrames;
}

void CLivePlayer::RenderTo(const Cycle& cycle, uint32_t nFrom, uint32_t nTo) {
    if (!m_midi.Empty()) {
        m_graph.Synth()->QueueInput(0, &m_midi);
        m_midi.Clear();
    }
    while (nFrom < nTo) {
        const uint32_t nLength = std::min<uint32_t>(nTo - nFrom, kBlockFrames);
        for (CPortSink* pSink : m_sinks) pSink->SetOffset(nFrom);
        if (FAILED(m_graph.Source()->Push(static_cast<LONG>(nLength), m_bDiscontinuity,
                                          m_llSongFrame)))
            Silence(cycle, nFrom, nFrom + nLength);
        m_bDiscontinuity = false;
        m_llSongFrame += nLength;
        nFrom += nLength;
    }
}

void CLivePlayer::Follow(const Transport* pTransport) {
    if (pTransport == nullptr) {
        // The master went away: the own transport rolls on from where the song is.
        if (m_mode != Mode::Own) {
            m_mode = Mode::Own;
            Relocate(m_dOwnBpm, static_cast<double>(m_llSongFrame));
        }
        return;
    }
    const Transport& t = *pTransport;
    const double dBpm = std::isfinite(t.dBpm) ? std::clamp(t.dBpm, 1.0, 1000.0) : m_dBpm;
    if (!t.bRolling) {
        if (m_mode != Mode::Stopped) m_graph.Synth()->TransportStop();
        // Stopped, the instrument times from the tempo at the song's start.
        if (dBpm != m_dBpm) m_graph.Context()->ResetTempoBpm(dBpm);
        m_dBpm = dBpm;
    } else if (m_mode != Mode::Rolling ||
               std::llabs(t.llFrame - m_llMasterFrame) > kRelocateSlackFrames) {
        // The musical position wins over the frame when the master gives both.
        const double dFrame =
            t.bQuarters ? t.dQuarters * 60.0 / dBpm * m_dRate : static_cast<double>(t.llFrame);
        Relocate(dBpm, dFrame);
    } else if (dBpm != m_dBpm) {
        // From the next whole tick on: the song time already played is kept.
        const double dSongTick =
            m_graph.Context()->Tempo().SamplesToTicks(static_cast<double>(m_llSongFrame), m_dRate);
        m_graph.Context()->ReplaceTempoFromBpm(static_cast<int64_t>(std::ceil(dSongTick - 1e-6)),
                                               dBpm);
        m_dBpm = dBpm;
    }
    m_llMasterFrame = t.llFrame;
    m_mode = t.bRolling ? Mode::Rolling : Mode::Stopped;
}

void CLivePlayer::Relocate(double dBpm, double dFrame) {
    // The song restarts there as a host relocating does: one tempo from there
    // on, the transport restarted at that tick, and the next buffer a
    // discontinuity stamped with the song frame.
    m_dBpm = dBpm;
    m_graph.Context()->ResetTempoBpm(dBpm);
    constexpr double kMaxFrame = 9e11; // what a media time stamp can carry
    dFrame = std::clamp(std::round(std::isfinite(dFrame) ? dFrame : 0.0), 0.0, kMaxFrame);
    const double dTicks =
        std::clamp(m_graph.Context()->Tempo().SamplesToTicks(dFrame, m_dRate), 0.0, 2.0e9);
    m_graph.Synth()->TransportStart(static_cast<LONG>(dTicks));
    m_llSongFrame = static_cast<LONGLONG>(dFrame);
    m_bDiscontinuity = true;
}
