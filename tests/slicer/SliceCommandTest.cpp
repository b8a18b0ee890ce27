// `pandrel slice`, `project add` with slicing options and `info` on plain
// files, run as a user runs them; and a sliced loop played on a synced pad at
// other tempos, every hit on its beat and no click.
#include "apps/slicer/SliceSource.h"
#include "cli/CliFixture.h"
#include "files/AcidWave.h"
#include "platform/com/HResult.h"
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

TEST_F(SliceCommandTest, MistakesAreRefusedAndWriteNothing) {
    WriteLoop("in.wav", 120.0);
    ExpectOneLineError(Run("slice in.wav"), "missing -o OUT.wav");
    ExpectOneLineError(Run("slice in.wav -o o.wav --grid 1/5"), "--grid must be a note value");
    ExpectOneLineError(Run("slice in.wav -o o.wav --beats 0"),
                       "--beats must be a whole number from 1 to 64, not '0'");
    ExpectOneLineError(Run("slice in.wav -o o.wav --beats 2.5"), "--beats must be a whole number");
    ExpectOneLineError(Run("slice in.wav -o o.wav --beats 8 --bpm 120"), "not both");
    ExpectOneLineError(Run("slice in.wav -o o.wav --grid 1/8 --onsets"), "not both");
    ExpectOneLineError(Run("slice in.wav -o o.wav --min-gap 20"), "go with --onsets");
    ExpectOneLineError(Run("slice in.wav -o o.wav --onsets --sensitivity 2"),
                       "--sensitivity must be a number from 0 to 1");
    ExpectOneLineError(Run("slice none.wav -o o.wav"), "none.wav: does not exist");
    WriteFile("junk.wav", "not audio at all");
    ExpectOneLineError(Run("slice junk.wav -o o.wav"), "junk.wav: cannot read the audio");
    ExpectOneLineError(Run("slice in.wav -o ./in.wav --beats 8"),
                       "./in.wav: is the input (in.wav)");
    ExpectOneLineError(Run("slice in.wav -o o.wav --beats 3 --grid 1/4T"),
                       "the grid does not divide 3 beats evenly");
    ExpectOneLineError(Run("slice in.wav -o o.wav --bpm 999"),
                       "a loop of 67 beats is longer than the instrument takes (at most 64)");
    ExpectOneLineError(Run("slice in.wav -o none/o.wav --beats 8"), "none/o.wav: folder none");
    ExpectOneLineError(Run("project set p.pnd 1 --grid 1/8"),
                       "slicing options are for 'project add'");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"in.wav", "junk.wav"}));
}

TEST_F(SliceCommandTest, DryRunAndInfoShowThePlan) {
    WriteLoop("in.wav", 90.0);
    Result r = Run("slice in.wav --onsets --dry-run");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "pandrel: assumed 90.0 BPM, 8 beats; give --bpm or --beats to override\n");
    EXPECT_NE(r.strOut.find("Loop:        8 beats at 90.00 BPM (estimated)\n"), std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("Onsets:      16 found\nSlices:      16 at frames 0 "),
              std::string::npos);
    EXPECT_NE(r.strOut.find("Written as:  16-bit PCM\n"), std::string::npos);
    EXPECT_EQ(Entries(), std::vector<std::string>{"in.wav"});

    r = Run("info in.wav");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("'pandrel slice --onsets' would make:"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("8 beats at 90.00 BPM (estimated)"), std::string::npos);
    // A loop already: nothing to suggest.
    ASSERT_EQ(Run("slice in.wav -o loop.wav --grid 1/16 --bpm 90").nStatus, 0);
    r = Run("info loop.wav");
    EXPECT_NE(r.strOut.find("Segments:    32"), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strOut.find("would make"), std::string::npos);
}

TEST_F(SliceCommandTest, ProjectAddSlicesOnTheWayIn) {
    WriteLoop("in.wav", 120.0);
    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    Result r = Run("project add p.pnd in.wav --grid 1/16 --beats 8");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "");
    EXPECT_EQ(r.strOut,
              "added in.wav to p.pnd as file 0, sliced into " + m_dir + "/in.sliced.wav\n");
    r = Run("info p.pnd");
    // The entry keeps the file's name and names the sliced copy beside the
    // project, which holds its samples.
    EXPECT_NE(r.strOut.find("  0  in.wav  32 slices  " + m_dir + "/in.sliced.wav\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_EQ(Entries(), (std::vector<std::string>{"in.sliced.wav", "in.wav", "p.pnd"}));
    CAcidWave copy;
    ASSERT_EQ(copy.Open((m_dir + "/in.sliced.wav").c_str()), S_OK);
    EXPECT_EQ(copy.GetSegmentCount(), 32);
    copy.Close();

    // Forty seconds is past the plain-file limit, not the loop limit.
    DrumLoopSpec spec;
    spec.dTempo = 90.0;
    spec.nBars = 15;
    std::string strError;
    ASSERT_TRUE(CDrumLoopSynth(spec).Write(m_dir + "/long.wav", &strError)) << strError;
    EXPECT_NE(Run("project add p.pnd long.wav").nStatus, 0);
    r = Run("project add p.pnd long.wav --bpm 90 --onsets");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(Run("info p.pnd").strOut.find("  1  long.wav  "), std::string::npos);
}

// The sliced copy is never lost or overwritten: the same slicing again finds
// its copy in the Loop Bin, another slicing takes the next free name, and a
// copy deleted by hand is not made again under a name the Loop Bin holds.
TEST_F(SliceCommandTest, ProjectAddKeepsEachSlicedCopyUnderItsOwnName) {
    WriteLoop("in.wav", 120.0);
    ASSERT_EQ(mkdir((m_dir + "/sub").c_str(), 0755), 0);
    ASSERT_EQ(Run("project new sub/p.pnd").nStatus, 0);
    const std::string strSub = m_dir + "/sub/";
    ASSERT_EQ(Run("project add sub/p.pnd in.wav --grid 1/8 --beats 8").nStatus, 0);
    Result r = Run("project add sub/p.pnd in.wav --grid 1/8 --beats 8");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "in.wav sliced as " + strSub +
                            "in.sliced.wav is already in the Loop Bin of sub/p.pnd as file 0; "
                            "nothing changed\n");
    r = Run("project add sub/p.pnd in.wav --grid 1/4 --beats 8");
    EXPECT_EQ(r.strOut,
              "added in.wav to sub/p.pnd as file 1, sliced into " + strSub + "in.sliced-2.wav\n");
    ASSERT_EQ(std::remove((strSub + "in.sliced.wav").c_str()), 0);
    r = Run("project add sub/p.pnd in.wav --grid 1/16 --beats 8");
    EXPECT_NE(r.strOut.find("as file 2, sliced into " + strSub + "in.sliced-3.wav"),
              std::string::npos)
        << r.strOut;
    r = Run("info sub/p.pnd");
    EXPECT_NE(r.strOut.find("  1  in.wav  8 slices  " + strSub + "in.sliced-2.wav\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("  2  in.wav  32 slices  " + strSub + "in.sliced-3.wav\n"),
              std::string::npos);
    // A file of another kind under the name is left alone too.
    WriteFile("sub/in.sliced-4.wav", "someone else's");
    ASSERT_EQ(Run("project add sub/p.pnd in.wav --grid 1/2 --beats 8").nStatus, 0);
    EXPECT_EQ(Slurp(strSub + "in.sliced-4.wav"), "someone else's");
    EXPECT_TRUE(Exists("sub/in.sliced-5.wav"));
}

// A load that fails after slicing leaves no copy behind, and a folder that
// cannot take the copy is named.
TEST_F(SliceCommandTest, ProjectAddThatFailsLeavesNoSlicedCopy) {
    WriteLoop("in.wav", 120.0);
    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    for (int i = 0; i < 16; ++i) {
        WriteLoop("f" + std::to_string(i) + ".wav", 120.0);
        ASSERT_EQ(Run("project add p.pnd f" + std::to_string(i) + ".wav").nStatus, 0) << i;
    }
    ExpectOneLineError(Run("project add p.pnd in.wav --grid 1/8 --beats 8"),
                       "the Loop Bin is full");
    EXPECT_FALSE(Exists("in.sliced.wav"));

    const std::string strAs = Unprivileged();
    ASSERT_EQ(mkdir((m_dir + "/ro").c_str(), 0777), 0);
    chmod((m_dir + "/ro").c_str(), 0777);
    ASSERT_EQ(Run("project new ro/p.pnd", strAs).nStatus, 0);
    chmod((m_dir + "/ro").c_str(), 0555);
    ExpectOneLineError(Run("project add ro/p.pnd in.wav --grid 1/8 --beats 8", strAs),
                       "cannot keep the sliced copy");
    chmod((m_dir + "/ro").c_str(), 0755);
    EXPECT_FALSE(Exists("ro/in.sliced.wav"));
}
} // namespace
