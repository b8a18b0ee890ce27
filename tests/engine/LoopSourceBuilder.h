// Builds in-memory loop sources: PCM or float frames with optional loop data.
#pragma once
#include "interfaces/LoopSource.h"
#include <cstring>
#include <vector>

struct LoopSourceBuilder {
    std::vector<uint8_t> bytes;
    std::vector<LoopSegment> segments;
    LoopSource src;

    // nFrames frames of 16-bit PCM; sample value = f(frame, channel).
    template <typename F> LoopSourceBuilder& Pcm16(int channels, DWORD rate, DWORD nFrames, F f) {
        bytes.clear();
        for (DWORD i = 0; i < nFrames; ++i)
            for (int c = 0; c < channels; ++c) {
                const int16_t v = f(i, c);
                bytes.push_back(static_cast<uint8_t>(v & 0xFF));
                bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
            }
        SetFormat(WAVE_FORMAT_PCM, channels, rate, 16, nFrames);
        return *this;
    }
    LoopSourceBuilder& Silence(int channels, DWORD rate, DWORD nFrames) {
        return Pcm16(channels, rate, nFrames, [](DWORD, int) { return int16_t(0); });
    }
    LoopSourceBuilder& Raw(WORD tag, int channels, DWORD rate, int bits,
                           const std::vector<uint8_t>& data) {
        bytes = data;
        SetFormat(tag, channels, rate, bits,
                  static_cast<DWORD>(data.size() / (channels * bits / 8)));
        return *this;
    }
    LoopSourceBuilder& Loop(DWORD beats, std::vector<LoopSegment> segs, LONG keyIndex = 0,
                            BOOL rootNote = 0) {
        segments = std::move(segs);
        src.bAcid = 1;
        src.bLooping = 1;
        src.nBeats = beats;
        src.nKeyIndex = keyIndex;
        src.bRootNote = rootNote;
        return *this;
    }
    const LoopSource& Get() {
        src.pData = bytes.data();
        src.pSegments = segments.data();
        src.nSegments = static_cast<int>(segments.size());
        return src;
    }

private:
    void SetFormat(WORD tag, int channels, DWORD rate, int bits, DWORD nFrames) {
        src.wfx = WAVEFORMATEX{};
        src.wfx.wFormatTag = tag;
        src.wfx.nChannels = static_cast<WORD>(channels);
        src.wfx.nSamplesPerSec = rate;
        src.wfx.wBitsPerSample = static_cast<WORD>(bits);
        src.wfx.nBlockAlign = static_cast<WORD>(channels * bits / 8);
        src.wfx.nAvgBytesPerSec = rate * src.wfx.nBlockAlign;
        src.nFrames = nFrames;
    }
};
