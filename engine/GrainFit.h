// The fit of a run of L source frames to a target of T frames without a pitch
// change: straight, stretched by overlapping copies with parabolic crossfades,
// or shortened so that the run keeps its true ending. A fit depends only on the
// position inside the target, so a target rendered in any number of pieces is
// bit-identical to the target rendered at once. Called on the audio thread (and
// by the tail builder); never allocates.
#pragma once
#include "platform/com/Types.h"

class CGrainFit {
public:
    enum class Mode { Straight, Stretch, Shorten };

    // Crossfade ramps restart from their closed form every this many frames
    // of the crossfade, so every piece of a target sees the same gains.
    static constexpr LONGLONG kRampBlock = 64;

    // nLen and nTarget are at least 1; nRate (source frames per second) caps
    // the crossfade lengths.
    void Set(LONGLONG nLen, LONGLONG nTarget, LONGLONG nRate);

    // Accumulates target frames [t0, t1) into pDst (which points at the
    // destination frame of t0), reading pSrc (the run's frame 0). Copy k of a
    // stretch is additionally weighted by dDecay^(k × hop). The caller keeps
    // [t0, t1) inside the target; a straight fit may read one frame past the
    // run (t1 = L + 1), which the caller must own.
    void Mix(const float* pSrc, int nSrcChannels, LONGLONG t0, LONGLONG t1, float* pDst,
             int nDstChannels, double dGainL, double dGainR, double dDecay = 1.0) const;

    Mode m_mode = Mode::Straight;
    LONGLONG m_nLen = 0;        // L
    LONGLONG m_nTarget = 0;     // T
    LONGLONG m_nMaxOverlap = 0; // O
    LONGLONG m_nCopies = 1;     // N
    LONGLONG m_nOverlap = 0;    // V
    LONGLONG m_nHop = 0;        // H
    LONGLONG m_nFade = 0;       // X

private:
    struct Target {
        const float* pSrc;
        int nSrc;
        float* pDst; // the destination frame of target frame nBase
        LONGLONG nBase;
        int nDst;
        double dGainL, dGainR;
    };
    // Copy k (or the run) at constant gain factor: target [t0, t1) reads
    // source frames from t0 - nSrcShift.
    static void Solo(const Target& to, LONGLONG t0, LONGLONG t1, LONGLONG nSrcShift,
                     double dFactor);
    // Crossfade frames [j0, j1) of a crossfade starting at target frame
    // nStart: the earlier run from source frame nSrcA (weighted 1 - u²), the
    // later from nSrcB (weighted 1 - (1 - u)²), u = j ÷ X.
    void Fade(const Target& to, LONGLONG nStart, LONGLONG j0, LONGLONG j1, LONGLONG nSrcA,
              LONGLONG nSrcB, double dFactorA, double dFactorB) const;
    double CopyFactor(LONGLONG k, double dDecay) const;
};
