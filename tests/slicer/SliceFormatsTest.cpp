// Files the wave reader does not take, through `pandrel slice` and `pandrel
// info`: FLAC and OGG made by sox slice as the same audio in a WAV does, and
// info shows what the loader decodes (format, fold, length, loop, segments,
// the limit that refuses it) with the slicer's plan for a plain file; an MP3
// is read to the same length as the loader reads it.
#include "apps/slicer/SliceSource.h"
#include "cli/CliFixture.h"
#include "files/AcidWave.h"
#include "files/AcidWaveSource.h"
#include "files/Mp3Frames.h"
#include "files/RiffBuilder.h"
#include "platform/com/HResult.h"
#include "slicer/DrumLoopSynth.h"

using namespace riff;

namespace {
bool HaveSox() { return std::system("command -v sox >/dev/null 2>&1") == 0; }

class SliceFormatsTest : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        if (!HaveSox()) GTEST_SKIP() << "sox is not installed (scripts/setup installs it)";
    }
    // A plain two-bar drum loop at 100 BPM as in.wav, and sox's copies of it.
    void WriteLoopAs(const std::vector<std::string>& exts) const {
        DrumLoopSpec spec;
        spec.dTempo = 100.0;
        std::string strError;
        ASSERT_TRUE(CDrumLoopSynth(spec).Write(m_dir + "/in.wav", &strError)) << strError;
        for (const std::string& ext : exts)
            ASSERT_EQ(std::system(("cd '" + m_dir + "' && sox in.wav in." + ext).c_str()), 0)
                << ext;
    }
    // The slice starts of a loop written by the slicer, read by the wave reader.
    std::vector<DWORD> Starts(const std::string& name) const {
        CAcidWave wave;
        EXPECT_EQ(wave.Open((m_dir + "/" + name).c_str()), S_OK) << name;
        EXPECT_TRUE(wave.HasAcid() && wave.IsLooping()) << name;
        std::vector<DWORD> starts;
        for (int i = 0; i < wave.GetSegmentCount(); ++i)
            starts.push_back(wave.GetSegment(i).nStart);
        return starts;
    }
};

TEST_F(SliceFormatsTest, FlacAndOggSliceAsTheWavDoes) {
    WriteLoopAs({"flac", "ogg"});
    for (const char* ext : {"wav", "flac", "ogg"}) {
        const Result r = Run(std::string("slice in.") + ext + " -o " + ext + ".out.wav --onsets");
        ASSERT_EQ(r.nStatus, 0) << ext << ": " << r.strErr;
        EXPECT_EQ(r.strErr,
                  "pandrel: assumed 100.0 BPM, 8 beats; give --bpm or --beats to override\n")
            << ext;
    }
    // Lossless: the very same file.
    EXPECT_EQ(Slurp(m_dir + "/flac.out.wav"), Slurp(m_dir + "/wav.out.wav"));
    const std::vector<DWORD> wav = Starts("wav.out.wav");
    ASSERT_EQ(wav.size(), 16u);
    // Lossy: the same slices; a start may come earlier by the codec's
    // pre-echo (its short blocks are 256 frames), never later.
    const std::vector<DWORD> ogg = Starts("ogg.out.wav");
    ASSERT_EQ(ogg.size(), wav.size());
    for (size_t i = 0; i < wav.size(); ++i) {
        const double dEarly = static_cast<double>(wav[i]) - static_cast<double>(ogg[i]);
        EXPECT_GE(dEarly, -4.0) << i;
        EXPECT_LE(dEarly, 256.0) << i;
    }
    CAcidWave out;
    ASSERT_EQ(out.Open((m_dir + "/ogg.out.wav").c_str()), S_OK);
    EXPECT_EQ(out.GetFormat().wFormatTag, 3); // a lossy codec's samples are written as float
    CAcidWave in;
    ASSERT_EQ(in.Open((m_dir + "/in.wav").c_str()), S_OK);
    EXPECT_EQ(out.GetFrames(), in.GetFrames());
}

TEST_F(SliceFormatsTest, InfoShowsWhatTheLoaderDecodes) {
    WriteLoopAs({"flac"});
    Result r = Run("info in.flac");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut.rfind("File:        in.flac\n"
                             "Format:      FLAC (Free Lossless Audio Codec) / Signed 16 bit PCM, "
                             "2 channels, 44100 Hz\n"
                             "Loaded as:   16-bit PCM, stereo\n"
                             "Length:      211680 frames, 4.800 s\n"
                             "Loop:        none (plays as one grain)\n"
                             "Segments:    0\n\n"
                             "'pandrel slice --onsets' would make:\n",
                             0),
              0u)
        << r.strOut;
    EXPECT_NE(r.strOut.find("Loop:        8 beats at 100.00 BPM (estimated)\n"), std::string::npos);
    r = Run("info in.flac --json");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("\"loop\": null,"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("\"refused\": null,\n  \"slicer\": {\"beats\": 8, \"tempo\": 100.000, "
                            "\"tempoEstimated\": true, \"beatsFromFile\": false, \"onsets\": 16, "
                            "\"slices\": [0, "),
              std::string::npos)
        << r.strOut;
    // A WAV's JSON gains the same field.
    r = Run("info in.wav --json");
    EXPECT_NE(r.strOut.find("\"slicer\": {\"beats\": 8, "), std::string::npos) << r.strOut;

    // Six channels with an `acid` chunk: folded to stereo, a loop of its
    // beats cut into sixteenths, and nothing for the slicer to suggest.
    Fmt six;
    six.channels = 6;
    const Bytes surround = RiffBuilder()
                               .Chunk("fmt ", FmtBody(six))
                               .Chunk("data", Pcm16(44100, 6))
                               .Chunk("acid", AcidBody(0, 60, 2, 120.0f))
                               .Form();
    WriteFile("six.wav", std::string(surround.begin(), surround.end()));
    r = Run("info six.wav");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("6 channels, 44100 Hz\nLoaded as:   32-bit float, folded to stereo\n"
                            "Length:      44100 frames, 1.000 s\n"
                            "Loop:        loop, from the file's loop information\n"
                            "Beats:       2\nTempo:       120.000 BPM\nSegments:    8\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_EQ(r.strOut.find("would make"), std::string::npos);
    r = Run("info six.wav --json");
    EXPECT_NE(r.strOut.find("\"foldedToStereo\": true}"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("\"loop\": {\"looping\": true, \"beats\": 2, \"tempo\": 120},"),
              std::string::npos);
    EXPECT_NE(r.strOut.find("\"slicer\": null\n}"), std::string::npos);

    // Past the plain file's limit: the loader's refusal and the way out.
    ASSERT_EQ(
        std::system(
            ("cd '" + m_dir + "' && sox -n -r 8000 -c 1 long.flac synth 31 sine 300").c_str()),
        0);
    r = Run("info long.flac");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("Refused:     31.0 s long; a plain file may last at most 30 s: slice "
                            "it into a loop with `pandrel slice IN -o OUT.wav --beats N`"),
              std::string::npos)
        << r.strOut;
    // What neither the loader nor the slicer reads is still an error.
    WriteFile("junk.flac", "fLaC and nothing more");
    ExpectOneLineError(Run("info junk.flac"), "junk.flac: not a RIFF WAVE file");
}
} // namespace

// A variable bit rate MP3 with its encoder header and without it: the slicer
// reads each as long as the loader does, the one with the header at the
// WAV's exact length, the other to its end (the WAV, the decoder's lead-in,
// at most one MPEG frame of padding).
TEST_F(SliceFormatsTest, Mp3ReadsAsLongAsTheLoaderReadsIt) {
    WriteLoopAs({});
    ASSERT_EQ(std::system(("cd '" + m_dir + "' && sox in.wav -C -4.2 vbr.mp3").c_str()), 0);
    const mp3::Bytes headerless = mp3::WithoutEncoderHeader(mp3::ReadFile(m_dir + "/vbr.mp3"));
    ASSERT_FALSE(headerless.empty());
    WriteFile("headerless.mp3", std::string(headerless.begin(), headerless.end()));
    CAcidWave wav;
    ASSERT_EQ(wav.Open((m_dir + "/in.wav").c_str()), S_OK);
    for (const char* name : {"vbr.mp3", "headerless.mp3"}) {
        const std::string path = m_dir + "/" + name;
        CSliceSource sliced;
        std::string strError;
        ASSERT_TRUE(sliced.Read(path, &strError)) << name << ": " << strError;
        CAcidWaveSource loaded;
        ASSERT_EQ(loaded.Load(path.c_str()), S_OK) << name;
        EXPECT_EQ(sliced.Frames(), loaded.Source().nFrames) << name;
        EXPECT_EQ(sliced.Format(), LoopSampleFormat::Float32) << name;
        if (std::string(name) == "vbr.mp3") {
            EXPECT_EQ(sliced.Frames(), wav.GetFrames());
        } else {
            EXPECT_GE(sliced.Frames(), wav.GetFrames() + 500) << name;
            EXPECT_LE(sliced.Frames(), wav.GetFrames() + 1200 + 1152) << name;
        }
    }
}
