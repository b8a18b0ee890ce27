// The plug-in following the host's transport through time:Position: a synced
// loop of clicks (one per eighth-note slice) lands where the host's tempo and
// song position put it, across tempo changes, relocations and a stop, and
// run() allocates nothing while the host moves.
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include "support/AllocCounter.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {
using Position = CLv2TestHost::Position;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kGroove = CLv2TestProject::kGrooveKey;
constexpr double kRate = 44100.0;
constexpr double kPadVolume = 0.6; // the demo project's pad volume
constexpr double kSliceBeats = 0.5;

uint32_t BlocksFor(double dFrames) {
    return static_cast<uint32_t>(dFrames / CLv2TestHost::kBlock) + 1;
}

// The first frame in [nFrom, nTo) of the left mix that is not silent, else -1.
long Onset(const std::vector<float>& left, long nFrom, long nTo) {
    for (long f = std::max(0L, nFrom); f < nTo && f < static_cast<long>(left.size()); ++f)
        if (std::fabs(left[static_cast<size_t>(f)]) > 1e-6f) return f;
    return -1;
}

// Which slice's click sounds at frame f, from its level (-1 for none).
int SliceAt(const std::vector<float>& left, long f) {
    const double d = std::fabs(left[static_cast<size_t>(f)]) / kPadVolume;
    const int s = static_cast<int>(std::lround(d / CLv2TestProject::ClickLevel(0))) - 1;
    return std::fabs(d - CLv2TestProject::ClickLevel(s)) < 0.01 ? s : -1;
}

class Lv2Transport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string strError;
        if (!CLv2TestProject::State(PANDREL_LV2_BUNDLE "/pandrel.so", true, &s_state, &strError))
            ADD_FAILURE() << strError;
    }
    void SetUp() override {
        ASSERT_FALSE(s_state.empty());
        ASSERT_TRUE(m_host.Instantiate());
        ASSERT_TRUE(m_host.Restore(s_state));
    }
    // Expects a click to start at each frame given (within a frame), after
    // silence: a stretched slice may repeat part of its click later on.
    static void ExpectClicksAt(const std::vector<float>& left, const std::vector<double>& frames) {
        for (double dFrame : frames) {
            const long nWant = std::lround(dFrame);
            EXPECT_NEAR(Onset(left, nWant - 300, nWant + 300), nWant, 1)
                << "click expected at frame " << nWant;
        }
    }
    static std::vector<uint8_t> s_state;
    CLv2TestHost m_host{PANDREL_LV2_BUNDLE};
};
std::vector<uint8_t> Lv2Transport::s_state;

TEST_F(Lv2Transport, SyncedLoopFollowsTheHostsTempoChange) {
    // 120 BPM for four beats, then 90 BPM, sent mid-block as a host does.
    const double dBeat120 = kRate * 60.0 / 120.0, dBeat90 = kRate * 60.0 / 90.0;
    const double dChange = 4 * dBeat120; // frame 88200, not on a block boundary
    ASSERT_NE(static_cast<uint32_t>(dChange) % CLv2TestHost::kBlock, 0u);
    const std::vector<Position> positions = {
        {0, 1.0, 120.0, 0},
        {static_cast<uint32_t>(dChange), 1.0, 90.0, static_cast<int64_t>(dChange)}};
    const double dEnd = dChange + 4.5 * dBeat90;
    // In a sequence only 4-byte aligned, as some hosts give it: the 64-bit
    // frames and times must be read without assuming more.
    ASSERT_TRUE(m_host.Instantiate(4));
    ASSERT_TRUE(m_host.Restore(s_state));
    const auto mix = m_host.Render({{0, kNoteOn, kGroove, 100}}, BlocksFor(dEnd), positions);
    // A slice every half beat: at the first tempo up to the change, then at the
    // second, and the loop (eight beats) starts over at beat 8.
    std::vector<double> frames;
    for (double dBeat = 0; dBeat <= 8.0; dBeat += kSliceBeats)
        frames.push_back(dBeat <= 4.0 ? dBeat * dBeat120 : dChange + (dBeat - 4.0) * dBeat90);
    ExpectClicksAt(mix[0], frames);
    EXPECT_EQ(SliceAt(mix[0], std::lround(frames.back()) + 10), 0);
}

TEST_F(Lv2Transport, RelocationsRestartAtTheHostsNewPositionAndAStopSilences) {
    const double dBeat = kRate * 60.0 / 120.0;
    // Rolling from 0; at frame 44100 (beat 2) the host jumps to 5000 frames
    // past beat 6 and the key is struck again there.
    const uint32_t nJump = 44100, nJumpTo = static_cast<uint32_t>(6 * dBeat) + 5000;
    // At frame 88200 it jumps by bar and beat to bar 1, beat 1.3 (beat 5.3 in
    // 4/4): 4410 frames before slice 11. At frame 132300 it stops.
    const uint32_t nBarJump = 88200, nStop = 132300;
    const std::vector<Position> positions = {{0, 1.0, 120.0, 0},
                                             {nJump, 1.0, -1.0, nJumpTo},
                                             {nBarJump, 1.0, -1.0, -1, 1, 1.3},
                                             {nStop, 0.0}};
    const auto mix = m_host.Render({{0, kNoteOn, kGroove, 100},
                                    {nJump, kNoteOn, kGroove, 100},
                                    {nBarJump, kNoteOn, kGroove, 100}},
                                   BlocksFor(nStop + 20000), positions);
    const double dSlice = kSliceBeats * dBeat;
    std::vector<double> frames = {0, dSlice, 2 * dSlice, 3 * dSlice};
    for (int k = 0; nJump + (dSlice - 5000) + k * dSlice < nBarJump; ++k)
        frames.push_back(nJump + (dSlice - 5000) + k * dSlice);
    for (int k = 0; nBarJump + 4410 + k * dSlice < nStop; ++k)
        frames.push_back(nBarJump + 4410 + k * dSlice);
    ExpectClicksAt(mix[0], frames);
    // The slices heard are the song position's: 13 after the first jump (the
    // slice at beat 6.5), 11 after the second (beat 5.5).
    EXPECT_EQ(SliceAt(mix[0], std::lround(frames[4]) + 10), 13);
    EXPECT_EQ(SliceAt(mix[0], std::lround(frames[5]) + 10), 14);
    const auto it =
        std::find_if(frames.begin(), frames.end(), [&](double f) { return f > nBarJump; });
    ASSERT_NE(it, frames.end());
    EXPECT_EQ(SliceAt(mix[0], std::lround(*it) + 10), 11);
    // Nothing sounds once the host has stopped.
    EXPECT_EQ(Onset(mix[0], nStop + 1500, static_cast<long>(mix[0].size())), -1);
}

TEST_F(Lv2Transport, ARelocationInABlockWithoutTheInstrumentTakesEffectInTheNext) {
    constexpr uint32_t kBlock = CLv2TestHost::kBlock, kHeld = 10, kAt = 100;
    const double dBeat = kRate * 60.0 / 120.0, dSlice = kSliceBeats * dBeat;
    lilv_instance_activate(m_host.Instance());
    const std::vector<Position> start = {{0, 1.0, 120.0, 0}};
    for (uint32_t b = 0; b < kHeld; ++b)
        m_host.RunBlock({{0, kNoteOn, kGroove, 100}}, b * kBlock, start);
    // While the state thread holds the instrument the host jumps to 5000
    // frames past beat 6 and strikes the key again.
    const int64_t llJumpTo = static_cast<int64_t>(6 * dBeat) + 5000;
    const uint32_t nHeldAt = kHeld * kBlock + kAt;
    m_host.RunDuringSave({{nHeldAt, kNoteOn, kGroove, 100}}, kHeld * kBlock,
                         {{nHeldAt, 1.0, -1.0, llJumpTo}});
    std::vector<float> left;
    for (uint32_t b = kHeld + 1; b < kHeld + 1 + BlocksFor(2 * dSlice); ++b) {
        m_host.RunBlock({}, b * kBlock);
        left.insert(left.end(), m_host.Output(0).begin(), m_host.Output(0).end());
    }
    lilv_instance_deactivate(m_host.Instance());
    // The next block starts where the host then is: the jump's frame plus
    // the rest of the held block. Slice 13 starts at beat 6.5.
    const double dSongAtNext = static_cast<double>(llJumpTo + (kBlock - kAt));
    const double dFirst = 6.5 * dBeat - dSongAtNext;
    ExpectClicksAt(left, {dFirst, dFirst + dSlice});
    EXPECT_EQ(SliceAt(left, std::lround(dFirst) + 10), 13);
    EXPECT_EQ(Onset(left, 0, std::lround(dFirst) - 2), -1);
}

TEST_F(Lv2Transport, RunAllocatesNothingWhileTheHostMovesAndChangesTempo) {
    std::vector<Position> positions;
    std::vector<CLv2TestHost::Note> notes = {{0, kNoteOn, kGroove, 100}};
    // A tempo change in every block, more than the plug-in keeps room for, a
    // relocation every 100 blocks and a stop and start every 500.
    constexpr uint32_t kBlocks = 1300;
    int64_t llSong = 0;
    for (uint32_t b = 0; b < kBlocks; ++b) {
        const uint32_t nAt = b * CLv2TestHost::kBlock + b % 200;
        if (b % 100 == 99) llSong += 10000;
        const double dSpeed = b % 500 == 250 ? 0.0 : 1.0;
        positions.push_back({nAt, dSpeed, 100.0 + b % 40, llSong + b % 200});
        llSong += CLv2TestHost::kBlock;
    }
    ASSERT_GT(kBlocks, 1024u);
    m_host.Render(notes, 2, positions); // maps every URI once
    ASSERT_TRUE(m_host.Instantiate());
    ASSERT_TRUE(m_host.Restore(s_state));
    lilv_instance_activate(m_host.Instance());
    m_host.RunBlock({}, 0);
    bool bSound = false;
    ScopedAllocCount count;
    for (uint32_t b = 0; b < kBlocks; ++b) {
        m_host.RunBlock(notes, b * CLv2TestHost::kBlock, positions);
        for (float f : m_host.Output(0)) bSound = bSound || f != 0.0f;
    }
    EXPECT_EQ(count.Stop(), 0u);
    EXPECT_TRUE(bSound);
    lilv_instance_deactivate(m_host.Instance());
}
} // namespace
