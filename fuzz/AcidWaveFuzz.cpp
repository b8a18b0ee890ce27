// Feeds arbitrary bytes to the wave reader the way the Loop Bin loader uses it
// (open, seek to frame 0, read the whole data chunk), then through the rest of
// the reader's operations, and checks what every caller relies on.
#include "FuzzInput.h"
#include "files/AcidWave.h"
#include "files/AcidWaveSource.h"
#include "platform/com/HResult.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void CheckSource(const LoopSource& s, size_t bytes) {
    FuzzCheck(s.nFrames > 0 && s.wfx.nBlockAlign > 0 && s.wfx.nChannels >= 1 &&
              s.wfx.nChannels <= 2);
    FuzzCheck(bytes == static_cast<size_t>(s.wfx.nBlockAlign) * s.nFrames + 16);
    volatile unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum = sum + s.pData[i]; // every byte lies inside the buffer
    // Segments tile the frames from 0 with positive lengths.
    DWORD next = 0;
    for (int i = 0; i < s.nSegments; ++i) {
        FuzzCheck(s.pSegments[i].nStart == next && s.pSegments[i].nLength > 0);
        next += s.pSegments[i].nLength;
    }
    FuzzCheck(s.nSegments == 0 || next == s.nFrames);
    FuzzCheck(s.nKeyIndex >= 0 && s.nKeyIndex < 12);
}

void ExerciseReader(const char* path, const uint8_t* data, size_t size) {
    CAcidWave wave;
    if (FAILED(wave.Open(path))) return;
    bool ended = false;
    for (int i = 0; i <= CAcidWave::kMaxInfoItems && !ended; ++i)
        ended = wave.GetInfoEntry(i).ck.ckid == CAcidWave::kInfoEnd;
    FuzzCheck(ended);
    FuzzCheck(wave.GetSegment(-1).nLength == 0 &&
              wave.GetSegment(wave.GetSegmentCount()).nLength == 0);
    FuzzCheck(FAILED(wave.SeekToFrame(wave.GetFrames() + 1)));
    const DWORD frame = wave.GetFrames() / 2;
    if (FAILED(wave.SeekToFrame(frame))) return;
    const DWORD ba = wave.GetFormat().nBlockAlign;
    const DWORD expected = wave.GetRemainingBytes();
    FuzzCheck(expected == wave.GetDataBytes() - frame * ba &&
              expected >= (wave.GetFrames() - frame) * ba);
    // The stream yields exactly the measured chunk's bytes of the input.
    const size_t first = static_cast<size_t>(wave.GetDataOffset()) + frame * ba;
    FuzzCheck(first + expected <= size);
    static char buffer[777];
    DWORD total = 0;
    for (DWORD n; (n = wave.ReadData(buffer, sizeof(buffer))) > 0; total += n)
        FuzzCheck(std::memcmp(buffer, data + first + total, n) == 0);
    FuzzCheck(total == expected);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = FuzzInputPath(data, size);
    CAcidWaveSource source;
    if (SUCCEEDED(source.Load(path))) CheckSource(source.Source(), source.Bytes().size());
    ExerciseReader(path, data, size);
    return 0;
}
