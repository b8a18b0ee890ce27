#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoPattern.h"
#include "files/AcidWave.h"
#include "platform/com/HResult.h"
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {
// Energy of the mono mix in [nStart, nStart + nLength).
double Energy(const std::vector<float>& s, uint32_t nStart, uint32_t nLength) {
    double e = 0.0;
    for (uint32_t f = nStart; f < nStart + nLength; ++f) {
        const double m = 0.5 * (s[f * 2] + s[f * 2 + 1]);
        e += m * m;
    }
    return e / nLength;
}
} // namespace

TEST(DemoLoop, ReaderFindsTheLoopAndItsSlices) {
    const CDemoLoop loop;
    char path[] = "/tmp/pandrel-demo-XXXXXX.wav";
    const int fd = mkstemps(path, 4);
    ASSERT_GE(fd, 0);
    close(fd);
    std::string err;
    ASSERT_TRUE(loop.Write(path, &err)) << err;
    CAcidWave wave;
    ASSERT_EQ(wave.Open(path), S_OK);
    EXPECT_EQ(wave.GetFormat().wFormatTag, 1);
    EXPECT_EQ(wave.GetFormat().wBitsPerSample, 16);
    EXPECT_EQ(wave.GetFormat().nChannels, 2);
    EXPECT_EQ(wave.GetFrames(), CDemoLoop::kFrames);
    EXPECT_TRUE(wave.HasAcid());
    EXPECT_TRUE(wave.HasStrc());
    EXPECT_TRUE(wave.IsLooping());
    EXPECT_TRUE(wave.IsRootNoteValid());
    EXPECT_EQ(wave.GetBeats(), 8u);
    EXPECT_FLOAT_EQ(wave.GetTempo(), 120.0f);
    EXPECT_EQ(wave.GetSliceUnit(), 3u);
    // The markers, not slicing by beats, give the segments: one per eighth note.
    ASSERT_EQ(wave.GetSegmentCount(), CDemoLoop::kSlices);
    for (int i = 0; i < CDemoLoop::kSlices; ++i) {
        EXPECT_EQ(wave.GetSegment(i).nStart, static_cast<DWORD>(i) * 11025u);
        EXPECT_EQ(wave.GetSegment(i).nLength, 11025u);
    }
    // The sample bytes are the loop's samples at 16 bits.
    std::vector<int16_t> pcm(CDemoLoop::kFrames * 2);
    ASSERT_EQ(wave.SeekToFrame(0), S_OK);
    ASSERT_EQ(wave.ReadData(pcm.data(), static_cast<DWORD>(pcm.size() * 2)), pcm.size() * 2);
    for (size_t i = 0; i < pcm.size(); i += 997)
        EXPECT_NEAR(pcm[i] / 32768.0, loop.Samples()[i], 1.0 / 32768.0) << i;
    wave.Close();
    std::remove(path);
}

TEST(DemoLoop, SoundsLikeADrumLoop) {
    const CDemoLoop loop;
    const std::vector<float>& s = loop.Samples();
    float peak = 0.0f;
    for (float f : s) {
        ASSERT_TRUE(std::isfinite(f));
        peak = std::max(peak, std::fabs(f));
    }
    EXPECT_NEAR(peak, 0.89f, 1e-4f); // normalized to -1 dBFS, never clipping
    // Each beat starts louder than the eighth note that ends it: the hits
    // decay rather than sounding as steady noise.
    const uint32_t beat = CDemoLoop::kFrames / CDemoLoop::kBeats;
    for (int b = 0; b < CDemoLoop::kBeats; ++b) {
        const uint32_t at = static_cast<uint32_t>(b) * beat;
        EXPECT_GT(Energy(s, at, 2000), 4.0 * Energy(s, at + beat / 2 - 2000, 2000)) << "beat " << b;
    }
    // Synthesis is deterministic.
    EXPECT_EQ(CDemoLoop().Samples(), s);
}

TEST(DemoPattern, PadsFitTheLoopAndNotesPair) {
    for (const DemoPad& pad : CDemoPattern::Pads()) {
        EXPECT_GE(pad.nFirstSlice, 0);
        EXPECT_GE(pad.nSliceCount, 1);
        EXPECT_LE(pad.nFirstSlice + pad.nSliceCount, CDemoLoop::kSlices) << pad.pszName;
    }
    const std::vector<MidiNoteEvent> notes = CDemoPattern::Notes();
    int open[128] = {};
    int64_t last = 0;
    for (const MidiNoteEvent& n : notes) {
        EXPECT_GE(n.nTick, last);
        last = n.nTick;
        open[n.nKey] += n.bOn ? 1 : -1;
        EXPECT_GE(open[n.nKey], 0);
        EXPECT_LE(open[n.nKey], 1) << "key " << int(n.nKey) << " at " << n.nTick;
    }
    for (int k : open) EXPECT_EQ(k, 0);
    EXPECT_LE(last, CDemoPattern::LengthTicks());
    // The second half runs 25 % slower: the same four bars take 4/3 as long.
    const CTempoMap tempo = CDemoPattern::Tempo();
    const double half = CDemoPattern::LengthTicks() / 2.0;
    EXPECT_NEAR(tempo.TicksToMs(2 * half) - tempo.TicksToMs(half),
                tempo.TicksToMs(half) * 4.0 / 3.0, 1e-6);
}
