// The slicer against ground truth: a handful of synthesized loops across the
// tempo range, dry and clean, over noise and through a reverb (the full table
// is slicer_truth_table's).
#include "slicer/SliceTruth.h"
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
class SliceAccuracyTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szDir[] = "/tmp/pandrel-truth-XXXXXX";
        ASSERT_NE(mkdtemp(szDir), nullptr);
        m_dir = szDir;
    }
    void TearDown() override { rmdir(m_dir.c_str()); }
    std::string m_dir;
};

TEST_F(SliceAccuracyTest, OnsetsAndTempoMeetTheirBounds) {
    struct Case {
        double dTempo;
        int nBars;
        double dNoiseDb, dReverb;
    };
    const Case cases[] = {{80, 2, 0, 0},      {96.5, 4, -40, 0}, {118, 2, 0, 0.5},
                          {135, 2, -40, 0.5}, {160, 2, 0, 0},    {160, 4, -40, 0.5}};
    size_t nHits = 0, nFound = 0, nFalse = 0;
    uint32_t nSeed = 7;
    for (const Case& c : cases) {
        DrumLoopSpec spec;
        spec.dTempo = c.dTempo;
        spec.nBars = c.nBars;
        spec.dNoiseDb = c.dNoiseDb;
        spec.dReverb = c.dReverb;
        spec.nSeed = nSeed++;
        const TruthResult r = MeasureSlicing(spec, m_dir);
        ASSERT_TRUE(r.bOk);
        EXPECT_NEAR(r.dTempo, c.dTempo, 1.0) << c.dTempo << " BPM, " << c.nBars << " bars";
        EXPECT_LE(r.dWorstMs, kToleranceMs);
        nHits += r.nHits;
        nFound += r.nFound;
        nFalse += r.nFalse;
    }
    EXPECT_GE(static_cast<double>(nFound), 0.95 * static_cast<double>(nHits));
    EXPECT_LT(static_cast<double>(nFalse), 0.05 * static_cast<double>(nHits));
}
} // namespace
