#include "apps/hostkit/TempoMap.h"
#include <gtest/gtest.h>

TEST(TempoMap, ConstantTempoConvertsBothWays) {
    CTempoMap map;
    EXPECT_DOUBLE_EQ(map.TicksToMs(960), 500.0); // 120 BPM default
    map.SetTempoBpm(0, 90.0);
    EXPECT_NEAR(map.TicksToMs(960), 666.6667, 1e-3);
    EXPECT_NEAR(map.MsToTicks(map.TicksToMs(12345)), 12345.0, 1e-9);
    EXPECT_NEAR(map.TicksToSamples(960, 48000), 32000.0, 1e-6);
    EXPECT_NEAR(map.SamplesToTicks(32000, 48000), 960.0, 1e-9);
}

TEST(TempoMap, ChangesAccumulateTimeAcrossSegments) {
    CTempoMap map;
    // Added out of order: 60 BPM from beat 2, 240 BPM from beat 4.
    map.SetTempo(3840, 250000);
    map.SetTempo(1920, 1000000);
    ASSERT_EQ(map.Changes().size(), 3u);
    EXPECT_DOUBLE_EQ(map.TicksToMs(1920), 1000.0);
    EXPECT_DOUBLE_EQ(map.TicksToMs(3840), 3000.0);
    EXPECT_DOUBLE_EQ(map.TicksToMs(4800), 3250.0);
    EXPECT_DOUBLE_EQ(map.MsToTicks(3250.0), 4800.0);
    // Exactly at a change, both directions land on its start.
    EXPECT_DOUBLE_EQ(map.MsToTicks(3000.0), 3840.0);
    EXPECT_DOUBLE_EQ(map.BpmAt(1919), 120.0);
    EXPECT_DOUBLE_EQ(map.BpmAt(1920), 60.0);
    EXPECT_EQ(map.ChangeAt(100000).nTick, 3840);
    for (double t : {0.0, 1.5, 1919.9, 1920.0, 2500.25, 3839.0, 9999.0})
        EXPECT_NEAR(map.MsToTicks(map.TicksToMs(t)), t, 1e-9) << t;
}

TEST(TempoMap, ReplacingAndRefusingChanges) {
    CTempoMap map;
    map.SetTempo(960, 1000000);
    map.SetTempo(960, 250000); // replaces, does not add
    EXPECT_EQ(map.Changes().size(), 2u);
    EXPECT_DOUBLE_EQ(map.TicksToMs(1920), 500.0 + 250.0);
    map.SetTempo(0, 1000000); // the start tempo can change too; later starts move
    EXPECT_DOUBLE_EQ(map.TicksToMs(1920), 1000.0 + 250.0);
    map.SetTempo(480, 0);     // a zero tempo is ignored
    map.SetTempoBpm(480, -5); // and so is a negative one
    EXPECT_EQ(map.Changes().size(), 2u);
    // Before the start the first tempo runs backwards.
    EXPECT_DOUBLE_EQ(map.TicksToMs(-960), -1000.0);
}
