// Pieces shared by the reliability tests: whole-stream reads of a memory IStream, and a
// render loop that starts every filled pad from the editor.
#pragma once
#include "files/ControlTestSupport.h"
#include "interfaces/PinBuffer.h"
#include "platform/com/Stream.h"
#include "support/MemorySample.h"
#include <algorithm>
#include <cstdlib>
#include <vector>
#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace rel {
using ::MemorySample;

// Owns one reference on a stream.
struct StreamRef {
    IStream* p = nullptr;
    StreamRef() { EXPECT_EQ(CreateMemoryStream(&p), S_OK); }
    ~StreamRef() {
        if (p != nullptr) p->Release();
    }
    StreamRef(const StreamRef&) = delete;
    StreamRef& operator=(const StreamRef&) = delete;
    void Rewind() const { p->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr); }
    riff::Bytes Bytes() const {
        STATSTG st{};
        p->Stat(&st, STATFLAG_NONAME);
        riff::Bytes out(static_cast<size_t>(st.cbSize.QuadPart));
        Rewind();
        ULONG n = 0;
        if (!out.empty()) p->Read(out.data(), static_cast<ULONG>(out.size()), &n);
        out.resize(n);
        return out;
    }
};

// Number of cases: the fixed CI count, or PANDREL_PROPERTY_CASES when set.
inline int CaseCount(int nDefault) {
    const char* env = std::getenv("PANDREL_PROPERTY_CASES");
    const int n = env != nullptr ? std::atoi(env) : 0;
    return n > 0 ? n : nDefault;
}

// Each render call starts from a host thread's default floating-point mode
// (no flush-to-zero), whatever an earlier call left.
inline void DefaultFloatMode() {
#if defined(__SSE__) || defined(__x86_64__)
    _mm_setcsr(0x1F80);
#endif
}

// Renders nBuffers buffers with every filled pad started from the editor,
// into the mix output alone or, with bAllOutputs, into the mix and all 16
// "Chan" outputs (stereo); fn(buffer) sees each output's buffer in turn.
template <typename Fn>
void RenderPads(CVudivuVizezud& engine, CDXiSynthContext& ctx, int nBuffers, LONG nFrames, Fn fn,
                bool bAllOutputs = false) {
    ASSERT_EQ(engine.Initialize(), S_OK);
    for (int p = 0; p < kPadCount; ++p) {
        if (engine.Pad(p)->GetSize() > 0) {
            ASSERT_EQ(engine.StartAudition(p, -1), S_OK);
        }
    }
    const DWORD nOutputs = bAllOutputs ? kOutputCount : 1;
    MemorySample in(2 * static_cast<size_t>(nFrames));
    std::vector<MemorySample> out(nOutputs, MemorySample(2 * static_cast<size_t>(nFrames)));
    for (int b = 0; b < nBuffers; ++b) {
        PinBuffer input{nFrames, 0, &in, nullptr, 1, 8};
        std::vector<PinBuffer> outputs;
        for (DWORD i = 0; i < nOutputs; ++i) {
            std::fill(out[i].m_data.begin(), out[i].m_data.end(), 0.0f);
            outputs.push_back(PinBuffer{nFrames, ctx.GetOutputPinId(i), &out[i], nullptr, 0, 8});
        }
        DefaultFloatMode();
        ASSERT_TRUE(SUCCEEDED(engine.Process(LONGLONG{b} * nFrames, &input, outputs.data(),
                                             nOutputs, LONGLONG{b} * nFrames, nullptr)));
        for (const MemorySample& o : out) fn(static_cast<const std::vector<float>&>(o.m_data));
    }
}
} // namespace rel
