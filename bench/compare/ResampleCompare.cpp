// Rate conversion of the loop from 44.1 to 48 kHz: the wave memory's cubic
// converter against libsamplerate's linear and fastest sinc converters, each
// side making a new buffer for its output, as a loader does.
#include "bench/compare/Comparisons.h"
#include "bench/compare/CpuClock.h"
#include "engine/WaveMem.h"
#include <cstring>
#include <memory>
#include <samplerate.h>

namespace {
constexpr int kReps = 5;
constexpr DWORD kTo = 48000;

double PandrelSeconds(const CCompareLoop& loop) {
    std::unique_ptr<CWaveMem> w;
    const double t = BestOf(
        kReps,
        [&] {
            w = std::make_unique<CWaveMem>();
            w->Allocate(2, CCompareLoop::kRate, CCompareLoop::kFrames);
            std::memcpy(w->m_pData, loop.Floats().data(), loop.Floats().size() * sizeof(float));
            w->SetGuardFrame();
        },
        [&] {
            if (FAILED(w->ConvertSampleRate(kTo)))
                std::fprintf(stderr, "compare: rate conversion failed\n");
        });
    return t;
}

// Like the converter of the wave memory, each call makes a new buffer for its output.
double SamplerateSeconds(const CCompareLoop& loop, int nConverter) {
    const long nOut =
        static_cast<long>(CCompareLoop::kFrames * (double(kTo) / CCompareLoop::kRate)) + 64;
    std::unique_ptr<float[]> out;
    return BestOf(
        kReps, [&] { out.reset(); },
        [&] {
            out.reset(new float[static_cast<size_t>(nOut) * 2]);
            SRC_DATA d{};
            d.data_in = loop.Floats().data();
            d.data_out = out.get();
            d.input_frames = CCompareLoop::kFrames;
            d.output_frames = nOut;
            d.src_ratio = double(kTo) / CCompareLoop::kRate;
            d.end_of_input = 1;
            if (const int e = src_simple(&d, nConverter, 2))
                std::fprintf(stderr, "compare: %s\n", src_strerror(e));
        });
}
} // namespace

void CompareResample(const CCompareLoop& loop, CCompareTable& table) {
    const double p = PandrelSeconds(loop);
    const double lin = SamplerateSeconds(loop, SRC_LINEAR);
    const double sinc = SamplerateSeconds(loop, SRC_SINC_FASTEST);
    const double audio = loop.Seconds();
    auto speed = [&](double t) { return Format("%.0fx real time", audio / t); };
    table.Add({"44.1 -> 48 kHz, cubic vs SRC_LINEAR", speed(p),
               "libsamplerate linear " + speed(lin), lin / p, ">= 1x", lin / p >= 1.0});
    table.Add({"44.1 -> 48 kHz, cubic vs SRC_SINC_FASTEST", speed(p),
               "libsamplerate sinc fastest " + speed(sinc), sinc / p, ">= 10x", sinc / p >= 10.0});
}
