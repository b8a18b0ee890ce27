#include "apps/slicer/TempoEstimator.h"
#include <cmath>

namespace {
constexpr double kSpread = 0.010; // seconds: how closely two hits must line up
constexpr double kPriorCentre = 120.0;
constexpr double kPriorOctaves = 1.0;
constexpr double kFasterShare = 0.6;
} // namespace

double CTempoEstimator::Correlation(const std::vector<Onset>& onsets, double dLength, double dLag,
                                    uint32_t nRate) const {
    double sum = 0.0;
    for (const Onset& a : onsets)
        for (const Onset& b : onsets) {
            const double d = std::remainder(
                (static_cast<double>(b.nFrame) - static_cast<double>(a.nFrame)) / nRate - dLag,
                dLength);
            sum += a.fLevel * b.fLevel * std::exp(-0.5 * (d / kSpread) * (d / kSpread));
        }
    return sum;
}

TempoGuess CTempoEstimator::Estimate(const std::vector<Onset>& onsets, size_t nFrames,
                                     uint32_t nRate) const {
    TempoGuess guess;
    const double dLength = static_cast<double>(nFrames) / nRate;
    const auto nLow = static_cast<uint32_t>(std::ceil(dLength * kMinTempo / 60.0));
    const auto nHigh = static_cast<uint32_t>(std::floor(dLength * kMaxTempo / 60.0));
    const double dZero = Correlation(onsets, dLength, 0.0, nRate);
    double dBest = -1.0;
    for (uint32_t n = std::max<uint32_t>(nLow, 1); n <= nHigh && n <= kMaxBeats; ++n) {
        const double dTempo = 60.0 * n / dLength;
        const double dBeat = dLength / n;
        double dScore = 0.0;
        for (double m : {1.0, 2.0, 4.0}) dScore += Correlation(onsets, dLength, m * dBeat, nRate);
        // Without hits only the preferences speak.
        dScore = dZero > 0.0 ? dScore / (3.0 * dZero) : 1.0;
        const double dOctaves = std::log2(dTempo / kPriorCentre) / kPriorOctaves;
        dScore *= std::exp(-0.5 * dOctaves * dOctaves);
        if (n % 4 != 0) dScore *= n % 2 == 0 ? 0.9 : 0.8;
        if (dScore > dBest) {
            dBest = dScore;
            guess.nBeats = n;
            guess.dTempo = dTempo;
        }
    }
    // A level twice as fast whose hits are nearly as strong is the beat: a
    // kick and snare alternating on each beat also repeat every two.
    while (guess.nBeats != 0 && guess.nBeats * 2 <= nHigh && guess.nBeats * 2 <= kMaxBeats) {
        const double dBeat = dLength / guess.nBeats;
        if (Correlation(onsets, dLength, dBeat / 2.0, nRate) <
            kFasterShare * Correlation(onsets, dLength, dBeat, nRate))
            break;
        guess.nBeats *= 2;
        guess.dTempo *= 2.0;
    }
    return guess;
}
