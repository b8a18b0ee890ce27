// The reader against independent tools: files written by sox in every sample
// layout it supports, and libsndfile's own reading of the same files (format,
// frames, raw sample bytes) and of the loop metadata of our fixtures.
#include "RiffBuilder.h"
#include "engine/LoopLoader.h"
#include "files/AcidWave.h"
#include "files/AcidWaveSource.h"
#include "platform/com/HResult.h"
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#if PANDREL_HAVE_SNDFILE
#include <sndfile.h>
#endif

using namespace riff;

namespace {
bool HaveSox() { return std::system("command -v sox >/dev/null 2>&1") == 0; }

struct Layout {
    const char* encoding;
    int bits;
    WORD tag;
};
constexpr Layout kLayouts[] = {
    {"unsigned-integer", 8, 1}, {"signed-integer", 16, 1}, {"signed-integer", 24, 1},
    {"signed-integer", 32, 1},  {"floating-point", 32, 3}, {"floating-point", 64, 3},
};
constexpr DWORD kFrames = 1000;
constexpr DWORD kRate = 22050;

#if PANDREL_HAVE_SNDFILE
// libsndfile's frames, channels and raw data bytes of a file.
struct SndFile {
    explicit SndFile(const char* path) { file = sf_open(path, SFM_READ, &info); }
    ~SndFile() {
        if (file != nullptr) sf_close(file);
    }
    Bytes Raw(size_t bytes) {
        Bytes out(bytes);
        out.resize(
            static_cast<size_t>(sf_read_raw(file, out.data(), static_cast<sf_count_t>(bytes))));
        return out;
    }
    SF_INFO info{};
    SNDFILE* file = nullptr;
};
#endif
} // namespace

TEST(ToolCrossCheck, SoxFilesInEveryLayoutReadAsWritten) {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
    for (int channels : {1, 2}) {
        for (const Layout& l : kLayouts) {
            TempFile file(Bytes{}, "sox-" + std::to_string(channels) + "-" + l.encoding +
                                       std::to_string(l.bits) + ".wav");
            // Rate and channels belong to the synthetic input, so nothing is resampled.
            const std::string cmd = "sox -q -r " + std::to_string(kRate) + " -c " +
                                    std::to_string(channels) + " -n -b " + std::to_string(l.bits) +
                                    " -e " + l.encoding + " " + file.path() + " synth " +
                                    std::to_string(kFrames) + "s sine 440 gain -3";
            ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
            SCOPED_TRACE(file.path());
            CAcidWaveSource source;
            ASSERT_EQ(source.Load(file.c_str()), S_OK);
            const LoopSource& s = source.Source();
            EXPECT_EQ(s.wfx.wFormatTag, l.tag); // sox writes the extensible form for some of these
            EXPECT_EQ(s.wfx.nChannels, channels);
            EXPECT_EQ(s.wfx.wBitsPerSample, l.bits);
            EXPECT_EQ(s.wfx.nSamplesPerSec, kRate);
            EXPECT_EQ(s.wfx.nBlockAlign, channels * l.bits / 8);
            EXPECT_EQ(s.nFrames, kFrames);
            EXPECT_FALSE(s.bAcid);
            EXPECT_EQ(s.nSegments, 0);
#if PANDREL_HAVE_SNDFILE
            SndFile snd(file.c_str());
            ASSERT_NE(snd.file, nullptr);
            EXPECT_EQ(snd.info.frames, kFrames);
            EXPECT_EQ(snd.info.channels, channels);
            const size_t bytes = size_t{s.wfx.nBlockAlign} * kFrames;
            EXPECT_EQ(snd.Raw(bytes), Bytes(s.pData, s.pData + bytes));
            // The engine's decoding equals libsndfile's float reading within
            // one step of the source width.
            CWaveMem decoded;
            ASSERT_EQ(DecodeFrames(s.wfx, s.pData, s.nFrames, &decoded), S_OK);
            sf_seek(snd.file, 0, SEEK_SET);
            std::vector<float> ref(size_t{kFrames} * channels);
            ASSERT_EQ(sf_readf_float(snd.file, ref.data(), kFrames),
                      static_cast<sf_count_t>(kFrames));
            const double lsb = l.tag == 3 ? 1e-7 : std::ldexp(1.0, 1 - l.bits);
            for (size_t i = 0; i < ref.size(); ++i)
                ASSERT_NEAR(decoded.m_pData[i], ref[i], lsb) << i;
#endif
        }
    }
}

TEST(ToolCrossCheck, LibsndfileReadsTheSameLoopMetadata) {
#if PANDREL_HAVE_SNDFILE
    struct Case {
        uint32_t flags;
        int16_t root;
        uint32_t beats;
        float tempo;
    };
    for (const Case& c : {Case{2, 62, 8, 128.5f}, Case{0, 60, 4, 120.0f}, Case{3, 57, 1, 90.25f},
                          Case{6, 71, 16, 174.0f}}) {
        TempFile file(Wave(4410).Chunk("acid", AcidBody(c.flags, c.root, c.beats, c.tempo)).Form());
        SCOPED_TRACE(c.root);
        CAcidWave wave;
        ASSERT_EQ(wave.Open(file.c_str()), S_OK);
        SndFile snd(file.c_str());
        ASSERT_NE(snd.file, nullptr);
        SF_LOOP_INFO loop{};
        ASSERT_EQ(sf_command(snd.file, SFC_GET_LOOP_INFO, &loop, sizeof(loop)), SF_TRUE);
        EXPECT_EQ(static_cast<DWORD>(loop.num_beats), wave.GetBeats());
        EXPECT_EQ(loop.bpm, wave.GetTempo());
        EXPECT_EQ(loop.loop_mode == SF_LOOP_FORWARD, wave.IsLooping() != 0);
        // libsndfile gives the root note only when the file marks it valid.
        EXPECT_EQ(loop.root_key != -1, wave.IsRootNoteValid() != 0);
        if (loop.root_key != -1) {
            EXPECT_EQ((loop.root_key + 3) % 12, wave.GetKeyIndex());
        }
        // Without a `smpl` chunk libsndfile has no instrument to report.
        SF_INSTRUMENT instrument{};
        EXPECT_EQ(sf_command(snd.file, SFC_GET_INSTRUMENT, &instrument, sizeof(instrument)),
                  SF_FALSE);
        EXPECT_EQ(snd.info.frames, wave.GetFrames());
    }
#else
    GTEST_SKIP() << "built without libsndfile";
#endif
}
