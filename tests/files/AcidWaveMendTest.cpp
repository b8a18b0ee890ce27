// Damaged or unusual files: the reader refuses what cannot be decoded, keeps
// what is there, and never yields empty or negative segments; and the loader's
// record (CAcidWaveSource) carries exactly the file's frames.
#include "RiffBuilder.h"
#include "files/AcidWave.h"
#include "files/AcidWaveSource.h"
#include "platform/com/HResult.h"
#include <gtest/gtest.h>

using namespace riff;

namespace {
HRESULT OpenFmt(const Fmt& f, CAcidWave& w, const Bytes& data = Bytes(64, 0)) {
    TempFile file(RiffBuilder().Chunk("fmt ", FmtBody(f)).Chunk("data", data).Form());
    return w.Open(file.c_str());
}
Bytes ExtensibleTail(uint8_t subformat) {
    return {24, 0,    3, 0,    0, 0, subformat, 0, 0,    0,    0,
            0,  0x10, 0, 0x80, 0, 0, 0xAA,      0, 0x38, 0x9B, 0x71};
}
void ExpectTiling(const CAcidWave& w) {
    DWORD next = 0;
    for (int i = 0; i < w.GetSegmentCount(); ++i) {
        EXPECT_EQ(w.GetSegment(i).nStart, next) << i;
        EXPECT_GT(w.GetSegment(i).nLength, 0u) << i;
        next += w.GetSegment(i).nLength;
    }
    EXPECT_EQ(next, w.GetFrames());
}
} // namespace

TEST(AcidWaveMend, FormatsThatCannotBeDecodedSafelyAreRefused) {
    auto refused = [](auto change) {
        Fmt f;
        change(f);
        CAcidWave w;
        EXPECT_EQ(OpenFmt(f, w), E_FAIL);
        return w.GetError();
    };
    EXPECT_EQ(refused([](Fmt& f) { f.blockAlign = 0; }), MMIOERR_INVALIDFILE);
    EXPECT_EQ(refused([](Fmt& f) { f.avgBytes = 0; }), MMIOERR_INVALIDFILE);
    EXPECT_EQ(refused([](Fmt& f) { f.channels = 0; }), MMIOERR_INVALIDFILE);
    EXPECT_EQ(refused([](Fmt& f) { f.channels = 3; }), MMIOERR_INVALIDFILE);
    EXPECT_EQ(refused([](Fmt& f) { f.blockAlign = 2; }),
              MMIOERR_INVALIDFILE); // 2 x 16 bits need 4 bytes
    // Not refused: a wider frame than the samples need, and a float format
    // without the extra-size word.
    Fmt padded;
    padded.blockAlign = 8;
    CAcidWave w;
    EXPECT_EQ(OpenFmt(padded, w), S_OK);
    EXPECT_EQ(w.GetFrames(), 8u);
    Fmt shortFloat;
    shortFloat.tag = 3;
    shortFloat.bits = 32;
    EXPECT_EQ(OpenFmt(shortFloat, w), S_OK);
    EXPECT_EQ(w.GetFormat().wFormatTag, 3);
}

TEST(AcidWaveMend, ExtensibleFormatsResolveToTheirSubformat) {
    for (uint8_t sub : {1, 3, 2}) {
        Fmt f;
        f.tag = 0xFFFE;
        f.bits = 24;
        f.extraSize = 22;
        f.extension = ExtensibleTail(sub);
        CAcidWave w;
        ASSERT_EQ(OpenFmt(f, w, Bytes(60, 0)), S_OK);
        EXPECT_EQ(w.GetFormat().wFormatTag, sub);
        EXPECT_EQ(w.GetFormat().cbSize, 0);
        EXPECT_EQ(w.GetFrames(), 10u);
    }
    Fmt odd; // a subformat outside the known base keeps the extensible tag
    odd.tag = 0xFFFE;
    odd.extraSize = 22;
    odd.extension = ExtensibleTail(1);
    odd.extension[21] = 0;
    CAcidWave w;
    ASSERT_EQ(OpenFmt(odd, w), S_OK);
    EXPECT_EQ(w.GetFormat().wFormatTag, 0xFFFE);
}

TEST(AcidWaveMend, AcidBodiesOfAnySizeFillAtMostTheRecord) {
    Bytes full = AcidBody(2, 62, 8, 140.0f);
    // Short: flags and root note only; beats and tempo read as zero.
    TempFile shortFile(Wave(800).Chunk("acid", Bytes(full.begin(), full.begin() + 6)).Form());
    CAcidWave w;
    ASSERT_EQ(w.Open(shortFile.c_str()), S_OK);
    EXPECT_EQ(w.GetKeyIndex(), 5);
    EXPECT_EQ(w.GetBeats(), 0u);
    EXPECT_EQ(w.GetTempo(), 0.0f);
    EXPECT_EQ(w.GetSegmentCount(), 1);
    // Long: the extra bytes are skipped and the strc behind them still found.
    Bytes longer = full;
    longer.insert(longer.end(), {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    TempFile longFile(
        Wave(800).Chunk("acid", longer).Chunk("strc", StrcBody(1, 4, {{0, 200, 1}})).Form());
    ASSERT_EQ(w.Open(longFile.c_str()), S_OK);
    EXPECT_EQ(w.GetBeats(), 8u);
    EXPECT_FLOAT_EQ(w.GetTempo(), 140.0f);
    EXPECT_TRUE(w.HasStrc());
    EXPECT_EQ(w.GetSegmentCount(), 2);
    TempFile empty(Wave(800).Chunk("acid", {}).Form());
    ASSERT_EQ(w.Open(empty.c_str()), S_OK);
    EXPECT_TRUE(w.HasAcid());
    EXPECT_TRUE(w.IsLooping());
}

TEST(AcidWaveMend, DataClaimingMoreThanTheFileKeepsTheWholeFramesPresent) {
    for (DWORD claim : {4000u, 0xFFFFFFFFu}) {
        Bytes pcm = Pcm16(10, 2);
        pcm.push_back(0x55); // and one byte of an 11th frame
        TempFile file(RiffBuilder().Chunk("fmt ", FmtBody(Fmt{})).Chunk("data", pcm, claim).Form());
        CAcidWave w;
        ASSERT_EQ(w.Open(file.c_str()), S_OK) << claim;
        EXPECT_EQ(w.GetFrames(), 10u);
        // The pad byte the builder wrote for the odd body is in the file too.
        EXPECT_EQ(w.GetDataBytes(), 42u);
        CAcidWaveSource source;
        ASSERT_EQ(source.Load(file.c_str()), S_OK);
        EXPECT_EQ(source.Source().nFrames, 10u);
        EXPECT_EQ(Bytes(source.Source().pData, source.Source().pData + 40), Pcm16(10, 2));
        EXPECT_EQ(source.Bytes(), [&] {
            Bytes b = Pcm16(10, 2);
            b.resize(56, 0);
            return b;
        }());
    }
    // Less than one frame present fails like an empty chunk.
    TempFile partial(RiffBuilder().Chunk("fmt ", FmtBody(Fmt{})).Chunk("data", {1, 2}, 400).Form());
    CAcidWave w;
    EXPECT_EQ(w.Open(partial.c_str()), E_FAIL);
}

TEST(AcidWaveMend, TheStreamReadsTheDataChunkThatWasMeasured) {
    // A stray `data` before `fmt ` is skipped by the header pass; the sample
    // stream must not pick it up either.
    TempFile file(RiffBuilder()
                      .Chunk("data", Bytes(24, 0xAB))
                      .Chunk("fmt ", FmtBody(Fmt{}))
                      .Chunk("data", Pcm16(5, 2))
                      .Form());
    CAcidWaveSource source;
    ASSERT_EQ(source.Load(file.c_str()), S_OK);
    EXPECT_EQ(source.Source().nFrames, 5u);
    EXPECT_EQ(Bytes(source.Source().pData, source.Source().pData + 20), Pcm16(5, 2));
}

TEST(AcidWaveMend, MarkersOutOfOrderRepeatedOrPastTheEndGiveOnlyPositiveSegments) {
    const std::vector<Marker> markers = {{0, 600, 1}, {0, 200, 1},  {2, 400, 1},
                                         {0, 200, 1}, {0, 1000, 1}, {0, 5000, 1}};
    TempFile file(Wave(1000)
                      .Chunk("acid", AcidBody(0, 60, 4, 120.0f))
                      .Chunk("strc", StrcBody(6, 4, markers))
                      .Form());
    CAcidWave w;
    ASSERT_EQ(w.Open(file.c_str()), S_OK);
    using S = std::vector<std::pair<DWORD, DWORD>>;
    S got;
    for (int i = 0; i < w.GetSegmentCount(); ++i)
        got.emplace_back(w.GetSegment(i).nStart, w.GetSegment(i).nLength);
    EXPECT_EQ(got, (S{{0, 200}, {200, 200}, {400, 200}, {600, 400}}));
    // Fewer frames than beat slices: coinciding slice starts collapse.
    TempFile tiny(Wave(3).Chunk("acid", AcidBody(0, 60, 4, 120.0f)).Form());
    ASSERT_EQ(w.Open(tiny.c_str()), S_OK);
    EXPECT_EQ(w.GetSegmentCount(), 3);
    ExpectTiling(w);
}

TEST(AcidWaveMend, CountsAndSizesFromTheFileCannotOverrunOrWrap) {
    // A marker count beyond the chunk fails instead of reading the next chunk as markers.
    TempFile overCount(Wave(100)
                           .Chunk("acid", AcidBody(0, 60, 4, 120.0f))
                           .Chunk("strc", StrcBody(0xFFFFFFFFu, 2, {{0, 50, 1}}))
                           .Chunk("junk", Bytes(64, 1))
                           .Form());
    CAcidWave w;
    EXPECT_EQ(w.Open(overCount.c_str()), E_FAIL);
    EXPECT_EQ(w.GetError(), MMIOERR_CANNOTREAD);
    // An INFO item claiming gigabytes is skipped, noted, and allocates nothing.
    RiffBuilder items;
    items.Chunk("INAM", {'x'}, 0x10000000u);
    TempFile bigItem(Wave(100).List("INFO", items).Form());
    EXPECT_EQ(w.Open(bigItem.c_str()), S_OK);
    EXPECT_EQ(w.GetError(), MMIOERR_CANNOTREAD);
    EXPECT_EQ(w.GetInfoEntry(0).ck.ckid, 0u);
    EXPECT_EQ(w.GetInfoEntry(1).ck.ckid, CAcidWave::kInfoEnd);
    // 4.3 million seconds (1 byte per second) is more milliseconds than 32 bits hold.
    Fmt slow;
    slow.channels = 1;
    slow.bits = 8;
    slow.avgBytes = 1;
    EXPECT_EQ(OpenFmt(slow, w, Bytes(4300000, 0x80)), S_OK);
    EXPECT_EQ(w.GetLength(CAcidWave::kUnitMilliseconds), 0xFFFFFFFFu);
}

TEST(AcidWaveMend, ReopeningKeepsNothingOfThePreviousFile) {
    RiffBuilder items;
    items.Chunk("IART", {'A', 0});
    TempFile loop(Wave(100).List("INFO", items).Chunk("acid", AcidBody(2, 60, 4, 120.0f)).Form());
    RiffBuilder unknown;
    unknown.Chunk("ZZZZ", {'A', 0});
    TempFile plain(Wave(100).List("INFO", unknown).Form());
    CAcidWave w;
    ASSERT_EQ(w.Open(loop.c_str()), S_OK);
    ASSERT_EQ(w.GetInfoEntry(0).strLabel, "Artist:");
    ASSERT_EQ(w.Open(plain.c_str()), S_OK);
    EXPECT_FALSE(w.HasAcid());
    EXPECT_EQ(w.GetSegmentCount(), 0);
    EXPECT_EQ(w.GetBeats(), 0u);
    EXPECT_EQ(w.GetInfoEntry(0).ck.ckid, 0u);
    EXPECT_EQ(w.GetInfoEntry(0).strLabel, "");
}

TEST(AcidWaveSource, CarriesFormatMetadataSegmentsAndFrames) {
    TempFile file(Wave(640, 1, 48000)
                      .Chunk("acid", AcidBody(2, 69, 2, 100.0f))
                      .Chunk("strc", StrcBody(1, 2, {{0, 320, 1}}))
                      .Form());
    CAcidWaveSource source;
    ASSERT_EQ(source.Load(file.c_str()), S_OK);
    const LoopSource& s = source.Source();
    EXPECT_EQ(s.wfx.wFormatTag, 1);
    EXPECT_EQ(s.wfx.nChannels, 1);
    EXPECT_EQ(s.wfx.nSamplesPerSec, 48000u);
    EXPECT_EQ(s.nFrames, 640u);
    EXPECT_TRUE(s.bAcid);
    EXPECT_TRUE(s.bLooping);
    EXPECT_TRUE(s.bRootNote);
    EXPECT_EQ(s.nKeyIndex, 0); // (69 + 3) mod 12
    EXPECT_EQ(s.nBeats, 2u);
    ASSERT_EQ(s.nSegments, 2);
    EXPECT_EQ(s.pSegments[1].nStart, 320u);
    EXPECT_EQ(s.pSegments[1].nLength, 320u);
    ASSERT_EQ(source.Bytes().size(), 640u * 2 + 16);
    EXPECT_EQ(Bytes(s.pData, s.pData + 1280), Pcm16(640, 1));
    EXPECT_EQ(source.Load("/nonexistent.wav"), E_FAIL);
    EXPECT_EQ(source.Source().pData, nullptr);
    EXPECT_EQ(source.Source().nSegments, 0);
}
