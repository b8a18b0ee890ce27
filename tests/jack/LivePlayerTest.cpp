// The live player as JACK's process thread drives it: notes at exact frames,
// silence while another thread holds the instrument (the notes kept for the
// next cycle), the editor's control calls kept out of the cycles' way, and a
// transport master's position followed.
#include "apps/hostkit/LivePlayer.h"
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoProject.h"
#include "apps/hostkit/LockedControl.h"
#include "interfaces/IVudivuVizezud.h"
#include "support/AllocCounter.h"
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr uint32_t kRate = 48000;
constexpr uint32_t kCycle = 256;
constexpr BYTE kGrooveKey = 36; // the synced loop of all 16 slices
constexpr BYTE kKickKey = 37;   // the one-shot first slice

class LivePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string strError;
        ASSERT_TRUE(m_module.Load(PANDREL_MODULE_PATH, &strError)) << strError;
        ASSERT_TRUE(m_player.Open(m_module, kRate, 120.0, &strError)) << strError;
        m_strDir =
            (std::filesystem::temp_directory_path() / ("pandrel-live-" + std::to_string(getpid())))
                .string();
        std::filesystem::create_directories(m_strDir);
        const std::string strLoop = m_strDir + "/loop.wav";
        ASSERT_TRUE(CDemoLoop().Write(strLoop, &strError)) << strError;
        std::string strWhat;
        ASSERT_EQ(CDemoProject::Build(m_player.Control(), strLoop, &strWhat), S_OK) << strWhat;
        m_player.Start();
        for (auto& port : m_ports) port.assign(kCycle, 1.0f); // stale bytes, to be overwritten
        for (size_t i = 0; i < m_ports.size(); ++i) m_pointers[i] = m_ports[i].data();
        m_mix.reserve(size_t{1} << 20); // so that recording allocates nothing
    }
    void TearDown() override {
        m_player.Close();
        std::filesystem::remove_all(m_strDir);
    }

    // One cycle; appends the mix's left channel to m_mix.
    void Cycle(const std::vector<CLivePlayer::MidiEvent>& events = {},
               const CLivePlayer::Transport* pTransport = nullptr) {
        CLivePlayer::Cycle c;
        c.nFrames = kCycle;
        c.pEvents = events.data();
        c.nEvents = events.size();
        c.pTransport = pTransport;
        c.ppPorts = m_pointers.data();
        m_player.Process(c);
        m_mix.insert(m_mix.end(), m_ports[0].begin(), m_ports[0].end());
    }
    static size_t FirstSound(const std::vector<float>& v, size_t nFrom = 0) {
        for (size_t i = nFrom; i < v.size(); ++i)
            if (v[i] != 0.0f) return i;
        return v.size();
    }

    CInstrumentModule m_module;
    CLivePlayer m_player;
    std::string m_strDir;
    std::array<std::vector<float>, CLivePlayer::kPorts> m_ports;
    std::array<float*, CLivePlayer::kPorts> m_pointers{};
    std::vector<float> m_mix;
};

// The kick's first sample may be a zero crossing: sound within two frames.
TEST_F(LivePlayerTest, ANoteSoundsFromItsFrameAndNotBefore) {
    for (uint32_t nAt : {0u, 1u, 100u, kCycle - 1}) {
        m_player.Stop();
        m_player.Start();
        m_mix.clear();
        Cycle();
        Cycle({{nAt, 0x90, kKickKey, 110}});
        Cycle();
        const size_t nFirst = FirstSound(m_mix);
        EXPECT_GE(nFirst, kCycle + nAt) << "note at " << nAt;
        EXPECT_LE(nFirst, kCycle + nAt + 2) << "note at " << nAt;
        float fPeak = 0.0f;
        for (float f : m_mix) fPeak = std::max(fPeak, std::fabs(f));
        EXPECT_GT(fPeak, 0.05f) << "note at " << nAt;
    }
}

TEST_F(LivePlayerTest, EventsOfACycleEachTakeEffectAtTheirFrame) {
    // The same cycle with and without a second kick: they part at its frame.
    Cycle({{10, 0x90, kKickKey, 110}, {200, 0x90, kKickKey, 110}});
    Cycle();
    const std::vector<float> twice = m_mix;
    m_player.Stop();
    m_player.Start();
    m_mix.clear();
    Cycle({{10, 0x90, kKickKey, 110}});
    Cycle();
    size_t nPart = 0;
    while (nPart < twice.size() && twice[nPart] == m_mix[nPart]) ++nPart;
    EXPECT_GE(nPart, 200u);
    EXPECT_LE(nPart, 202u);
}

TEST_F(LivePlayerTest, ACycleWhileTheInstrumentIsHeldIsSilenceAndItsNotesPlayNext) {
    {
        std::lock_guard<std::mutex> hold(m_player.Lock());
        const auto start = std::chrono::steady_clock::now();
        Cycle({{50, 0x90, kKickKey, 110}});
        // It waits a little for the holder, then gives up.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    }
    EXPECT_EQ(m_player.HeldCycles(), 1u);
    EXPECT_EQ(FirstSound(m_mix), m_mix.size()); // all zeros, the stale bytes too
    Cycle();
    // The held note, at the next cycle's first frame.
    EXPECT_GE(FirstSound(m_mix), kCycle);
    EXPECT_LE(FirstSound(m_mix), kCycle + 2);
}

TEST_F(LivePlayerTest, CyclesAllocateNothing) {
    CLivePlayer::Transport master;
    master.bRolling = true;
    master.dBpm = 100.0;
    const std::vector<CLivePlayer::MidiEvent> groove{{0, 0x90, kGrooveKey, 100}},
        kick{{3, 0x90, kKickKey, 100}, {9, 0xB0, 7, 100}, {20, 0xF8, 0, 0}}, none,
        off{{0, 0x80, kGrooveKey, 0}};
    Cycle(groove);
    ScopedAllocCount count;
    Cycle(kick);
    master.llFrame = 12345;
    Cycle(none, &master); // a relocation
    Cycle(groove, &master);
    master.llFrame += kCycle;
    master.dBpm = 90.0;
    Cycle(none, &master); // a tempo change
    master.bRolling = false;
    Cycle(off, &master);
    Cycle(); // the master went away
    EXPECT_EQ(count.Stop(), 0u);
}

// The groove (synced) struck at a master's position: the same sound as when
// the song rolled there from its start. A relocation ends every note, so the
// groove is struck after the jump.
TEST_F(LivePlayerTest, AMastersPositionIsWhereTheSyncedGroovePlaysFrom) {
    constexpr int kCycles = 40, kJump = 20;
    const std::vector<CLivePlayer::MidiEvent> groove{{0, 0x90, kGrooveKey, 100}}, none;
    CLivePlayer::Transport master;
    master.bRolling = true;
    master.dBpm = 120.0;
    master.bQuarters = true;
    auto at = [&](int64_t llFrame) {
        master.llFrame = llFrame;
        master.dQuarters = static_cast<double>(llFrame) / kRate * 2.0;
    };
    for (int i = 0; i < kCycles; ++i) {
        at(int64_t{i} * kCycle);
        Cycle(i == kJump ? groove : none, &master);
    }
    std::vector<float> fromStart(m_mix.begin() + kJump * kCycle, m_mix.end());
    m_player.Stop();
    m_player.Start();
    m_mix.clear();
    // Another song, then the master jumps to where the first run struck.
    at(999 * kCycle);
    Cycle(groove, &master);
    Cycle(none, &master);
    for (int i = kJump; i < kCycles; ++i) {
        at(int64_t{i} * kCycle);
        Cycle(i == kJump ? groove : none, &master);
    }
    ASSERT_EQ(m_mix.size(), kCycle * (kCycles - kJump + 2u));
    const std::vector<float> jumped(m_mix.begin() + 2 * kCycle, m_mix.end());
    float fDiff = 0.0f, fPeak = 0.0f;
    for (size_t i = 0; i < jumped.size(); ++i) {
        fDiff = std::max(fDiff, std::fabs(jumped[i] - fromStart[i]));
        fPeak = std::max(fPeak, std::fabs(jumped[i]));
    }
    EXPECT_GT(fPeak, 0.05f);
    EXPECT_LT(fDiff, 1e-4f);
}

class LockedControlTest : public LivePlayerTest {};

TEST_F(LockedControlTest, EditorCallsWaitForTheHostsLockAndFileOperationsDoNot) {
    ComPtr<IVudivuVizezud> pLocked = MakeCom<CLockedControl>(m_player.Control(), m_player.Lock());
    ComPtr<IVudivuVizezud> pAgain = Query<IVudivuVizezud>(pLocked, IID_IVudivuVizezud);
    EXPECT_EQ(pAgain.Get(), pLocked.Get());
    const std::string strProject = m_strDir + "/p.pnd";
    std::atomic<bool> bEdited{false}, bSaved{false};
    {
        std::unique_lock<std::mutex> hold(m_player.Lock());
        std::thread edit([&] {
            pLocked->SetPadVolume(2, 0.25f);
            bEdited = true;
        });
        std::thread save([&] {
            EXPECT_EQ(pLocked->SaveProject("p.pnd", strProject.c_str()), S_OK);
            bSaved = true;
        });
        save.join(); // the save does not need the host's lock
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(bSaved);
        EXPECT_FALSE(bEdited);
        hold.unlock();
        edit.join();
    }
    EXPECT_TRUE(bEdited);
    float f = 0.0f;
    EXPECT_EQ(pLocked->GetPadVolume(2, &f), S_OK);
    EXPECT_FLOAT_EQ(f, 0.25f);
    EXPECT_EQ(pLocked->GetPadVolume(16, &f), E_INVALIDARG); // results pass through
    EXPECT_EQ(pLocked->LoadProject("p.pnd", strProject.c_str()), S_OK);
    EXPECT_EQ(pLocked->GetPadVolume(2, &f), S_OK);
    EXPECT_NE(f, 0.25f); // the project saved before the change
}
} // namespace
