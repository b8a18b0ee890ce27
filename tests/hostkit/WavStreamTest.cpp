// Writing a WAV file as the samples come: the same bytes as writing it at
// once, in whatever pieces and runs of silence, and whole or not at all.
#include "apps/hostkit/WavStream.h"
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

class WavStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("pandrel-wavstream-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    static std::vector<uint8_t> Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    size_t Count() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }
    fs::path m_dir;
};

TEST_F(WavStreamTest, PiecesAndSilenceGiveTheBytesOfOneWrite) {
    // Silence, sound, silence again; an odd frame count so PCM 24 mono pads.
    std::vector<float> samples(70001, 0.0f);
    for (size_t i = 30000; i < 40000; ++i) samples[i] = static_cast<float>(i % 100) / 50.0f - 1.0f;
    samples[35000] = 2.0f; // clipped in PCM
    for (WavSampleFormat f :
         {WavSampleFormat::Float32, WavSampleFormat::Pcm24, WavSampleFormat::Pcm16}) {
        fs::remove(Path("streamed.wav"));
        CWavWriter writer(f, 1, 48000);
        writer.AddChunk("acid", std::vector<uint8_t>(5, 7)); // odd: padded too
        std::string err;
        ASSERT_TRUE(writer.Write(Path("whole.wav"), samples.data(), samples.size(), &err)) << err;
        CWavStream stream(writer);
        ASSERT_TRUE(stream.Open(Path("streamed.wav"), &err)) << err;
        EXPECT_TRUE(stream.Put(nullptr, 30000));
        for (size_t i = 30000; i < 40000; i += 999)
            EXPECT_TRUE(stream.Put(&samples[i], std::min<size_t>(999, 40000 - i)));
        EXPECT_TRUE(stream.Put(nullptr, 0));
        EXPECT_TRUE(stream.Put(nullptr, samples.size() - 40000));
        EXPECT_EQ(stream.Frames(), samples.size());
        EXPECT_FALSE(fs::exists(Path("streamed.wav"))) << "visible before it is finished";
        ASSERT_TRUE(stream.Finish(&err)) << err;
        EXPECT_EQ(Bytes(Path("streamed.wav")), Bytes(Path("whole.wav")))
            << "format " << static_cast<int>(f);
        EXPECT_EQ(Count(), 2u);
    }
}

TEST_F(WavStreamTest, DiscardedOrTooLongLeavesNothingAndKeepsTheOldFile) {
    std::ofstream(Path("keep.wav")) << "old";
    const CWavWriter writer(WavSampleFormat::Float32, 2, 44100);
    std::string err;
    {
        CWavStream stream(writer);
        ASSERT_TRUE(stream.Open(Path("keep.wav"), &err));
        EXPECT_TRUE(stream.Put(nullptr, 1000));
        stream.Discard();
        EXPECT_FALSE(stream.Finish(&err));
    }
    {
        CWavStream stream(writer);
        ASSERT_TRUE(stream.Open(Path("keep.wav"), &err));
        EXPECT_TRUE(stream.Put(nullptr, 1000));
        // A billion floats more pass the format's 4 GiB: refused before any is written.
        EXPECT_FALSE(stream.Put(nullptr, size_t{1} << 30));
        EXPECT_FALSE(stream.Put(nullptr, 2)); // and the stream stays failed
        EXPECT_FALSE(stream.Finish(&err));
        EXPECT_EQ(err, "too long for a WAV file (more than 4 GiB)");
    }
    {
        CWavStream stream(writer); // never finished: gone with the object
        ASSERT_TRUE(stream.Open(Path("keep.wav"), &err));
        EXPECT_TRUE(stream.Put(nullptr, 10));
    }
    EXPECT_EQ(Bytes(Path("keep.wav")), std::vector<uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(Count(), 1u) << "a temporary file was left behind";
    CWavStream stream(writer);
    EXPECT_FALSE(stream.Open(Path("no/such/folder.wav"), &err));
    EXPECT_NE(err.find("cannot create file"), std::string::npos) << err;
}
} // namespace
