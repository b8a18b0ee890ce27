#include "apps/hostkit/TempoMap.h"
#include "support/AllocCounter.h"
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <vector>

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

TEST(TempoMap, ReplacingFromATickKeepsThePastAndDropsTheFuture) {
    CTempoMap map;
    map.Reserve(8);
    map.SetTempoBpm(3840, 60);
    map.ReplaceTempoFromBpm(1920, 90); // the change at beat 4 is dropped
    ASSERT_EQ(map.Changes().size(), 2u);
    EXPECT_DOUBLE_EQ(map.TicksToMs(1920), 1000.0);
    EXPECT_NEAR(map.TicksToMs(3840), 1000.0 + 2 * 666.6667, 1e-3);
    map.ReplaceTempoFromBpm(1920, 240); // at the same tick: replaces
    EXPECT_EQ(map.Changes().size(), 2u);
    EXPECT_DOUBLE_EQ(map.TicksToMs(3840), 1500.0);
    map.ReplaceTempoFromBpm(0, 60); // from the start: one tempo
    EXPECT_EQ(map.Changes().size(), 1u);
    EXPECT_DOUBLE_EQ(map.TicksToMs(960), 1000.0);
    map.ReplaceTempoFromBpm(-5, 90); // before the start means the start
    map.ReplaceTempoFromBpm(960, 0); // refused
    map.ReplaceTempoFromBpm(960, std::nan(""));
    ASSERT_EQ(map.Changes().size(), 1u);
    EXPECT_DOUBLE_EQ(map.BpmAt(5000), 90.0);
    map.ResetTempoBpm(-1); // refused
    map.ResetTempoBpm(150);
    ASSERT_EQ(map.Changes().size(), 1u);
    EXPECT_DOUBLE_EQ(map.BpmAt(0), 150.0);
}

TEST(TempoMap, RealTimeChangesNeverAllocateAndStayExactWhenFull) {
    CTempoMap map;
    map.Reserve(4);
    CTempoMap exact; // the same song, without a bound
    size_t nAllocs = 0;
    int64_t nTick = 0;
    for (int i = 0; i < 50; ++i) {
        nTick += 97 + i;
        const double dBpm = 60.0 + 7.0 * (i % 11);
        alloc_counter::Arm();
        map.ReplaceTempoFromBpm(nTick, dBpm);
        nAllocs += alloc_counter::Disarm();
        EXPECT_LE(map.Changes().size(), 4u);
        exact.SetTempoBpm(nTick, dBpm);
        // From the last change on, conversions agree with the full map.
        for (double t : {0.0, 0.5, 33.0, 1000.0})
            EXPECT_NEAR(map.TicksToMs(static_cast<double>(nTick) + t),
                        exact.TicksToMs(static_cast<double>(nTick) + t), 1e-6)
                << "change " << i;
        EXPECT_NEAR(map.MsToTicks(exact.TicksToMs(nTick + 10.0)), nTick + 10.0, 1e-6);
    }
    alloc_counter::Arm();
    map.ResetTempoBpm(100);
    nAllocs += alloc_counter::Disarm();
    EXPECT_EQ(nAllocs, 0u);
}

namespace {
std::vector<CTempoMap::TempoEvent> RandomTempoEvents(std::mt19937& rng, size_t nCount,
                                                     int64_t nMaxTick) {
    std::uniform_int_distribution<int64_t> tick(-50, nMaxTick);
    std::uniform_int_distribution<int> kind(0, 19);
    std::uniform_real_distribution<double> micros(100000.0, 3000000.0);
    std::vector<CTempoMap::TempoEvent> events;
    for (size_t i = 0; i < nCount; ++i) {
        double d = micros(rng);
        switch (kind(rng)) { // now and then one the map must ignore
        case 0: d = 0.0; break;
        case 1: d = -d; break;
        case 2: d = std::nan(""); break;
        case 3: d = INFINITY; break;
        default: break;
        }
        events.push_back({tick(rng), d});
    }
    return events;
}
} // namespace

TEST(TempoMap, BuildingAtOnceMatchesSettingOneByOne) {
    std::mt19937 rng(20261208);
    for (int nCase = 0; nCase < 300; ++nCase) {
        CTempoMap once, each;
        // Some maps already hold changes, set one by one on both.
        for (const auto& e : RandomTempoEvents(rng, nCase % 3, 3000)) {
            once.SetTempo(e.nTick, e.dMicrosPerQuarter);
            each.SetTempo(e.nTick, e.dMicrosPerQuarter);
        }
        // Few ticks for many events: repeats at a tick, at 0 and before 0 are common.
        const auto events =
            RandomTempoEvents(rng, static_cast<size_t>(nCase % 40), nCase % 2 == 0 ? 40 : 20000);
        for (const auto& e : events) each.SetTempo(e.nTick, e.dMicrosPerQuarter);
        once.SetTempos(events);
        ASSERT_EQ(once.Changes().size(), each.Changes().size()) << "case " << nCase;
        for (size_t i = 0; i < each.Changes().size(); ++i) {
            EXPECT_EQ(once.Changes()[i].nTick, each.Changes()[i].nTick);
            EXPECT_EQ(once.Changes()[i].dMicrosPerQuarter, each.Changes()[i].dMicrosPerQuarter);
            EXPECT_EQ(once.Changes()[i].dStartMs, each.Changes()[i].dStartMs);
        }
        for (double t : {-100.0, 0.0, 0.5, 39.0, 40.0, 777.25, 19999.0, 50000.0}) {
            EXPECT_EQ(once.TicksToSamples(t, 44100), each.TicksToSamples(t, 44100)) << t;
            EXPECT_EQ(once.SamplesToTicks(t * 50, 48000), each.SamplesToTicks(t * 50, 48000)) << t;
        }
    }
}

TEST(TempoMap, BuildsAMapOfManyChangesInOnePass) {
    // Setting these one by one takes minutes (each insert recomputes the whole map).
    std::mt19937 rng(7);
    const auto events = RandomTempoEvents(rng, 200000, 20000);
    std::map<int64_t, double> last; // the tempo each tick ends up with
    last[0] = CTempoMap::kDefaultMicrosPerQuarter;
    for (const auto& e : events)
        if (e.dMicrosPerQuarter > 0.0 && std::isfinite(e.dMicrosPerQuarter))
            last[std::max<int64_t>(e.nTick, 0)] = e.dMicrosPerQuarter;
    CTempoMap map;
    map.SetTempos(events);
    ASSERT_EQ(map.Changes().size(), last.size());
    double dMs = 0.0;
    auto it = last.begin();
    for (size_t i = 0; i < last.size(); ++i, ++it) {
        const CTempoMap::Change& c = map.Changes()[i];
        ASSERT_EQ(c.nTick, it->first);
        ASSERT_EQ(c.dMicrosPerQuarter, it->second);
        ASSERT_NEAR(c.dStartMs, dMs, 1e-6 * (1.0 + dMs));
        const auto next = std::next(it);
        if (next != last.end())
            dMs += static_cast<double>(next->first - it->first) * it->second /
                   (1000.0 * CTempoMap::kTicksPerQuarter);
    }
}
