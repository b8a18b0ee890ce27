// Denormals and bad numbers: a sound that decays through the denormal range
// renders exact zeros instead (flush-to-zero for the render call, the caller's
// MXCSR restored afterwards), and whatever extreme or non-finite values a
// project stream carries, every output sample stays finite.
#include "ReliabilitySupport.h"
#include "files/ProjectScene.h"
#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>
#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

using namespace fixture;

namespace {
constexpr LONG kFrames = 512;

// A mono 32-bit float file: an alternating-sign exponential decay from 0.9
// that passes through the denormal range and ends in zeros.
riff::Bytes DecayingFloatWave(uint32_t frames, uint32_t rate) {
    riff::Bytes data;
    for (uint32_t n = 0; n < frames; ++n) {
        const float v = static_cast<float>(0.9 * std::exp(-static_cast<double>(n) / 250.0)) *
                        (n % 2 ? -1.0f : 1.0f);
        riff::PutF32(data, v);
    }
    riff::Fmt fmt;
    fmt.tag = 3;
    fmt.channels = 1;
    fmt.rate = rate;
    fmt.bits = 32;
    riff::RiffBuilder r;
    r.Chunk("fmt ", riff::FmtBody(fmt)).Chunk("data", data);
    return r.Form();
}

struct Counts {
    long nSubnormal = 0, nNonFinite = 0, nNonZero = 0;
    void Add(const std::vector<float>& buffer) {
        for (float v : buffer) {
            if (std::fpclassify(v) == FP_SUBNORMAL) ++nSubnormal;
            if (!std::isfinite(v)) ++nNonFinite;
            if (v != 0.0f) ++nNonZero;
        }
    }
};
} // namespace

TEST(Denormals, ADecayThroughTheDenormalRangeRendersExactZeros) {
    // The same file also at another rate, so that the converted data is
    // interpolated first.
    for (uint32_t rate : {44100u, 22050u}) {
        SCOPED_TRACE("file rate " + std::to_string(rate));
        TempDir dir;
        FakeSynthContext ctx(44100);
        TestControl c(&ctx);
        IVudivuVizezud& api = c;
        WriteFile(dir.File("decay.wav"), DecayingFloatWave(rate, rate));
        ASSERT_EQ(Load(c, dir.File("decay.wav")), 0);
        ASSERT_EQ(api.AssignFileToPad(0, 0), S_OK);
        ASSERT_EQ(api.SetPadPan(0, 0.3f), S_OK); // gains below one on both sides
        ASSERT_EQ(api.SetPadVolume(0, 0.7f), S_OK);
        Counts playing;
        long nFrame = 0, nFirst = -1, nLast = -1;
        float fPeak = 0.0f;
        rel::RenderPads(c, ctx, 2 * 44100 / kFrames, kFrames, [&](const std::vector<float>& b) {
            playing.Add(b);
            for (size_t i = 0; i < b.size(); ++i) {
                fPeak = std::max(fPeak, std::fabs(b[i]));
                if (b[i] != 0.0f) {
                    if (nFirst < 0) nFirst = nFrame + static_cast<long>(i / 2);
                    nLast = nFrame + static_cast<long>(i / 2);
                }
            }
            nFrame += kFrames;
        });
        EXPECT_GT(fPeak, 0.2f);
        EXPECT_EQ(playing.nSubnormal, 0);
        EXPECT_EQ(playing.nNonFinite, 0);
        // Exact zeros from where the decay falls below the smallest normal
        // float (plus the interpolation's reach), not only after the file ends.
        const double dBelowNormal = 250.0 * std::log(0.9 / FLT_MIN) * 44100.0 / rate;
        EXPECT_LT(nLast - nFirst, static_cast<long>(dBelowNormal) + 8);
    }
}

TEST(Denormals, SilenceAfterAReleaseIsExactZero) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl c(&ctx);
    IVudivuVizezud& api = c;
    WriteFile(dir.File("decay.wav"), DecayingFloatWave(44100, 44100));
    WriteFile(dir.File("loop.wav"), SlicedLoop(8000, 4, 44100));
    Load(c, dir.File("decay.wav"));
    Load(c, dir.File("loop.wav"));
    api.AssignFileToPad(0, 0);
    api.AssignFileToPad(1, 1);
    api.SetPadTails(1, 1); // decaying repeats of the slices
    int nBuffer = 0;
    Counts after;
    rel::RenderPads(c, ctx, 40, kFrames, [&](const std::vector<float>& b) {
        ++nBuffer;
        if (nBuffer == 6) api.StopAudition(-1); // released before the next buffer
        if (nBuffer > 8) after.Add(b);          // 20 ms of release have passed
    });
    EXPECT_EQ(after.nNonZero, 0);
}

#if defined(__SSE__) || defined(__x86_64__)
TEST(Denormals, TheCallersFloatingPointModeIsRestored) {
    FakeSynthContext ctx(44100);
    TestControl c(&ctx);
    TempDir dir;
    WriteFile(dir.File("loop.wav"), SlicedLoop(8000, 4, 44100));
    Load(c, dir.File("loop.wav"));
    static_cast<IVudivuVizezud&>(c).AssignFileToPad(0, 0);
    const unsigned saved = _mm_getcsr();
    // Round toward zero, flush-to-zero off, every exception masked, no flags.
    const unsigned caller = (saved & ~0xE03Fu & ~0x8040u) | 0x6000u | 0x1F80u;
    bool bRestored = true;
    rel::MemorySample in(2 * kFrames), out(2 * kFrames);
    ASSERT_EQ(c.Initialize(), S_OK);
    static_cast<IVudivuVizezud&>(c).StartAudition(0, -1);
    for (int b = 0; b < 4; ++b) {
        PinBuffer input{kFrames, 0, &in, nullptr, 1, 8};
        PinBuffer output{kFrames, ctx.GetOutputPinId(0), &out, nullptr, 0, 8};
        _mm_setcsr(caller);
        const HRESULT hr =
            c.Process(LONGLONG{b} * kFrames, &input, &output, 1, LONGLONG{b} * kFrames, nullptr);
        const unsigned after = _mm_getcsr();
        _mm_setcsr(saved);
        EXPECT_EQ(hr, S_OK);
        bRestored = bRestored && after == caller;
    }
    EXPECT_TRUE(bRestored);
    EXPECT_GT(
        std::count_if(out.m_data.begin(), out.m_data.end(), [](float v) { return v != 0.0f; }), 0);
}
#endif

namespace {
// Where a value goes in a saved form: every pad's track record, or every pad
// grain record.
enum class Field {
    PadVolume,
    PadPan,
    PadTicks,
    PadSamples,
    GrainRate,
    GrainTranspose,
    GrainVolume,
    GrainPan,
    GrainTicks,
    EntryVolume,
    WaveData
};

const char* Name(Field f) {
    static const char* names[] = {"pad volume",  "pad pan",         "pad ticks",    "pad samples",
                                  "grain rate",  "grain transpose", "grain volume", "grain pan",
                                  "grain ticks", "entry volume",    "wave data"};
    return names[static_cast<int>(f)];
}

void PatchFloat(riff::Bytes& b, size_t at, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    Patch32(b, at, u);
}
void PatchDouble(riff::Bytes& b, size_t at, double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    Patch64(b, at, u);
}

// Writes v (as the field's type) into every record of the field in the form.
void Patch(riff::Bytes& b, Field f, double v) {
    for (int p = 0; p < kPadCount; ++p) {
        const size_t track = FindChunk(b, "pdtr", p) + 4;
        switch (f) {
        case Field::PadVolume: PatchFloat(b, track + 56, static_cast<float>(v)); break;
        case Field::PadPan: PatchFloat(b, track + 60, static_cast<float>(v)); break;
        case Field::PadTicks: Patch64(b, track + 8, static_cast<uint64_t>(v)); break;
        case Field::PadSamples: Patch64(b, track + 0, static_cast<uint64_t>(v)); break;
        default: break;
        }
        const size_t grains = FindChunk(b, "pevt", p);
        const uint32_t n = b[grains + 4] | (b[grains + 5] << 8);
        for (uint32_t g = 0; g < n; ++g) {
            const size_t at = grains + 8 + g * (4 + 112) + 4;
            switch (f) {
            case Field::GrainRate: PatchDouble(b, at + 56, v); break;
            case Field::GrainTranspose:
                Patch32(b, at + 64, static_cast<uint32_t>(static_cast<int64_t>(v)));
                break;
            case Field::GrainVolume: PatchDouble(b, at + 72, v); break;
            case Field::GrainPan: PatchDouble(b, at + 80, v); break;
            case Field::GrainTicks: Patch64(b, at + 24, static_cast<uint64_t>(v)); break;
            default: break;
            }
        }
    }
    if (f == Field::EntryVolume)
        PatchFloat(b, FindChunk(b, "lbtr", 0) + 4 + 56, static_cast<float>(v));
    if (f == Field::WaveData) {
        // The first entry's nested WAVE form: its data chunk follows `fmt `.
        const size_t form = FindChunk(b, "RIFF", 0);
        const size_t data = form + 4 + 8 + 18 + 8;
        for (size_t i = data; i + 4 <= data + 4000 && i + 4 <= b.size(); i += 12)
            PatchFloat(b, i, static_cast<float>(v));
    }
}
} // namespace

TEST(BadNumbers, NoStoredValueBringsANonFiniteSampleToTheOutput) {
    TempDir dir;
    riff::Bytes form;
    {
        FakeSynthContext ctx(44100);
        TestControl c(&ctx);
        BuildScene(c, dir);
        IVudivuVizezud& api = c;
        api.SetPadSolo(0, 0);
        api.SetPadMute(7, 0);
        ASSERT_EQ(api.SaveProject("s", dir.File("s.pnd").c_str()), S_OK);
        form = ReadFile(dir.File("s.pnd"));
    }
    const double kInf = std::numeric_limits<double>::infinity();
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const struct {
        Field field;
        std::vector<double> values;
    } kCases[] = {
        {Field::PadVolume, {kNaN, kInf, -kInf, FLT_MAX, -FLT_MAX, 1e-40}},
        {Field::PadPan, {kNaN, kInf, -kInf, FLT_MAX, -3.0}},
        {Field::PadTicks, {0, 1, double(kInfiniteTime)}},
        {Field::PadSamples, {0, 1, 12288000}},
        {Field::GrainRate, {kNaN, kInf, -kInf, 0.0, -1.0, 1e-300, 1e300, DBL_MAX}},
        {Field::GrainTranspose, {2147483647.0, -2147483648.0, 1000.0, -1000.0}},
        {Field::GrainVolume, {kNaN, kInf, -kInf, DBL_MAX, -DBL_MAX, 1e300}},
        {Field::GrainPan, {kNaN, kInf, -kInf, DBL_MAX, -DBL_MAX}},
        {Field::GrainTicks, {0, 1, double(kInfiniteTime)}},
        {Field::EntryVolume, {kNaN, kInf}},
        {Field::WaveData, {kNaN, kInf, -kInf, FLT_MAX, 1e-40}},
    };
    // Unpatched, the scene sounds on the mix and on a "Chan" output.
    {
        FakeSynthContext ctx(44100);
        TestControl engine(&ctx);
        WriteFile(dir.File("plain.pnd"), form);
        ASSERT_EQ(static_cast<IVudivuVizezud&>(engine).LoadProject("plain.pnd",
                                                                   dir.File("plain.pnd").c_str()),
                  S_OK);
        std::vector<long> sounding;
        int nOutput = 0;
        rel::RenderPads(
            engine, ctx, 48, kFrames,
            [&](const std::vector<float>& b) {
                sounding.resize(std::max<size_t>(sounding.size(), nOutput % 17 + 1));
                sounding[nOutput++ % 17] +=
                    std::count_if(b.begin(), b.end(), [](float v) { return v != 0.0f; });
            },
            true);
        EXPECT_GT(sounding[0], 1000);
        EXPECT_GT(std::accumulate(sounding.begin() + 1, sounding.end(), 0L), 1000);
    }
    int nVariants = 0, nLoaded = 0;
    for (const auto& c : kCases) {
        for (double v : c.values) {
            SCOPED_TRACE(std::string(Name(c.field)) + " = " + std::to_string(v));
            riff::Bytes patched = form;
            Patch(patched, c.field, v);
            // Behind the version text, as a host stream holds it.
            rel::StreamRef stream;
            const char text[] = "00000000000 ";
            for (char ch : std::string(text, 12)) {
                const char unit[2] = {ch, 0};
                stream.p->Write(unit, 2, nullptr);
            }
            stream.p->Write(patched.data(), static_cast<ULONG>(patched.size()), nullptr);
            stream.Rewind();
            stream.p->Seek(LARGE_INTEGER{24}, STREAM_SEEK_SET, nullptr);
            FakeSynthContext ctx(44100);
            TestControl engine(&ctx);
            ++nVariants;
            const HRESULT hr = engine.LoadState(stream.p);
            if (FAILED(hr)) continue; // refused as a whole is fine too
            ++nLoaded;
            Counts counts;
            rel::RenderPads(
                engine, ctx, 48, kFrames, [&](const std::vector<float>& b) { counts.Add(b); },
                true);
            EXPECT_EQ(counts.nNonFinite, 0);
            EXPECT_EQ(counts.nSubnormal, 0);
        }
    }
    std::printf("%d variants, %d loaded and rendered\n", nVariants, nLoaded);
    EXPECT_GT(nLoaded, nVariants / 2);
}
