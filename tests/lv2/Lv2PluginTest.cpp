// The pandrel.lv2 plug-in driven through lilv as a host drives it: a note
// sounds from its exact frame, state saved by one instance renders the same
// audio in a fresh one, a block never waits for the state thread, and run()
// allocates nothing.
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoProject.h"
#include "apps/hostkit/InstrumentHost.h"
#include "interfaces/IVudivuVizezud.h"
#include "lv2/Lv2TestHost.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include "support/AllocCounter.h"
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
constexpr uint8_t kNoteOn = 0x90, kNoteOff = 0x80;
constexpr uint8_t kKickKey = 37, kGrooveKey = 36; // the demo's one-shot kick and synced groove

// The demo project's instrument state, built through the host kit.
std::vector<uint8_t> DemoState() {
    std::string strError;
    CInstrumentModule module;
    if (!module.Load(PANDREL_LV2_BUNDLE "/pandrel.so", &strError))
        return ADD_FAILURE() << strError, std::vector<uint8_t>{};
    CInstrumentHost host;
    if (!host.Open(module, CInstrumentHost::Options{}, CTempoMap(), &strError))
        return ADD_FAILURE() << strError, std::vector<uint8_t>{};
    const std::string strLoop = (std::filesystem::temp_directory_path() /
                                 ("pandrel-lv2-loop-" + std::to_string(getpid()) + ".wav"))
                                    .string();
    CDemoLoop loop;
    EXPECT_TRUE(loop.Write(strLoop, &strError)) << strError;
    EXPECT_EQ(CDemoProject::Build(host.Control(), strLoop, &strError), S_OK) << strError;
    std::filesystem::remove(strLoop);
    void* pv = nullptr;
    std::vector<uint8_t> bytes;
    if (FAILED(host.Control()->QueryInterface(IID_IPersistStream, &pv)))
        return ADD_FAILURE(), bytes;
    auto* pPersist = static_cast<IPersistStream*>(pv);
    IStream* pStream = nullptr;
    CreateMemoryStream(&pStream);
    EXPECT_EQ(pPersist->Save(pStream, FALSE), S_OK);
    ULARGE_INTEGER end{};
    pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
    pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    bytes.resize(static_cast<size_t>(end.QuadPart));
    pStream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    pStream->Release();
    pPersist->Release();
    return bytes;
}

size_t FirstSound(const std::array<std::vector<float>, 2>& mix) {
    for (size_t i = 0; i < mix[0].size(); ++i)
        if (mix[0][i] != 0.0f || mix[1][i] != 0.0f) return i;
    return SIZE_MAX;
}

class Lv2Plugin : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_state = DemoState(); }
    void SetUp() override {
        ASSERT_FALSE(s_state.empty());
        ASSERT_NE(m_host.Plugin(), nullptr) << "the bundle is not found by lilv";
        ASSERT_TRUE(m_host.Instantiate());
        ASSERT_TRUE(m_host.Restore(s_state));
    }
    static std::vector<uint8_t> s_state;
    CLv2TestHost m_host{PANDREL_LV2_BUNDLE};
};
std::vector<uint8_t> Lv2Plugin::s_state;

TEST_F(Lv2Plugin, NoteSoundsFromItsFrameInTheBlock) {
    const auto ref = m_host.Render({{0, kNoteOn, kKickKey, 100}}, 8);
    const size_t nRef = FirstSound(ref);
    ASSERT_NE(nRef, SIZE_MAX) << "the kick is silent";
    ASSERT_LT(nRef, 4u);
    for (uint32_t nAt : {37u, CLv2TestHost::kBlock + 37u, 2 * CLv2TestHost::kBlock - 1}) {
        ASSERT_TRUE(m_host.Instantiate());
        ASSERT_TRUE(m_host.Restore(s_state));
        const auto late = m_host.Render({{nAt, kNoteOn, kKickKey, 100}}, 8);
        EXPECT_EQ(FirstSound(late), nAt + nRef) << "note at frame " << nAt;
        // The same sound, shifted by exactly the note's frame.
        for (size_t i = 0; i + nAt < late[0].size(); ++i)
            ASSERT_EQ(late[0][i + nAt], ref[0][i]) << "frame " << i << " of a note at " << nAt;
    }
}

TEST_F(Lv2Plugin, SavedStateRendersIdenticallyInAFreshInstance) {
    const std::vector<CLv2TestHost::Note> notes = {{0, kNoteOn, kGrooveKey, 110},
                                                   {37, kNoteOn, kKickKey, 90},
                                                   {700, kNoteOff, kKickKey, 0},
                                                   {1500, kNoteOff, kGrooveKey, 0}};
    std::vector<uint8_t> saved;
    ASSERT_TRUE(m_host.Save(&saved));
    EXPECT_FALSE(saved.empty());
    const auto first = m_host.Render(notes, 16);
    EXPECT_NE(FirstSound(first), SIZE_MAX);

    CLv2TestHost other{PANDREL_LV2_BUNDLE};
    ASSERT_TRUE(other.Instantiate());
    ASSERT_TRUE(other.Restore(saved));
    const auto second = other.Render(notes, 16);
    EXPECT_EQ(first[0], second[0]);
    EXPECT_EQ(first[1], second[1]);
}

TEST_F(Lv2Plugin, BlockRendersSilenceWhileAnotherThreadHoldsTheInstrument) {
    lilv_instance_activate(m_host.Instance());
    m_host.RunBlock({}, 0);
    const auto held = m_host.RunDuringSave({{0, kNoteOn, kKickKey, 100}});
    ASSERT_EQ(held[0].size(), CLv2TestHost::kBlock);
    EXPECT_EQ(FirstSound(held), SIZE_MAX)
        << "the block waited for, or raced with, the state thread";
    // Once the lock is free again the instrument plays.
    lilv_instance_deactivate(m_host.Instance());
    EXPECT_NE(FirstSound(m_host.Render({{0, kNoteOn, kKickKey, 100}}, 2)), SIZE_MAX);
}

TEST_F(Lv2Plugin, RunAllocatesNothing) {
    const std::vector<CLv2TestHost::Note> notes = {
        {5, kNoteOn, kKickKey, 100}, {100, kNoteOn, kGrooveKey, 100}, {200, kNoteOff, kKickKey, 0}};
    m_host.Render({}, 1); // activates once so lazy set-up is done
    lilv_instance_activate(m_host.Instance());
    m_host.RunBlock({}, 0);
    ScopedAllocCount count;
    for (uint32_t b = 0; b < 8; ++b)
        m_host.RunBlock(notes, 0);
    EXPECT_EQ(count.Stop(), 0u);
    lilv_instance_deactivate(m_host.Instance());
}
} // namespace
