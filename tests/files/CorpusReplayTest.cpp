// Replays the fuzzer's seed corpus through the reader as the loader uses it, so
// every build checks the inputs that once found faults, without the fuzzer.
#include "files/AcidWave.h"
#include "files/AcidWaveSource.h"
#include "platform/com/HResult.h"
#include <filesystem>
#include <gtest/gtest.h>

TEST(CorpusReplay, EveryInputLoadsOrFailsCleanly) {
    const std::filesystem::path dir =
        std::filesystem::path(PANDREL_SOURCE_DIR) / "fuzz/corpus/acidwave";
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const std::string path = entry.path().string();
        CAcidWaveSource source;
        if (FAILED(source.Load(path.c_str()))) continue;
        const LoopSource& s = source.Source();
        EXPECT_EQ(source.Bytes().size(), size_t{s.wfx.nBlockAlign} * s.nFrames + 16) << path;
        DWORD next = 0;
        for (int i = 0; i < s.nSegments; ++i) {
            EXPECT_EQ(s.pSegments[i].nStart, next) << path << " segment " << i;
            EXPECT_GT(s.pSegments[i].nLength, 0u) << path << " segment " << i;
            next += s.pSegments[i].nLength;
        }
        if (s.nSegments > 0) {
            EXPECT_EQ(next, s.nFrames) << path;
        }
        if (source.IsDecoded()) continue; // the wave reader refused it
        CAcidWave wave;
        ASSERT_EQ(wave.Open(path.c_str()), S_OK) << path;
        ASSERT_EQ(wave.SeekToFrame(wave.GetFrames() / 2), S_OK) << path;
        std::vector<char> rest(wave.GetRemainingBytes() + 1);
        EXPECT_EQ(wave.ReadData(rest.data(), static_cast<DWORD>(rest.size())), rest.size() - 1)
            << path;
    }
    EXPECT_GT(files, 0);
}
