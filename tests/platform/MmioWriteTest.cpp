// The write side of the multimedia file I/O handle: chunks created with size
// 0 get their true size and pad byte on ascent, forms nest, writes through a
// read buffer are seen by later reads, and read handles refuse to write.
#include "files/RiffBuilder.h"
#include "platform/kernel/TextConvert.h"
#include "platform/mmio/Mmio.h"
#include <gtest/gtest.h>

using namespace riff;

namespace {
HMMIO Open(const std::string& path, DWORD flags) {
    return mmioOpenW(WideFromUtf8(path.c_str()).c_str(), nullptr, flags);
}
MMCKINFO Chunk(FOURCC id, FOURCC type = 0) {
    MMCKINFO ck{};
    ck.ckid = id;
    ck.fccType = type;
    return ck;
}
} // namespace

TEST(MmioWrite, AscentPatchesSizesAndPadsOddBodies) {
    TempFile file(Bytes{}, "written.riff");
    HMMIO h = Open(file.path(), MMIO_CREATE | MMIO_READWRITE);
    ASSERT_NE(h, nullptr);
    MMCKINFO form = Chunk(0, mmioFOURCC('t', 'e', 's', 't'));
    ASSERT_EQ(mmioCreateChunk(h, &form, MMIO_CREATERIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(form.dwDataOffset, 8u);
    EXPECT_EQ(form.dwFlags, MMIO_DIRTY);
    MMCKINFO odd = Chunk(mmioFOURCC('o', 'd', 'd', ' '));
    ASSERT_EQ(mmioCreateChunk(h, &odd, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioWrite(h, "abc", 3), 3);
    ASSERT_EQ(mmioAscend(h, &odd, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(odd.cksize, 3u);
    EXPECT_EQ(odd.dwFlags, 0u);
    MMCKINFO list = Chunk(0, mmioFOURCC('I', 'N', 'F', 'O'));
    ASSERT_EQ(mmioCreateChunk(h, &list, MMIO_CREATELIST), MMSYSERR_NOERROR);
    MMCKINFO even = Chunk(mmioFOURCC('e', 'v', 'e', 'n'));
    ASSERT_EQ(mmioCreateChunk(h, &even, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioWrite(h, "wxyz", 4), 4);
    ASSERT_EQ(mmioAscend(h, &even, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAscend(h, &list, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAscend(h, &form, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);

    RiffBuilder info;
    info.Chunk("even", {'w', 'x', 'y', 'z'});
    const Bytes expected =
        RiffBuilder().Chunk("odd ", {'a', 'b', 'c'}).List("INFO", info).Form("test");
    FILE* f = std::fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Bytes got(expected.size() + 8);
    got.resize(std::fread(got.data(), 1, got.size(), f));
    std::fclose(f);
    EXPECT_EQ(got, expected);
}

TEST(MmioWrite, BufferedReadsSeeWhatWasWrittenAndReadHandlesRefuse) {
    TempFile file(Bytes(64, 'r'), "rw.bin");
    HMMIO h = Open(file.path(), MMIO_READWRITE | MMIO_ALLOCBUF);
    ASSERT_NE(h, nullptr);
    char buf[8] = {};
    ASSERT_EQ(mmioRead(h, buf, 4), 4); // fills the read buffer
    ASSERT_EQ(mmioSeek(h, 2, SEEK_SET), 2);
    ASSERT_EQ(mmioWrite(h, "WW", 2), 2);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 4);
    ASSERT_EQ(mmioSeek(h, 0, SEEK_SET), 0);
    ASSERT_EQ(mmioRead(h, buf, 6), 6);
    EXPECT_EQ(std::string(buf, 6), "rrWWrr");
    mmioClose(h, 0);
    HMMIO r = Open(file.path(), MMIO_READ);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(mmioWrite(r, "x", 1), -1);
    MMCKINFO ck = Chunk(mmioFOURCC('a', 'b', 'c', 'd'));
    EXPECT_EQ(mmioCreateChunk(r, &ck, 0), MMIOERR_CANNOTWRITE);
    mmioClose(r, 0);
}
