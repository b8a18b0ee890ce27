#include "engine/GrainFit.h"
#include "engine/MixKernels.h"
#include <algorithm>
#include <cmath>

namespace {

// Longest job handed to a kernel (its frame count is 32-bit).
constexpr LONGLONG kMaxJobFrames = LONGLONG(1) << 30;

inline MixJob MakeJob(const float* pSrc, float* pDst, LONGLONG nFrames, double gL, double gR) {
    MixJob job;
    job.pSrc = pSrc;
    job.pDst = pDst;
    job.nFrames = static_cast<LONG>(nFrames);
    job.dGainL = gL;
    job.dGainR = gR;
    return job;
}

// One side of a crossfade ramp inside a job: gain, increment, second increment.
struct Ramp {
    double g, d, e;
};

} // namespace

void CGrainFit::Set(LONGLONG nLen, LONGLONG nTarget, LONGLONG nRate) {
    const LONGLONG L = nLen, T = nTarget;
    m_nLen = L;
    m_nTarget = T;
    m_nMaxOverlap = 0;
    m_nCopies = 1;
    m_nOverlap = 0;
    m_nHop = L;
    m_nFade = 0;
    if (T == L) {
        m_mode = Mode::Straight;
        return;
    }
    const double dRatio = static_cast<double>(T) / static_cast<double>(L);
    if (T > L) {
        m_mode = Mode::Stretch;
        const LONGLONG O = std::min(nRate / 5, L / 2);
        const LONGLONG N = (T - O) / (L - O) + 1; // at least 2, since T > L
        const LONGLONG V = (N * L - T) / (N - 1);
        const LONGLONG H = L - V;
        LONGLONG X = N <= 2 ? std::min(V, nRate / 4) : std::min(H, (2 * V) / 3);
        if (dRatio < 1.04) X = std::min(X, nRate / 40);
        m_nMaxOverlap = O;
        m_nCopies = N;
        m_nOverlap = V;
        m_nHop = H;
        m_nFade = X;
    } else {
        m_mode = Mode::Shorten;
        LONGLONG X =
            std::min(nRate / 4, static_cast<LONGLONG>(std::floor(0.8 * static_cast<double>(T))));
        if (1.0 / dRatio < 1.04) X = std::min(X, nRate / 40);
        m_nFade = X;
    }
}

double CGrainFit::CopyFactor(LONGLONG k, double dDecay) const {
    return dDecay == 1.0 ? 1.0 : std::pow(dDecay, static_cast<double>(k * m_nHop));
}

void CGrainFit::Mix(const float* pSrc, int nSrcChannels, LONGLONG t0, LONGLONG t1, float* pDst,
                    int nDstChannels, double dGainL, double dGainR, double dDecay) const {
    if (m_mode != Mode::Straight) t1 = std::min(t1, m_nTarget);
    if (t0 >= t1) return;
    const Target to{pSrc, nSrcChannels, pDst, t0, nDstChannels, dGainL, dGainR};
    const LONGLONG L = m_nLen, T = m_nTarget, X = m_nFade;
    switch (m_mode) {
    case Mode::Straight: Solo(to, t0, t1, 0, 1.0); break;
    case Mode::Shorten: {
        // Output [0, T - X) plays the run's start; the last X frames cross
        // into the run's own last X frames.
        const LONGLONG e = T - X;
        if (t0 < e) Solo(to, t0, std::min(t1, e), 0, 1.0);
        if (t1 > e) Fade(to, e, std::max(t0, e) - e, t1 - e, T - X, L - X, 1.0, 1.0);
        break;
    }
    case Mode::Stretch: {
        const LONGLONG H = m_nHop, V = m_nOverlap, N = m_nCopies;
        for (LONGLONG t = t0; t < t1;) {
            LONGLONG end;
            if (t < L - X) {
                end = std::min(t1, L - X);
                Solo(to, t, end, 0, CopyFactor(0, dDecay));
            } else {
                // Crossfade c joins copy c (at its end) and copy c + 1 (at
                // its frame V - X); copy c + 1 then plays alone up to the
                // next crossfade, the last copy up to T.
                const LONGLONG c = std::min((t - (L - X)) / H, N - 2);
                const LONGLONG s = c * H + L - X;
                if (t < s + X) {
                    end = std::min(t1, s + X);
                    Fade(to, s, t - s, end - s, L - X, V - X, CopyFactor(c, dDecay),
                         CopyFactor(c + 1, dDecay));
                } else {
                    end = std::min(t1, c == N - 2 ? T : s + H);
                    Solo(to, t, end, (c + 1) * H, CopyFactor(c + 1, dDecay));
                }
            }
            t = end;
        }
        break;
    }
    }
}

void CGrainFit::Solo(const Target& to, LONGLONG t0, LONGLONG t1, LONGLONG nSrcShift,
                     double dFactor) {
    const double gL = to.dGainL * dFactor, gR = to.dGainR * dFactor;
    // The plain kernels may take a single-precision vector path depending on
    // pointer alignment, which moves with the split points of a target. Only
    // at unity gain is that path bit-identical to the double-precision rule;
    // otherwise a ramp kernel with zero increments keeps the rule exact.
    const bool bUnity = gL == 1.0 && (gR == 1.0 || (to.nSrc == 1 && to.nDst == 1));
    const MixKernel kernel = SelectFloatMixKernel(to.nSrc, to.nDst, !bUnity);
    for (LONGLONG t = t0; t < t1;) {
        const LONGLONG n = std::min(t1 - t, kMaxJobFrames);
        MixJob job = MakeJob(to.pSrc + (t - nSrcShift) * to.nSrc,
                             to.pDst + (t - to.nBase) * to.nDst, n, gL, gR);
        kernel(&job);
        t += n;
    }
}

void CGrainFit::Fade(const Target& to, LONGLONG nStart, LONGLONG j0, LONGLONG j1, LONGLONG nSrcA,
                     LONGLONG nSrcB, double dFactorA, double dFactorB) const {
    // Weights a(j) = 1 - j²/X² and b(j) = (2jX - j²)/X² as second-order
    // ramps. Each ramp block starts from the closed form at its grid point;
    // a piece starting inside a block steps there exactly as the kernel does.
    const double X = static_cast<double>(m_nFade);
    const double inv = 1.0 / (X * X);
    const double e = -2.0 * inv;
    const double gAL = to.dGainL * dFactorA, gAR = to.dGainR * dFactorA;
    const double gBL = to.dGainL * dFactorB, gBR = to.dGainR * dFactorB;
    const MixKernel kernel = SelectFloatMixKernel(to.nSrc, to.nDst, true);
    for (LONGLONG j = j0; j < j1;) {
        const LONGLONG jb = j - j % kRampBlock;
        const LONGLONG je = std::min(j1, jb + kRampBlock);
        const double u = static_cast<double>(jb);
        const double a = 1.0 - u * u * inv, da = -(2.0 * u + 1.0) * inv;
        const double b = u * (2.0 * X - u) * inv, db = (2.0 * X - 2.0 * u - 1.0) * inv;
        Ramp r[4] = {{gAL * a, gAL * da, gAL * e},
                     {gAR * a, gAR * da, gAR * e},
                     {gBL * b, gBL * db, gBL * e},
                     {gBR * b, gBR * db, gBR * e}};
        for (LONGLONG i = jb; i < j; ++i)
            for (Ramp& q : r) {
                q.g += q.d;
                q.d += q.e;
            }
        float* pDst = to.pDst + (nStart + j - to.nBase) * to.nDst;
        MixJob jobA = MakeJob(to.pSrc + (nSrcA + j) * to.nSrc, pDst, je - j, r[0].g, r[1].g);
        jobA.dIncL = r[0].d;
        jobA.dIncR = r[1].d;
        jobA.dInc2L = r[0].e;
        jobA.dInc2R = r[1].e;
        MixJob jobB = MakeJob(to.pSrc + (nSrcB + j) * to.nSrc, pDst, je - j, r[2].g, r[3].g);
        jobB.dIncL = r[2].d;
        jobB.dIncR = r[3].d;
        jobB.dInc2L = r[2].e;
        jobB.dInc2R = r[3].e;
        if (to.nSrc == 2 && to.nDst == 2) {
            MixCrossfadeStereo(&jobA, &jobB);
        } else {
            kernel(&jobA);
            kernel(&jobB);
        }
        j = je;
    }
}
