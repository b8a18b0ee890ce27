// Flush-to-zero and denormals-are-zero for the calling thread while one render
// call runs: a decaying release would otherwise end in denormal floats, which
// are slow on x86 and never reach exact silence. The caller's MXCSR is put
// back on destruction, so a host's own floating-point mode is left alone.
// Audio thread; no-op on processors without SSE.
#pragma once
#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define PANDREL_HAVE_MXCSR 1
#endif

class CDenormalGuard {
public:
    CDenormalGuard() noexcept {
#ifdef PANDREL_HAVE_MXCSR
        m_nSaved = _mm_getcsr();
        _mm_setcsr(m_nSaved | kFlushToZero | kDenormalsAreZero);
#endif
    }
    ~CDenormalGuard() {
#ifdef PANDREL_HAVE_MXCSR
        _mm_setcsr(m_nSaved);
#endif
    }
    CDenormalGuard(const CDenormalGuard&) = delete;
    CDenormalGuard& operator=(const CDenormalGuard&) = delete;

private:
#ifdef PANDREL_HAVE_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000;      // MXCSR.FZ
    static constexpr unsigned kDenormalsAreZero = 0x0040; // MXCSR.DAZ
    unsigned m_nSaved = 0;
#endif
};
