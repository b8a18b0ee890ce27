// JACK's transport as the live player follows it: bar, beat and tick counted
// from 1, beats of 1/beat_type notes, and masters that say nothing usable.
#include "apps/jack/JackTransport.h"
#include <gtest/gtest.h>

namespace {
jack_position_t Bbt(int32_t nBar, int32_t nBeat, int32_t nTick, float fPerBar, float fType,
                    double dBpm) {
    jack_position_t pos{};
    pos.valid = JackPositionBBT;
    pos.frame = 96000;
    pos.bar = nBar;
    pos.beat = nBeat;
    pos.tick = nTick;
    pos.beats_per_bar = fPerBar;
    pos.beat_type = fType;
    pos.ticks_per_beat = 1920.0;
    pos.beats_per_minute = dBpm;
    return pos;
}

TEST(JackTransportTest, BarBeatAndTickGiveQuarters) {
    CLivePlayer::Transport t;
    ASSERT_TRUE(ReadJackTransport(JackTransportRolling, Bbt(1, 1, 0, 4, 4, 120), &t));
    EXPECT_TRUE(t.bRolling);
    EXPECT_TRUE(t.bQuarters);
    EXPECT_DOUBLE_EQ(t.dQuarters, 0.0);
    EXPECT_DOUBLE_EQ(t.dBpm, 120.0);
    EXPECT_EQ(t.llFrame, 96000);
    ASSERT_TRUE(ReadJackTransport(JackTransportRolling, Bbt(3, 2, 960, 4, 4, 90), &t));
    EXPECT_DOUBLE_EQ(t.dQuarters, 9.5);
    EXPECT_DOUBLE_EQ(t.dBpm, 90.0);
}

TEST(JackTransportTest, EighthNoteBeatsCountHalfQuarters) {
    CLivePlayer::Transport t;
    // 6/8 at 180 eighths a minute: bar 2, beat 4 is 9 eighths in, 4.5 quarters.
    ASSERT_TRUE(ReadJackTransport(JackTransportRolling, Bbt(2, 4, 0, 6, 8, 180), &t));
    EXPECT_DOUBLE_EQ(t.dQuarters, 4.5);
    EXPECT_DOUBLE_EQ(t.dBpm, 90.0);
}

TEST(JackTransportTest, OnlyRollingRolls) {
    CLivePlayer::Transport t;
    ASSERT_TRUE(ReadJackTransport(JackTransportStopped, Bbt(1, 1, 0, 4, 4, 120), &t));
    EXPECT_FALSE(t.bRolling);
    ASSERT_TRUE(ReadJackTransport(JackTransportStarting, Bbt(1, 1, 0, 4, 4, 120), &t));
    EXPECT_FALSE(t.bRolling);
}

TEST(JackTransportTest, NoMasterOrNonsenseIsNoMaster) {
    CLivePlayer::Transport t;
    jack_position_t pos = Bbt(1, 1, 0, 4, 4, 120);
    pos.valid = JackPositionTimecode; // frames only: no master
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, pos, &t));
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, Bbt(0, 1, 0, 4, 4, 120), &t));
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, Bbt(1, 0, 0, 4, 4, 120), &t));
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, Bbt(1, 1, -5, 4, 4, 120), &t));
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, Bbt(1, 1, 0, 0, 4, 120), &t));
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, Bbt(1, 1, 0, 4, 0, 120), &t));
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, Bbt(1, 1, 0, 4, 4, 0), &t));
    pos = Bbt(1, 1, 0, 4, 4, 120);
    pos.ticks_per_beat = 0;
    EXPECT_FALSE(ReadJackTransport(JackTransportRolling, pos, &t));
}
} // namespace
