#include "apps/cli/GainStage.h"
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {
struct CollectTarget : ISampleTarget {
    std::vector<float> samples;
    bool Put(const float* p, size_t n) override {
        for (size_t i = 0; i < n; ++i) samples.push_back(p ? p[i] : 0.0f);
        return true;
    }
};
} // namespace

TEST(GainStage, UnityPassesSamplesUnchangedAndCountsOnlyPastFullScale) {
    CollectTarget out;
    CGainStage stage(&out, CGainStage::FromDb(0.0));
    const float in[] = {1.0f,
                        -1.0f,
                        1.0000001f,
                        -2.0f,
                        0.5f,
                        std::nanf(""),
                        std::numeric_limits<float>::infinity()};
    ASSERT_TRUE(stage.Put(in, 7));
    ASSERT_TRUE(stage.Put(nullptr, 3));
    ASSERT_EQ(out.samples.size(), 10u);
    EXPECT_EQ(std::memcmp(out.samples.data(), in, 2 * sizeof(float)), 0);
    EXPECT_EQ(out.samples[2], in[2]);
    // Exactly full scale is not clipped; non-finite samples are written as 0.
    EXPECT_EQ(stage.Clipped(), 2u);
    EXPECT_FLOAT_EQ(stage.Peak(), 2.0f);
    const std::string w = stage.ClipWarning("mix.wav");
    EXPECT_EQ(w.rfind("pandrel: mix.wav: 2 samples clipped (peak +6.0 dBFS)", 0), 0u) << w;
    EXPECT_NE(w.find("--gain -6.2"), std::string::npos) << w;
    EXPECT_NE(w.find("write float"), std::string::npos);
}

TEST(GainStage, GainIsAppliedBeforeCounting) {
    CollectTarget out;
    CGainStage stage(&out, CGainStage::FromDb(-12.0));
    const float in[] = {2.0f, -3.0f, 4.5f};
    ASSERT_TRUE(stage.Put(in, 3));
    EXPECT_NEAR(out.samples[0], 2.0f * 0.25119f, 1e-4);
    EXPECT_NEAR(out.samples[2], 4.5f * 0.25119f, 1e-4);
    EXPECT_EQ(stage.Clipped(), 1u); // only 4.5 is still past full scale
    EXPECT_NE(stage.ClipWarning("x.wav").find("1 sample clipped"), std::string::npos);

    CGainStage quiet(&out, CGainStage::FromDb(-24.0));
    ASSERT_TRUE(quiet.Put(in, 3));
    EXPECT_EQ(quiet.Clipped(), 0u);
    EXPECT_EQ(quiet.ClipWarning("x.wav"), "");
}
