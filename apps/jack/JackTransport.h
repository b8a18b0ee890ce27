// What JACK's transport says at a cycle's start, as the live player follows
// it: rolling or not, the frame, and the tempo and musical position when a
// timebase master gives bar, beat and tick. JACK's process thread; never blocks.
#pragma once
#include "apps/hostkit/LivePlayer.h"
#include <jack/transport.h>

// True and *pTransport filled when a master gives a usable position (bar,
// beat, tick, meter and tempo); false when there is none, and the player's
// own transport plays. Beats are 1/beat_type notes; the player counts quarters.
bool ReadJackTransport(jack_transport_state_t state, const jack_position_t& pos,
                       CLivePlayer::Transport* pTransport);
