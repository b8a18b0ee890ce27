// Feeds arbitrary bytes to the MIDI file reading of `pandrel render` (the
// parser, the merge into song order, the tempo map) and checks what a loaded
// song promises: notes in order and in range, a tempo map that converts
// song times both ways, and a rendering length the command can trust.
#include "FuzzInput.h"
#include "apps/hostkit/MidiSong.h"
#include <cmath>
#include <string>

namespace {
// What the render command accepts, in seconds (it refuses longer songs).
constexpr double kLongestRender = 3600.0;

void CheckTempoMap(const CTempoMap& tempo, int64_t nLength) {
    const auto& changes = tempo.Changes();
    FuzzCheck(!changes.empty() && changes.front().nTick == 0 && changes.front().dStartMs == 0.0);
    for (size_t i = 0; i < changes.size(); ++i) {
        FuzzCheck(changes[i].dMicrosPerQuarter > 0.0 &&
                  std::isfinite(changes[i].dMicrosPerQuarter));
        FuzzCheck(std::isfinite(changes[i].dStartMs));
        if (i > 0) {
            FuzzCheck(changes[i].nTick > changes[i - 1].nTick);
            FuzzCheck(changes[i].dStartMs >= changes[i - 1].dStartMs);
        }
    }
    const double dSeconds = tempo.TicksToMs(static_cast<double>(nLength)) / 1000.0;
    FuzzCheck(std::isfinite(dSeconds) && dSeconds >= 0.0);
    if (dSeconds > kLongestRender) return;
    // Within a song the command renders, ticks and time convert both ways.
    for (const auto& c : changes) {
        if (c.nTick > nLength) break;
        for (const int64_t t : {c.nTick, c.nTick + 1, (c.nTick + nLength) / 2}) {
            const double dMs = tempo.TicksToMs(static_cast<double>(t));
            FuzzCheck(std::abs(tempo.MsToTicks(dMs) - static_cast<double>(t)) <=
                      1e-6 * std::max<double>(1.0, static_cast<double>(t)));
        }
    }
    const double dFrames = tempo.TicksToSamples(static_cast<double>(nLength), 192000.0);
    FuzzCheck(dFrames >= 0.0 && dFrames <= kLongestRender * 192000.0 + 1.0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMidiSong song;
    std::string strError;
    if (!song.LoadFromMemory(data, size, &strError)) {
        // A clear one-line cause, and an empty song.
        FuzzCheck(!strError.empty() && strError.find('\n') == std::string::npos);
        FuzzCheck(song.Events().empty() && song.LengthTicks() == 0);
        return 0;
    }
    FuzzCheck(song.Format() == 0 || song.Format() == 1);
    FuzzCheck(song.FileDivision() > 0 && song.TrackCount() > 0);
    int64_t nPrevious = 0;
    for (const MidiNoteEvent& e : song.Events()) {
        FuzzCheck(e.nTick >= nPrevious && e.nTick <= song.LengthTicks());
        FuzzCheck(e.nChannel < 16 && e.nKey < 128 && e.nVelocity < 128);
        FuzzCheck(!e.bOn || e.nVelocity > 0);
        nPrevious = e.nTick;
    }
    CheckTempoMap(song.Tempo(), song.LengthTicks());
    return 0;
}
