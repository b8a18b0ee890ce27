#include "slicer/DrumLoopSynth.h"
#include "apps/hostkit/WavWriter.h"
#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

CDrumLoopSynth::CDrumLoopSynth(const DrumLoopSpec& spec) : m_spec(spec), m_nNoise(spec.nSeed) {
    const double dBeats = 4.0 * spec.nBars;
    const auto nFrames = static_cast<size_t>(std::lround(dBeats * 60.0 / spec.dTempo * spec.nRate));
    m_samples.assign(nFrames * 2, 0.0f);
    // A backbeat: kick on 1 and 3 (a push before 3 in every second bar),
    // snare on 2 and 4, hats on the eighths, accented on the beat.
    std::vector<std::pair<double, int>> hits;
    for (int bar = 0; bar < spec.nBars; ++bar) {
        const double b = 4.0 * bar;
        AddHit(Drum::Kick, b, 1.0);
        AddHit(Drum::Kick, b + 2.0, 0.9);
        if (bar % 2 == 1) AddHit(Drum::Kick, b + 1.5, 0.7);
        AddHit(Drum::Snare, b + 1.0, 0.8);
        AddHit(Drum::Snare, b + 3.0, 0.8);
        for (int e = 0; e < 8; ++e) AddHit(Drum::Hat, b + 0.5 * e, e % 2 == 0 ? 0.35 : 0.2);
    }
    std::sort(m_beats.begin(), m_beats.end());
    m_beats.erase(std::unique(m_beats.begin(), m_beats.end()), m_beats.end());
    for (double beat : m_beats)
        m_hits.push_back(static_cast<size_t>(std::lround(beat * 60.0 / spec.dTempo * spec.nRate)));
    if (spec.dReverb > 0.0) AddReverb(spec.dReverb);
    if (spec.dNoiseDb < 0.0) {
        const double dLevel = std::pow(10.0, spec.dNoiseDb / 20.0) * std::sqrt(3.0);
        for (float& f : m_samples) f += static_cast<float>(dLevel * Noise());
    }
    float fPeak = 0.0f;
    for (float f : m_samples) fPeak = std::max(fPeak, std::fabs(f));
    for (float& f : m_samples) f *= 0.9f / fPeak;
}

double CDrumLoopSynth::Noise() {
    m_nNoise = m_nNoise * 1664525u + 1013904223u;
    return static_cast<double>(m_nNoise >> 8) / double(1 << 23) - 1.0;
}

void CDrumLoopSynth::AddHit(Drum drum, double dBeat, double dGain) {
    const double dRate = m_spec.nRate;
    const auto nStart = static_cast<size_t>(std::lround(dBeat * 60.0 / m_spec.dTempo * dRate));
    m_beats.push_back(dBeat);
    // Sparse hits last 60 ms; full ones ring on (a kick 400 ms, a snare 250).
    const double dLength = m_spec.bSparse        ? 0.06
                           : drum == Drum::Kick  ? 0.4
                           : drum == Drum::Snare ? 0.25
                                                 : 0.12;
    const auto nLength = static_cast<size_t>(dLength * dRate);
    double dPhase = 0.0, dHp = 0.0, dPrev = 0.0;
    const double dPan = drum == Drum::Hat ? 0.65 : 0.5;
    for (size_t i = 0; i < nLength && nStart + i < Frames(); ++i) {
        const double t = static_cast<double>(i) / dRate;
        const double n = Noise();
        dHp = 0.8 * (dHp + n - dPrev); // hats and the snare's rattle: high-passed noise
        dPrev = n;
        double v = 0.0;
        switch (drum) {
        case Drum::Kick:
            dPhase += 2.0 * kPi * (50.0 + 110.0 * std::exp(-t * 30.0)) / dRate;
            v = std::sin(dPhase) * std::exp(-t * 9.0);
            break;
        case Drum::Snare:
            dPhase += 2.0 * kPi * 190.0 / dRate;
            v = 0.5 * std::sin(dPhase) * std::exp(-t * 25.0) + 0.6 * dHp * std::exp(-t * 18.0);
            break;
        case Drum::Hat: v = 0.7 * dHp * std::exp(-t * 45.0); break;
        }
        // A 2 ms fade at the end, so that no hit stops with a click.
        const double dFade = std::min(1.0, static_cast<double>(nLength - i) / (0.002 * dRate));
        v *= dGain * dFade;
        m_samples[2 * (nStart + i)] += static_cast<float>(v * (1.0 - dPan) * 2.0);
        m_samples[2 * (nStart + i) + 1] += static_cast<float>(v * dPan * 2.0);
    }
}

// A small room: four feedback combs into two all-passes, per channel.
void CDrumLoopSynth::AddReverb(double dWet) {
    const size_t combs[] = {1116, 1188, 1277, 1356};
    const size_t passes[] = {556, 441};
    for (size_t c = 0; c < 2; ++c) {
        std::vector<double> wet(Frames(), 0.0);
        for (size_t d : combs) {
            std::vector<double> line(d + 23 * c, 0.0);
            for (size_t i = 0; i < Frames(); ++i) {
                double& slot = line[i % line.size()];
                const double y = slot;
                slot = m_samples[2 * i + c] + 0.82 * y;
                wet[i] += y / 4.0;
            }
        }
        for (size_t d : passes) {
            std::vector<double> line(d, 0.0);
            for (size_t i = 0; i < Frames(); ++i) {
                double& slot = line[i % d];
                const double y = slot - 0.5 * wet[i];
                slot = wet[i] + 0.5 * y;
                wet[i] = y;
            }
        }
        for (size_t i = 0; i < Frames(); ++i)
            m_samples[2 * i + c] += static_cast<float>(dWet * wet[i]);
    }
}

bool CDrumLoopSynth::Write(const std::string& strPath, std::string* pstrError) const {
    return CWavWriter(WavSampleFormat::Pcm16, 2, m_spec.nRate)
        .Write(strPath, m_samples.data(), Frames(), pstrError);
}
