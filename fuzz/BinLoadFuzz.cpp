// Feeds arbitrary bytes through the whole Loop Bin load: the reader, decoding,
// rate conversion to the engine's 48 kHz, the overview, slicing into grains
// and their tails. Then checks what the render path relies on: every grain
// lies inside its wave and no sample is NaN or infinite.
#include "../tests/engine/FakeSynthContext.h"
#include "FuzzInput.h"
#include "engine/VudivuVizezud.h"
#include "files/BinLoader.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

void CheckWave(const CWaveMem* w) {
    FuzzCheck(w != nullptr && w->m_pData != nullptr);
    for (LONGLONG i = 0; i < (w->m_nFrames + 1) * w->Channels(); ++i)
        FuzzCheck(std::isfinite(w->m_pData[i]));
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
    const HRESULT hr = LoadFileToBinEntry(&engine, FuzzInputPath(data, size), -1, &at, &status);
    if (FAILED(hr)) {
        FuzzCheck(engine.BinCount() == 0);
        return 0;
    }
    const CGrooveTrack* e = engine.BinEntry(at);
    FuzzCheck(e != nullptr && !e->IsEmpty());
    CheckWave(e->m_pWave);
    for (int i = 0; i < e->GetSize(); ++i) {
        const CGrooveEvent* g = e->GetAt(i);
        FuzzCheck(g->m_nLenSamples > 0 &&
                  g->m_nSrcStart + g->m_nLenSamples <= e->m_pWave->m_nFrames);
        FuzzCheck(g->m_nTailSamples == 2 * g->m_nLenSamples);
        CheckWave(g->m_pTail);
    }
    FuzzCheck(std::isfinite(e->m_dTempo));
    return 0;
}
