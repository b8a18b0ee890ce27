// Feeds arbitrary bytes through the Loop Bin's file load where the sound file
// decoder takes over from the wave reader (AIFF, FLAC, Ogg, MP3, u-law,
// ADPCM, more than two channels, ...), and checks the record the decoder
// fills and what the engine makes of it: grains inside their wave and no
// sample NaN or infinite.
#include "../tests/engine/FakeSynthContext.h"
#include "FuzzInput.h"
#include "engine/VudivuVizezud.h"
#include "files/AcidWaveSource.h"
#include "files/BinLoader.h"
#include <cmath>

namespace {
struct Engine : CVudivuVizezud {
    explicit Engine(CDXiSynthContext* c) : CDXi(c), CVudivuVizezud(c) {}
};

// A decoded record holds stereo or mono 16-bit or 32-bit integers or 32-bit
// float, no longer than the decoder's bound, with segments tiling its frames.
void CheckDecoded(const CAcidWaveSource& source) {
    const LoopSource& s = source.Source();
    const WAVEFORMATEX& f = s.wfx;
    FuzzCheck(s.nFrames > 0 && (f.nChannels == 1 || f.nChannels == 2));
    FuzzCheck(
        (f.wFormatTag == WAVE_FORMAT_PCM && (f.wBitsPerSample == 16 || f.wBitsPerSample == 32)) ||
        (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && f.wBitsPerSample == 32));
    FuzzCheck(f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8);
    FuzzCheck(source.Bytes().size() == size_t{f.nBlockAlign} * s.nFrames + 16);
    FuzzCheck(s.nFrames <= f.nSamplesPerSec * CAcidWaveSource::kLongestDecodeSeconds + 1);
    DWORD next = 0;
    for (int i = 0; i < s.nSegments; ++i) {
        FuzzCheck(s.pSegments[i].nStart == next && s.pSegments[i].nLength > 0);
        next += s.pSegments[i].nLength;
    }
    FuzzCheck(s.nSegments == 0 || next == s.nFrames);
    FuzzCheck(s.nKeyIndex >= 0 && s.nKeyIndex < 12);
}

void CheckWave(const CWaveMem* w) {
    FuzzCheck(w != nullptr && w->m_pData != nullptr);
    for (LONGLONG i = 0; i < (w->m_nFrames + 1) * w->Channels(); ++i)
        FuzzCheck(std::isfinite(w->m_pData[i]));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = FuzzInputPath(data, size);
    CAcidWaveSource source;
    if (FAILED(source.Load(path))) return 0;
    if (source.IsDecoded()) CheckDecoded(source);

    static FakeSynthContext ctx(48000);
    Engine engine(&ctx);
    engine.SetOutputFormatRecord(MakeFloatFormat(2, 48000));
    LONG at = -1, status = 0;
    if (FAILED(LoadFileToBinEntry(&engine, path, -1, &at, &status))) {
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
        CheckWave(g->m_pTail);
    }
    return 0;
}
