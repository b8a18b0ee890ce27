#include "apps/hostkit/WavWriter.h"
#include "apps/hostkit/AtomicFile.h"
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <sndfile.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pandrel-wav-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override {
        for (const std::string& name : Entries()) std::remove((m_dir + "/" + name).c_str());
        chmod(m_dir.c_str(), 0700);
        rmdir(m_dir.c_str());
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* d = opendir(m_dir.c_str())) {
            while (dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    names.push_back(e->d_name);
            closedir(d);
        }
        return names;
    }
    std::string Path(const char* name) const { return m_dir + "/" + name; }
    std::string m_dir;
};

struct ReadBack {
    SF_INFO info{};
    std::vector<float> samples;
};

ReadBack Read(const std::string& path) {
    ReadBack r;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &r.info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    if (f == nullptr) return r;
    r.samples.resize(static_cast<size_t>(r.info.frames * r.info.channels));
    EXPECT_EQ(sf_readf_float(f, r.samples.data(), r.info.frames), r.info.frames);
    sf_close(f);
    return r;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
} // namespace

using WavWriterTest = TempDir;

TEST_F(WavWriterTest, FloatStereoRoundTripsExactly) {
    const std::vector<float> s = {0.0f, -0.5f, 1.75f, -1.0f, 1e-7f, 0.25f};
    std::string err;
    ASSERT_TRUE(
        CWavWriter(WavSampleFormat::Float32, 2, 96000).Write(Path("f.wav"), s.data(), 3, &err))
        << err;
    const ReadBack r = Read(Path("f.wav"));
    EXPECT_EQ(r.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(r.info.channels, 2);
    EXPECT_EQ(r.info.samplerate, 96000);
    EXPECT_EQ(r.samples, s); // above full scale is kept in float
}

TEST_F(WavWriterTest, Pcm24MonoRoundsClipsAndPadsOddData) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> s = {0.5f, -1.0f, 2.0f, -3.0f, nan, 1.0f / 8388608.0f, 0.4999999f};
    std::string err;
    ASSERT_TRUE(
        CWavWriter(WavSampleFormat::Pcm24, 1, 44100).Write(Path("p.wav"), s.data(), s.size(), &err))
        << err;
    const ReadBack r = Read(Path("p.wav"));
    EXPECT_EQ(r.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    ASSERT_EQ(r.info.frames, 7);
    EXPECT_FLOAT_EQ(r.samples[0], 0.5f);
    EXPECT_FLOAT_EQ(r.samples[1], -1.0f);
    EXPECT_FLOAT_EQ(r.samples[2], 8388607.0f / 8388608.0f); // clipped to the largest code
    EXPECT_FLOAT_EQ(r.samples[3], -1.0f);
    EXPECT_FLOAT_EQ(r.samples[4], 0.0f);
    EXPECT_FLOAT_EQ(r.samples[5], 1.0f / 8388608.0f);
    // 21 data bytes: the RIFF size counts the pad byte, and the file is even.
    const std::vector<uint8_t> b = FileBytes(Path("p.wav"));
    EXPECT_EQ(b.size() % 2, 0u);
    const uint32_t riff = b[4] | (b[5] << 8) | (b[6] << 16) | (uint32_t(b[7]) << 24);
    EXPECT_EQ(riff + 8, b.size());
}

TEST_F(WavWriterTest, ChunksFollowTheData) {
    CWavWriter w(WavSampleFormat::Pcm16, 2, 22050);
    w.AddChunk("acid", std::vector<uint8_t>(24, 7));
    w.AddChunk("odd ", {1, 2, 3});
    w.AddChunk("strc", std::vector<uint8_t>(60, 9));
    const std::vector<float> s = {0.25f, -0.25f, 1.0f, -1.0f};
    std::string err;
    ASSERT_TRUE(w.Write(Path("c.wav"), s.data(), 2, &err)) << err;
    const ReadBack r = Read(Path("c.wav"));
    EXPECT_EQ(r.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(r.info.frames, 2);
    EXPECT_FLOAT_EQ(r.samples[0], 0.25f);
    EXPECT_FLOAT_EQ(r.samples[3], -1.0f);
    // Walk the chunks: fmt, data, acid, odd (padded), strc, in that order.
    const std::vector<uint8_t> b = FileBytes(Path("c.wav"));
    std::vector<std::string> ids;
    for (size_t at = 12; at + 8 <= b.size();) {
        ids.emplace_back(b.begin() + at, b.begin() + at + 4);
        const uint32_t n =
            b[at + 4] | (b[at + 5] << 8) | (b[at + 6] << 16) | (uint32_t(b[at + 7]) << 24);
        at += 8 + n + (n & 1);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"fmt ", "data", "acid", "odd ", "strc"}));
}

TEST_F(WavWriterTest, FailureLeavesNothingBehind) {
    const std::vector<float> s(64, 0.1f);
    std::string err;
    EXPECT_FALSE(
        CWavWriter(WavSampleFormat::Pcm16, 3, 44100).Write(Path("x.wav"), s.data(), 4, &err));
    EXPECT_FALSE(CWavWriter(WavSampleFormat::Pcm16, 1, 44100)
                     .Write(m_dir + "/none/x.wav", s.data(), 4, &err));
    EXPECT_NE(err.find("No such file or directory"), std::string::npos) << err;
    EXPECT_TRUE(Entries().empty());
    // An existing file survives a failed rewrite untouched.
    ASSERT_TRUE(
        CWavWriter(WavSampleFormat::Pcm16, 1, 44100).Write(Path("keep.wav"), s.data(), 4, &err));
    const std::vector<uint8_t> before = FileBytes(Path("keep.wav"));
    if (getuid() != 0) { // root writes through permissions
        chmod(m_dir.c_str(), 0500);
        EXPECT_FALSE(CWavWriter(WavSampleFormat::Pcm16, 1, 44100)
                         .Write(Path("keep.wav"), s.data(), 64, &err));
        chmod(m_dir.c_str(), 0700);
        EXPECT_EQ(FileBytes(Path("keep.wav")), before);
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.wav"});
}

using AtomicFileTest = TempDir;

TEST_F(AtomicFileTest, AppearsOnlyOnCommit) {
    {
        CAtomicFile f;
        ASSERT_TRUE(f.Open(Path("a.txt")));
        ASSERT_TRUE(f.Write("abc", 3));
        EXPECT_EQ(Entries().size(), 1u); // the temporary file only
        EXPECT_NE(Entries()[0], "a.txt");
    } // dropped without Commit
    EXPECT_TRUE(Entries().empty());
    CAtomicFile f;
    ASSERT_TRUE(f.Open(Path("a.txt")));
    ASSERT_TRUE(f.Write("abc", 3));
    ASSERT_TRUE(f.Commit());
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(FileBytes(Path("a.txt")).size(), 3u);
    EXPECT_FALSE(f.Write("x", 1)); // closed after Commit
    EXPECT_FALSE(f.Commit());
    // Committing over a folder fails and cleans up.
    mkdir(Path("sub").c_str(), 0700);
    CAtomicFile g;
    ASSERT_TRUE(g.Open(Path("sub")));
    EXPECT_FALSE(g.Commit());
    EXPECT_FALSE(g.Error().empty());
    EXPECT_EQ(Entries().size(), 2u);
    rmdir(Path("sub").c_str());
}
