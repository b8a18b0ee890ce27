// A first look at the groove engine, until the full `pandrel demo` exists:
// synthesizes a two-bar drum loop, loads it into a Loop Bin entry as 16
// slices, and renders it three ways (as recorded, stretched to a slower tempo,
// pitched up three semitones) into WAV files.
#include "engine/GrainRenderer.h"
#include "engine/LoopLoader.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace {
constexpr DWORD kRate = 44100;
constexpr double kLoopTempo = 120.0;
constexpr int kBeats = 8;

// Kick on every beat, snare on 2 and 4, hats on the eighths, 16-bit stereo.
std::vector<uint8_t> SynthesizeLoop(DWORD* pFrames) {
    const DWORD nBeat = static_cast<DWORD>(kRate * 60.0 / kLoopTempo);
    const DWORD n = nBeat * kBeats;
    std::vector<double> mix(n, 0.0);
    uint32_t noise = 12345;
    auto rnd = [&] {
        noise = noise * 1664525u + 1013904223u;
        return (noise >> 8) / double(1 << 24) * 2.0 - 1.0;
    };
    for (int b = 0; b < kBeats * 2; ++b) {
        const DWORD at = b * nBeat / 2;
        for (DWORD i = 0; i < nBeat / 2 && at + i < n; ++i) {
            const double t = i / double(kRate);
            if (b % 2 == 0) mix[at + i] += 0.8 * std::sin(2 * M_PI * (50 + 80 * std::exp(-t * 30)) * t) * std::exp(-t * 8);
            if (b % 4 == 2) mix[at + i] += 0.4 * rnd() * std::exp(-t * 20);
            mix[at + i] += 0.12 * rnd() * std::exp(-t * 90);
        }
    }
    std::vector<uint8_t> bytes;
    for (double v : mix) {
        const int16_t s = static_cast<int16_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 32000));
        for (int c = 0; c < 2; ++c) {
            bytes.push_back(static_cast<uint8_t>(s & 0xFF));
            bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
    }
    *pFrames = n;
    return bytes;
}

bool WriteWav(const std::string& path, const std::vector<float>& stereo) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    const uint32_t bytes = static_cast<uint32_t>(stereo.size() * 4);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(3);
    u16(2);
    u32(kRate);
    u32(kRate * 8);
    u16(8);
    u16(32);
    std::fwrite("data", 1, 4, f);
    u32(bytes);
    std::fwrite(stereo.data(), 4, stereo.size(), f);
    return std::fclose(f) == 0;
}

// Renders every slice of the entry at the given tempo and transposition, in
// 128-frame buffers as a host would ask for them.
std::vector<float> Render(CGrainRenderer& r, const CGrooveTrack& entry, double tempo, LONG transpose) {
    const WAVEFORMATEX out = MakeFloatFormat(2, kRate);
    const double scale = kLoopTempo / tempo;
    const LONGLONG total = RoundHalfUp(entry.m_nLenSamples * scale);
    std::vector<float> buf(static_cast<size_t>(total) * 2, 0.0f);
    for (LONGLONG pos = 0; pos < total; pos += 128) {
        const LONGLONG n = std::min<LONGLONG>(128, total - pos);
        for (int k = 0; k < entry.GetSize(); ++k) {
            const CGrooveEvent& g = *entry.GetAt(k);
            const LONGLONG start = RoundHalfUp(g.m_nStartSamples * scale);
            const LONGLONG target = RoundHalfUp(g.m_nLenSamples * scale);
            const LONGLONG a = std::max(pos, start), b = std::min(pos + n, start + target);
            if (a >= b) continue;
            r.RenderSegment(g, a - start, 0, b - a, target, buf.data() + a * 2, out, 1.0f, 0.5f, transpose);
        }
    }
    return buf;
}
} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    DWORD nFrames = 0;
    std::vector<uint8_t> bytes = SynthesizeLoop(&nFrames);
    std::vector<LoopSegment> slices;
    for (int i = 0; i < 16; ++i) slices.push_back({nFrames * i / 16, nFrames / 16});
    LoopSource src;
    src.wfx.wFormatTag = WAVE_FORMAT_PCM;
    src.wfx.nChannels = 2;
    src.wfx.nSamplesPerSec = kRate;
    src.wfx.wBitsPerSample = 16;
    src.wfx.nBlockAlign = 4;
    src.wfx.nAvgBytesPerSec = kRate * 4;
    src.pData = bytes.data();
    src.nFrames = nFrames;
    src.bAcid = src.bLooping = 1;
    src.nBeats = kBeats;
    src.pSegments = slices.data();
    src.nSegments = 16;

    CGrooveTrack entry(nullptr);
    const HRESULT hr = LoadLoopIntoEntry(&entry, src, MakeFloatFormat(2, kRate), 0, L"demo-drums.wav");
    if (FAILED(hr)) {
        std::fprintf(stderr, "pandrel: loading the demo loop failed: %s (0x%08X)\n", HResultText(hr),
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("Pandrel engine core\n");
    std::printf("  Loop Bin entry: %d slices, %lld beats, %.2f BPM, %lld samples, overview %d blocks\n",
                entry.GetSize(), static_cast<long long>(entry.m_nLenTicks / kTicksPerBeat), entry.m_dTempo,
                static_cast<long long>(entry.m_nLenSamples), entry.m_pWave->m_nPeakBlocks);

    CGrainRenderer renderer;
    if (FAILED(renderer.Init())) return 1;
    struct Take {
        const char* name;
        double tempo;
        LONG transpose;
    } takes[] = {{"pandrel-demo-original.wav", 120.0, 0},
                 {"pandrel-demo-96bpm.wav", 96.0, 0},
                 {"pandrel-demo-plus3.wav", 120.0, 3}};
    for (const Take& t : takes) {
        const std::string path = dir + "/" + t.name;
        const std::vector<float> audio = Render(renderer, entry, t.tempo, t.transpose);
        if (!WriteWav(path, audio)) {
            std::fprintf(stderr, "pandrel: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("  wrote %s (%.1f BPM, %+d semitones, %.2f s)\n", path.c_str(), t.tempo, t.transpose,
                    audio.size() / 2.0 / kRate);
    }
    return 0;
}
