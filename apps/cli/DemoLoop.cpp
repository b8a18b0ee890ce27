#include "apps/cli/DemoLoop.h"
#include "apps/hostkit/LittleEndian.h"
#include "apps/hostkit/WavWriter.h"
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kSteps = CDemoLoop::kBeats * 4; // sixteenth notes

} // namespace

CDemoLoop::CDemoLoop() : m_samples(static_cast<size_t>(kFrames) * kChannels, 0.0f) {
    // Two bars of a plain backbeat: kick on 1 and 3 with pushes, snare on 2
    // and 4 with a ghost note, hats on the eighths with an open hat at the end.
    const int kicks[] = {0, 6, 8, 16, 22, 24, 27};
    const int snares[] = {4, 12, 20, 28};
    for (int s : kicks) AddHit(Drum::Kick, s, 1.0);
    for (int s : snares) AddHit(Drum::Snare, s, 0.8);
    AddHit(Drum::Snare, 31, 0.25);
    for (int s = 0; s < kSteps; s += 2) {
        if (s == 30) continue;
        AddHit(Drum::ClosedHat, s, s % 4 == 0 ? 0.35 : 0.22);
    }
    AddHit(Drum::ClosedHat, 15, 0.12);
    AddHit(Drum::OpenHat, 30, 0.3);
    Normalize();
}

void CDemoLoop::AddHit(Drum drum, int nStep, double dGain) {
    const uint32_t nStart = static_cast<uint32_t>(std::lround(nStep * double(kFrames) / kSteps));
    const double dRate = kRate;
    const uint32_t nLength = static_cast<uint32_t>(dRate * (drum == Drum::Kick      ? 0.45
                                                            : drum == Drum::OpenHat ? 0.3
                                                                                    : 0.2));
    double dPhase = 0.0;
    double dHpPrev = 0.0;
    double dHpOut = 0.0;
    // Hats sound slightly right, the rest in the centre.
    const double dPanR = (drum == Drum::ClosedHat || drum == Drum::OpenHat) ? 0.62 : 0.5;
    for (uint32_t i = 0; i < nLength; ++i) {
        const double t = i / dRate;
        m_nNoise = m_nNoise * 1664525u + 1013904223u;
        const double dNoise = static_cast<double>(m_nNoise >> 8) / double(1 << 23) - 1.0;
        // One-pole high-pass on the noise, for hats and the snare's rattle.
        dHpOut = 0.85 * (dHpOut + dNoise - dHpPrev);
        dHpPrev = dNoise;
        double v = 0.0;
        switch (drum) {
        case Drum::Kick: {
            // A falling sine (150 Hz down to 48 Hz) with a short click.
            const double dFreq = 48.0 + 102.0 * std::exp(-t * 28.0);
            dPhase += 2.0 * kPi * dFreq / dRate;
            v = std::sin(dPhase) * std::exp(-t * 7.0) + 0.3 * dNoise * std::exp(-t * 400.0);
            break;
        }
        case Drum::Snare: {
            dPhase += 2.0 * kPi * 185.0 / dRate;
            v = 0.55 * (std::sin(dPhase) + 0.5 * std::sin(dPhase * 1.78)) * std::exp(-t * 22.0) +
                0.7 * dHpOut * std::exp(-t * 15.0);
            break;
        }
        case Drum::ClosedHat: v = dHpOut * std::exp(-t * 60.0); break;
        case Drum::OpenHat: v = dHpOut * std::exp(-t * 9.0); break;
        }
        // Tails past the end wrap to the start, so the loop repeats seamlessly.
        const size_t nFrame = (nStart + i) % kFrames;
        m_samples[nFrame * 2] +=
            static_cast<float>(v * dGain * std::sqrt(1.0 - dPanR) * 1.41421356);
        m_samples[nFrame * 2 + 1] += static_cast<float>(v * dGain * std::sqrt(dPanR) * 1.41421356);
    }
}

void CDemoLoop::Normalize() {
    float fPeak = 0.0f;
    for (float f : m_samples) fPeak = std::max(fPeak, std::fabs(f));
    const float fGain = fPeak > 0.0f ? 0.89f / fPeak : 1.0f; // -1 dBFS
    for (float& f : m_samples) f *= fGain;
}

std::vector<uint8_t> CDemoLoop::AcidChunk() const {
    std::vector<uint8_t> v(24, 0);
    PutLe32(v, 0, 0x2 | 0x4); // looping (one-shot bit clear), root note valid, stretch
    PutLe16(v, 4, kRootNote);
    PutLe32(v, 12, kBeats);
    PutLe16(v, 16, 4); // meter 4/4
    PutLe16(v, 18, 4);
    const float fTempo = static_cast<float>(kTempo);
    uint32_t nBits = 0;
    std::memcpy(&nBits, &fTempo, 4);
    PutLe32(v, 20, nBits);
    return v;
}

std::vector<uint8_t> CDemoLoop::StrcChunk() const {
    constexpr size_t kHeader = 28;
    constexpr size_t kMarker = 32;
    std::vector<uint8_t> v(kHeader + kMarker * kSlices, 0);
    PutLe32(v, 4, kSlices);
    PutLe32(v, 24, 3); // slice unit: eighth notes
    for (int i = 0; i < kSlices; ++i) {
        const size_t at = kHeader + kMarker * static_cast<size_t>(i);
        PutLe32(v, at, 0); // marker type
        PutLe32(v, at + 8, SliceStart(i));
        PutLe32(v, at + 16, SliceStart(i)); // nonzero for every marker past the first
    }
    return v;
}

bool CDemoLoop::Write(const std::string& strPath, std::string* pstrError) const {
    CWavWriter writer(WavSampleFormat::Pcm16, kChannels, kRate);
    writer.AddChunk("acid", AcidChunk());
    writer.AddChunk("strc", StrcChunk());
    return writer.Write(strPath, m_samples.data(), kFrames, pstrError);
}
