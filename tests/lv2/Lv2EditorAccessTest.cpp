// The editor's way into the plug-in (the UI's instance access): pads and
// previews the editor starts sound even when the plug-in has been skipping
// idle blocks, whether the host's transport rolls or not; the editor's other
// calls never wait for the plug-in's block lock, its playback calls do.
#include "apps/lv2/Lv2EditorAccess.h"
#include "apps/lv2/Lv2Plugin.h"
#include "interfaces/IVudivuVizezud.h"
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include "platform/com/ComPtr.h"
#include <algorithm>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

namespace {
using Position = CLv2TestHost::Position;
constexpr LONG kKickPad = 1; // the demo's one-shot first slice, key 37

class Lv2EditorAccess : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string strError;
        if (!CLv2TestProject::State(PANDREL_LV2_BUNDLE "/pandrel.so", false, &s_state, &strError))
            ADD_FAILURE() << strError;
    }
    void SetUp() override {
        ASSERT_FALSE(s_state.empty());
        ASSERT_TRUE(m_host.Instantiate());
        ASSERT_TRUE(m_host.Restore(s_state));
        const auto* pAccess = static_cast<const ::Lv2EditorAccess*>(
            lilv_instance_get_extension_data(m_host.Instance(), PANDREL_LV2_EDITOR_URI));
        ASSERT_NE(pAccess, nullptr);
        IUnknown* pUnknown = pAccess->OpenEditorControl(Handle());
        ASSERT_NE(pUnknown, nullptr);
        m_pControl = Query<IVudivuVizezud>(pUnknown, IID_IVudivuVizezud);
        pUnknown->Release();
        ASSERT_TRUE(m_pControl);
        lilv_instance_activate(m_host.Instance());
    }
    void TearDown() override {
        if (m_host.Instance() != nullptr) lilv_instance_deactivate(m_host.Instance());
        m_pControl = nullptr; // before the plug-in goes
    }
    CLv2Plugin* Handle() const {
        return static_cast<CLv2Plugin*>(lilv_instance_get_handle(m_host.Instance()));
    }
    // Runs nBlocks blocks; the peak of the mix over them.
    float Run(int nBlocks, const std::vector<Position>& positions = {}) {
        float fPeak = 0.0f;
        for (int b = 0; b < nBlocks; ++b, m_nFrame += CLv2TestHost::kBlock) {
            m_host.RunBlock({}, m_nFrame, b == 0 ? positions : std::vector<Position>{});
            for (uint32_t n : {0u, 1u})
                for (float f : m_host.Output(n)) fPeak = std::max(fPeak, std::abs(f));
        }
        return fPeak;
    }
    // Plays silence until the plug-in skips blocks as idle.
    void RunUntilSkipping() {
        const uint64_t nBefore = Handle()->SkippedBlocks();
        EXPECT_EQ(Run(64), 0.0f);
        ASSERT_GT(Handle()->SkippedBlocks(), nBefore + 32) << "the idle gate never closed";
    }

    static std::vector<uint8_t> s_state;
    CLv2TestHost m_host{PANDREL_LV2_BUNDLE};
    ComPtr<IVudivuVizezud> m_pControl;
    uint32_t m_nFrame = 0;
};
std::vector<uint8_t> Lv2EditorAccess::s_state;

TEST_F(Lv2EditorAccess, EditorStartedPadSoundsAfterIdleBlocksStoppedOrRolling) {
    for (const double dSpeed : {0.0, 1.0}) {
        SCOPED_TRACE(dSpeed != 0.0 ? "rolling" : "stopped");
        Position pos{0, dSpeed, 120.0};
        pos.llSongFrame = m_nFrame;
        EXPECT_EQ(Run(1, {pos}), 0.0f);
        RunUntilSkipping();
        // Once the gate is idle it asks nothing more: the editor's start wakes it,
        // and the song's restart after the skipped blocks keeps the start.
        ASSERT_EQ(m_pControl->StartAudition(kKickPad, -1), S_OK);
        const uint64_t nSkipped = Handle()->SkippedBlocks();
        EXPECT_GT(Run(4), 0.05f);
        EXPECT_EQ(Handle()->SkippedBlocks(), nSkipped) << "blocks skipped while the pad sounds";
        BOOL bActive = FALSE;
        EXPECT_EQ(m_pControl->GetPadActive(kKickPad, &bActive), S_OK);
        EXPECT_TRUE(bActive);
        ASSERT_EQ(m_pControl->StopAudition(kKickPad), S_OK);
        Run(100); // the one-shot ends and the gate closes again
        RunUntilSkipping();
    }
}

TEST_F(Lv2EditorAccess, EditorStartedPreviewSoundsAfterIdleBlocks) {
    RunUntilSkipping();
    ASSERT_EQ(m_pControl->StartFilePreview(0, -1), S_OK);
    EXPECT_GT(Run(4), 0.05f);
    BOOL bActive = FALSE;
    EXPECT_EQ(m_pControl->GetFilePreviewActive(0, &bActive), S_OK);
    EXPECT_TRUE(bActive);
    ASSERT_EQ(m_pControl->StopFilePreview(-1), S_OK);
    Run(100);
    RunUntilSkipping();
}

TEST_F(Lv2EditorAccess, OnlyPlaybackCallsWaitForTheBlockLock) {
    using namespace std::chrono_literals;
    std::unique_lock<std::mutex> hold(Handle()->BlockLock());
    auto read = std::async(std::launch::async, [&] {
        BOOL b = FALSE;
        return m_pControl->GetPadLooping(kKickPad, &b);
    });
    ASSERT_EQ(read.wait_for(5s), std::future_status::ready) << "a reading call waited";
    EXPECT_EQ(read.get(), S_OK);
    auto start =
        std::async(std::launch::async, [&] { return m_pControl->StartAudition(kKickPad, -1); });
    EXPECT_EQ(start.wait_for(50ms), std::future_status::timeout);
    hold.unlock();
    ASSERT_EQ(start.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(start.get(), S_OK);
    EXPECT_GT(Run(4), 0.05f);
}
} // namespace
