// The state's bytes cut into structure and wave files and put back together,
// the content hash, and the wave files written, kept, linked and read back.
#include "apps/lv2/StateImage.h"
#include "apps/lv2/WaveFiles.h"
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
void Chunk(std::vector<uint8_t>* p, const char* pszId, const std::vector<uint8_t>& body) {
    p->insert(p->end(), pszId, pszId + 4);
    for (int i = 0; i < 4; ++i) p->push_back(static_cast<uint8_t>(body.size() >> (8 * i)));
    p->insert(p->end(), body.begin(), body.end());
    if (body.size() % 2 != 0) p->push_back(0);
}
std::vector<uint8_t> Wave(uint8_t nFill, size_t nData) {
    std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
    Chunk(&body, "fmt ", std::vector<uint8_t>(18, 1));
    Chunk(&body, "data", std::vector<uint8_t>(nData, nFill));
    return body;
}
// The version text, then a project form: chunks of odd and even sizes, two
// equal waves and one other, and bytes after the form.
std::vector<uint8_t> Stream() {
    std::vector<uint8_t> form = {'p', 'n', 'd', 'l'};
    Chunk(&form, "comn", {1, 2, 3, 4});
    Chunk(&form, "lbtr", {5, 6, 7, 8, 9});
    Chunk(&form, "RIFF", Wave(0x11, 64));
    Chunk(&form, "lbte", {0, 0, 0, 0});
    Chunk(&form, "RIFF", Wave(0x11, 64));
    Chunk(&form, "RIFF", Wave(0x22, 32));
    Chunk(&form, "pdtr", {7, 7});
    std::vector<uint8_t> stream(24, 'v');
    Chunk(&stream, "RIFF", form);
    stream.insert(stream.end(), {0xAA, 0xBB, 0xCC});
    return stream;
}

TEST(StateImage, SplitThenLayoutGivesTheStreamBack) {
    const std::vector<uint8_t> stream = Stream();
    CStateImage image;
    ASSERT_TRUE(image.Split(stream));
    ASSERT_EQ(image.Waves().size(), 3u);
    size_t nWaveBytes = 0;
    for (const auto& w : image.Waves()) nWaveBytes += w.nBytes;
    EXPECT_EQ(nWaveBytes, 2 * 110u + 78u);
    EXPECT_EQ(image.Structure().size(), stream.size() - nWaveBytes + 3 * 28); // 28: a reference
    EXPECT_EQ(image.Waves()[0].llHash, image.Waves()[1].llHash);
    EXPECT_NE(image.Waves()[0].llHash, image.Waves()[2].llHash);
    for (const auto& w : image.Waves()) {
        EXPECT_EQ(std::memcmp(&stream[w.nOffset], "RIFF", 4), 0);
        EXPECT_EQ(std::memcmp(&stream[w.nOffset + 8], "WAVE", 4), 0);
        EXPECT_EQ(w.llHash, CStateImage::Hash(&stream[w.nOffset], w.nBytes));
    }
    std::vector<uint8_t> laid;
    std::vector<CStateImage::Wave> slots;
    ASSERT_TRUE(CStateImage::Layout(image.Structure(), &laid, &slots));
    ASSERT_EQ(laid.size(), stream.size());
    ASSERT_EQ(slots.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const auto& w = image.Waves()[i];
        EXPECT_EQ(slots[i].nBytes, w.nBytes);
        EXPECT_EQ(slots[i].llHash, w.llHash);
        std::memcpy(&laid[slots[i].nOffset], &stream[w.nOffset], w.nBytes);
    }
    EXPECT_EQ(laid, stream);
}

TEST(StateImage, BytesNotLaidOutAsAProjectAreNotSplit) {
    CStateImage image;
    std::vector<uint8_t> stream = Stream();
    stream[24 + 8] = 'X'; // not a project form
    EXPECT_FALSE(image.Split(stream));
    stream = Stream();
    stream[24 + 12 + 4] = 0xFF; // the first chunk runs past the form
    EXPECT_FALSE(image.Split(stream));
    EXPECT_FALSE(image.Split(std::vector<uint8_t>(30, 0)));
}

TEST(StateImage, ADamagedStructureIsRefused) {
    CStateImage image;
    ASSERT_TRUE(image.Split(Stream()));
    std::vector<uint8_t> laid;
    std::vector<CStateImage::Wave> slots;
    // The references, found by their id; each damaged in turn.
    std::vector<size_t> refs;
    const auto& s = image.Structure();
    for (size_t i = 0; i + 4 <= s.size(); ++i)
        if (std::memcmp(&s[i], "wref", 4) == 0) refs.push_back(i);
    ASSERT_EQ(refs.size(), 3u);
    std::vector<uint8_t> bad = s;
    bad[refs[1] + 8] = 5; // out of order
    EXPECT_FALSE(CStateImage::Layout(bad, &laid, &slots));
    bad = s;
    bad[refs[2] + 20] = 3; // a wave too small to be one
    for (int i = 1; i < 8; ++i) bad[refs[2] + 20 + static_cast<size_t>(i)] = 0;
    EXPECT_FALSE(CStateImage::Layout(bad, &laid, &slots));
    bad = s;
    bad[refs[0] + 4] = 12; // a reference of the wrong size
    EXPECT_FALSE(CStateImage::Layout(bad, &laid, &slots));
    bad.assign(s.begin(), s.begin() + static_cast<long>(refs[2]) + 10); // cut short
    EXPECT_FALSE(CStateImage::Layout(bad, &laid, &slots));
}

TEST(StateImage, HashSeesEveryBitAndTheLength) {
    std::vector<uint8_t> bytes(4099);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31);
    const uint64_t llBase = CStateImage::Hash(bytes.data(), bytes.size());
    for (size_t nByte : {0ul, 7ul, 8ul, 31ul, 32ul, 2047ul, 4095ul, 4096ul, 4098ul})
        for (int nBit : {0, 7}) {
            bytes[nByte] ^= static_cast<uint8_t>(1 << nBit);
            EXPECT_NE(CStateImage::Hash(bytes.data(), bytes.size()), llBase)
                << nByte << ":" << nBit;
            bytes[nByte] ^= static_cast<uint8_t>(1 << nBit);
        }
    // The top bits of two words of one lane: a plain multiply would let them cancel.
    bytes[7] ^= 0x80;
    bytes[39] ^= 0x80;
    EXPECT_NE(CStateImage::Hash(bytes.data(), bytes.size()), llBase);
    const std::vector<uint8_t> zeros(64, 0);
    EXPECT_NE(CStateImage::Hash(zeros.data(), 63), CStateImage::Hash(zeros.data(), 64));
    EXPECT_EQ(CStateImage::FileName(0x0123456789abcdefull), "wave-0123456789abcdef.wav");
}

// A host's path features over a directory: made paths in it, stored paths relative to it.
struct FakeHost {
    std::string strDir;
    LV2_State_Make_Path make{this, [](LV2_State_Make_Path_Handle h, const char* psz) {
                                 return strdup(
                                     (static_cast<FakeHost*>(h)->strDir + "/" + psz).c_str());
                             }};
    LV2_State_Map_Path map{this,
                           [](LV2_State_Map_Path_Handle h, const char* psz) {
                               const std::string strDir = static_cast<FakeHost*>(h)->strDir + "/";
                               return strdup(std::string(psz).substr(strDir.size()).c_str());
                           },
                           [](LV2_State_Map_Path_Handle h, const char* psz) {
                               return strdup(
                                   (static_cast<FakeHost*>(h)->strDir + "/" + psz).c_str());
                           }};
    CWaveFiles::Features Features() {
        CWaveFiles::Features f;
        f.pMake = &make;
        f.pMap = &map;
        return f;
    }
};

ino_t Inode(const std::string& strPath) {
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(WaveFiles, WrittenOnceKeptAndLinkedThenReadBack) {
    const fs::path root =
        fs::temp_directory_path() / ("pandrel-wavefiles-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "a");
    fs::create_directories(root / "b");
    FakeHost a{(root / "a").string()}, b{(root / "b").string()};
    const std::vector<uint8_t> wave = Wave(0x33, 100);
    const uint64_t llHash = CStateImage::Hash(wave.data(), wave.size());
    CWaveFiles files;
    std::string strStored, strError;
    CWaveFiles::Written written{};
    ASSERT_TRUE(files.Write(a.Features(), wave.data(), wave.size(), llHash, &strStored, &written,
                            &strError))
        << strError;
    EXPECT_EQ(written, CWaveFiles::Written::New);
    EXPECT_EQ(strStored, CStateImage::FileName(llHash));
    ASSERT_TRUE(files.Write(a.Features(), wave.data(), wave.size(), llHash, &strStored, &written,
                            &strError));
    EXPECT_EQ(written, CWaveFiles::Written::Kept);
    ASSERT_TRUE(files.Write(b.Features(), wave.data(), wave.size(), llHash, &strStored, &written,
                            &strError));
    EXPECT_EQ(written, CWaveFiles::Written::Linked);
    EXPECT_EQ(Inode(a.strDir + "/" + strStored), Inode(b.strDir + "/" + strStored));
    EXPECT_FALSE(fs::exists(b.strDir + "/" + strStored + ".part"));

    std::vector<uint8_t> back(wave.size());
    ASSERT_TRUE(files.Read(b.Features(), strStored, back.data(), back.size(), llHash, &strError))
        << strError;
    EXPECT_EQ(back, wave);
    // The wrong size, the wrong content, no file: each refused in words.
    EXPECT_FALSE(
        files.Read(b.Features(), strStored, back.data(), back.size() - 2, llHash, &strError));
    EXPECT_NE(strError.find("bytes, not the"), std::string::npos) << strError;
    EXPECT_FALSE(
        files.Read(b.Features(), strStored, back.data(), back.size(), llHash + 1, &strError));
    EXPECT_NE(strError.find("damaged"), std::string::npos) << strError;
    fs::remove(a.strDir + "/" + strStored);
    fs::remove(b.strDir + "/" + strStored);
    EXPECT_FALSE(files.Read(b.Features(), strStored, back.data(), back.size(), llHash, &strError));
    EXPECT_NE(strError.find(strStored), std::string::npos) << strError;
    // A file of the right name but the wrong size is written again, whole.
    std::ofstream(a.strDir + "/" + strStored) << "short";
    ASSERT_TRUE(files.Write(a.Features(), wave.data(), wave.size(), llHash, &strStored, &written,
                            &strError));
    EXPECT_EQ(written, CWaveFiles::Written::New);
    EXPECT_EQ(fs::file_size(a.strDir + "/" + strStored), wave.size());
    fs::remove_all(root);
}
} // namespace
