#include "apps/jack/JackTransport.h"
#include <cmath>

bool ReadJackTransport(jack_transport_state_t state, const jack_position_t& pos,
                       CLivePlayer::Transport* pTransport) {
    if ((pos.valid & JackPositionBBT) == 0) return false;
    const double dPerBar = static_cast<double>(pos.beats_per_bar);
    const double dUnit = static_cast<double>(pos.beat_type);
    const double dTicksPerBeat = pos.ticks_per_beat;
    const double dBpm = pos.beats_per_minute;
    // A master that gives nonsense is no master: bars and beats count from 1.
    if (!(dPerBar > 0.0 && dUnit > 0.0 && dTicksPerBeat > 0.0 && dBpm > 0.0) ||
        !std::isfinite(dPerBar * dUnit * dTicksPerBeat * dBpm) || pos.bar < 1 || pos.beat < 1 ||
        pos.tick < 0)
        return false;
    const double dBeats = (pos.bar - 1) * dPerBar + (pos.beat - 1) + pos.tick / dTicksPerBeat;
    const double dQuarters = dBeats * 4.0 / dUnit;
    CLivePlayer::Transport t;
    // Starting waits for the other clients to be ready: not rolling yet.
    t.bRolling = state == JackTransportRolling;
    t.dBpm = dBpm * 4.0 / dUnit;
    t.llFrame = pos.frame;
    if (std::isfinite(dQuarters) && dQuarters >= 0.0 && dQuarters < 1e12)
        t.bQuarters = true, t.dQuarters = dQuarters;
    if (!std::isfinite(t.dBpm)) return false;
    *pTransport = t;
    return true;
}
