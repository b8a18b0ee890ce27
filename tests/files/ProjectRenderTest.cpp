// A loaded project sounds like the one that was saved: the pads of the scene
// are started from the editor and rendered buffer by buffer through the
// engine's Process in both, and the mix output must match sample for sample.
#include "ProjectScene.h"
#include "interfaces/PinBuffer.h"
#include "support/MemorySample.h"
#include <algorithm>

using namespace fixture;

namespace {

std::vector<float> Render(TestControl& c, FakeSynthContext& ctx, int nBuffers,
                          LONG nFrames = 1024) {
    EXPECT_EQ(c.Initialize(), S_OK);
    for (int p = 0; p < kPadCount; ++p) {
        if (c.Pad(p)->GetSize() == 0) continue;
        EXPECT_EQ(static_cast<IVudivuVizezud&>(c).StartAudition(p, -1), S_OK);
    }
    MemorySample in(2 * nFrames), out(2 * nFrames);
    std::vector<float> all;
    for (int b = 0; b < nBuffers; ++b) {
        std::fill(out.m_data.begin(), out.m_data.end(), 0.0f);
        PinBuffer input{nFrames, 0, &in, nullptr, 1, 8};
        PinBuffer output{nFrames, ctx.GetOutputPinId(0), &out, nullptr, 0, 8};
        EXPECT_TRUE(SUCCEEDED(
            c.Process(LONGLONG{b} * nFrames, &input, &output, 1, LONGLONG{b} * nFrames, nullptr)));
        all.insert(all.end(), out.m_data.begin(), out.m_data.end());
    }
    return all;
}
} // namespace

TEST(ProjectRender, TheLoadedProjectRendersTheSameAudio) {
    TempDir dir;
    FakeSynthContext ctxA(44100), ctxB(44100);
    TestControl a(&ctxA), b(&ctxB);
    BuildScene(a, dir);
    static_cast<IVudivuVizezud&>(a).SetPadSolo(0, 0); // let every unmuted pad sound
    ASSERT_EQ(static_cast<IVudivuVizezud&>(a).SaveProject("r", dir.File("r.pnd").c_str()), S_OK);
    ASSERT_EQ(static_cast<IVudivuVizezud&>(b).LoadProject("r.pnd", dir.File("r.pnd").c_str()),
              S_OK);
    const std::vector<float> x = Render(a, ctxA, 24), y = Render(b, ctxB, 24);
    ASSERT_EQ(x.size(), y.size());
    EXPECT_GT(std::count_if(x.begin(), x.end(), [](float v) { return v != 0.0f; }), 1000);
    EXPECT_EQ(x, y);
}
