#include "apps/cli/GainStage.h"
#include <algorithm>
#include <cmath>
#include <cstdio>

void CGainStage::Measure(const float* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const float a = std::fabs(p[i]);
        if (!std::isfinite(a)) continue; // written as 0
        if (a > 1.0f) ++m_nClipped;
        m_fPeak = std::max(m_fPeak, a);
    }
}

bool CGainStage::Put(const float* pSamples, size_t nFloats) {
    if (pSamples == nullptr) return m_pTarget->Put(nullptr, nFloats);
    if (m_fGain == 1.0f) {
        Measure(pSamples, nFloats);
        return m_pTarget->Put(pSamples, nFloats);
    }
    m_scaled.resize(nFloats);
    for (size_t i = 0; i < nFloats; ++i) m_scaled[i] = pSamples[i] * m_fGain;
    Measure(m_scaled.data(), nFloats);
    return m_pTarget->Put(m_scaled.data(), nFloats);
}

float CGainStage::FromDb(double dDb) {
    return dDb == 0.0 ? 1.0f : static_cast<float>(std::pow(10.0, dDb / 20.0));
}

std::string CGainStage::ClipWarning(const std::string& strFile) const {
    if (m_nClipped == 0) return {};
    const double dPeakDb = 20.0 * std::log10(static_cast<double>(m_fPeak));
    // The gain that brings the peak to just below full scale, in tenths of a dB.
    const double dFix = -std::ceil(dPeakDb * 10.0 + 1.0) / 10.0;
    char line[400];
    std::snprintf(line, sizeof(line),
                  "pandrel: %s: %llu sample%s clipped (peak %+.1f dBFS); lower the pads' "
                  "volumes, use --gain %.1f or lower, or write float (--format float)\n",
                  strFile.c_str(), static_cast<unsigned long long>(m_nClipped),
                  m_nClipped == 1 ? "" : "s", dPeakDb, dFix);
    return line;
}
