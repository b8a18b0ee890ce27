// The wave reader's header pass, loop metadata, slicing, INFO items and sample
// stream, on files built chunk by chunk; expected values are worked out from
// the file layout and the slicing rules, not taken from the reader.
#include "files/AcidWave.h"
#include "RiffBuilder.h"
#include "platform/com/HResult.h"
#include <gtest/gtest.h>

using namespace riff;

namespace {
std::vector<std::pair<DWORD, DWORD>> Segments(const CAcidWave& w) {
    std::vector<std::pair<DWORD, DWORD>> out;
    for (int i = 0; i < w.GetSegmentCount(); ++i)
        out.emplace_back(w.GetSegment(i).nStart, w.GetSegment(i).nLength);
    return out;
}
// n slices of `frames` at floor(frames * i / n), tiling to the end.
std::vector<std::pair<DWORD, DWORD>> Even(DWORD frames, DWORD n) {
    std::vector<std::pair<DWORD, DWORD>> out;
    for (DWORD i = 0; i < n; ++i) {
        DWORD start = static_cast<DWORD>(uint64_t{frames} * i / n),
              end = static_cast<DWORD>(uint64_t{frames} * (i + 1) / n);
        out.emplace_back(start, end - start);
    }
    return out;
}
struct Opened {
    explicit Opened(const Bytes& bytes) : file(bytes) { hr = wave.Open(file.c_str()); }
    TempFile file;
    CAcidWave wave;
    HRESULT hr;
};
} // namespace

TEST(AcidWave, PlainWaveHasFormatAndLengthsButNoSegments) {
    Opened o(Wave(22050, 2, 44100).Form()); // 88,200 bytes = 0.5 s
    ASSERT_EQ(o.hr, S_OK);
    const CAcidWave& w = o.wave;
    EXPECT_TRUE(w.HasFormat());
    EXPECT_FALSE(w.HasAcid());
    EXPECT_FALSE(w.HasStrc());
    EXPECT_EQ(w.GetFormat().wFormatTag, 1);
    EXPECT_EQ(w.GetFormat().nChannels, 2);
    EXPECT_EQ(w.GetFormat().nBlockAlign, 4);
    EXPECT_EQ(w.GetFormat().cbSize, 0);
    EXPECT_EQ(w.GetLength(CAcidWave::kUnitFrames), 22050u);
    EXPECT_EQ(w.GetLength(CAcidWave::kUnitMilliseconds), 501u); // trunc(500.0) + 1
    EXPECT_EQ(w.GetLength(1), 0u);
    EXPECT_EQ(w.GetLength(4), 0u);
    EXPECT_FLOAT_EQ(w.GetSeconds(), 0.5f);
    EXPECT_EQ(w.GetSegmentCount(), 0);
    EXPECT_EQ(w.GetSegment(0).nLength, 0u);
    EXPECT_EQ(w.GetInfoEntry(0).ck.ckid, CAcidWave::kInfoEnd);
    // 1,000 frames of mono 44.1 kHz: 22.675... ms -> 23.
    Opened mono(Wave(1000, 1).Form());
    EXPECT_EQ(mono.wave.GetLength(CAcidWave::kUnitMilliseconds), 23u);
}

TEST(AcidWave, AcidFieldsKeyIndexAndDefaultSlicing) {
    // Flags: root note valid, stretch, disk-based; not one-shot.
    Opened o(Wave(1000).Chunk("acid", AcidBody(0xE, 60, 4, 127.5f)).Form());
    ASSERT_EQ(o.hr, S_OK);
    const CAcidWave& w = o.wave;
    EXPECT_TRUE(w.HasAcid());
    EXPECT_FALSE(w.HasStrc());
    EXPECT_TRUE(w.IsLooping());
    EXPECT_TRUE(w.IsRootNoteValid());
    EXPECT_TRUE(w.IsStretch());
    EXPECT_TRUE(w.IsDiskBased());
    EXPECT_EQ(w.GetKeyIndex(), 3);
    EXPECT_EQ(w.GetBeats(), 4u);
    EXPECT_FLOAT_EQ(w.GetTempo(), 127.5f);
    EXPECT_EQ(w.GetSliceUnit(), 4u); // no strc: sixteenth notes, 4 per beat
    EXPECT_EQ(Segments(w), Even(1000, 16));

    Opened shot(Wave(100).Chunk("acid", AcidBody(1, 57, 1, 90.0f)).Form());
    EXPECT_FALSE(shot.wave.IsLooping());
    EXPECT_FALSE(shot.wave.IsRootNoteValid());
    EXPECT_EQ(shot.wave.GetKeyIndex(), 0);
    Opened low(Wave(100).Chunk("acid", AcidBody(2, -5, 1, 90.0f)).Form());
    EXPECT_EQ(low.wave.GetKeyIndex(), 10); // (-5 + 3) mod 12, never negative
}

TEST(AcidWave, MetadataIsFoundBeforeAndAfterTheData) {
    // Everything before `fmt ` and `data`: a loop of 4 beats in 16 slices,
    // with its tag.
    Opened o(RiffBuilder()
                 .Chunk("acid", AcidBody(0, 60, 4, 120.0f))
                 .List("INFO", RiffBuilder().Chunk("INAM", {'L', 'o', 'o', 'p', 0}))
                 .Chunk("fmt ", FmtBody(Fmt{}))
                 .Chunk("data", Pcm16(64, 2))
                 .Form());
    ASSERT_EQ(o.hr, S_OK);
    EXPECT_TRUE(o.wave.HasAcid());
    EXPECT_TRUE(o.wave.IsLooping());
    EXPECT_EQ(o.wave.GetBeats(), 4u);
    EXPECT_EQ(Segments(o.wave), Even(64, 16));
    EXPECT_EQ(o.wave.GetInfoEntry(0).strText, "Loop");
    EXPECT_EQ(o.wave.GetInfoEntry(1).ck.ckid, CAcidWave::kInfoEnd);
    // strc before acid, and both around the data: the markers still count.
    Opened strcFirst(RiffBuilder()
                         .Chunk("fmt ", FmtBody(Fmt{}))
                         .Chunk("strc", StrcBody(1, 2, {{0, 400, 1}}))
                         .Chunk("data", Pcm16(800, 2))
                         .Chunk("acid", AcidBody(0, 60, 2, 120.0f))
                         .Form());
    ASSERT_EQ(strcFirst.hr, S_OK);
    EXPECT_TRUE(strcFirst.wave.HasStrc());
    EXPECT_EQ(Segments(strcFirst.wave),
              (std::vector<std::pair<DWORD, DWORD>>{{0, 400}, {400, 400}}));
    // strc without acid is no loop, wherever it sits; the first acid counts.
    Opened noAcid(Wave(800).Chunk("strc", StrcBody(1, 2, {{0, 400, 1}})).Form());
    EXPECT_FALSE(noAcid.wave.HasAcid());
    EXPECT_FALSE(noAcid.wave.HasStrc());
    EXPECT_EQ(noAcid.wave.GetSegmentCount(), 0);
    Opened twice(RiffBuilder()
                     .Chunk("acid", AcidBody(1, 60, 2, 120.0f))
                     .Chunk("fmt ", FmtBody(Fmt{}))
                     .Chunk("data", Pcm16(800, 2))
                     .Chunk("acid", AcidBody(0, 60, 8, 120.0f))
                     .Form());
    EXPECT_FALSE(twice.wave.IsLooping());
    EXPECT_EQ(twice.wave.GetBeats(), 2u);
}

TEST(AcidWave, StrcMarkersMakeSegmentsAndOnlyCountingOnesCount) {
    const std::vector<Marker> markers = {
        {0, 100, 1}, {1, 150, 1}, {2, 300, 5}, {0, 0, 1}, {0, 350, 0}, {3, 400, 1}, {0, 700, 9},
    };
    Opened o(Wave(1000)
                 .Chunk("acid", AcidBody(0, 60, 4, 120.0f))
                 .Chunk("strc", StrcBody(7, 3, markers, 77, 88))
                 .Form());
    ASSERT_EQ(o.hr, S_OK);
    const CAcidWave& w = o.wave;
    EXPECT_TRUE(w.HasStrc());
    EXPECT_EQ(w.GetMarkerCount(), 7u);
    EXPECT_EQ(w.GetSliceUnit(), 3u);
    EXPECT_EQ(w.GetStrcWord16(), 77u);
    EXPECT_EQ(w.GetStrcWord20(), 88u);
    using S = std::vector<std::pair<DWORD, DWORD>>;
    EXPECT_EQ(Segments(w), (S{{0, 100}, {100, 200}, {300, 400}, {700, 300}}));
}

TEST(AcidWave, SlicingByBeatsFollowsTheUnitWithinItsLimits) {
    auto slices = [](DWORD beats, DWORD unit, DWORD frames = 960) {
        Opened o(Wave(frames)
                     .Chunk("acid", AcidBody(0, 60, beats, 120.0f))
                     .Chunk("strc", StrcBody(0, unit, {}))
                     .Form());
        EXPECT_EQ(o.hr, S_OK);
        return Segments(o.wave);
    };
    EXPECT_EQ(slices(8, 2), Even(960, 8));               // quarter notes: one per beat
    EXPECT_EQ(slices(8, 0), Even(960, 2));               // whole notes: 8 x 0.25
    EXPECT_EQ(slices(3, 0), Even(960, 1));               // trunc(0.75 + 0.5) = 1 < 2: one segment
    EXPECT_EQ(slices(5, 1), Even(960, 3));               // trunc(2.5 + 0.5) = 3
    EXPECT_EQ(slices(256, 6, 10000), Even(10000, 4096)); // exactly the limit
    EXPECT_EQ(slices(257, 6, 10000), Even(10000, 1));    // 4,112 slices: too many
    EXPECT_EQ(slices(0, 4), Even(960, 1));
    EXPECT_EQ(slices(4, 0xFFFFFFFFu), Even(960, 1)); // infinite factor
}

TEST(AcidWave, InfoItemsAreReadUpToTwentyThree) {
    RiffBuilder items;
    items
        .Chunk("INAM", {'D', 'r', 'u', 'm', 's'}) // odd: padded
        .Chunk("XYZW", {'?'})                     // unknown: its entry stays empty
        .Chunk("ICMS", {'m', 'e', 0});
    for (int i = 3; i < 25; ++i) items.Chunk("ICMT", {static_cast<uint8_t>('a' + i)});
    Opened o(Wave(10).List("INFO", items).Chunk("acid", AcidBody(0, 60, 1, 60.0f)).Form());
    ASSERT_EQ(o.hr, S_OK);
    const CAcidWave& w = o.wave;
    EXPECT_EQ(w.GetInfoEntry(0).strLabel, "Name/Title:");
    EXPECT_EQ(w.GetInfoEntry(0).strText, "Drums");
    EXPECT_EQ(w.GetInfoEntry(0).ck.cksize, 5u);
    EXPECT_EQ(w.GetInfoEntry(1).ck.ckid, 0u);
    EXPECT_EQ(w.GetInfoEntry(2).strLabel, "Commisioned:");
    EXPECT_EQ(w.GetInfoEntry(2).strText, "me");
    EXPECT_EQ(w.GetInfoEntry(22).strText, "w");
    EXPECT_EQ(w.GetInfoEntry(23).ck.ckid, CAcidWave::kInfoEnd);
    EXPECT_TRUE(w.HasAcid()); // found after the list
    // A list of another type is passed over.
    Opened other(Wave(10).List("adtl", items).Form());
    EXPECT_EQ(other.wave.GetInfoEntry(0).ck.ckid, CAcidWave::kInfoEnd);
}

TEST(AcidWave, OpenFailuresCloseTheReaderAndNameTheStep) {
    auto open = [](const Bytes& bytes) {
        auto o = std::make_unique<Opened>(bytes);
        EXPECT_EQ(o->hr, E_FAIL);
        char c;
        EXPECT_EQ(o->wave.ReadData(&c, 1), 0u);
        EXPECT_EQ(o->wave.SeekToFrame(0), E_FAIL);
        return o->wave.GetError();
    };
    EXPECT_EQ(open(RiffBuilder().Chunk("fmt ", FmtBody(Fmt{})).Chunk("data", {}).Form()),
              MMIOERR_INVALIDFILE);
    EXPECT_EQ(open(Wave(4).Form("AVI ")), MMIOERR_INVALIDFILE);
    EXPECT_EQ(open(Bytes{'R', 'I', 'F'}), MMIOERR_INVALIDFILE);
    EXPECT_EQ(open(RiffBuilder().Chunk("data", Pcm16(4, 2)).Form()), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(open(RiffBuilder().Chunk("fmt ", Bytes(14, 1)).Chunk("data", Pcm16(4, 2)).Form()),
              MMIOERR_CANNOTREAD);
    EXPECT_EQ(
        open(Wave(4).Chunk("acid", AcidBody(0, 60, 1, 1.0f)).Chunk("strc", Bytes(20, 0)).Form()),
        MMIOERR_CANNOTREAD);
    CAcidWave w;
    EXPECT_EQ(w.Open("/nonexistent/loop.wav"), E_FAIL);
    EXPECT_EQ(w.GetError(), MMIOERR_CANNOTOPEN);
    EXPECT_EQ(w.Open(std::string(256, 'a').c_str()), E_FAIL); // longer than the reader's path
    EXPECT_EQ(w.GetError(), MMIOERR_CANNOTOPEN);
}

TEST(AcidWave, SeekAndReadStayInsideTheDataChunk) {
    const DWORD frames = 5000; // 20,000 bytes: several I/O buffers
    const Bytes pcm = Pcm16(frames, 2);
    Opened o(Wave(frames).Chunk("acid", AcidBody(0, 60, 1, 1.0f)).Form());
    ASSERT_EQ(o.hr, S_OK);
    CAcidWave& w = o.wave;
    ASSERT_EQ(w.SeekToFrame(1234), S_OK);
    EXPECT_EQ(w.GetReadPosition(), 1234u * 4);
    Bytes got(30000, 0xEE);
    EXPECT_EQ(w.ReadData(got.data(), 7), 7u);
    EXPECT_EQ(w.ReadData(got.data() + 7, 30000), 20000u - 1234 * 4 - 7); // not into `acid`
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 20000 - 1234 * 4),
              Bytes(pcm.begin() + 1234 * 4, pcm.end()));
    EXPECT_EQ(got[20000 - 1234 * 4], 0xEE);
    EXPECT_EQ(w.ReadData(got.data(), 10), 0u);
    EXPECT_EQ(w.GetReadPosition(), 20000u);
    ASSERT_EQ(w.SeekToFrame(frames), S_OK);
    EXPECT_EQ(w.ReadData(got.data(), 10), 0u);
    EXPECT_EQ(w.SeekToFrame(frames + 1), E_FAIL);
    EXPECT_EQ(w.SeekToFrame(0xFFFFFFFFu), E_FAIL); // x block align overflows 32 bits
    ASSERT_EQ(w.SeekToFrame(0), S_OK);
    EXPECT_EQ(w.ReadData(got.data(), 20000), 20000u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 20000), pcm);
}

TEST(AcidWave, DescriptiveTablesKeepTheirTexts) {
    CAcidWave w;
    const char* ids[] = {"IARL", "IART", "ICMS", "ICMT", "ICOP", "ICRD", "ICRP", "IDIM",
                         "IDPI", "IENG", "IGNR", "IKEY", "ILGT", "IMED", "INAM", "IPLT",
                         "IPRD", "ISBJ", "ISFT", "ISHP", "ISRC", "ISRF", "ITCH"};
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(w.GetKnownInfoId(i), mmioFOURCC(ids[i][0], ids[i][1], ids[i][2], ids[i][3])) << i;
    EXPECT_STREQ(w.GetInfoLabel(mmioFOURCC('I', 'C', 'M', 'S')), "Commisioned:");
    EXPECT_STREQ(w.GetInfoLabel(mmioFOURCC('I', 'D', 'P', 'I')), "Dots per Inch:");
    EXPECT_STREQ(w.GetInfoLabel(mmioFOURCC('I', 'P', 'L', 'T')), "Palette Setting:");
    EXPECT_EQ(w.GetInfoLabel(mmioFOURCC('I', 'X', 'X', 'X')), nullptr);
    EXPECT_STREQ(w.GetKeyName(1), "C#");
    EXPECT_STREQ(w.GetKeyName(11), "B");
    EXPECT_STREQ(w.GetKeyName(12), "Not Tranposed");
    EXPECT_EQ(w.GetKeyName(13), nullptr);
    EXPECT_STREQ(w.GetNoteValueName(5), "Thirty-Second Notes");
    EXPECT_STREQ(w.GetNoteValueName(6), "Sixty-Fourth Notes");
    EXPECT_STREQ(w.GetSegmentTypeName(0), "Unknown (Value of 0 is undefined)");
    EXPECT_STREQ(w.GetSegmentTypeName(3), "Pitch Shift Segments");
    EXPECT_STREQ(w.GetStretchModeName(2), "Auto");
    EXPECT_EQ(w.GetStretchModeName(3), nullptr);
}
