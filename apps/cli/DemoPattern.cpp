#include "apps/cli/DemoPattern.h"
#include "apps/cli/DemoLoop.h"
#include <algorithm>

const std::vector<DemoPad>& CDemoPattern::Pads() {
    static const std::vector<DemoPad> pads = {
        {0, "Groove (synced loop)", 0, CDemoLoop::kSlices, true, true, 0, 36},
        {1, "Kick (one-shot)", 0, 1, false, false, 0, 37},
        {2, "Snare (one-shot)", 2, 1, false, false, 0, 38},
        {3, "Fill, up a fourth", 12, 4, false, false, 5, 39},
        {4, "Half bar (synced loop)", 0, 4, true, true, 0, 40},
    };
    return pads;
}

std::vector<MidiNoteEvent> CDemoPattern::Notes() {
    std::vector<MidiNoteEvent> notes;
    auto note = [&](int64_t nStart, int64_t nLength, int nKey, int nVelocity) {
        notes.push_back(
            {nStart, true, 0, static_cast<uint8_t>(nKey), static_cast<uint8_t>(nVelocity)});
        notes.push_back({nStart + nLength, false, 0, static_cast<uint8_t>(nKey), 0});
    };
    constexpr int64_t q = CTempoMap::kTicksPerQuarter;
    // The same four bars at each tempo: the groove held for three bars, the
    // half-bar loop for one, one-shot accents, and the transposed fill.
    for (int nPart = 0; nPart < 2; ++nPart) {
        const int64_t t0 = nPart * kBarsPerTempo * int64_t{kBarTicks};
        note(t0, 3 * kBarTicks, 36, 110);
        note(t0 + 3 * kBarTicks, 2 * q, 40, 100);
        note(t0 + 3 * kBarTicks + 2 * q, q / 2, 37, 120);
        note(t0 + 3 * kBarTicks + 5 * q / 2, q / 2, 38, 90);
        note(t0 + 3 * kBarTicks + 3 * q, q, 39, 110);
        note(t0 + 2 * kBarTicks + 3 * q + q / 2, q / 2, 38, 70);
    }
    // Offs before ons at the same tick, so a repeated key restarts cleanly.
    std::stable_sort(notes.begin(), notes.end(),
                     [](const MidiNoteEvent& a, const MidiNoteEvent& b) {
                         return a.nTick != b.nTick ? a.nTick < b.nTick : (!a.bOn && b.bOn);
                     });
    return notes;
}

CTempoMap CDemoPattern::Tempo() {
    CTempoMap map;
    map.SetTempoBpm(0, CDemoLoop::kTempo);
    map.SetTempoBpm(kBarsPerTempo * int64_t{kBarTicks}, CDemoLoop::kTempo * kSlowFactor);
    return map;
}
