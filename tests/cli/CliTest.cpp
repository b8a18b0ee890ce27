// Runs the `pandrel` executable as a user would and checks its output, exit
// status and the files it leaves.
#include "cli/CliFixture.h"

TEST_F(CliTest, HelpAndUsageMistakes) {
    Result r = Run("--help");
    EXPECT_EQ(r.nStatus, 0);
    for (const char* cmd : {"render", "info", "project", "demo", "register", "unregister"})
        EXPECT_NE(r.strOut.find(cmd), std::string::npos) << cmd;
    r = Run("info --help");
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut.rfind("usage: pandrel info", 0), 0u);
    EXPECT_EQ(Run("").nStatus, 2);
    r = Run("frobnicate");
    EXPECT_EQ(r.nStatus, 2);
    ExpectOneLineError(r, "unknown command 'frobnicate'");
    r = Run("info");
    EXPECT_EQ(r.nStatus, 2);
    ExpectOneLineError(r, "missing FILE");
    ExpectOneLineError(Run("info a.wav b.wav"), "unexpected argument 'b.wav'");
    ExpectOneLineError(Run("info --bogus a.wav"), "unknown option --bogus");
    ExpectOneLineError(Run("demo -o"), "option -o needs a value");
    ExpectOneLineError(Run("render p.pnd --midi s.mid -o o.wav --rate 12x"), "--rate must be");
    ExpectOneLineError(Run("render p.pnd --midi s.mid -o o.wav --format 8"),
                       "--format must be float or 24");
    ExpectOneLineError(Run("render p.pnd -o o.wav"), "missing --midi");
}

TEST_F(CliTest, InfoFailuresNameFileAndCause) {
    ExpectOneLineError(Run("info none.wav"), "pandrel: none.wav: does not exist");
    WriteFile("text.wav", "hello, this is not audio at all");
    ExpectOneLineError(Run("info text.wav"), "pandrel: text.wav: not a RIFF WAVE file");
    ExpectOneLineError(Run("info text.wav"), "0x80004005");
    mkdir((m_dir + "/dir.wav").c_str(), 0700);
    ExpectOneLineError(Run("info dir.wav"), "dir.wav: is a folder");
    WriteFile("p.pnd", std::string("RIFF\x04\0\0\0pndl", 12));
    ExpectOneLineError(Run("info p.pnd"),
                       "p.pnd: cannot load the project: file or format error (0x80004005)");
}

TEST_F(CliTest, InfoShowsTagsSafely) {
    // INFO text with a terminal escape, a quote, and a byte that is not UTF-8.
    const std::string info =
        "INFO" + Chunk("INAM", std::string("Loop \x1b[31m\"red\"\xff", 16) + '\0') +
        Chunk("IXYZ", std::string("unknown\0", 8)) + Chunk("ICMT", std::string("fine\0", 5));
    WriteFile("tags.wav", Wave(Chunk("LIST", info)));
    Result r = Run("info tags.wav");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("INAM  Name/Title: Loop ?[31m\"red\"?\n"), std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("ICMT  Comments: fine"), std::string::npos);
    EXPECT_EQ(r.strOut.find("unknown"), std::string::npos);
    EXPECT_EQ(r.strOut.find('\x1b'), std::string::npos);
    EXPECT_NE(r.strOut.find("ACID:        none"), std::string::npos);
    EXPECT_NE(r.strOut.find("Length:      4 frames"), std::string::npos);
    r = Run("info --json tags.wav");
    ASSERT_EQ(r.nStatus, 0);
    // The byte that is not UTF-8 comes out as the Latin-1 character it would be.
    EXPECT_NE(r.strOut.find(R"("text": "Loop \u001b[31m\"red\")"
                            "\xc3\xbf\""),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("\"acid\": null"), std::string::npos);
    EXPECT_NE(r.strOut.find("\"segments\": []"), std::string::npos);
}

TEST_F(CliTest, DemoMakesEverythingAndRenderPlaysItsProject) {
    Result r = Run("demo -o out.wav");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{"out-loop.wav", "out.pnd", "out.png", "out.wav"}));
    EXPECT_EQ(Slurp(m_dir + "/out.png").substr(1, 3), "PNG");
    r = Run("info --json out-loop.wav");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("\"beats\": 8"), std::string::npos);
    EXPECT_NE(r.strOut.find("\"sliceUnitName\": \"Eighth Notes\""), std::string::npos);
    r = Run("info out.wav");
    EXPECT_NE(r.strOut.find("24-bit, 2 channels, 44100 Hz"), std::string::npos) << r.strOut;

    r = Run("info out.pnd");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("Loop Bin:    1 file\n"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("Pad 4: keys 39 (D#3) to 39 (D#3)"), std::string::npos);
    EXPECT_NE(r.strOut.find("4 grains, 2.000 beats, free, once"), std::string::npos);
    EXPECT_NE(r.strOut.find("file 0 slice 15  transpose 5"), std::string::npos);
    EXPECT_NE(r.strOut.find("Pad 16: keys"), std::string::npos);

    // The saved project played from a MIDI file: key 36 is the synced groove.
    WriteFile(
        "song.mid",
        std::string(
            "MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0d\0\x90\x24\x64\x83\x00\x80\x24\0\0\xff\x2f\0",
            35));
    r = Run("render out.pnd --midi song.mid -o mix.wav --tail 0.5 --format 24 --stems .");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "wrote mix.wav\n"); // every pad plays into the mix: no stems
    r = Run("info mix.wav");
    // Four beats at 120 BPM and half a second of tail.
    EXPECT_NE(r.strOut.find("Length:      110250 frames"), std::string::npos) << r.strOut;
    ASSERT_EQ(Run("render out.pnd --midi song.mid -o again.wav --tail 0.5 --format 24").nStatus, 0);
    EXPECT_EQ(Slurp(m_dir + "/mix.wav"), Slurp(m_dir + "/again.wav"));

    // Into a folder that does not exist: a clear error and no stray files.
    ExpectOneLineError(Run("demo -o nowhere/out.wav"),
                       "nowhere/out-loop.wav: cannot create file: No such file");
    ExpectOneLineError(Run("demo --module nothing.so"),
                       "nothing.so: cannot load the instrument library");
    EXPECT_EQ(Entries().size(), 7u);
}

TEST_F(CliTest, RenderChecksItsInputs) {
    WriteFile("p.pnd", std::string("RIFF\x04\0\0\0pndl", 12));
    WriteFile("bad.mid", std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\x10\0", 22));
    ExpectOneLineError(Run("render p.pnd --midi bad.mid -o o.wav"), "pandrel: bad.mid: truncated");
    ExpectOneLineError(Run("render p.pnd --midi none.mid -o o.wav"), "none.mid: does not exist");
    ExpectOneLineError(Run("render none.pnd --midi bad.mid -o o.wav"), "none.pnd: does not exist");
    WriteFile("ok.mid", std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\4\0\xff\x2f\0", 26));
    ExpectOneLineError(Run("render p.pnd --midi ok.mid -o o.wav"),
                       "p.pnd: cannot load the project: file or format error");
    // An end of track two hours in (96 ticks a beat, 120 BPM).
    WriteFile("long.mid",
              std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\7\x82\xc6\x8f\0\xff\x2f\0", 29));
    ExpectOneLineError(Run("render p.pnd --midi long.mid -o o.wav"),
                       "long.mid: song longer than an hour");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"bad.mid", "long.mid", "ok.mid", "p.pnd"}));
}

TEST_F(CliTest, ProjectCommandsBuildAProject) {
    ASSERT_EQ(Run("demo -o d.wav").nStatus, 0);
    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    Result r = Run("project add p.pnd d-loop.wav --name groove");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "added d-loop.wav to p.pnd as file 0\n");
    ASSERT_EQ(Run("project assign p.pnd 3 0 --keys 48-50 --root 49 --output 2").nStatus, 0);
    ASSERT_EQ(Run("project set p.pnd 3 --looping off --synced on --volume 0.8 --pan 0.25").nStatus,
              0);
    r = Run("info --json p.pnd");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("\"name\": \"groove\""), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("{\"pad\": 3, \"lowKey\": 48, \"highKey\": 50, \"rootKey\": 49"),
              std::string::npos);
    EXPECT_NE(r.strOut.find("\"synced\": true, \"looping\": false"), std::string::npos);
    EXPECT_NE(r.strOut.find("\"output\": 2, \"volume\": 0.8, \"pan\": 0.25"), std::string::npos);

    // Pad 3 plays into "Chan 2": that output alone becomes a stem.
    WriteFile(
        "k.mid",
        std::string(
            "MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0d\0\x90\x31\x64\x83\x00\x80\x31\0\0\xff\x2f\0",
            35));
    mkdir((m_dir + "/stems").c_str(), 0700);
    r = Run("render p.pnd --midi k.mid -o mix.wav --stems stems --rate 48000");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "wrote mix.wav\nwrote stems/chan-2.wav\n");
    EXPECT_NE(Run("info stems/chan-2.wav").strOut.find("48000 Hz"), std::string::npos);
    // Stems are written while rendering: the silent ones leave no file behind,
    // and the stem has the mix's length.
    EXPECT_EQ(Slurp(m_dir + "/stems/chan-2.wav").size(), Slurp(m_dir + "/mix.wav").size());
    std::system(("ls -A '" + m_dir + "/stems' > '" + m_dir + "/listing'").c_str());
    EXPECT_EQ(Slurp(m_dir + "/listing"), "chan-2.wav\n");
    std::remove((m_dir + "/listing").c_str());

    // Mistakes change nothing.
    const std::string before = Slurp(m_dir + "/p.pnd");
    ExpectOneLineError(Run("project set p.pnd 17"),
                       "PAD must be a whole number from 1 to 16, not '17'");
    ExpectOneLineError(Run("project set p.pnd 1 --synced maybe"), "--synced must be on or off");
    ExpectOneLineError(Run("project assign p.pnd 1 1"), "FILE must be a whole number from 0 to 0");
    ExpectOneLineError(Run("project set p.pnd 1 --keys 60-50"),
                       "the high key is below the low key");
    ExpectOneLineError(Run("project add p.pnd none.wav"), "none.wav: cannot load the file");
    ExpectOneLineError(Run("project add q.pnd d-loop.wav"), "q.pnd: does not exist");
    ExpectOneLineError(Run("project frob p.pnd"), "unknown action 'frob'");
    // Every verb is named, and each verb names the arguments it misses.
    ExpectOneLineError(Run("project"),
                       "missing new, add, assign, set, add-grain, move-grain or remove-grain");
    ExpectOneLineError(Run("project add-grain p.pnd 1"), "missing PAD FILE SLICE BEAT");
    ExpectOneLineError(Run("project remove-grain p.pnd 1 0 9"), "unexpected argument '9'");
    EXPECT_EQ(Slurp(m_dir + "/p.pnd"), before);
}

TEST_F(CliTest, ProjectGrainEditsAddMoveAndRemoveGrains) {
    ASSERT_EQ(Run("demo -o d.wav").nStatus, 0);
    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    ASSERT_EQ(Run("project add p.pnd d-loop.wav").nStatus, 0);
    Result r = Run("project add-grain p.pnd 2 0 3 1.5");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "added file 0 slice 3 to pad 2 of p.pnd at beat 1.5\n");
    ASSERT_EQ(Run("project add-grain p.pnd 2 0 5 0").nStatus, 0);
    // Grains are listed by start: slice 5 at beat 0, slice 3 at beat 1.5
    // (62,914,560 ticks a beat; each demo slice lasts half a beat).
    const std::string strBeat0 =
        "{\"startTicks\": 0, \"endTicks\": 31457280, \"file\": 0, \"slice\": 5";
    const std::string strBeat15 =
        "{\"startTicks\": 94371840, \"endTicks\": 125829120, \"file\": 0, \"slice\": 3";
    r = Run("info --json p.pnd");
    EXPECT_NE(r.strOut.find("\"grains\": [" + strBeat0 +
                            ", \"transpose\": 0, \"gain\": 1, \"pan\": 0.5}, " + strBeat15),
              std::string::npos)
        << r.strOut;

    // Grain 1 (slice 3) to beat 3 of its pad; grain 0 (slice 5) on to pad 4 at beat 0.5.
    r = Run("project move-grain p.pnd 2 1 3");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "moved grain 1 of pad 2 to pad 2 at beat 3 in p.pnd\n");
    ASSERT_EQ(Run("project move-grain p.pnd 2 0 0.5 --to 4").nStatus, 0);
    r = Run("info --json p.pnd");
    EXPECT_NE(r.strOut.find(
                  "{\"startTicks\": 188743680, \"endTicks\": 220200960, \"file\": 0, \"slice\": 3"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("{\"pad\": 4,"), std::string::npos);
    EXPECT_NE(r.strOut.find(
                  "{\"startTicks\": 31457280, \"endTicks\": 62914560, \"file\": 0, \"slice\": 5"),
              std::string::npos)
        << r.strOut;
    r = Run("project remove-grain p.pnd 2 0");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "removed grain 0 of pad 2 from p.pnd\n");
    EXPECT_NE(
        Run("info p.pnd")
            .strOut.find("Pad 2: keys 62 (D5) to 62 (D5), root 62 (D5), velocity 0-127, empty"),
        std::string::npos);

    // Mistakes change nothing.
    const std::string before = Slurp(m_dir + "/p.pnd");
    ExpectOneLineError(Run("project remove-grain p.pnd 2 0"), "p.pnd: pad 2 is empty");
    ExpectOneLineError(Run("project move-grain p.pnd 4 1 2"),
                       "GRAIN must be a whole number from 0 to 0, not '1'");
    ExpectOneLineError(Run("project add-grain p.pnd 2 0 16 1"),
                       "SLICE must be a whole number from 0 to 15, not '16'");
    ExpectOneLineError(Run("project add-grain p.pnd 2 1 0 1"),
                       "FILE must be a whole number from 0 to 0, not '1'");
    ExpectOneLineError(Run("project add-grain p.pnd 2 0 0 x"),
                       "BEAT must be a number of beats from 0 to 100000, not 'x'");
    ExpectOneLineError(Run("project add-grain p.pnd 2 0 0 nan"), "BEAT must be a number of beats");
    ExpectOneLineError(Run("project move-grain p.pnd 4 0 1 --to 17"),
                       "--to must be a whole number from 1 to 16, not '17'");
    ExpectOneLineError(Run("project add-grain p.pnd 2 0 0"), "PAD FILE SLICE BEAT");
    EXPECT_EQ(Slurp(m_dir + "/p.pnd"), before);
}

TEST_F(CliTest, RegisterAndUnregister) {
    const std::string registry = "PANDREL_REGISTRY='" + m_dir + "/registry' ";
    // A registry file of the test's own, never the user's.
    const std::string cmd =
        "cd '" + m_dir + "' && " + registry + "'" PANDREL_CLI "' register >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_NE(Slurp(m_dir + "/registry").find("MfxSoftSynths\\{"), std::string::npos);
    const std::string un =
        "cd '" + m_dir + "' && " + registry + "'" PANDREL_CLI "' unregister >/dev/null 2>&1";
    EXPECT_EQ(std::system(un.c_str()), 0);
    EXPECT_EQ(Slurp(m_dir + "/registry").find("MfxSoftSynths\\{"), std::string::npos);
}
