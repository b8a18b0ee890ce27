// Time-stretch throughput: the engine's grain fitting (a synced sliced pad at
// 80 % of the loop's tempo) against SoundTouch and Rubber Band (offline).
#include "bench/compare/Comparisons.h"
#include "bench/compare/CpuClock.h"
#include "tests/playback/PlaybackRig.h"
#include <cmath>
#include <memory>
#include <rubberband/RubberBandStretcher.h>
#include <soundtouch/SoundTouch.h>

namespace {
constexpr double kStretch = 1.25;
constexpr double kHostTempo = CCompareLoop::kTempo / kStretch;
constexpr LONG kBlock = 512;
constexpr int kReps = 3;

// One pad holding every slice of the loop as a synced grain; only the mix connected.
std::unique_ptr<PlaybackRig> StretchRig(const CCompareLoop& loop, int nTranspose) {
    auto rig = std::make_unique<PlaybackRig>(CCompareLoop::kRate, kHostTempo);
    rig->collect = false;
    for (size_t i = 1; i < rig->connected.size(); ++i) rig->connected[i] = false;
    const std::vector<float>& f = loop.Floats();
    CWaveMem* w = MakeWave(2, CCompareLoop::kRate, CCompareLoop::kFrames,
                           [&](LONGLONG i, int c) { return f[static_cast<size_t>(i * 2 + c)]; });
    CGrooveTrack* pad = rig->engine.Pad(0);
    const LONGLONG len = CCompareLoop::kSliceFrames;
    for (LONGLONG k = 0; k < CCompareLoop::kBeats; ++k) {
        CGrooveEvent* g =
            AddGrain(pad, w, k * len, len, k * kTicksPerBeat, kTicksPerBeat, k * len, 1);
        g->m_nTranspose = nTranspose;
    }
    w->Release();
    pad->m_nLenSamples = CCompareLoop::kFrames;
    pad->m_nLenTicks = CCompareLoop::kBeats * kTicksPerBeat;
    pad->m_bSyncedPlayback = 1;
    pad->m_bLooping = 0;
    pad->m_bLatch = 0;
    pad->RecomputeTempo();
    rig->NoteOn(static_cast<BYTE>(CKeyMap::DefaultKey(0)));
    return rig;
}

LONGLONG OutputFrames() {
    return static_cast<LONGLONG>(std::llround(CCompareLoop::kFrames * kStretch));
}

double PandrelSeconds(const CCompareLoop& loop, int nTranspose) {
    std::unique_ptr<PlaybackRig> rig;
    return BestOf(
        kReps, [&] { rig = StretchRig(loop, nTranspose); },
        [&] { rig->RenderFor(OutputFrames(), kBlock); });
}

// Whether the engine really played the stretched loop: sound until near the end.
bool PandrelPlays(const CCompareLoop& loop) {
    auto rig = StretchRig(loop, 0);
    rig->collect = true;
    rig->RenderFor(OutputFrames(), kBlock);
    const std::vector<float>& mix = rig->played[0];
    double early = 0.0, late = 0.0;
    const size_t n = mix.size();
    for (size_t i = 0; i < n / 10; ++i) early += std::fabs(mix[i]);
    for (size_t i = n - n / 10; i < n; ++i) late += std::fabs(mix[i]);
    return early > 0.0 && late > 0.0;
}

double SoundTouchSeconds(const CCompareLoop& loop, int nSemitones, bool bQuickSeek) {
    std::unique_ptr<soundtouch::SoundTouch> st;
    std::vector<float> out(static_cast<size_t>(OutputFrames() + 44100) * 2);
    size_t nGot = 0;
    const double t = BestOf(
        kReps,
        [&] {
            st = std::make_unique<soundtouch::SoundTouch>();
            st->setSampleRate(CCompareLoop::kRate);
            st->setChannels(2);
            st->setTempo(1.0 / kStretch);
            if (nSemitones != 0) st->setPitchSemiTones(nSemitones);
            if (bQuickSeek) st->setSetting(SETTING_USE_QUICKSEEK, 1);
        },
        [&] {
            const float* in = loop.Floats().data();
            nGot = 0;
            auto drain = [&] {
                while (const uint n = st->receiveSamples(out.data() + nGot * 2,
                                                         static_cast<uint>(out.size() / 2 - nGot)))
                    nGot += n;
            };
            for (uint32_t at = 0; at < CCompareLoop::kFrames; at += 4096) {
                const uint32_t n = std::min<uint32_t>(4096, CCompareLoop::kFrames - at);
                st->putSamples(in + static_cast<size_t>(at) * 2, n);
                drain();
            }
            st->flush();
            drain();
        });
    if (nGot < static_cast<size_t>(OutputFrames()) * 9 / 10)
        std::fprintf(stderr, "SoundTouch gave %zu frames\n", nGot);
    return t;
}

double RubberBandSeconds(const CCompareLoop& loop, int nSemitones) {
    using RubberBand::RubberBandStretcher;
    std::vector<float> left(CCompareLoop::kFrames), right(CCompareLoop::kFrames);
    for (uint32_t i = 0; i < CCompareLoop::kFrames; ++i) {
        left[i] = loop.Floats()[i * 2];
        right[i] = loop.Floats()[i * 2 + 1];
    }
    const size_t nOut = static_cast<size_t>(OutputFrames() + 44100);
    std::vector<float> outL(nOut), outR(nOut);
    std::unique_ptr<RubberBandStretcher> rb;
    size_t nGot = 0;
    const double t = BestOf(
        kReps,
        [&] {
            rb = std::make_unique<RubberBandStretcher>(CCompareLoop::kRate, 2,
                                                       RubberBandStretcher::OptionProcessOffline,
                                                       kStretch, std::pow(2.0, nSemitones / 12.0));
            rb->setExpectedInputDuration(CCompareLoop::kFrames);
        },
        [&] {
            constexpr uint32_t kChunk = 4096;
            for (uint32_t at = 0; at < CCompareLoop::kFrames; at += kChunk) {
                const uint32_t n = std::min(kChunk, CCompareLoop::kFrames - at);
                const float* in[2] = {left.data() + at, right.data() + at};
                rb->study(in, n, at + n >= CCompareLoop::kFrames);
            }
            nGot = 0;
            auto drain = [&] {
                for (int a = rb->available(); a > 0; a = rb->available()) {
                    const size_t n = std::min<size_t>(static_cast<size_t>(a), nOut - nGot);
                    if (n == 0) break;
                    float* o[2] = {outL.data() + nGot, outR.data() + nGot};
                    nGot += rb->retrieve(o, n);
                }
            };
            for (uint32_t at = 0; at < CCompareLoop::kFrames; at += kChunk) {
                const uint32_t n = std::min(kChunk, CCompareLoop::kFrames - at);
                const float* in[2] = {left.data() + at, right.data() + at};
                rb->process(in, n, at + n >= CCompareLoop::kFrames);
                drain();
            }
            drain();
        });
    if (nGot < static_cast<size_t>(OutputFrames()) * 9 / 10)
        std::fprintf(stderr, "Rubber Band gave %zu frames\n", nGot);
    return t;
}

std::string Speed(double dSeconds, double dAudio) {
    return Format("%.0fx real time", dAudio / dSeconds);
}

} // namespace

void ProfileStretch(const CCompareLoop& loop) {
    for (int semis : {0, 3})
        std::printf("engine stretch, %+d semitones: %.2f ms\n", semis,
                    1e3 * PandrelSeconds(loop, semis));
}

void CompareStretch(const CCompareLoop& loop, CCompareTable& table) {
    if (!PandrelPlays(loop)) std::fprintf(stderr, "compare: the stretched pad played silence\n");
    const double audio = loop.Seconds();
    for (int semis : {0, 3}) {
        const double p = PandrelSeconds(loop, semis);
        const double st = SoundTouchSeconds(loop, semis, false);
        const double stq = SoundTouchSeconds(loop, semis, true);
        const double rb = RubberBandSeconds(loop, semis);
        const std::string what = semis == 0 ? "stretch 1.25x" : "stretch 1.25x, +3 semitones";
        table.Add({what + " vs SoundTouch", Speed(p, audio), "SoundTouch " + Speed(st, audio),
                   st / p, ">= 20x", st / p >= 20.0});
        table.Add({what + " vs SoundTouch quick-seek", Speed(p, audio),
                   "SoundTouch quick-seek " + Speed(stq, audio), stq / p, "", true});
        table.Add({what + " vs Rubber Band offline", Speed(p, audio),
                   "Rubber Band " + Speed(rb, audio), rb / p, "", true});
    }
}
