// The slicer's decisions and its file: grid divisions, slices read back by
// the instrument's own wave reader, sample formats kept bit for bit, channels
// folded, zero crossings, the minimum gap, and loop facts taken from a file.
#include "apps/slicer/SlicePlanner.h"
#include "apps/hostkit/WavWriter.h"
#include "cli/CliFixture.h"
#include "files/AcidWave.h"
#include "platform/com/HResult.h"

namespace {
class SlicePlannerTest : public CliTest {
protected:
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    CSliceSource Source(const std::string& name) const {
        CSliceSource source;
        std::string strError;
        EXPECT_TRUE(source.Read(Path(name), &strError)) << strError;
        return source;
    }
    SlicePlan Plan(const CSliceSource& source, const SliceSettings& settings) const {
        SlicePlan plan;
        std::string strError;
        EXPECT_TRUE(CSlicePlanner().Plan(source, settings, &plan, &strError)) << strError;
        return plan;
    }
    // The data chunk's bytes as the instrument's reader streams them.
    static std::string DataBytes(const std::string& strPath, CAcidWave* pWave) {
        EXPECT_EQ(pWave->Open(strPath.c_str()), S_OK) << strPath;
        std::string bytes(pWave->GetDataBytes(), '\0');
        pWave->SeekToFrame(0);
        bytes.resize(pWave->ReadData(bytes.data(), static_cast<DWORD>(bytes.size())));
        return bytes;
    }
};

TEST(SliceDivision, NamesStraightNotesAndTriplets) {
    const std::pair<const char*, uint32_t> good[] = {{"1/1", 1},    {"1/4", 4},   {"1/16", 16},
                                                     {"1/64", 64},  {"1/8T", 12}, {"1/12", 12},
                                                     {"1/16t", 24}, {"1/3", 3},   {"1/4T", 6}};
    for (const auto& [psz, n] : good) EXPECT_EQ(CSlicePlanner::ParseDivision(psz), n) << psz;
    for (const char* psz : {"1/5", "1/0", "1/128", "2/4", "1/", "1/8TT", "1/1T", "1/-4", "1/96T",
                            "1/18", "16", "1/ 8"})
        EXPECT_EQ(CSlicePlanner::ParseDivision(psz), 0u) << psz;
}

TEST_F(SlicePlannerTest, GridSlicesAreWhatTheReaderReadsBack) {
    // 24-bit stereo, 1.7 s: a length that no grid divides into whole frames.
    std::vector<float> samples(2 * 74970);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(0.5 * std::sin(0.01 * static_cast<double>(i)));
    std::string strError;
    ASSERT_TRUE(CWavWriter(WavSampleFormat::Pcm24, 2, 44100)
                    .Write(Path("in.wav"), samples.data(), 74970, &strError));
    const CSliceSource source = Source("in.wav");
    SliceSettings settings;
    settings.nBeats = 4;
    settings.mode = SliceSettings::Mode::Grid;
    settings.nGridDivision = CSlicePlanner::ParseDivision("1/8T");
    const SlicePlan plan = Plan(source, settings);
    ASSERT_EQ(plan.meta.starts.size(), 12u);
    ASSERT_TRUE(CLoopWavWriter::Write(Path("out.wav"), source, plan.meta, &strError)) << strError;

    CAcidWave in, out;
    EXPECT_EQ(DataBytes(Path("out.wav"), &out), DataBytes(Path("in.wav"), &in));
    EXPECT_EQ(out.GetFormat().wBitsPerSample, 24);
    EXPECT_TRUE(out.HasAcid() && out.HasStrc() && out.IsLooping());
    EXPECT_FALSE(out.IsRootNoteValid());
    EXPECT_EQ(out.GetBeats(), 4u);
    EXPECT_NEAR(out.GetTempo(), 60.0 * 4 / 1.7, 1e-3);
    ASSERT_EQ(out.GetSegmentCount(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(out.GetSegment(i).nStart, plan.meta.starts[static_cast<size_t>(i)]);
        EXPECT_EQ(out.GetSegment(i).nStart, static_cast<DWORD>(74970.0 * (i / 12.0))) << i;
    }
    // 1/4T is one and a half slices a beat: three beats make no whole number.
    settings.nBeats = 3;
    settings.nGridDivision = CSlicePlanner::ParseDivision("1/4T");
    SlicePlan refused;
    EXPECT_FALSE(CSlicePlanner().Plan(source, settings, &refused, &strError));
    EXPECT_NE(strError.find("does not divide 3 beats evenly"), std::string::npos) << strError;
}

TEST_F(SlicePlannerTest, SampleFormatsAreKeptExactly) {
    // Full scale both ways, in 16-bit and float (float beyond 1.0 too).
    WriteFile("s16.wav", SineWave(64, 1.0, std::string(), 1, 16));
    std::string s16 = Slurp(Path("s16.wav"));
    s16.replace(s16.size() - 8, 8, Le16(0x8000) + Le16(0x7FFF) + Le16(0x8001) + Le16(0));
    WriteFile("s16.wav", s16);
    const std::vector<float> floats = {1.5f, -1.25f, 0.1f, -0.0f, 3e-8f, 0.75f};
    std::string strError;
    ASSERT_TRUE(CWavWriter(WavSampleFormat::Float32, 2, 48000)
                    .Write(Path("f.wav"), floats.data(), 3, &strError));
    for (const char* psz : {"s16.wav", "f.wav"}) {
        const CSliceSource source = Source(psz);
        SliceSettings settings;
        settings.nBeats = 1;
        ASSERT_TRUE(
            CLoopWavWriter::Write(Path("o.wav"), source, Plan(source, settings).meta, &strError));
        CAcidWave in, out;
        EXPECT_EQ(DataBytes(Path("o.wav"), &out), DataBytes(Path(psz), &in)) << psz;
        EXPECT_EQ(out.GetFormat().wFormatTag, in.GetFormat().wFormatTag) << psz;
        // No markers: readers cut the loop by beats themselves.
        EXPECT_FALSE(out.HasStrc());
    }
}

TEST_F(SlicePlannerTest, MoreThanTwoChannelsFoldToStereo) {
    // Four channels, one frame: (100, -7, 301, 8) sums odd channels left and
    // even ones right, in float as the instrument's loader folds them.
    const std::string fmt = Le16(1) + Le16(4) + Le32(8000) + Le32(64000) + Le16(8) + Le16(16);
    const std::string data = Le16(100) + Le16(static_cast<uint16_t>(-7)) + Le16(301) + Le16(8);
    const std::string body = "WAVE" + Chunk("fmt ", fmt) + Chunk("data", data);
    WriteFile("quad.wav", "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body);
    const CSliceSource source = Source("quad.wav");
    EXPECT_EQ(source.Channels(), 2);
    EXPECT_EQ(source.SourceChannels(), 4);
    EXPECT_TRUE(source.Integers().empty());
    EXPECT_EQ(source.Floats(), (std::vector<float>{401 / 32768.0f, 1 / 32768.0f}));
    // Six channels in the WAV order: centre to both sides at -3 dB, LFE dropped.
    const std::string fmt6 = Le16(1) + Le16(6) + Le32(8000) + Le32(96000) + Le16(12) + Le16(16);
    std::string frame;
    for (int v : {1000, 2000, 4000, 30000, 100, 200}) frame += Le16(static_cast<uint16_t>(v));
    const std::string body6 = "WAVE" + Chunk("fmt ", fmt6) + Chunk("data", frame);
    WriteFile("six.wav", "RIFF" + Le32(static_cast<uint32_t>(body6.size())) + body6);
    const std::vector<float> six = Source("six.wav").Floats();
    ASSERT_EQ(six.size(), 2u);
    EXPECT_NEAR(six[0] * 32768.0f, 1000 + 0.70710678f * (4000 + 100), 0.01f);
    EXPECT_NEAR(six[1] * 32768.0f, 2000 + 0.70710678f * (4000 + 200), 0.01f);
}

TEST_F(SlicePlannerTest, SlicesStartAtZeroCrossingsAndKeepTheirGap) {
    const std::vector<float> wave = {0.5f, 0.4f, 0.1f, -0.2f, -0.4f, -0.5f, -0.6f, -0.3f, -0.1f};
    // Back from frame 6 the nearest crossing lies between 2 and 3; 2 is nearer zero.
    EXPECT_EQ(CSlicePlanner::SnapToZero(wave, 6, 4), 2u);
    // None within reach behind: the nearest one ahead, else where it was.
    const std::vector<float> rising = {-0.5f, -0.4f, -0.3f, -0.01f, 0.2f, 0.3f};
    EXPECT_EQ(CSlicePlanner::SnapToZero(rising, 1, 3), 3u);
    EXPECT_EQ(CSlicePlanner::SnapToZero(rising, 5, 0), 5u);
    const std::vector<float> silence(100, 0.0f);
    EXPECT_EQ(CSlicePlanner::SnapToZero(silence, 50, 10), 50u);

    // Bursts at 0.5 s, a flam 20 ms after it, and one 10 ms before the end.
    std::vector<float> signal(44100, 0.0f);
    uint32_t nNoise = 5;
    for (size_t at : {22050u, 22932u, 43659u})
        for (size_t i = 0; i < 400 && at + i < signal.size(); ++i) {
            nNoise = nNoise * 1664525u + 1013904223u;
            signal[at + i] =
                static_cast<float>((static_cast<double>(nNoise >> 8) / (1 << 23) - 1.0) *
                                   std::exp(-static_cast<double>(i) / 100.0));
        }
    std::string strError;
    ASSERT_TRUE(CWavWriter(WavSampleFormat::Float32, 1, 44100)
                    .Write(Path("flam.wav"), signal.data(), signal.size(), &strError));
    const CSliceSource source = Source("flam.wav");
    SliceSettings settings;
    settings.nBeats = 2;
    settings.mode = SliceSettings::Mode::Onsets;
    SlicePlan plan = Plan(source, settings);
    EXPECT_EQ(plan.nOnsets, 3u);
    // The flam falls within 30 ms, the last burst within 30 ms of the end.
    ASSERT_EQ(plan.meta.starts.size(), 2u);
    EXPECT_NEAR(plan.meta.starts[1], 22050.0, 3.0);
    settings.dMinGapMs = 5.0;
    plan = Plan(source, settings);
    ASSERT_EQ(plan.meta.starts.size(), 4u);
    EXPECT_NEAR(plan.meta.starts[2], 22932.0, 3.0);
    EXPECT_NEAR(plan.meta.starts[3], 43659.0, 3.0);
}

TEST_F(SlicePlannerTest, LoopFactsComeFromTheFileUnlessGiven) {
    WriteFile("acid.wav", SineWave(88200, 0.5, AcidChunk(62, 4, true, 120.0f)));
    const CSliceSource source = Source("acid.wav");
    EXPECT_EQ(source.RootNote(), 62);
    SliceSettings settings;
    SlicePlan plan = Plan(source, settings);
    EXPECT_TRUE(plan.bBeatsFromFile);
    EXPECT_EQ(plan.meta.nBeats, 4u);
    EXPECT_EQ(plan.meta.nRootNote, 62);
    // A tempo that does not fit the length whole: rounded, and said.
    settings.dTempo = 100.0;
    plan = Plan(source, settings);
    EXPECT_EQ(plan.meta.nBeats, 3u);
    EXPECT_FLOAT_EQ(plan.meta.fTempo, 90.0f);
    ASSERT_EQ(plan.notes.size(), 1u);
    EXPECT_EQ(plan.notes[0], "at 100.00 BPM the file holds 3.33 beats; it loops as 3");
    // More beats than the instrument takes.
    settings.dTempo = 0.0;
    settings.nBeats = 65;
    std::string strError;
    EXPECT_FALSE(CSlicePlanner().Plan(source, settings, &plan, &strError));
}
} // namespace
