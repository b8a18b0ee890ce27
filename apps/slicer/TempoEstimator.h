// Guesses how many beats a loop holds, and so its tempo, from its
// transients: every whole number of beats whose tempo lies from 70 to 180 BPM
// is scored by how well the hits repeat after one, two and four beats
// (circularly, as a loop plays), weighed by a preference for tempos near
// 120 BPM and for whole bars of four beats.
#pragma once
#include "apps/slicer/OnsetDetector.h"
#include <cstdint>
#include <vector>

struct TempoGuess {
    uint32_t nBeats = 0; // 0: no tempo in range fits
    double dTempo = 0.0;
};

class CTempoEstimator {
public:
    static constexpr double kMinTempo = 70.0;
    static constexpr double kMaxTempo = 180.0;
    static constexpr uint32_t kMaxBeats = 64;

    TempoGuess Estimate(const std::vector<Onset>& onsets, size_t nFrames, uint32_t nRate) const;

private:
    // The circular autocorrelation of the hits, weighted by their levels,
    // at a lag in seconds.
    double Correlation(const std::vector<Onset>& onsets, double dLength, double dLag,
                       uint32_t nRate) const;
};
