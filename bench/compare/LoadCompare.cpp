// Loading the 30-second 16-bit loop into a 48 kHz engine from memory (decode,
// rate conversion, overview, slices, tails) against the pipeline a peer would
// use: libsndfile decoding the file from memory through its virtual I/O, then
// libsamplerate's fastest sinc converter.
#include "bench/compare/Comparisons.h"
#include "bench/compare/CpuClock.h"
#include "engine/LoopLoader.h"
#include "tests/engine/FakeSynthContext.h"
#include <cstring>
#include <memory>
#include <samplerate.h>
#include <sndfile.h>

namespace {
constexpr int kReps = 7;
constexpr DWORD kTo = 48000;

struct MemoryFile {
    const std::vector<uint8_t>* pBytes;
    sf_count_t nAt = 0;
};
sf_count_t Length(void* p) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(p)->pBytes->size());
}
sf_count_t Seek(sf_count_t off, int whence, void* p) {
    auto* m = static_cast<MemoryFile*>(p);
    const sf_count_t base = whence == SEEK_CUR ? m->nAt : whence == SEEK_END ? Length(p) : 0;
    m->nAt = std::clamp<sf_count_t>(base + off, 0, Length(p));
    return m->nAt;
}
sf_count_t Read(void* dst, sf_count_t n, void* p) {
    auto* m = static_cast<MemoryFile*>(p);
    n = std::min(n, Length(p) - m->nAt);
    std::memcpy(dst, m->pBytes->data() + m->nAt, static_cast<size_t>(n));
    m->nAt += n;
    return n;
}
sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
sf_count_t Tell(void* p) { return static_cast<MemoryFile*>(p)->nAt; }

double PeerSeconds(const CCompareLoop& loop) {
    SF_VIRTUAL_IO io{&Length, &Seek, &Read, &Write, &Tell};
    return BestOf(kReps, [&] {
        MemoryFile mem{&loop.WavFile()};
        SF_INFO info{};
        SNDFILE* f = sf_open_virtual(&io, SFM_READ, &info, &mem);
        if (f == nullptr)
            return (void)std::fprintf(stderr, "compare: libsndfile: %s\n", sf_strerror(nullptr));
        std::unique_ptr<float[]> decoded(
            new float[static_cast<size_t>(info.frames * info.channels)]);
        const sf_count_t got = sf_readf_float(f, decoded.get(), info.frames);
        sf_close(f);
        const double ratio = double(kTo) / info.samplerate;
        const long nOut = static_cast<long>(static_cast<double>(got) * ratio) + 64;
        std::unique_ptr<float[]> converted(new float[static_cast<size_t>(nOut * info.channels)]);
        SRC_DATA d{};
        d.data_in = decoded.get();
        d.data_out = converted.get();
        d.input_frames = static_cast<long>(got);
        d.output_frames = nOut;
        d.src_ratio = ratio;
        d.end_of_input = 1;
        if (const int e = src_simple(&d, SRC_SINC_FASTEST, info.channels))
            std::fprintf(stderr, "compare: %s\n", src_strerror(e));
    });
}

double PandrelSeconds(const CCompareLoop& loop, LONG* pnSlices) {
    FakeSynthContext ctx(kTo);
    CGrooveTrack entry(&ctx);
    const double t = BestOf(kReps, [&] {
        if (FAILED(
                LoadLoopIntoEntry(&entry, loop.Source(), MakeFloatFormat(2, kTo), 0, L"/loop.wav")))
            std::fprintf(stderr, "compare: the engine refused the loop\n");
    });
    *pnSlices = entry.GetSize();
    return t;
}
} // namespace

void CompareLoad(const CCompareLoop& loop, CCompareTable& table) {
    LONG nSlices = 0;
    const double p = PandrelSeconds(loop, &nSlices);
    const double peer = PeerSeconds(loop);
    table.Add({Format("load 30-s 16-bit loop into 48 kHz (%d slices)", static_cast<int>(nSlices)),
               Format("%.1f ms", p * 1e3),
               Format("libsndfile + SRC_SINC_FASTEST %.1f ms", peer * 1e3), peer / p,
               ">= 3x and < 20 ms", peer / p >= 3.0 && p < 0.020});
}
