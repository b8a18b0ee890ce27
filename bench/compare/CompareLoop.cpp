#include "bench/compare/CompareLoop.h"
#include "apps/cli/DemoLoop.h"
#include "tests/files/RiffBuilder.h"
#include <algorithm>
#include <cmath>

CCompareLoop::CCompareLoop() {
    const CDemoLoop demo;
    const std::vector<float>& bar = demo.Samples();
    m_floats.resize(static_cast<size_t>(kFrames) * kChannels);
    for (size_t i = 0; i < m_floats.size(); ++i) m_floats[i] = bar[i % bar.size()];
    m_pcm16.reserve(m_floats.size() * 2);
    for (float f : m_floats) {
        const auto v = static_cast<int16_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 32767.0f));
        m_pcm16.push_back(static_cast<uint8_t>(v & 0xFF));
        m_pcm16.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    std::vector<riff::Marker> markers;
    for (uint32_t b = 0; b < kBeats; ++b) {
        m_segments.push_back({b * kSliceFrames, kSliceFrames});
        if (b > 0) markers.push_back({0, b * kSliceFrames, 1});
    }
    riff::Fmt fmt;
    fmt.channels = kChannels;
    fmt.rate = kRate;
    riff::RiffBuilder r;
    r.Chunk("fmt ", riff::FmtBody(fmt)).Chunk("data", m_pcm16);
    r.Chunk("acid", riff::AcidBody(0x2, 60, kBeats, static_cast<float>(kTempo)))
        .Chunk("strc", riff::StrcBody(kBeats - 1, 2, markers));
    m_wav = r.Form();

    m_source.wfx.wFormatTag = WAVE_FORMAT_PCM;
    m_source.wfx.nChannels = kChannels;
    m_source.wfx.nSamplesPerSec = kRate;
    m_source.wfx.wBitsPerSample = 16;
    m_source.wfx.nBlockAlign = 2 * kChannels;
    m_source.wfx.nAvgBytesPerSec = kRate * 2 * kChannels;
    m_source.pData = m_pcm16.data();
    m_source.nFrames = kFrames;
    m_source.bAcid = 1;
    m_source.bLooping = 1;
    m_source.nBeats = kBeats;
    m_source.pSegments = m_segments.data();
    m_source.nSegments = static_cast<int>(m_segments.size());
}
