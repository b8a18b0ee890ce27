// The multimedia file I/O handle: chunk navigation, seeking, buffered reads and
// direct buffer access, against offsets worked out from the file's layout.
#include "platform/mmio/Mmio.h"
#include "files/RiffBuilder.h"
#include "platform/kernel/TextConvert.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace riff;

namespace {
// RIFF WAVE { "odd " (3 bytes + pad), LIST INFO { INAM (5 + pad) }, data (4) }
//   0 RIFF header, 12 odd header, 20 body, 24 LIST header, 32 INFO, 36 INAM header,
//   44 INAM body, 50 data header, 58 data body, 62 end.
Bytes Layout() {
    RiffBuilder info;
    info.Chunk("INAM", {'a', 'b', 'c', 'd', 0});
    return RiffBuilder()
        .Chunk("odd ", {1, 2, 3})
        .List("INFO", info)
        .Chunk("data", {9, 8, 7, 6})
        .Form();
}

struct Handle {
    explicit Handle(const std::string& path, LONG buffer = 0,
                    DWORD flags = MMIO_ALLOCBUF | MMIO_READ) {
        MMIOINFO info{};
        info.cchBuffer = buffer;
        h = mmioOpenW(WideFromUtf8(path.c_str()).c_str(), &info, flags);
        error = info.wErrorRet;
    }
    ~Handle() {
        if (h != nullptr) mmioClose(h, 0);
    }
    HMMIO h = nullptr;
    UINT error = 0;
};

MMCKINFO Find(FOURCC id) {
    MMCKINFO ck{};
    ck.ckid = id;
    return ck;
}
} // namespace

TEST(Mmio, DescendFindsChunksSkippingPadBytesAndStaysInsideParent) {
    TempFile file(Layout());
    Handle f(file.path());
    ASSERT_NE(f.h, nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(f.h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(riff.ckid, FOURCC_RIFF);
    EXPECT_EQ(riff.fccType, mmioFOURCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(riff.dwDataOffset, 8u);
    EXPECT_EQ(riff.cksize, 54u);
    EXPECT_EQ(mmioSeek(f.h, 0, SEEK_CUR), 12); // past the form type

    MMCKINFO list{};
    list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
    ASSERT_EQ(mmioDescend(f.h, &list, &riff, MMIO_FINDLIST), MMSYSERR_NOERROR);
    EXPECT_EQ(list.dwDataOffset, 32u);
    EXPECT_EQ(mmioSeek(f.h, 0, SEEK_CUR), 36);
    MMCKINFO item{};
    ASSERT_EQ(mmioDescend(f.h, &item, &list, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(item.ckid, mmioFOURCC('I', 'N', 'A', 'M'));
    EXPECT_EQ(item.cksize, 5u);
    EXPECT_EQ(item.dwDataOffset, 44u);
    ASSERT_EQ(mmioAscend(f.h, &item, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(f.h, 0, SEEK_CUR), 50); // 44 + 5 + pad
    // The data chunk follows, but outside the list: not an item of it.
    MMCKINFO next{};
    EXPECT_EQ(mmioDescend(f.h, &next, &list, 0), MMIOERR_CHUNKNOTFOUND);

    // From the top of the form, a search skips "odd " with its pad and the list.
    ASSERT_EQ(mmioSeek(f.h, 12, SEEK_SET), 12);
    MMCKINFO data = Find(mmioFOURCC('d', 'a', 't', 'a'));
    ASSERT_EQ(mmioDescend(f.h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(data.dwDataOffset, 58u);
    char body[4];
    ASSERT_EQ(mmioRead(f.h, body, 4), 4);
    EXPECT_EQ(body[0], 9);
    MMCKINFO missing = Find(mmioFOURCC('a', 'c', 'i', 'd'));
    ASSERT_EQ(mmioSeek(f.h, 12, SEEK_SET), 12);
    EXPECT_EQ(mmioDescend(f.h, &missing, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(missing.ckid, mmioFOURCC('a', 'c', 'i', 'd')); // untouched on failure
}

TEST(Mmio, ChunksClaimingMoreThanTheFileAreNavigatedSafely) {
    TempFile file(RiffBuilder().Chunk("big ", {1, 2}, 0xFFFFFFF0u).Chunk("data", {5}).Form());
    Handle f(file.path());
    ASSERT_NE(f.h, nullptr);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(f.h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO data = Find(mmioFOURCC('d', 'a', 't', 'a'));
    EXPECT_EQ(mmioDescend(f.h, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    MMCKINFO big{};
    ASSERT_EQ(mmioSeek(f.h, 12, SEEK_SET), 12);
    ASSERT_EQ(mmioDescend(f.h, &big, &riff, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(big.cksize, 0xFFFFFFF0u);
    EXPECT_EQ(mmioAscend(f.h, &big, 0), MMIOERR_CANNOTSEEK); // its end is past any position
    big.cksize = 1000;
    EXPECT_EQ(mmioAscend(f.h, &big, 0), MMSYSERR_NOERROR); // past the end is allowed...
    char c;
    EXPECT_EQ(mmioRead(f.h, &c, 1), 0); // ...and reads nothing
    EXPECT_EQ(mmioDescend(f.h, &big, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
}

TEST(Mmio, BufferedReadsAndSeeksMatchTheFileWhateverTheMix) {
    Bytes bytes(20000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    TempFile file(bytes);
    Handle f(file.path(), 100);
    ASSERT_NE(f.h, nullptr);
    EXPECT_EQ(mmioSeek(f.h, 0, SEEK_END), 20000);
    EXPECT_EQ(mmioSeek(f.h, -1, SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(f.h, 0x7FFFFFFF, SEEK_CUR), -1);
    std::mt19937 rng(7);
    LONG pos = 0;
    ASSERT_EQ(mmioSeek(f.h, 0, SEEK_SET), 0);
    std::vector<char> out(500);
    for (int step = 0; step < 400; ++step) {
        if (rng() % 3 == 0) {
            LONG delta = static_cast<LONG>(rng() % 400) - 200;
            LONG target = std::clamp<LONG>(pos + delta, 0, 20100);
            ASSERT_EQ(mmioSeek(f.h, target - pos, SEEK_CUR), target);
            pos = target;
        }
        LONG want = static_cast<LONG>(rng() % 300); // below and above the 100-byte buffer
        LONG expect = std::clamp<LONG>(20000 - pos, 0, want);
        ASSERT_EQ(mmioRead(f.h, out.data(), want), expect) << "at " << pos;
        for (LONG i = 0; i < expect; ++i)
            ASSERT_EQ(static_cast<uint8_t>(out[i]), bytes[pos + i]) << pos + i;
        pos += expect;
    }
}

TEST(Mmio, DirectBufferAccessAdvancesThroughTheFileAndHandsThePositionBack) {
    Bytes bytes(23);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(100 + i);
    TempFile file(bytes);
    Handle f(file.path(), 5);
    ASSERT_NE(f.h, nullptr);
    ASSERT_EQ(mmioSeek(f.h, 3, SEEK_SET), 3);
    MMIOINFO info{};
    ASSERT_EQ(mmioGetInfo(f.h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(info.cchBuffer, 5);
    Bytes seen;
    for (int i = 0; i < 12; ++i) {
        if (info.pchNext == info.pchEndRead) {
            ASSERT_EQ(mmioAdvance(f.h, &info, MMIO_READ), MMSYSERR_NOERROR);
        }
        ASSERT_LT(info.pchNext, info.pchEndRead);
        seen.push_back(static_cast<uint8_t>(*info.pchNext++));
    }
    EXPECT_EQ(seen, Bytes(bytes.begin() + 3, bytes.begin() + 15));
    ASSERT_EQ(mmioSetInfo(f.h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(f.h, 0, SEEK_CUR), 15);
    char c;
    ASSERT_EQ(mmioRead(f.h, &c, 1), 1);
    EXPECT_EQ(static_cast<uint8_t>(c), bytes[15]);
    // At the end of the file an advance leaves the buffer empty.
    ASSERT_EQ(mmioSeek(f.h, 23, SEEK_SET), 23);
    ASSERT_EQ(mmioGetInfo(f.h, &info, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAdvance(f.h, &info, MMIO_READ), MMSYSERR_NOERROR);
    EXPECT_EQ(info.pchNext, info.pchEndRead);
    MMIOINFO bad = info;
    bad.pchNext = info.pchBuffer + 6;
    EXPECT_EQ(mmioSetInfo(f.h, &bad, 0), MMSYSERR_INVALPARAM);
}

TEST(Mmio, OpenFailuresAndUnbufferedHandles) {
    Handle missing("/nonexistent/pandrel.wav");
    EXPECT_EQ(missing.h, nullptr);
    EXPECT_EQ(missing.error, MMIOERR_FILENOTFOUND);
    TempFile file(Layout());
    Handle writing(file.path(), 0, MMIO_WRITE);
    EXPECT_NE(writing.h, nullptr); // writing to an existing file
    Handle plain(file.path(), 0, MMIO_READ);
    ASSERT_NE(plain.h, nullptr);
    MMIOINFO info{};
    ASSERT_EQ(mmioGetInfo(plain.h, &info, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(info.pchBuffer, nullptr);
    EXPECT_EQ(mmioAdvance(plain.h, &info, MMIO_READ), MMIOERR_UNBUFFERED);
    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(plain.h, &riff, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO data = Find(mmioFOURCC('d', 'a', 't', 'a'));
    ASSERT_EQ(mmioDescend(plain.h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(data.dwDataOffset, 58u);
}
