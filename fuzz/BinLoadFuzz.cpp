// Feeds arbitrary bytes through the whole Loop Bin load: the reader, decoding,
// rate conversion to the engine's 48 kHz, the overview, slicing into grains
// and their tails. Then checks what the render path relies on: every grain
// lies inside its wave and no sample is NaN or infinite.
#include "../tests/engine/FakeSynthContext.h"
#include "engine/VudivuVizezud.h"
#include "files/BinLoader.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace {
const char* InputPath(const uint8_t* data, size_t size) {
    static int fd = memfd_create("binload", MFD_CLOEXEC);
    static char path[64];
    if (fd < 0 || ftruncate(fd, 0) != 0) std::abort();
    if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    std::snprintf(path, sizeof(path), "/proc/self/fd/%d", fd);
    return path;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckWave(const CWaveMem* w) {
    Check(w != nullptr && w->m_pData != nullptr);
    for (LONGLONG i = 0; i < (w->m_nFrames + 1) * w->Channels(); ++i) Check(std::isfinite(w->m_pData[i]));
}

struct Engine : CVudivuVizezud {
    explicit Engine(CDXiSynthContext* c) : CDXi(c), CVudivuVizezud(c) {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeSynthContext ctx(48000);
    Engine engine(&ctx);
    engine.SetOutputFormatRecord(MakeFloatFormat(2, 48000));
    LONG at = -1, status = 0;
    const HRESULT hr = LoadFileToBinEntry(&engine, InputPath(data, size), -1, &at, &status);
    if (FAILED(hr)) {
        Check(engine.BinCount() == 0);
        return 0;
    }
    const CGrooveTrack* e = engine.BinEntry(at);
    Check(e != nullptr && !e->IsEmpty());
    CheckWave(e->m_pWave);
    for (int i = 0; i < e->GetSize(); ++i) {
        const CGrooveEvent* g = e->GetAt(i);
        Check(g->m_nLenSamples > 0 && g->m_nSrcStart + g->m_nLenSamples <= e->m_pWave->m_nFrames);
        Check(g->m_nTailSamples == 2 * g->m_nLenSamples);
        CheckWave(g->m_pTail);
    }
    Check(std::isfinite(e->m_dTempo));
    return 0;
}
