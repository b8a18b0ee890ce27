#include "apps/hostkit/MidiSong.h"
#include "hostkit/SmfBytes.h"
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {
CMidiSong Parse(const std::vector<uint8_t>& bytes) {
    CMidiSong song;
    std::string err;
    EXPECT_TRUE(song.LoadFromMemory(bytes.data(), bytes.size(), &err)) << err;
    return song;
}

std::string Fails(const std::vector<uint8_t>& bytes) {
    CMidiSong song;
    std::string err;
    EXPECT_FALSE(song.LoadFromMemory(bytes.data(), bytes.size(), &err));
    EXPECT_TRUE(song.Events().empty());
    EXPECT_EQ(err.find('\n'), std::string::npos) << err;
    return err;
}
} // namespace

TEST(MidiSong, FormatZeroNotesRescaledTo960) {
    // 96 ticks per quarter: 48 file ticks are 480 MIDI ticks.
    SmfBytes smf(0, 96);
    smf.Track()
        .Event(0, {0x99, 36, 100})
        .Event(48, {0x89, 36, 64})
        .Event(0, {0x90, 60, 90})
        .Event(1, {0x90, 60, 0}) // velocity 0: note-off; 1 file tick = 10 MIDI ticks
        .End();
    const CMidiSong song = Parse(smf.Bytes());
    EXPECT_EQ(song.Format(), 0);
    EXPECT_EQ(song.FileDivision(), 96);
    ASSERT_EQ(song.Events().size(), 4u);
    const auto& e = song.Events();
    EXPECT_TRUE(e[0].bOn);
    EXPECT_EQ(e[0].nChannel, 9);
    EXPECT_EQ(e[0].nKey, 36);
    EXPECT_EQ(e[0].nVelocity, 100);
    EXPECT_EQ(e[1].nTick, 480);
    EXPECT_FALSE(e[1].bOn);
    EXPECT_TRUE(e[2].bOn);
    EXPECT_EQ(e[3].nTick, 490);
    EXPECT_FALSE(e[3].bOn);
}

TEST(MidiSong, DivisionRoundsToNearestTick) {
    // 7 ticks per quarter: tick 1 is 137.14 -> 137, tick 3 is 411.43 -> 411, tick 4 is 548.57 ->
    // 549.
    SmfBytes smf(0, 7);
    smf.Track().Event(1, {0x90, 1, 1}).Event(2, {0x90, 2, 1}).Event(1, {0x90, 3, 1}).End();
    const CMidiSong song = Parse(smf.Bytes());
    ASSERT_EQ(song.Events().size(), 3u);
    EXPECT_EQ(song.Events()[0].nTick, 137);
    EXPECT_EQ(song.Events()[1].nTick, 411);
    EXPECT_EQ(song.Events()[2].nTick, 549);
}

TEST(MidiSong, FormatOneMergesTracksAndTakesTheTempoMap) {
    SmfBytes smf(1, 480);
    smf.Track().Tempo(0, 1000000).Tempo(960, 250000).End(960); // 60 BPM, then 240 BPM from beat 2
    smf.Track().Event(240, {0x90, 40, 10}).Event(1200, {0x80, 40, 0}).End();
    smf.Track().Event(960, {0xC0, 5}).Event(0, {0x91, 50, 20}).End(); // program change is skipped
    const CMidiSong song = Parse(smf.Bytes());
    EXPECT_EQ(song.Format(), 1);
    EXPECT_EQ(song.TrackCount(), 3);
    ASSERT_EQ(song.Events().size(), 3u);
    EXPECT_EQ(song.Events()[0].nTick, 480);
    EXPECT_EQ(song.Events()[1].nTick, 1920);
    EXPECT_EQ(song.Events()[1].nChannel, 1);
    EXPECT_EQ(song.Events()[2].nTick, 2880);
    EXPECT_FALSE(song.Events()[2].bOn);
    EXPECT_EQ(song.LengthTicks(), 3840);
    const CTempoMap& tempo = song.Tempo();
    EXPECT_DOUBLE_EQ(tempo.TicksToMs(1920), 2000.0);
    EXPECT_DOUBLE_EQ(tempo.TicksToMs(2880), 2250.0);
    EXPECT_DOUBLE_EQ(tempo.BpmAt(2000), 240.0);
}

TEST(MidiSong, RunningStatusAndNoTempoMeansDefault) {
    SmfBytes smf(0, 960);
    smf.Track().Event(0, {0x90, 60, 100}).Event(960, {62, 100}).Event(960, {60, 0}).End();
    const CMidiSong song = Parse(smf.Bytes());
    ASSERT_EQ(song.Events().size(), 3u);
    EXPECT_EQ(song.Events()[1].nKey, 62);
    EXPECT_TRUE(song.Events()[1].bOn);
    EXPECT_FALSE(song.Events()[2].bOn);
    EXPECT_DOUBLE_EQ(song.Tempo().TicksToMs(960), 500.0);
}

TEST(MidiSong, ToleratesCommonOddities) {
    // An unknown chunk is skipped, a missing end-of-track ends with the chunk,
    // stray bytes after the last chunk are ignored, the header's track count
    // may be wrong, and system exclusive events cancel running status.
    SmfBytes smf(1, 96);
    smf.Track()
        .Event(0, {0x90, 60, 100})
        .Event(0, {0xF0, 0x02, 0x11, 0xF7})
        .Event(0, {0x80, 60, 0});
    std::vector<uint8_t> b = smf.Bytes();
    b[11] = 5; // claims five tracks
    const std::vector<uint8_t> junk = {'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2};
    b.insert(b.begin() + 14, junk.begin(), junk.end());
    b.insert(b.end(), {0, 0, 0});
    const CMidiSong song = Parse(b);
    EXPECT_EQ(song.TrackCount(), 1);
    ASSERT_EQ(song.Events().size(), 2u);
    EXPECT_FALSE(song.Events()[1].bOn);
}

TEST(MidiSong, RefusesDamagedAndUnsupportedFiles) {
    EXPECT_NE(Fails({'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).find("MThd"),
              std::string::npos);
    EXPECT_FALSE(Fails({'M', 'T', 'h', 'd'}).empty());
    SmfBytes two(2, 96);
    two.Track().End();
    EXPECT_NE(Fails(two.Bytes()).find("format 2"), std::string::npos);
    SmfBytes smpte(0, 0xE728); // -25 frames per second, 40 ticks per frame
    smpte.Track().End();
    EXPECT_NE(Fails(smpte.Bytes()).find("SMPTE"), std::string::npos);
    EXPECT_EQ(Fails(SmfBytes(0, 96).Bytes()), "no tracks");
    // One track: a note-on, then the given bytes; the chunk length fits them.
    const auto track = [](std::initializer_list<uint8_t> bytes) {
        std::vector<uint8_t> b = SmfBytes(0, 96).Track().Event(0, {0x90, 60, 100}).Bytes();
        b.insert(b.end(), bytes);
        const uint32_t n = static_cast<uint32_t>(b.size() - 22);
        b[18] = uint8_t(n >> 24), b[19] = uint8_t(n >> 16), b[20] = uint8_t(n >> 8),
        b[21] = uint8_t(n);
        return b;
    };
    EXPECT_NE(Fails(track({0x00, 0xFF, 0x51, 0x05, 1})).find("track 1: event length runs past"),
              std::string::npos);
    EXPECT_NE(Fails(track({0x81, 0x82, 0x83, 0x84, 0x05, 0x90})).find("damaged event time"),
              std::string::npos);
    EXPECT_NE(Fails(track({0x00, 0xF1, 0x00})).find("invalid status byte"), std::string::npos);
    EXPECT_NE(Fails(track({0x00, 0x91, 0x40})).find("cut off"), std::string::npos);
    EXPECT_NE(Fails(track({0x00, 0xF0, 0x01, 0xF7, 0x00, 0x40, 0x40})).find("without a status"),
              std::string::npos);
    // A track chunk claiming more bytes than the file holds.
    SmfBytes cut(0, 96);
    cut.Track().Event(0, {0x90, 60, 100}).End();
    std::vector<uint8_t> bytes = cut.Bytes();
    bytes.resize(bytes.size() - 3);
    EXPECT_NE(Fails(bytes).find("truncated"), std::string::npos);
}

TEST(MidiSong, DamagedBytesNeverCrash) {
    SmfBytes smf(1, 96);
    smf.Track()
        .Tempo(0, 500000)
        .Event(0, {0xF0, 0x03, 1, 2, 0xF7})
        .Event(0, {0xFF, 0x01, 0x03, 'a', 'b', 'c'})
        .End(96);
    smf.Track()
        .Event(0, {0x90, 60, 100})
        .Event(48, {60, 0})
        .Event(0, {0xB0, 7, 100})
        .Event(300, {0x80, 61, 0})
        .End();
    const std::vector<uint8_t> good = smf.Bytes();
    uint32_t seed = 1;
    auto rnd = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    for (int it = 0; it < 3000; ++it) {
        std::vector<uint8_t> b = good;
        for (int k = 0; k < 1 + it % 3; ++k) {
            if (k % 2 == 0)
                b[rnd() % b.size()] = static_cast<uint8_t>(rnd());
            else
                b.resize(1 + rnd() % b.size());
        }
        CMidiSong song;
        std::string err;
        if (!song.LoadFromMemory(b.data(), b.size(), &err)) {
            EXPECT_FALSE(err.empty());
        }
    }
}

TEST(MidiSong, LoadNamesTheSystemCause) {
    CMidiSong song;
    std::string err;
    EXPECT_FALSE(song.Load("/nonexistent/song.mid", &err));
    EXPECT_EQ(err, "No such file or directory");
}

// A file written by an independent tool (csvmidi), when it is installed.
TEST(MidiSong, ReadsFileWrittenByCsvmidi) {
    if (std::system("command -v csvmidi >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "csvmidi not installed";
    char dir[] = "/tmp/pandrel-midi-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string csv = std::string(dir) + "/song.csv";
    const std::string mid = std::string(dir) + "/song.mid";
    std::ofstream(csv) << "0, 0, Header, 1, 2, 480\n1, 0, Start_track\n1, 0, Tempo, 400000\n"
                          "1, 960, Tempo, 800000\n1, 1920, End_track\n2, 0, Start_track\n"
                          "2, 240, Note_on_c, 9, 36, 100\n2, 480, Note_on_c, 9, 36, 0\n"
                          "2, 1440, Note_on_c, 2, 60, 64\n2, 1500, Note_off_c, 2, 60, 0\n"
                          "2, 1920, End_track\n0, 0, End_of_file\n";
    ASSERT_EQ(std::system(("csvmidi " + csv + " " + mid).c_str()), 0);
    CMidiSong song;
    std::string err;
    ASSERT_TRUE(song.Load(mid, &err)) << err;
    ASSERT_EQ(song.Events().size(), 4u);
    EXPECT_EQ(song.Events()[0].nTick, 480);
    EXPECT_EQ(song.Events()[0].nChannel, 9);
    EXPECT_FALSE(song.Events()[1].bOn);
    EXPECT_EQ(song.Events()[2].nTick, 2880);
    EXPECT_EQ(song.Events()[3].nTick, 3000);
    // 150 BPM for two beats (800 ms), then 75 BPM.
    EXPECT_DOUBLE_EQ(song.Tempo().TicksToMs(2880), 800.0 + 800.0);
    std::remove(csv.c_str());
    std::remove(mid.c_str());
    rmdir(dir);
}

TEST(MidiSong, ManyTempoEventsLoadWithTheLastAtATickWinning) {
    // Two tracks: the second's change at a tick the first also sets wins, as
    // the tracks are read in order; the first holds 160000 changes, a file
    // that took about a minute to load when each change rebuilt the map.
    SmfBytes smf(1, 960);
    smf.Track().Tempo(0, 400000);
    for (int i = 1; i < 160000; ++i) smf.Tempo(1, i % 2 == 0 ? 500000 : 250000);
    smf.End();
    smf.Track().Tempo(4, 1000000).End();
    const CMidiSong song = Parse(smf.Bytes());
    const CTempoMap& tempo = song.Tempo();
    ASSERT_EQ(tempo.Changes().size(), 160000u);
    EXPECT_DOUBLE_EQ(tempo.BpmAt(0), 150.0);
    EXPECT_DOUBLE_EQ(tempo.BpmAt(3), 240.0);
    EXPECT_DOUBLE_EQ(tempo.BpmAt(4), 60.0); // the second track's
    EXPECT_DOUBLE_EQ(tempo.BpmAt(5), 240.0);
    EXPECT_DOUBLE_EQ(tempo.BpmAt(159999), 240.0);
}
