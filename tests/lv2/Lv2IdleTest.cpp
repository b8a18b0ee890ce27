// Idle blocks skip the instrument's graph: random runs of blocks (sizes 1 to
// 1024, notes at random frames, long silent gaps, tempo and position changes,
// stops, a state restore midway) give the same samples on every output port
// with the skip as without it, and the skipping instance allocates nothing.
#include "apps/lv2/Lv2Plugin.h"
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include "support/AllocCounter.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {
using Note = CLv2TestHost::Note;
using Position = CLv2TestHost::Position;

std::vector<uint8_t> ProjectState(bool bClicks) {
    std::vector<uint8_t> bytes;
    std::string strError;
    if (!CLv2TestProject::State(PANDREL_LV2_BUNDLE "/pandrel.so", bClicks, &bytes, &strError))
        ADD_FAILURE() << strError;
    return bytes;
}

uint64_t Skipped(const CLv2TestHost& host) {
    return static_cast<const CLv2Plugin*>(lilv_instance_get_handle(host.Instance()))
        ->SkippedBlocks();
}

// The events of one block, drawn at random: mostly nothing, in long gaps.
class CBlockScript {
public:
    explicit CBlockScript(uint32_t nSeed) : m_rng(nSeed) {}

    uint32_t NextSize() {
        static constexpr uint32_t kSizes[] = {64, 128, 256, 512, 1024};
        return Chance(0.7) ? kSizes[Pick(5)] : 1 + Pick(CLv2TestHost::kMaxBlock);
    }
    // Notes and positions for frames nBase..nBase+nFrames of the run.
    void Next(uint32_t nBase, uint32_t nFrames, std::vector<Note>* pNotes,
              std::vector<Position>* pPositions) {
        pNotes->clear();
        pPositions->clear();
        if (m_nGap > 0) {
            --m_nGap;
            return;
        }
        if (Chance(0.15)) m_nGap = 20 + Pick(300); // a long silence follows
        auto at = [&] { return nBase + Pick(nFrames); };
        if (Chance(0.3)) {
            // The synced loop, the one-shot, or a key the map may not play.
            static constexpr uint8_t kKeys[] = {CLv2TestProject::kGrooveKey,
                                                CLv2TestProject::kKickKey, 40, 60};
            const uint8_t nKey = kKeys[Pick(4)];
            const uint8_t nStatus = static_cast<uint8_t>((Chance(0.5) ? 0x90 : 0x80) | Pick(2));
            pNotes->push_back({at(), nStatus, nKey, static_cast<uint8_t>(Chance(0.1) ? 0 : 100)});
        }
        if (Chance(0.15)) {
            Position pos{at()};
            switch (Pick(5)) {
            case 0: // the host starts or relocates, by frame
                pos.dBpm = 60.0 + Pick(120);
                pos.llSongFrame = Pick(400000);
                break;
            case 1: // by bar and beat
                pos.dBpm = 90.0 + Pick(60);
                pos.llBar = Pick(16);
                pos.dBarBeat = Pick(4) * 0.5;
                break;
            case 2: // a stop
                pos.dSpeed = 0.0;
                break;
            default: // a tempo change while the song goes on
                pos.dBpm = 70.0 + Pick(100);
                break;
            }
            pPositions->push_back(pos);
        }
    }

private:
    uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_rng); }
    bool Chance(double d) { return std::bernoulli_distribution(d)(m_rng); }
    std::mt19937 m_rng;
    uint32_t m_nGap = 0;
};

class Lv2Idle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_clicks = ProjectState(true);
        s_drums = ProjectState(false);
    }
    // The instance that always runs the graph is created with the skip turned off.
    void SetUp() override {
        ASSERT_FALSE(s_clicks.empty() || s_drums.empty());
        ASSERT_TRUE(m_skip.Instantiate());
        setenv("PANDREL_LV2_IDLE_SKIP", "0", 1);
        const bool bPlain = m_plain.Instantiate();
        unsetenv("PANDREL_LV2_IDLE_SKIP");
        ASSERT_TRUE(bPlain);
    }
    static std::vector<uint8_t> s_clicks, s_drums;
    CLv2TestHost m_skip{PANDREL_LV2_BUNDLE};
    CLv2TestHost m_plain{PANDREL_LV2_BUNDLE};
};
std::vector<uint8_t> Lv2Idle::s_clicks, Lv2Idle::s_drums;

TEST_F(Lv2Idle, SkippedBlocksChangeNoSampleOfAnyOutput) {
    constexpr int kBlocks = 700;
    size_t nAllocs = 0;
    uint64_t nBlocks = 0, nSounding = 0;
    for (uint32_t nSeed : {1u, 2u, 3u, 4u}) {
        for (CLv2TestHost* p : {&m_skip, &m_plain}) {
            ASSERT_TRUE(p->Restore(nSeed % 2 != 0 ? s_clicks : s_drums));
            lilv_instance_activate(p->Instance());
            // Maps every URID the script sends before allocations are counted.
            p->RunFrames(16, {{0, 0x80, 0, 0}}, 0, {{0, 1.0, 120.0, 0, 0, 0.0}});
        }
        CBlockScript script(nSeed);
        std::vector<Note> notes;
        std::vector<Position> positions;
        uint32_t nBase = 16;
        for (int b = 0; b < kBlocks; ++b, ++nBlocks) {
            if (b == kBlocks / 2) { // the other project, restored mid-run
                for (CLv2TestHost* p : {&m_skip, &m_plain})
                    ASSERT_TRUE(p->Restore(nSeed % 2 != 0 ? s_drums : s_clicks));
            }
            const uint32_t nFrames = script.NextSize();
            script.Next(nBase, nFrames, &notes, &positions);
            alloc_counter::Arm();
            m_skip.RunFrames(nFrames, notes, nBase, positions);
            nAllocs += alloc_counter::Disarm();
            m_plain.RunFrames(nFrames, notes, nBase, positions);
            for (uint32_t n = 0; n < CLv2TestHost::kOutputPorts; ++n) {
                const float* pSkip = m_skip.WideOutput(n).data();
                const float* pPlain = m_plain.WideOutput(n).data();
                if (std::memcmp(pSkip, pPlain, nFrames * sizeof(float)) == 0) continue;
                size_t f = 0;
                while (pSkip[f] == pPlain[f]) ++f;
                FAIL() << "seed " << nSeed << ", block " << b << " (" << nFrames
                       << " frames), port " << n << ", frame " << f << ": " << pSkip[f]
                       << " skipping, " << pPlain[f] << " rendered";
            }
            const auto& left = m_plain.WideOutput(0);
            nSounding += std::any_of(left.begin(), left.begin() + nFrames,
                                     [](float f) { return f != 0.0f; });
            nBase += nFrames;
        }
        for (CLv2TestHost* p : {&m_skip, &m_plain}) lilv_instance_deactivate(p->Instance());
    }
    EXPECT_EQ(nAllocs, 0u);
    EXPECT_EQ(Skipped(m_plain), 0u);
    // The runs both sound and fall silent, and most blocks of the long gaps are skipped.
    EXPECT_GT(nSounding, nBlocks / 10) << "of " << nBlocks;
    EXPECT_GT(Skipped(m_skip), nBlocks / 3) << "of " << nBlocks;
}
} // namespace
