#include "engine/KeyMap.h"
#include "FakeSynthContext.h"
#include "engine/GrooveTrack.h"
#include <gtest/gtest.h>
#include <memory>

namespace {
struct KeyMapTest : ::testing::Test {
    KeyMapTest() {
        for (int i = 0; i < 16; ++i) {
            pads.emplace_back(std::make_unique<CGrooveTrack>(&ctx));
            TrackKeyInfoImp e;
            e.nPad = static_cast<DWORD>(i);
            e.pTrack = pads.back().get();
            e.nLowKey = e.nHighKey = e.nRootKey = CKeyMap::DefaultKey(i);
            e.nLowVelocity = 0;
            e.nHighVelocity = 127;
            map.SetEntry(e);
        }
    }
    FakeSynthContext ctx;
    std::vector<std::unique_ptr<CGrooveTrack>> pads;
    CKeyMap map{&ctx};
    CPreAllocArray<TrackPlayInfo> list{16};
};
} // namespace

TEST_F(KeyMapTest, DefaultMapIsCMajorFromMiddleC) {
    const LONG expect[16] = {60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84, 86};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(CKeyMap::DefaultKey(i), expect[i]);
    EXPECT_EQ(map.LookUp(61, 0, 100, &list), 0);
    ASSERT_EQ(map.LookUp(60, 0, 100, &list), 1);
    EXPECT_EQ(list[0].nPad, 0);
    EXPECT_EQ(list[0].nTranspose, 0);
    EXPECT_EQ(list[0].nKind, kPlayKindPad);
    EXPECT_FLOAT_EQ(list[0].fGain, 1.0f);
}

TEST_F(KeyMapTest, SetEntryOrdersKeysAndTheSeventeenthIsDropped) {
    TrackKeyInfoImp e;
    e.nPad = 0;
    e.pTrack = pads[0].get();
    e.nLowKey = 72;
    e.nHighKey = 60;
    e.nRootKey = 66;
    e.nLowVelocity = 10;
    e.nHighVelocity = 5; // velocities are stored as given
    EXPECT_EQ(map.SetEntry(e), 16);
    TrackKeyInfoImp out;
    ASSERT_EQ(map.GetEntry(0, &out), 1);
    EXPECT_EQ(out.nLowKey, 60);
    EXPECT_EQ(out.nHighKey, 72);
    EXPECT_EQ(out.nLowVelocity, 10);
    EXPECT_EQ(out.nHighVelocity, 5);
    e.nPad = 16;
    EXPECT_EQ(map.SetEntry(e), 16);
    EXPECT_EQ(map.GetEntry(16, &out), 0);
    map.Clear();
    EXPECT_EQ(map.GetEntry(0, &out), 0);
}

TEST_F(KeyMapTest, RangeTransposesFromTheRootKey) {
    TrackKeyInfoImp e;
    map.GetEntry(4, &e);
    e.nLowKey = 48;
    e.nHighKey = 72;
    e.nRootKey = 60;
    map.SetEntry(e);
    // Key 60 now also reaches pad 1's default entry; pads come in entry order.
    ASSERT_EQ(map.LookUp(60, 0, -1, &list), 2);
    EXPECT_EQ(list[0].nPad, 0);
    EXPECT_EQ(list[1].nPad, 4);
    ASSERT_EQ(map.LookUp(48, 0, -1, &list), 1);
    EXPECT_EQ(list[0].nTranspose, -12);
    ASSERT_EQ(map.LookUp(72, 0, -1, &list), 2); // pad 8's default key is 72 too
    EXPECT_EQ(list[0].nPad, 4);
    EXPECT_EQ(list[0].nTranspose, 12);
}

TEST_F(KeyMapTest, ChannelAndVelocityFilters) {
    pads[0]->m_nMidiChannel = 2;
    EXPECT_EQ(map.LookUp(60, 0, 100, &list), 0);
    EXPECT_EQ(map.LookUp(60, 2, 100, &list), 1);
    pads[0]->m_nMidiChannel = -1;
    EXPECT_EQ(map.LookUp(60, 15, 100, &list), 1);
    TrackKeyInfoImp e;
    map.GetEntry(0, &e);
    e.nLowVelocity = 64;
    e.nHighVelocity = 100;
    map.SetEntry(e);
    EXPECT_EQ(map.LookUp(60, 0, 63, &list), 0);
    EXPECT_EQ(map.LookUp(60, 0, 101, &list), 0);
    EXPECT_EQ(map.LookUp(60, 0, 64, &list), 1);
    EXPECT_EQ(map.LookUp(60, 0, -1, &list), 1);
    pads[0]->m_bLatch = 0;
    map.LookUp(60, 0, 100, &list);
    EXPECT_FALSE(list[0].bLatch);
}
