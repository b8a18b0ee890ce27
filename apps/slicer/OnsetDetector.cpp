#include "apps/slicer/OnsetDetector.h"
#include "apps/slicer/Fft.h"
#include <algorithm>
#include <cmath>

namespace {
constexpr double kCompression = 100.0; // log(1 + C |X|): quiet hits count too
constexpr size_t kPeakRadius = 3;      // hops a flux peak must top on each side
constexpr size_t kMedianRadius = 24;   // hops of the moving median threshold

// Running sums of squares, so that any span's energy costs two lookups.
std::vector<double> Energy(const std::vector<float>& x, bool bHighPass) {
    std::vector<double> sum(x.size() + 1, 0.0);
    for (size_t i = 0; i < x.size(); ++i) {
        const double v = bHighPass ? x[i] - (i > 0 ? x[i - 1] : 0.0f) : x[i];
        sum[i + 1] = sum[i] + v * v;
    }
    return sum;
}

double Span(const std::vector<double>& sum, size_t a, size_t b) {
    return sum[std::min(b, sum.size() - 1)] - sum[std::min(a, sum.size() - 1)];
}
} // namespace

COnsetDetector::COnsetDetector(uint32_t nRate, float fSensitivity)
    : m_nRate(nRate), m_fSensitivity(std::clamp(fSensitivity, 0.0f, 1.0f)) {
    // About 12 ms frames and 1.5 ms hops at any rate.
    m_nSize = 256;
    while (m_nSize < nRate / 86) m_nSize *= 2;
    m_nHop = m_nSize / 8;
}

std::vector<float> COnsetDetector::Flux(const std::vector<float>& signal) const {
    CFft fft(m_nSize);
    std::vector<float> window(m_nSize), frame(m_nSize), mag(m_nSize / 2 + 1),
        prev(m_nSize / 2 + 1, 0.0f);
    const double kPi = 3.14159265358979323846;
    for (size_t i = 0; i < m_nSize; ++i)
        window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) /
                                                            static_cast<double>(m_nSize)));
    // Hop k's frame ends at k x hop: the flux rises as a hit enters it.
    const size_t nHops = signal.size() / m_nHop + 1;
    std::vector<float> flux(nHops, 0.0f);
    for (size_t k = 0; k < nHops; ++k) {
        const auto end = static_cast<std::ptrdiff_t>(k * m_nHop);
        for (size_t i = 0; i < m_nSize; ++i) {
            const std::ptrdiff_t at =
                end - static_cast<std::ptrdiff_t>(m_nSize) + static_cast<std::ptrdiff_t>(i);
            frame[i] = at >= 0 && static_cast<size_t>(at) < signal.size()
                           ? signal[static_cast<size_t>(at)] * window[i]
                           : 0.0f;
        }
        fft.Magnitudes(frame.data(), mag.data());
        double d = 0.0;
        for (size_t b = 1; b < mag.size(); ++b) {
            const float l = static_cast<float>(std::log1p(kCompression * mag[b]));
            d += std::max(0.0f, l - prev[b]);
            prev[b] = l;
        }
        flux[k] = static_cast<float>(d);
    }
    const float fPeak = *std::max_element(flux.begin(), flux.end());
    if (fPeak > 0.0f)
        for (float& f : flux) f /= fPeak;
    return flux;
}

// The sample in [nFrom, nTo) where the energy of the next 2 ms most exceeds
// that of the 10 ms before, in the signal and in its first difference (which
// hears a hat over a ringing kick).
size_t COnsetDetector::Refine(const std::vector<double>& energy,
                              const std::vector<double>& energyHigh, size_t nFrom,
                              size_t nTo) const {
    const size_t nAfter = std::max<size_t>(8, m_nRate / 500);
    const size_t nBefore = std::max<size_t>(16, m_nRate / 100);
    const double kFloor = 1e-9;
    size_t nBest = nFrom;
    double dBest = -1e300;
    for (size_t n = std::max<size_t>(nFrom, 1); n < nTo; ++n) {
        const size_t b0 = n > nBefore ? n - nBefore : 0;
        const double dScale = static_cast<double>(nAfter) / static_cast<double>(n - b0);
        const double r = std::log((Span(energy, n, n + nAfter) + kFloor) /
                                  (Span(energy, b0, n) * dScale + kFloor)) +
                         std::log((Span(energyHigh, n, n + nAfter) + kFloor) /
                                  (Span(energyHigh, b0, n) * dScale + kFloor));
        if (r > dBest) {
            dBest = r;
            nBest = n;
        }
    }
    return nBest;
}

std::vector<Onset> COnsetDetector::Detect(const std::vector<float>& signal) const {
    std::vector<Onset> onsets;
    if (signal.size() < m_nSize) return onsets;
    const std::vector<float> flux = Flux(signal);
    const std::vector<double> energy = Energy(signal, false);
    const std::vector<double> energyHigh = Energy(signal, true);
    // A peak must top its neighbours and the local median by a margin that
    // shrinks as the sensitivity grows.
    const float fDelta = 0.02f + 0.1f * (1.0f - m_fSensitivity);
    std::vector<float> window;
    for (size_t k = 1; k < flux.size(); ++k) {
        const size_t a = k > kPeakRadius ? k - kPeakRadius : 0;
        const size_t b = std::min(flux.size(), k + kPeakRadius + 1);
        if (flux[k] < *std::max_element(flux.begin() + static_cast<std::ptrdiff_t>(a),
                                        flux.begin() + static_cast<std::ptrdiff_t>(b)))
            continue;
        const size_t ma = k > kMedianRadius ? k - kMedianRadius : 0;
        const size_t mb = std::min(flux.size(), k + kMedianRadius + 1);
        window.assign(flux.begin() + static_cast<std::ptrdiff_t>(ma),
                      flux.begin() + static_cast<std::ptrdiff_t>(mb));
        std::nth_element(window.begin(),
                         window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2),
                         window.end());
        if (flux[k] < window[window.size() / 2] + fDelta) continue;
        // The hit entered the frame that ends at this hop, within its last
        // three quarters, or the hop before.
        const size_t nEnd = k * m_nHop;
        size_t nFrom = nEnd > m_nSize * 3 / 4 ? nEnd - m_nSize * 3 / 4 : 0;
        // Not back to the hit before: a second one close behind is its own.
        if (!onsets.empty()) nFrom = std::max(nFrom, onsets.back().nFrame + m_nHop);
        const size_t nAt =
            Refine(energy, energyHigh, nFrom, std::min(nEnd + m_nHop, signal.size()));
        if (nAt == 0 || (!onsets.empty() && nAt <= onsets.back().nFrame)) continue;
        Onset o;
        o.nFrame = nAt;
        o.fStrength = flux[k];
        const size_t nLevel = m_nRate * 3 / 100;
        o.fLevel = static_cast<float>(
            std::sqrt(Span(energy, nAt, nAt + nLevel) / static_cast<double>(nLevel)));
        onsets.push_back(o);
    }
    return onsets;
}
