// Files the wave reader does not take, loaded into the Loop Bin through the
// sound file decoder: formats written by sox and checked against sox's own
// decoding, loop information in AIFF and wave files, channel folding, u-law,
// the loader's length limits, and MP3 with and without its encoder header.
#include "../engine/FakeSynthContext.h"
#include "Mp3Frames.h"
#include "RiffBuilder.h"
#include "files/AcidWaveSource.h"
#include "files/BinLoader.h"
#include "platform/sound/SoundFileDecoder.h"
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace riff;

namespace {
struct Engine : CVudivuVizezud {
    explicit Engine(CDXiSynthContext* c) : CDXi(c), CVudivuVizezud(c) {}
};

struct SoundFileLoad : ::testing::Test {
    SoundFileLoad() { engine.SetOutputFormatRecord(MakeFloatFormat(2, 44100)); }
    HRESULT Load(const std::string& path) {
        return LoadFileToBinEntry(&engine, path.c_str(), -1, &at, &status);
    }
    const CGrooveTrack* Entry() const { return engine.BinEntry(at); }
    FakeSynthContext ctx{44100};
    Engine engine{&ctx};
    LONG at = -1, status = -1;
};

bool Shell(const std::string& cmd) { return std::system((cmd + " 2>/dev/null").c_str()) == 0; }
bool HaveSox() { return Shell("command -v sox >/dev/null"); }

// sox's decoding of a file as 32-bit float frames.
std::vector<float> SoxDecode(const std::string& path) {
    const std::string raw = path + ".f32";
    if (!Shell("sox " + path + " -e floating-point -b 32 -t raw " + raw)) return {};
    std::ifstream in(raw, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::remove(raw.c_str());
    std::vector<float> out(bytes.size() / 4);
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

// Big-endian writers for the AIFF form.
void Be16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void Be32(Bytes& b, uint32_t v) {
    Be16(b, static_cast<uint16_t>(v >> 16));
    Be16(b, static_cast<uint16_t>(v));
}
void BeChunk(Bytes& b, const char* id, const Bytes& body) {
    PutTag(b, id);
    Be32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2 == 1) b.push_back(0);
}

// An Apple-Loops-style AIFF: 16-bit stereo at 44.1 kHz with a `basc` chunk
// (version, beats, root note, scale type, meter, loop type 0 loop / 1 one-shot).
Bytes LoopAiff(uint32_t frames, uint32_t beats, uint16_t loopType) {
    Bytes comm;
    Be16(comm, 2);
    Be32(comm, frames);
    Be16(comm, 16);
    for (uint8_t x : {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}) comm.push_back(x); // 44100.0
    Bytes basc;
    Be32(basc, 1);
    Be32(basc, beats);
    Be16(basc, 60);
    Be16(basc, 3);
    Be16(basc, 4);
    Be16(basc, 4);
    Be16(basc, loopType);
    basc.resize(84, 0);
    Bytes ssnd(8, 0);
    for (uint32_t f = 0; f < frames; ++f)
        for (int c = 0; c < 2; ++c) Be16(ssnd, static_cast<uint16_t>(f * 2 + c));
    Bytes body;
    PutTag(body, "AIFF");
    BeChunk(body, "COMM", comm);
    BeChunk(body, "basc", basc);
    BeChunk(body, "SSND", ssnd);
    Bytes form;
    BeChunk(form, "FORM", body);
    return form;
}

// 16-bit frames in which channel c holds the constant values[c].
Bytes Constant16(uint32_t frames, const std::vector<int16_t>& values) {
    Bytes b;
    for (uint32_t f = 0; f < frames; ++f)
        for (int16_t v : values) Put16(b, static_cast<uint16_t>(v));
    return b;
}

// G.711 u-law, worked out from the encoding's definition.
int UlawValue(uint8_t byte) {
    const int u = ~byte & 0xFF;
    const int magnitude = ((((u & 0x0F) << 3) + 0x84) << ((u >> 4) & 7)) - 0x84;
    return (u & 0x80) ? -magnitude : magnitude;
}
// 2 s of mono 16-bit silence at 44.1 kHz with a sharp click at each of kClicks.
const uint32_t kClicks[] = {0, 22050, 44100, 66150};
Bytes ClicksWav() {
    Bytes data;
    for (uint32_t f = 0; f < 88200; ++f) {
        int16_t v = 0;
        for (uint32_t c : kClicks)
            if (f >= c && f < c + 40) v = f < c + 20 ? 20000 : -20000;
        Put16(data, static_cast<uint16_t>(v));
    }
    Fmt mono;
    mono.channels = 1;
    return RiffBuilder().Chunk("fmt ", FmtBody(mono)).Chunk("data", data).Form();
}

// The first frame at or after from whose sample reaches 0.3.
LONGLONG FirstLoud(const CWaveMem* w, LONGLONG from) {
    while (from < w->m_nFrames && w->m_pData[from] < 0.3f) ++from;
    return from;
}
} // namespace

// Every format through the control interface's load, sample for sample against
// sox's decoding of the same file: lossless ones exactly (and as the source
// was written), lossy ones within one LSB of the 16-bit source.
TEST_F(SoundFileLoad, FormatsMadeBySoxLoadAsSoxDecodesThem) {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed (scripts/setup installs it)";
    struct Case {
        const char* ext;
        int bits;
        bool lossless;
        WORD tag, sampleBits; // the format the loader gets
    };
    const Case cases[] = {{"flac", 16, true, 1, 16}, {"flac", 24, true, 1, 32},
                          {"aiff", 16, true, 1, 16}, {"aiff", 24, true, 1, 32},
                          {"ogg", 16, false, 3, 32}, {"mp3", 16, false, 3, 32}};
    for (const Case& c : cases) {
        const std::string name = std::string("x") + std::to_string(c.bits) + "." + c.ext;
        SCOPED_TRACE(name);
        TempFile src(Bytes{}, "src" + std::to_string(c.bits) + ".wav"), file(Bytes{}, name);
        // A sweep, so that no shifted copy of the signal matches it.
        ASSERT_TRUE(Shell("sox -q -r 44100 -c 2 -n -b " + std::to_string(c.bits) + " " +
                          src.path() + " synth 0.25 sine 100-5000 sine 3000-200 gain -3"));
        if (!Shell("sox " + src.path() + " " + file.path())) {
            ADD_FAILURE() << "sox cannot write " << c.ext << " (scripts/setup installs it)";
            continue;
        }
        CAcidWaveSource source;
        ASSERT_EQ(source.Load(file.c_str()), S_OK);
        EXPECT_TRUE(source.IsDecoded());
        EXPECT_EQ(source.Source().wfx.wFormatTag, c.tag);
        EXPECT_EQ(source.Source().wfx.wBitsPerSample, c.sampleBits);
        EXPECT_FALSE(source.Source().bAcid);

        ASSERT_EQ(Load(file.path()), S_OK);
        const CGrooveTrack* e = Entry();
        ASSERT_EQ(e->GetSize(), 1); // a plain file: one grain, played unsynced
        EXPECT_FALSE(e->m_bSyncedPlayback);
        const std::vector<float> sox = SoxDecode(file.path());
        const std::vector<float> wav = SoxDecode(src.path());
        const LONGLONG frames = e->m_pWave->m_nFrames;
        if (c.lossless || std::string(c.ext) == "ogg") {
            EXPECT_EQ(static_cast<size_t>(frames) * 2, sox.size());
        } else {
            // libsndfile keeps the last MPEG frame's padding, which sox trims.
            EXPECT_GE(static_cast<size_t>(frames) * 2, sox.size());
        }
        const double lsb = 1.0 / (1 << (c.bits - 1));
        double worst = 0.0, worstSource = 0.0;
        for (size_t i = 0; i < std::min(sox.size(), static_cast<size_t>(frames) * 2); ++i) {
            const double v = e->m_pWave->m_pData[i];
            worst = std::max(worst, std::fabs(v - sox[i]));
            if (c.lossless) worstSource = std::max(worstSource, std::fabs(v - wav.at(i)));
        }
        if (c.lossless) {
            EXPECT_EQ(worst, 0.0);
            EXPECT_EQ(worstSource, 0.0);
        } else {
            EXPECT_LE(worst, lsb);
        }
    }
}

// basc: beats and loop type; a loop is sliced by beats into sixteenths and
// synced, a one-shot is a plain file.
TEST_F(SoundFileLoad, AppleLoopsAiffLoadsAsALoopWithItsBeats) {
    TempFile loop(LoopAiff(44100, 2, 0), "loop.aif");
    ASSERT_EQ(Load(loop.path()), S_OK);
    const CGrooveTrack* e = Entry();
    ASSERT_EQ(e->GetSize(), 8);
    EXPECT_TRUE(e->m_bSyncedPlayback);
    EXPECT_NEAR(e->m_dTempo, 120.0, 1e-9); // 2 beats in 1 s
    for (int i = 0; i < 8; ++i) EXPECT_EQ(e->GetAt(i)->m_nSrcStart, 44100LL * i / 8) << i;
    EXPECT_FALSE(e->m_bFollowKey); // the file does not say whether its key is meant
    // Big-endian samples: frame f, channel c holds f * 2 + c.
    EXPECT_FLOAT_EQ(e->m_pWave->Frame(1000)[1], 2001 / 32768.0f);

    TempFile shot(LoopAiff(4410, 2, 1), "shot.aif");
    ASSERT_EQ(Load(shot.path()), S_OK);
    EXPECT_EQ(Entry()->GetSize(), 1);
    EXPECT_FALSE(Entry()->m_bSyncedPlayback);
    // A loop past the plain file's 30 s is held only to the loop's limits.
    TempFile longLoop(LoopAiff(31 * 44100, 64, 0), "long.aif");
    EXPECT_EQ(Load(longLoop.path()), S_OK);
    EXPECT_EQ(Entry()->GetSize(), 256);
}

TEST_F(SoundFileLoad, ChannelsBeyondTwoFoldToStereo) {
    const double g = 0.70710678;
    Fmt six;
    six.channels = 6;
    // L R C LFE Ls Rs, with an acid chunk after the data: a loop of 1 beat.
    TempFile surround(RiffBuilder()
                          .Chunk("fmt ", FmtBody(six))
                          .Chunk("data", Constant16(4410, {1000, 2000, 3000, 4000, 5000, 6000}))
                          .Chunk("acid", AcidBody(0, 60, 1, 120.0f))
                          .Form());
    ASSERT_EQ(Load(surround.path()), S_OK);
    const CGrooveTrack* e = Entry();
    ASSERT_EQ(e->m_pWave->Channels(), 2);
    EXPECT_NEAR(e->m_pWave->Frame(100)[0], (1000 + g * 3000 + g * 5000) / 32768.0, 1e-6);
    EXPECT_NEAR(e->m_pWave->Frame(100)[1], (2000 + g * 3000 + g * 6000) / 32768.0, 1e-6);
    EXPECT_EQ(e->GetSize(), 4); // the acid chunk's beat, in sixteenths
    EXPECT_TRUE(e->m_bSyncedPlayback);

    // Any other count: odd channels left, even right, summed in float
    // beyond full scale.
    Fmt three;
    three.channels = 3;
    TempFile odd(RiffBuilder()
                     .Chunk("fmt ", FmtBody(three))
                     .Chunk("data", Constant16(441, {30000, -2000, 30000}))
                     .Form());
    ASSERT_EQ(Load(odd.path()), S_OK);
    EXPECT_NEAR(Entry()->m_pWave->Frame(10)[0], 60000 / 32768.0, 1e-6);
    EXPECT_NEAR(Entry()->m_pWave->Frame(10)[1], -2000 / 32768.0, 1e-6);
}

// u-law bytes decode to the 16-bit values of the encoding, bit for bit, and an
// acid chunk in the same file still makes it a loop, sliced by the reader.
TEST_F(SoundFileLoad, UlawLoadsWithTheReadersLoopMetadata) {
    Fmt ulaw;
    ulaw.tag = 7;
    ulaw.channels = 1;
    ulaw.rate = 8000;
    ulaw.bits = 8;
    Bytes data;
    for (int i = 0; i < 4096; ++i) data.push_back(static_cast<uint8_t>(i));
    TempFile file(RiffBuilder()
                      .Chunk("acid", AcidBody(0x2, 57, 2, 120.0f))
                      .Chunk("fmt ", FmtBody(ulaw))
                      .Chunk("data", data)
                      .Form());
    CAcidWaveSource source;
    ASSERT_EQ(source.Load(file.c_str()), S_OK);
    const LoopSource& s = source.Source();
    ASSERT_EQ(s.nFrames, 4096u);
    EXPECT_EQ(s.wfx.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(s.wfx.wBitsPerSample, 16);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<int16_t>(s.pData[2 * i] | s.pData[2 * i + 1] << 8);
        EXPECT_EQ(v, UlawValue(static_cast<uint8_t>(i))) << i;
    }
    EXPECT_TRUE(s.bAcid && s.bLooping && s.bRootNote);
    EXPECT_EQ(s.nKeyIndex, 0);
    EXPECT_EQ(s.nSegments, 8);

    ctx.m_rate = 8000;
    engine.SetOutputFormatRecord(MakeFloatFormat(2, 8000));
    ASSERT_EQ(Load(file.path()), S_OK);
    EXPECT_EQ(Entry()->GetSize(), 8);
    EXPECT_TRUE(Entry()->m_bFollowKey);
}

// Decoded files meet the same limits as wave files, and a file far past them
// is not decoded to its end.
TEST_F(SoundFileLoad, LengthLimitsHoldForDecodedFiles) {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed (scripts/setup installs it)";
    ctx.m_rate = 8000;
    engine.SetOutputFormatRecord(MakeFloatFormat(1, 8000));
    TempFile ok(Bytes{}, "ok.flac"), over(Bytes{}, "over.flac"), hour(Bytes{}, "hour.flac");
    ASSERT_TRUE(Shell("sox -q -r 8000 -c 1 -n -b 16 " + ok.path() + " trim 0 240000s"));
    ASSERT_TRUE(Shell("sox -q -r 8000 -c 1 -n -b 16 " + over.path() + " trim 0 240001s"));
    ASSERT_TRUE(Shell("sox -q -r 8000 -c 1 -n -b 16 " + hour.path() + " trim 0 3600"));
    EXPECT_EQ(Load(ok.path()), S_OK);
    EXPECT_EQ(Load(over.path()), E_UNEXPECTED);
    EXPECT_EQ(Load(hour.path()), E_UNEXPECTED);
    CAcidWaveSource source;
    ASSERT_EQ(source.Load(hour.c_str()), S_OK);
    EXPECT_EQ(source.Source().nFrames, 128u * 8000 + 1);
    EXPECT_EQ(engine.BinCount(), 1);
}

// Only files that are no RIFF WAVE, or are refused for their channels, go to
// the decoder: a damaged wave file stays refused, and so does what is no audio.
TEST_F(SoundFileLoad, DamagedWavesAndOtherFilesStayRefused) {
    Fmt noAlign;
    noAlign.blockAlign = 0;
    TempFile damaged(
        RiffBuilder().Chunk("fmt ", FmtBody(noAlign)).Chunk("data", Pcm16(441, 2)).Form());
    // Three channels in frames of two 16-bit samples: damaged, not decoded.
    Fmt narrow;
    narrow.channels = 3;
    narrow.blockAlign = 4;
    TempFile narrowFrames(
        RiffBuilder().Chunk("fmt ", FmtBody(narrow)).Chunk("data", Pcm16(441, 2)).Form());
    TempFile text(Bytes{'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o', '\n'}, "text.flac");
    EXPECT_EQ(Load(damaged.path()), E_INVALIDARG);
    EXPECT_EQ(Load(narrowFrames.path()), E_INVALIDARG);
    EXPECT_EQ(Load(text.path()), E_INVALIDARG);
    EXPECT_EQ(Load("/nonexistent/x.flac"), E_INVALIDARG);
    EXPECT_EQ(engine.BinCount(), 0);
}

// An MP3 whose encoder wrote the header with its delay and padding (sox does
// for variable bit rates) loads at the source's exact length, each click on
// its frame: the decoder's lead-in is trimmed.
TEST_F(SoundFileLoad, Mp3WithItsEncoderHeaderLoadsAtItsOwnLength) {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed (scripts/setup installs it)";
    TempFile src(ClicksWav(), "clicks.wav");
    TempFile mp3(Bytes{}, "clicks.mp3");
    ASSERT_TRUE(Shell("sox " + src.path() + " -C -4.2 " + mp3.path()));
    CAcidWaveSource source;
    ASSERT_EQ(source.Load(mp3.c_str()), S_OK);
    const LoopSource& s = source.Source();
    ASSERT_EQ(s.nFrames, 88200u);
    ASSERT_EQ(s.wfx.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    const auto* p = reinterpret_cast<const float*>(s.pData);
    for (uint32_t c : kClicks) {
        uint32_t f = c > 100 ? c - 100 : 0;
        while (f < s.nFrames && p[f] < 0.3f) ++f;
        EXPECT_NEAR(f, c, 3.0) << c;
    }
}

// Without that header (as some encoders write a variable bit rate) the stream
// is read to its end, not to the length its first frame's bit rate suggests:
// the decoder's lead-in stays, every click comes the same delay late and
// nothing is missing at the end, through the loader and the wave reader's
// fallback alike.
TEST_F(SoundFileLoad, VbrMp3WithoutEncoderHeaderLoadsToItsEnd) {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed (scripts/setup installs it)";
    TempFile src(ClicksWav(), "clicks.wav");
    TempFile vbr(Bytes{}, "clicks-vbr.mp3");
    ASSERT_TRUE(Shell("sox " + src.path() + " -C -4.2 " + vbr.path()));
    const Bytes headerless = mp3::WithoutEncoderHeader(mp3::ReadFile(vbr.path()));
    ASSERT_FALSE(headerless.empty()) << "sox wrote no encoder header";
    TempFile file(headerless, "headerless.mp3");

    ASSERT_EQ(Load(file.path()), S_OK);
    const CWaveMem* w = Entry()->m_pWave;
    ASSERT_EQ(w->Channels(), 1);
    // Encoder delay (576) and decoder delay (529), give or take.
    const LONGLONG delay = FirstLoud(w, 0);
    EXPECT_GE(delay, 500);
    EXPECT_LE(delay, 1200);
    for (uint32_t c : kClicks) EXPECT_NEAR(FirstLoud(w, c + delay - 100), c + delay, 3.0) << c;
    // The source and the delay, and at most one MPEG frame of padding.
    EXPECT_GE(w->m_nFrames, 88200 + delay);
    EXPECT_LE(w->m_nFrames, 88200 + delay + 1152);

    CAcidWaveSource source;
    ASSERT_EQ(source.Load(file.c_str()), S_OK);
    EXPECT_EQ(source.Source().nFrames, static_cast<DWORD>(w->m_nFrames));
    EXPECT_EQ(source.Source().wfx.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);

    // The decoder declares the scanned length up front and reads the same
    // frames as 16-bit integers when asked.
    CSoundFileDecoder decoder;
    ASSERT_EQ(decoder.Open(file.c_str()), S_OK);
    EXPECT_EQ(decoder.DeclaredFrames(), w->m_nFrames);
    std::vector<int16_t> ints(static_cast<size_t>(w->m_nFrames) + 100);
    ASSERT_EQ(decoder.Read(ints.data(), static_cast<int64_t>(ints.size())), w->m_nFrames);
    for (uint32_t c : kClicks) {
        const auto f = static_cast<size_t>(c + delay + 5);
        EXPECT_NEAR(ints[f] / 32767.0, w->m_pData[f], 1.5 / 32767) << c;
    }
}
