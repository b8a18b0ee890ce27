// The song as the host tells it: time:Position read from the atom input,
// tempo changes, the transport starting and stopping, relocations, and the
// restart after skipped idle blocks. Audio thread, never blocks.
#include "apps/hostkit/HostContext.h"
#include "apps/lv2/Lv2Plugin.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>

void CLv2Plugin::Resync(bool bGate) {
    // The instrument's stream position and its playing song clock stopped at
    // the last buffer pushed. The next buffer is stamped with the song frame
    // the skipped blocks reached, and a playing transport restarts there:
    // nothing sounds and no note is held, so nothing is cut. (Notes that
    // held blocks kept since wait in the MIDI pool and reach the instrument
    // after the restart: the gate keeps counting them when it is told to.)
    m_bResync = false;
    if (m_transport != Transport::Stopped) {
        const double dTicks = std::clamp(
            m_graph.Context()->Tempo().SamplesToTicks(static_cast<double>(m_llSongFrame), m_dRate),
            0.0, 2.0e9);
        if (bGate)
            TransportStart(static_cast<LONG>(dTicks));
        else
            m_graph.Synth()->TransportStart(static_cast<LONG>(dTicks));
    }
    m_bDiscontinuity = true;
}

void CLv2Plugin::TransportStart(LONG lTicks) {
    m_graph.Synth()->TransportStart(lTicks);
    m_idle.TransportReset();
}

void CLv2Plugin::TransportStop() {
    m_graph.Synth()->TransportStop();
    m_idle.TransportReset();
}

bool CLv2Plugin::ReadPosition(const CLv2Sequence::Event& e, Lv2Position* pPosition) const {
    return (e.pAtom->type == m_urid.atomObject || e.pAtom->type == m_urid.atomBlank) &&
           e.pAtom->size >= sizeof(LV2_Atom_Object_Body) &&
           m_positionReader.Read(reinterpret_cast<const LV2_Atom_Object*>(e.pAtom), pPosition);
}

void CLv2Plugin::ApplyPosition(const Lv2Position& pos, uint32_t nAt) {
    const double dBpm = pos.bBpm ? std::clamp(pos.dBpm, 1.0, 1000.0) : m_dBpm;
    const bool bTempo = dBpm != m_dBpm;
    m_dBpm = dBpm;
    const Transport next = !pos.bSpeed         ? m_transport
                           : pos.dSpeed != 0.0 ? Transport::Rolling
                                               : Transport::Stopped;
    // A jump shows in the frame when the host gives one, else in the musical position.
    const double dSongTick =
        m_graph.Context()->Tempo().SamplesToTicks(static_cast<double>(m_llSongFrame), m_dRate);
    bool bJump = false;
    if (next == Transport::Rolling && m_transport == Transport::Rolling) {
        if (pos.bFrame)
            bJump = std::llabs(pos.llFrame - (m_llHostFrame + nAt)) > kRelocateSlackFrames;
        else if (pos.bQuarters)
            bJump = std::fabs(pos.dQuarters * CTempoMap::kTicksPerQuarter - dSongTick) >
                    kRelocateSlackTicks;
    }
    if (next == Transport::Stopped) {
        if (m_transport != Transport::Stopped) TransportStop();
        // Stopped, the instrument times from the tempo at the song's start.
        if (bTempo) m_graph.Context()->ResetTempoBpm(m_dBpm);
    } else if (next == Transport::Rolling && (m_transport != Transport::Rolling || bJump)) {
        Relocate(pos, nAt);
    } else if (bTempo) {
        // From the next whole tick on: the song time already played is kept.
        m_graph.Context()->ReplaceTempoFromBpm(static_cast<int64_t>(std::ceil(dSongTick - 1e-6)),
                                               m_dBpm);
    }
    if (pos.bFrame) m_llHostFrame = pos.llFrame - nAt;
    m_transport = next;
}

void CLv2Plugin::Relocate(const Lv2Position& pos, uint32_t nAt) {
    // The song restarts at the host's position as a host relocating does: one
    // tempo from there on, the transport restarted at that tick, and the next
    // buffer a discontinuity stamped with the song frame. The musical position
    // wins over the frame when the host gives both.
    m_graph.Context()->ResetTempoBpm(m_dBpm);
    const CTempoMap& tempo = m_graph.Context()->Tempo();
    constexpr double kMaxFrame = 9e11; // what a media time stamp can carry
    double dFrame = static_cast<double>(pos.bFrame ? pos.llFrame : m_llHostFrame + nAt);
    if (pos.bQuarters)
        dFrame = tempo.TicksToSamples(pos.dQuarters * CTempoMap::kTicksPerQuarter, m_dRate);
    dFrame = std::clamp(std::round(dFrame), 0.0, kMaxFrame);
    const double dTicks = std::clamp(tempo.SamplesToTicks(dFrame, m_dRate), 0.0, 2.0e9);
    TransportStart(static_cast<LONG>(dTicks));
    m_llSongFrame = static_cast<LONGLONG>(dFrame);
    m_bDiscontinuity = true;
}
