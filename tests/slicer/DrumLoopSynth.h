// Drum loops with known hit times, for measuring the slicer against ground
// truth: kick, snare and hats at a tempo, optionally over noise and through a
// reverb, written as a plain 16-bit stereo WAV (no loop metadata).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct DrumLoopSpec {
    double dTempo = 120.0;
    int nBars = 2;
    double dNoiseDb = 0.0; // white noise level under the hits in dBFS; 0: none
    double dReverb = 0.0;  // wet gain of the reverb tail; 0: dry
    bool bSparse = false;  // short hits that die out long before the next one
    uint32_t nSeed = 1;
    uint32_t nRate = 44100;
};

class CDrumLoopSynth {
public:
    explicit CDrumLoopSynth(const DrumLoopSpec& spec);

    const std::vector<float>& Samples() const { return m_samples; } // interleaved stereo
    size_t Frames() const { return m_samples.size() / 2; }
    // The frames where hits start, ascending, one per time even where two
    // drums strike together.
    const std::vector<size_t>& Hits() const { return m_hits; }
    // The beat (from the loop's start) of each hit.
    const std::vector<double>& HitBeats() const { return m_beats; }
    bool Write(const std::string& strPath, std::string* pstrError) const;

private:
    enum class Drum { Kick, Snare, Hat };
    void AddHit(Drum drum, double dBeat, double dGain);
    void AddReverb(double dWet);
    double Noise();

    DrumLoopSpec m_spec;
    std::vector<float> m_samples;
    std::vector<size_t> m_hits;
    std::vector<double> m_beats;
    uint32_t m_nNoise;
};
