// The state of a project of 16 Loop Bin entries of 30 s each (169 MB of
// samples as float at 44.1 kHz): on disk no larger than its samples, a save
// after a pad change writes under 1 MB, and a restore takes under 2 s.
#include "lv2/Lv2StateMeasure.h"
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(Lv2StateScale, SixteenLoopsOfThirtySeconds) {
    const std::string strScratch =
        (std::filesystem::temp_directory_path() / ("pandrel-lv2-scale-" + std::to_string(getpid())))
            .string();
    const auto fig = CLv2StateMeasure::Run(16, 30.0, strScratch);
    std::filesystem::remove_all(strScratch);
    ASSERT_TRUE(fig.strError.empty()) << fig.strError;
    std::printf("samples as float %llu bytes; state on disk %llu bytes; second save wrote %llu "
                "bytes (same directory), %llu bytes (new directory); restore %.3f s\n",
                static_cast<unsigned long long>(fig.llSampleBytes),
                static_cast<unsigned long long>(fig.llStateBytes),
                static_cast<unsigned long long>(fig.llSameDirBytes),
                static_cast<unsigned long long>(fig.llNewDirBytes), fig.dRestoreSeconds);
    EXPECT_LE(fig.llStateBytes, fig.llSampleBytes + 64 * 1024);
    EXPECT_LT(fig.llSameDirBytes, 1000u * 1000);
    EXPECT_LT(fig.llNewDirBytes, 1000u * 1000);
    EXPECT_LT(fig.dRestoreSeconds, 2.0);
    EXPECT_TRUE(fig.bRestoredSounds);
    EXPECT_TRUE(fig.bSameRender);
}
