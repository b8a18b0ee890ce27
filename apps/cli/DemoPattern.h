// The demo's built-in arrangement as data: which slices of the demo loop go on
// which pads (and how they play), the notes that trigger them, and the tempo
// map (the loop's own tempo, then 25 % slower).
#pragma once
#include "apps/hostkit/MidiSong.h"
#include "apps/hostkit/TempoMap.h"
#include <vector>

struct DemoPad {
    int nPad; // 0..15
    const char* pszName;
    int nFirstSlice; // slices of the demo loop on the pad's timeline
    int nSliceCount;
    bool bSynced; // synced to the song's tempo, else counted in samples
    bool bLooping;
    int nTranspose; // semitones
    int nKey;       // the MIDI key that triggers it
};

class CDemoPattern {
public:
    static constexpr int kBarTicks = 4 * CTempoMap::kTicksPerQuarter;
    static constexpr int kBarsPerTempo = 4;
    static constexpr double kSlowFactor = 0.75;

    static const std::vector<DemoPad>& Pads();
    // Note-ons and note-offs in song order, channel 1.
    static std::vector<MidiNoteEvent> Notes();
    static CTempoMap Tempo();
    static int64_t LengthTicks() { return 2 * kBarsPerTempo * int64_t{kBarTicks}; }
};
