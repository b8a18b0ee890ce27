// What stands between an instrument output and its file: a gain applied to
// every sample, and a count of the samples past full scale (those that an
// integer format clips) with the peak, so that clipping is reported.
#pragma once
#include "apps/hostkit/SampleTarget.h"
#include <cstdint>
#include <string>
#include <vector>

class CGainStage final : public ISampleTarget {
public:
    // pTarget is not owned. A gain of exactly 1 passes the samples unchanged.
    CGainStage(ISampleTarget* pTarget, float fGain) : m_pTarget(pTarget), m_fGain(fGain) {}

    bool Put(const float* pSamples, size_t nFloats) override;

    uint64_t Clipped() const { return m_nClipped; }
    float Peak() const { return m_fPeak; }

    // A gain in decibels as a factor.
    static float FromDb(double dDb);
    // The warning for a file whose integer samples clipped; empty when none did.
    std::string ClipWarning(const std::string& strFile) const;

private:
    void Measure(const float* p, size_t n);

    ISampleTarget* m_pTarget;
    float m_fGain;
    std::vector<float> m_scaled;
    uint64_t m_nClipped = 0;
    float m_fPeak = 0.0f;
};
