// `pandrel slice`, `project add` with slicing options and `info` on plain
// files, run as a user runs them; and a sliced loop played on a synced pad at
// other tempos, every hit on its beat and no click.
#include "apps/slicer/SliceSource.h"
#include "cli/CliFixture.h"
#include "files/AcidWave.h"
#include "slicer/DrumLoopSynth.h"

namespace {
class SliceCommandTest : public CliTest {
protected:
    // A plain two-bar loop at dTempo as name.
    CDrumLoopSynth WriteLoop(const std::string& name, double dTempo, bool bSparse = false) const {
        DrumLoopSpec spec;
        spec.dTempo = dTempo;
        spec.bSparse = bSparse;
        CDrumLoopSynth loop(spec);
        std::string strError;
        EXPECT_TRUE(loop.Write(m_dir + "/" + name, &strError)) << strError;
        return loop;
    }
};

float LargestStep(const std::vector<float>& y) {
    float fStep = 0.0f;
    for (size_t i = 1; i < y.size(); ++i) fStep = std::max(fStep, std::fabs(y[i] - y[i - 1]));
    return fStep;
}

// A MIDI file at a tempo that holds key 60 for eight beats (96 ticks a beat).
std::string SongAt(double dTempo) {
    const auto us = static_cast<uint32_t>(std::lround(60e6 / dTempo));
    return MidiFile(std::string("\0\xff\x51\x03", 4) +
                    std::string{char(us >> 16), char(us >> 8), char(us)} +
                    std::string("\0\x90\x3c\x64\x86\x00\x80\x3c\x00", 9));
}

TEST_F(SliceCommandTest, SlicedLoopPlaysOnTheGridAtOtherTempos) {
    const CDrumLoopSynth loop = WriteLoop("plain.wav", 100.0, true);
    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    Result r = Run("project add p.pnd plain.wav --onsets");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "pandrel: assumed 100.0 BPM, 8 beats; give --bpm or --beats to override\n");
    ASSERT_EQ(Run("project assign p.pnd 1 0 --synced on").nStatus, 0);
    std::vector<float> source(loop.Frames());
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = 0.5f * (loop.Samples()[2 * i] + loop.Samples()[2 * i + 1]);
    const float nSourceStep = LargestStep(source);
    for (double dTempo : {80.0, 130.0}) {
        WriteFile("song.mid", SongAt(dTempo));
        r = Run("render p.pnd --midi song.mid -o mix.wav --tail 0");
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        CSliceSource mix;
        std::string strError;
        ASSERT_TRUE(mix.Read(m_dir + "/mix.wav", &strError)) << strError;
        const std::vector<float> y = mix.Mono();
        const double dBeat = 60.0 / dTempo * 44100.0;
        for (double beat : loop.HitBeats()) {
            const auto nPredicted = static_cast<long>(std::lround(beat * dBeat));
            // The first sound after the silence before the hit.
            long n = std::max(0L, nPredicted - 2000);
            while (n < static_cast<long>(y.size()) && std::fabs(y[static_cast<size_t>(n)]) < 1e-4f)
                ++n;
            EXPECT_NEAR(n, nPredicted, 3) << dTempo << " BPM, beat " << beat;
        }
        // No click: no step from one sample to the next larger than the
        // loop's own largest (a hat's attack).
        EXPECT_LE(LargestStep(y), 1.02f * nSourceStep) << dTempo << " BPM";
    }
}
} // namespace
