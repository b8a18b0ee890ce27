// The memory stream: what is written reads back across many growths of its
// block, gaps and regrown sizes read as zeros (never as bytes from before a
// truncation), and sizes beyond its limit are refused.
#include "platform/com/Stream.h"
#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Stream {
    IStream* p = nullptr;
    Stream() { EXPECT_EQ(CreateMemoryStream(&p), S_OK); }
    ~Stream() { p->Release(); }
    void SeekTo(LONGLONG n) {
        LARGE_INTEGER at{};
        at.QuadPart = n;
        ASSERT_EQ(p->Seek(at, STREAM_SEEK_SET, nullptr), S_OK);
    }
    ULONGLONG Size() {
        STATSTG st{};
        EXPECT_EQ(p->Stat(&st, 0), S_OK);
        return st.cbSize.QuadPart;
    }
    std::vector<uint8_t> ReadAll() {
        SeekTo(0);
        std::vector<uint8_t> v(static_cast<size_t>(Size()) + 16);
        ULONG n = 0;
        EXPECT_EQ(p->Read(v.data(), static_cast<ULONG>(v.size()), &n), S_OK);
        v.resize(n);
        return v;
    }
};

TEST(MemoryStream, WritesOfEverySizeReadBackAcrossGrowth) {
    Stream s;
    std::vector<uint8_t> expected;
    uint32_t x = 1;
    for (ULONG cb : {0u, 1u, 3u, 4095u, 4096u, 4097u, 70000u, 1u << 20, 5u, 3u << 20}) {
        std::vector<uint8_t> chunk(cb);
        for (uint8_t& b : chunk) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
        ULONG written = 0;
        ASSERT_EQ(s.p->Write(chunk.data(), cb, &written), S_OK);
        EXPECT_EQ(written, cb);
        expected.insert(expected.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(s.Size(), expected.size());
    EXPECT_EQ(s.ReadAll(), expected);
}

TEST(MemoryStream, OverwritingInsideKeepsTheSize) {
    Stream s;
    const std::vector<uint8_t> a(100, 0xAA), b(10, 0xBB);
    ASSERT_EQ(s.p->Write(a.data(), 100, nullptr), S_OK);
    s.SeekTo(95);
    ASSERT_EQ(s.p->Write(b.data(), 10, nullptr), S_OK); // 5 inside, 5 past the end
    EXPECT_EQ(s.Size(), 105u);
    const std::vector<uint8_t> all = s.ReadAll();
    for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i], i < 95 ? 0xAA : 0xBB) << i;
}

TEST(MemoryStream, GapsAndRegrownBytesAreZero) {
    Stream s;
    const std::vector<uint8_t> ones(1000, 0xFF);
    ASSERT_EQ(s.p->Write(ones.data(), 1000, nullptr), S_OK);
    // Truncate, then grow back by SetSize and by a write after a seek past
    // the end: the old bytes must not reappear.
    ULARGE_INTEGER size{};
    size.QuadPart = 10;
    ASSERT_EQ(s.p->SetSize(size), S_OK);
    size.QuadPart = 500;
    ASSERT_EQ(s.p->SetSize(size), S_OK);
    s.SeekTo(900);
    const uint8_t one = 1;
    ASSERT_EQ(s.p->Write(&one, 1, nullptr), S_OK);
    const std::vector<uint8_t> all = s.ReadAll();
    ASSERT_EQ(all.size(), 901u);
    for (size_t i = 0; i < all.size(); ++i)
        ASSERT_EQ(all[i], i < 10 ? 0xFF : i == 900 ? 1 : 0) << i;
}

TEST(MemoryStream, ReadsStopAtTheEnd) {
    Stream s;
    const uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_EQ(s.p->Write(data, 4, nullptr), S_OK);
    s.SeekTo(2);
    uint8_t out[8] = {};
    ULONG n = 99;
    ASSERT_EQ(s.p->Read(out, 8, &n), S_OK);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(out[0], 3);
    s.SeekTo(10);
    ASSERT_EQ(s.p->Read(out, 8, &n), S_OK);
    EXPECT_EQ(n, 0u);
}

TEST(MemoryStream, SizesBeyondTheLimitAreRefused) {
    Stream s;
    ULARGE_INTEGER huge{};
    huge.QuadPart = (ULONGLONG(1) << 34) + 1;
    EXPECT_EQ(s.p->SetSize(huge), STG_E_MEDIUMFULL);
    LARGE_INTEGER at{};
    at.QuadPart = LONGLONG(1) << 34;
    ASSERT_EQ(s.p->Seek(at, STREAM_SEEK_SET, nullptr), S_OK);
    const uint8_t b = 0;
    EXPECT_EQ(s.p->Write(&b, 1, nullptr), STG_E_MEDIUMFULL);
    EXPECT_EQ(s.Size(), 0u);
}

} // namespace

TEST(CountingStream, ItsSizeIsTheFurthestByteWrittenAndItReadsZeros) {
    // What a save through it measures must equal what the same save writes
    // into memory, including writers that seek back to patch a length.
    IStream* count = nullptr;
    ASSERT_EQ(CreateCountingStream(&count), S_OK);
    Stream memory;
    const std::vector<uint8_t> bytes(1000, 0x5A);
    for (IStream* s : {count, memory.p}) {
        s->Write(bytes.data(), 1000, nullptr);
        s->Seek(LARGE_INTEGER{4}, STREAM_SEEK_SET, nullptr);
        s->Write(bytes.data(), 8, nullptr); // patch inside
        s->Seek(LARGE_INTEGER{5000}, STREAM_SEEK_SET, nullptr);
        s->Write(bytes.data(), 10, nullptr); // past a gap
        s->Seek(LARGE_INTEGER{-20}, STREAM_SEEK_END, nullptr);
    }
    STATSTG st{};
    ASSERT_EQ(count->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.cbSize.QuadPart, memory.Size());
    EXPECT_EQ(st.cbSize.QuadPart, 5010u);
    uint8_t buffer[40];
    ULONG n = 0;
    std::fill(std::begin(buffer), std::end(buffer), 0xFF);
    ASSERT_EQ(count->Read(buffer, sizeof(buffer), &n), S_OK);
    EXPECT_EQ(n, 20u); // stops at the end
    EXPECT_TRUE(std::all_of(buffer, buffer + 20, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(count->Seek(LARGE_INTEGER{-1}, STREAM_SEEK_SET, nullptr), STG_E_SEEKERROR);
    count->Release();
}
