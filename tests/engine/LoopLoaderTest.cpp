#include "engine/LoopLoader.h"
#include "FakeSynthContext.h"
#include "LoopSourceBuilder.h"
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {
struct LoopLoaderTest : ::testing::Test {
    HRESULT Load(const LoopSource& src, DWORD outRate = 44100) {
        return LoadLoopIntoEntry(&entry, src, MakeFloatFormat(2, outRate), 3,
                                 L"/loops/drums/beat.wav");
    }
    FakeSynthContext ctx{44100};
    CGrooveTrack entry{&ctx};
    LoopSourceBuilder b;
};

// Builds the source first, then decodes it (argument order is unspecified).
HRESULT Decode(LoopSourceBuilder& s, WORD tag, int channels, int bits,
               const std::vector<uint8_t>& data, DWORD frames, CWaveMem* w) {
    const LoopSource& src = s.Raw(tag, channels, 44100, bits, data).Get();
    return DecodeFrames(src.wfx, src.pData, frames, w);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
    std::vector<uint8_t> out;
    for (int x : v) out.push_back(static_cast<uint8_t>(x));
    return out;
}
} // namespace

TEST(PlainFileBeats, NearestPowerOfTwoAt120Bpm) {
    EXPECT_EQ(PlainFileBeats(3.0), 8); // 6 beats -> 8
    EXPECT_EQ(PlainFileBeats(0.2), 1); // 0.4 beats -> at least 1
    EXPECT_EQ(PlainFileBeats(2.0), 4);
    EXPECT_EQ(PlainFileBeats(0.0), 1);
    EXPECT_EQ(PlainFileBeats(30.0), 64);
}

TEST_F(LoopLoaderTest, PlainFileBecomesOneGrainOverTheWholeFile) {
    ASSERT_EQ(Load(b.Silence(1, 44100, 3 * 44100).Get()), S_OK);
    ASSERT_EQ(entry.GetSize(), 1);
    const CGrooveEvent* g = entry.GetAt(0);
    EXPECT_EQ(g->m_nLenTicks, 8 * kTicksPerBeat);
    EXPECT_EQ(g->m_nLenSamples, 3 * 44100);
    EXPECT_EQ(g->m_nSrcStart, 0);
    EXPECT_EQ(g->m_nPeakFirst, 0);
    EXPECT_EQ(g->m_nPeakCount, 544);
    EXPECT_EQ(g->m_nSourceIndex, 3);
    EXPECT_EQ(g->m_nSliceIndex, 0);
    EXPECT_FALSE(g->m_bSynced);
    EXPECT_EQ(g->m_nTailSamples, 2 * 3 * 44100);
    EXPECT_NE(g->m_pTail, nullptr);
    EXPECT_FALSE(entry.m_bLooping);
    EXPECT_FALSE(entry.m_bSyncedPlayback);
    EXPECT_FALSE(entry.m_bFollowKey);
    EXPECT_EQ(entry.m_nLenTicks, 8 * kTicksPerBeat);
    EXPECT_EQ(entry.m_nLenSamples, 3 * 44100);
    EXPECT_NEAR(entry.m_dTempo, 160.0, 1e-9); // 8 beats in 3 s
    EXPECT_EQ(entry.m_strName, L"beat.wav");
    EXPECT_EQ(entry.m_strPath, L"/loops/drums/beat.wav");
    EXPECT_EQ(entry.m_pWave->m_nPeakBlocks, 544);
    EXPECT_EQ(+entry.m_pWave->m_wfx.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
}

TEST_F(LoopLoaderTest, ShortPlainFileGetsOneBeat) {
    ASSERT_EQ(Load(b.Silence(2, 44100, 8820).Get()), S_OK);
    EXPECT_EQ(entry.m_nLenTicks, kTicksPerBeat);
}

TEST_F(LoopLoaderTest, LimitsOfPlainFilesAndLoops) {
    // Low file rates keep the data small; the limits are in seconds.
    EXPECT_EQ(Load(b.Silence(1, 1000, 30000).Get(), 1000), S_OK);
    EXPECT_EQ(Load(b.Silence(1, 1000, 30001).Get(), 1000), E_UNEXPECTED);
    EXPECT_EQ(Load(b.Silence(1, 1000, 31000).Get(), 1000), E_UNEXPECTED);
    EXPECT_TRUE(entry.IsEmpty());
    EXPECT_TRUE(entry.m_strName.empty());
    EXPECT_EQ(entry.m_pWave, nullptr);
    EXPECT_EQ(Load(b.Silence(1, 1000, 128000).Loop(64, {{0, 128000}}).Get(), 1000), S_OK);
    EXPECT_EQ(Load(b.Silence(1, 1000, 129000).Loop(64, {{0, 129000}}).Get(), 1000), E_UNEXPECTED);
    EXPECT_EQ(Load(b.Silence(1, 1000, 4000).Loop(65, {{0, 4000}}).Get(), 1000), E_UNEXPECTED);
    // A one-shot with loop data is a plain file, so the 30-second limit applies.
    b.Silence(1, 1000, 40000).Loop(8, {{0, 40000}});
    b.src.bLooping = 0;
    EXPECT_EQ(Load(b.Get(), 1000), E_UNEXPECTED);
}

TEST_F(LoopLoaderTest, SlicesBecomeSyncedGrainsOnTheBeatGrid) {
    // 2 beats at 120 BPM in 44.1 kHz, cut into three slices.
    const DWORD n = 44100;
    ASSERT_EQ(Load(b.Silence(2, 44100, n)
                       .Loop(2, {{0, 11025}, {11025, 22050}, {33075, 11025}}, 3, 1)
                       .Get()),
              S_OK);
    ASSERT_EQ(entry.GetSize(), 3);
    const LONGLONG starts[3] = {0, 11025, 33075}, lens[3] = {11025, 22050, 11025};
    for (int k = 0; k < 3; ++k) {
        const CGrooveEvent* g = entry.GetAt(k);
        EXPECT_TRUE(g->m_bSynced);
        EXPECT_EQ(g->m_nSrcStart, starts[k]);
        EXPECT_EQ(g->m_nStartSamples, starts[k]);
        EXPECT_EQ(g->m_nLenSamples, lens[k]);
        EXPECT_EQ(g->m_nStartTicks, std::llround(starts[k] / double(n) * 2 * kTicksPerBeat));
        EXPECT_EQ(g->m_nLenTicks, std::llround(lens[k] / double(n) * 2 * kTicksPerBeat));
        EXPECT_EQ(g->m_nPeakFirst, std::lround(544.0 * starts[k] / n));
        EXPECT_EQ(g->m_nPeakCount, std::lround(544.0 * lens[k] / n));
        EXPECT_EQ(g->m_nSliceIndex, k);
        EXPECT_EQ(g->m_nSourceIndex, 3);
        EXPECT_EQ(g->m_nTailSamples, 2 * lens[k]);
        EXPECT_FALSE(g->m_bUseTail);
    }
    EXPECT_TRUE(entry.m_bLooping);
    EXPECT_TRUE(entry.m_bSyncedPlayback);
    EXPECT_TRUE(entry.m_bFollowKey);
    EXPECT_EQ(entry.m_nKey, 3); // key index 3 (root 60, C) -> pad key 3, "C" under Root
    EXPECT_EQ(entry.m_nLenTicks, 2 * kTicksPerBeat);
    EXPECT_EQ(entry.m_nLenSamples, n);
    EXPECT_NEAR(entry.m_dTempo, 120.0, 1e-9);
}

// The pad key is numbered from A, as the reader's key index and the Root list
// ("None", "A", "A#", "B", "C", ...: pad key + 1) number it.
TEST_F(LoopLoaderTest, PadKeyIsTheKeyIndexWhenTheRootNoteIsValidElseNone) {
    // Root 57 (A) without the valid flag: the file claims no key.
    ASSERT_EQ(Load(b.Silence(1, 44100, 4410).Loop(1, {{0, 4410}}, 0, 0).Get()), S_OK);
    EXPECT_EQ(entry.m_nKey, -1);
    EXPECT_FALSE(entry.m_bFollowKey);
    // A file claims its root: A (57) -> 0, C (60) -> 3, G# (68) -> 11.
    for (const LONG nIndex : {0, 3, 11}) {
        ASSERT_EQ(Load(b.Silence(1, 44100, 4410).Loop(1, {{0, 4410}}, nIndex, 1).Get()), S_OK);
        EXPECT_EQ(entry.m_nKey, nIndex);
        EXPECT_TRUE(entry.m_bFollowKey);
    }
    // A plain file loaded over the G# loop has no root.
    LoopSourceBuilder plain;
    ASSERT_EQ(Load(plain.Silence(1, 44100, 4410).Get()), S_OK);
    EXPECT_EQ(entry.m_nKey, -1);
    EXPECT_FALSE(entry.m_bFollowKey);
}

TEST_F(LoopLoaderTest, SlicesFollowTheRateConversionAndStopAtTheEnd) {
    // 22.05 kHz file into a 44.1 kHz engine: every position doubles. The third
    // marker runs past the file and ends the list.
    ASSERT_EQ(Load(b.Silence(1, 22050, 1000).Loop(1, {{0, 400}, {400, 600}, {900, 500}}).Get()),
              S_OK);
    ASSERT_EQ(entry.GetSize(), 2);
    EXPECT_EQ(entry.m_pWave->m_nFrames, 2000);
    EXPECT_EQ(entry.GetAt(1)->m_nSrcStart, 800);
    EXPECT_EQ(entry.GetAt(1)->m_nLenSamples, 1200);
    EXPECT_EQ(entry.m_nLenSamples, 2000);
}

TEST_F(LoopLoaderTest, EmptySlicesAreSkippedAndAnEntryWithoutGrainsFails) {
    ASSERT_EQ(Load(b.Silence(1, 44100, 1000).Loop(1, {{0, 0}, {0, 1000}}).Get()), S_OK);
    ASSERT_EQ(entry.GetSize(), 1);
    EXPECT_EQ(entry.GetAt(0)->m_nSliceIndex, 1);
    EXPECT_EQ(Load(b.Silence(1, 44100, 1000).Loop(1, {{5000, 10}}).Get()), E_UNEXPECTED);
    EXPECT_TRUE(entry.IsEmpty());
    EXPECT_EQ(entry.m_pWave, nullptr);
}

TEST_F(LoopLoaderTest, LoopWithoutBeatsStillGetsPositions) {
    ASSERT_EQ(Load(b.Silence(1, 44100, 44100).Loop(0, {{0, 22050}, {22050, 22050}}).Get()), S_OK);
    EXPECT_EQ(entry.m_nLenTicks, 2 * kTicksPerBeat); // 1 s -> 2 beats, as for a plain file
    EXPECT_EQ(entry.GetAt(1)->m_nStartTicks, kTicksPerBeat);
}

TEST_F(LoopLoaderTest, DecodesEveryIntegerAndFloatWidth) {
    CWaveMem w;
    LoopSourceBuilder s;
    // 16-bit: x / 32768.
    ASSERT_EQ(Decode(s, 1, 1, 16, Bytes({0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40}), 3, &w), S_OK);
    EXPECT_FLOAT_EQ(w.m_pData[0], -1.0f);
    EXPECT_FLOAT_EQ(w.m_pData[1], 32767.0f / 32768.0f);
    EXPECT_FLOAT_EQ(w.m_pData[2], 0.5f);
    EXPECT_FLOAT_EQ(w.m_pData[3], 0.5f); // guard
    // 24-bit: x / 2^23, sign-extended.
    ASSERT_EQ(Decode(s, 1, 1, 24, Bytes({0x00, 0x00, 0x80, 0x00, 0x00, 0x40}), 2, &w), S_OK);
    EXPECT_FLOAT_EQ(w.m_pData[0], -1.0f);
    EXPECT_FLOAT_EQ(w.m_pData[1], 0.5f);
    // 8-bit unsigned: (x - 128) / 128.
    ASSERT_EQ(Decode(s, 1, 2, 8, Bytes({0, 255, 128, 192}), 2, &w), S_OK);
    EXPECT_FLOAT_EQ(w.m_pData[0], -1.0f);
    EXPECT_FLOAT_EQ(w.m_pData[1], 127.0f / 128.0f);
    EXPECT_FLOAT_EQ(w.m_pData[2], 0.0f);
    EXPECT_FLOAT_EQ(w.m_pData[3], 0.5f);
    // 32-bit integer PCM is scaled, not taken as float bits.
    ASSERT_EQ(Decode(s, 1, 1, 32, Bytes({0, 0, 0, 0x40, 0, 0, 0, 0x80}), 2, &w), S_OK);
    EXPECT_FLOAT_EQ(w.m_pData[0], 0.5f);
    EXPECT_FLOAT_EQ(w.m_pData[1], -1.0f);
}

TEST_F(LoopLoaderTest, FloatSamplesPassButNonFiniteOnesBecomeSilence) {
    const float f[4] = {0.25f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(), -2.0f};
    std::vector<uint8_t> raw(sizeof f);
    std::memcpy(raw.data(), f, sizeof f);
    CWaveMem w;
    LoopSourceBuilder s;
    ASSERT_EQ(Decode(s, 3, 2, 32, raw, 2, &w), S_OK);
    EXPECT_FLOAT_EQ(w.m_pData[0], 0.25f);
    EXPECT_FLOAT_EQ(w.m_pData[1], 0.0f);
    EXPECT_FLOAT_EQ(w.m_pData[2], 0.0f);
    EXPECT_FLOAT_EQ(w.m_pData[3], -2.0f);
    // Magnitudes beyond +60 dB are limited, so no later sum can overflow.
    const float huge[2] = {3e38f, -5000.0f};
    raw.resize(sizeof huge);
    std::memcpy(raw.data(), huge, sizeof huge);
    ASSERT_EQ(Decode(s, 3, 1, 32, raw, 2, &w), S_OK);
    EXPECT_FLOAT_EQ(w.m_pData[0], 1000.0f);
    EXPECT_FLOAT_EQ(w.m_pData[1], -1000.0f);
    const double d[2] = {0.125, -std::numeric_limits<double>::infinity()};
    raw.resize(sizeof d);
    std::memcpy(raw.data(), d, sizeof d);
    ASSERT_EQ(Decode(s, 3, 1, 64, raw, 2, &w), S_OK);
    EXPECT_FLOAT_EQ(w.m_pData[0], 0.125f);
    EXPECT_FLOAT_EQ(w.m_pData[1], 0.0f);
}

TEST_F(LoopLoaderTest, FormatsTheDecoderCannotTakeFailCleanly) {
    CWaveMem w;
    LoopSourceBuilder s;
    EXPECT_EQ(Decode(s, 1, 3, 16, std::vector<uint8_t>(12), 2, &w), E_FAIL);
    EXPECT_EQ(Decode(s, 2, 1, 16, std::vector<uint8_t>(4), 2, &w), E_FAIL);
    EXPECT_EQ(Decode(s, 3, 1, 16, std::vector<uint8_t>(4), 2, &w), E_FAIL);
    WAVEFORMATEX bad = s.Raw(1, 2, 44100, 16, std::vector<uint8_t>(8)).Get().wfx;
    bad.nBlockAlign = 2; // smaller than a frame
    EXPECT_EQ(DecodeFrames(bad, s.bytes.data(), 2, &w), E_FAIL);
    EXPECT_EQ(Load(s.Raw(1, 1, 0, 16, std::vector<uint8_t>(4)).Get()), E_FAIL);
    EXPECT_TRUE(entry.IsEmpty());
}
