// What the `pandrel` command says, run as a user runs it: why a file cannot
// be loaded or written, notes by the editor's names, and the tables of `info`.
#include "cli/CliFixture.h"

TEST_F(CliTest, LoadFailuresSayWhyInPlainWords) {
    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    const std::string before = Slurp(m_dir + "/p.pnd");
    ExpectOneLineError(Run("project add p.pnd none.wav"),
                       "none.wav: cannot load the file: does not exist (0x");
    mkdir((m_dir + "/folder.wav").c_str(), 0755);
    ExpectOneLineError(Run("project add p.pnd folder.wav"),
                       "folder.wav: cannot load the file: is a folder");
    ExpectOneLineError(Run("info folder.wav"), "folder.wav: is a folder");

    // Encodings the instrument does not decode, and which ones it does.
    const std::string read = "loops are read as 8-, 16-, 24- or 32-bit PCM or 32- or 64-bit float, "
                             "mono or stereo";
    WriteFile("ulaw.wav", SineWave(4410, 0.5, "", 7, 8));
    WriteFile("adpcm.wav", SineWave(4410, 0.5, "", 0x11, 4));
    WriteFile("pcm12.wav", SineWave(4410, 0.5, "", 1, 12));
    ExpectOneLineError(Run("project add p.pnd adpcm.wav"), "IMA ADPCM is not read");
    // u-law, and 12-bit samples in 16-bit frames, the instrument decodes.
    ASSERT_EQ(Run("project new decoded.pnd").nStatus, 0);
    EXPECT_EQ(Run("project add decoded.pnd ulaw.wav").nStatus, 0);
    EXPECT_EQ(Run("project add decoded.pnd pcm12.wav").nStatus, 0);
    EXPECT_NE(Run("info ulaw.wav").strOut.find("Format:      u-law (format tag 0x0007)"),
              std::string::npos);
    std::string three = SineWave(4410, 0.5);
    three[22] = 3; // the channel count
    WriteFile("three.wav", three);
    ExpectOneLineError(Run("project add p.pnd three.wav"),
                       "three.wav: cannot load the file: 3 channels; " + read);
    ExpectOneLineError(Run("info three.wav"), "three.wav: 3 channels");

    // Lengths: 30 s for a plain file, 128 s for a loop with loop metadata.
    WriteFile("plain31.wav", SineWave(31 * 44100, 0.5));
    ExpectOneLineError(Run("project add p.pnd plain31.wav"),
                       "31.0 s long; a plain file may last at most 30 s: slice it into a loop "
                       "with `pandrel slice IN -o OUT.wav --beats N` (or --bpm B) (0x");
    // The same for a file the decoder reads, and one far past every limit.
    ASSERT_EQ(std::system(("sox -q -n -r 8000 -c 1 " + m_dir + "/plain31.flac trim 0 31").c_str()),
              0);
    ASSERT_EQ(std::system(("sox -q -n -r 8000 -c 1 " + m_dir + "/hour.flac trim 0 3600").c_str()),
              0);
    ExpectOneLineError(Run("project add p.pnd plain31.flac"),
                       "31.0 s long; a plain file may last at most 30 s: slice it");
    ExpectOneLineError(Run("project add p.pnd hour.flac"),
                       "more than 128 s long; a plain file may last at most 30 s");
    WriteFile("loop130.wav", SineWave(130 * 44100, 0.5, AcidChunk(60, 64, true, 29.5f)));
    ExpectOneLineError(Run("project add p.pnd loop130.wav"),
                       "a loop of 130.0 s; loops with loop metadata may last at most 128 s");
    EXPECT_EQ(Slurp(m_dir + "/p.pnd"), before);
    WriteFile("loop31.wav", SineWave(31 * 44100, 0.5, AcidChunk(60, 16, true, 31.0f)));
    const Result r = Run("project add p.pnd loop31.wav");
    EXPECT_EQ(r.nStatus, 0) << r.strErr;
}

TEST_F(CliTest, PermissionDeniedIsSaid) {
    if (geteuid() == 0 && access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "running as root without setpriv: permissions do not apply";
    ASSERT_EQ(Run("demo -o d.wav").nStatus, 0);
    WriteFile("song.mid", MidiFile(std::string("\0\x90\x24\x64\x60\x80\x24\0", 8)));
    WriteFile("locked.wav", SineWave(4410, 0.5));
    chmod((m_dir + "/locked.wav").c_str(), 0);
    mkdir((m_dir + "/ro").c_str(), 0555);
    const std::string user = Unprivileged();
    ExpectOneLineError(Run("info locked.wav", user), "locked.wav: permission denied");
    ExpectOneLineError(Run("project add d.pnd locked.wav", user),
                       "locked.wav: cannot load the file: permission denied");
    ExpectOneLineError(Run("render d.pnd --midi song.mid -o ro/out.wav", user),
                       "ro/out.wav: permission denied");
    ExpectOneLineError(Run("project set d.pnd 1 --volume 0.5", user),
                       "d.pnd: cannot save the project: permission denied");
    ExpectOneLineError(Run("gallery --png ro/page.png", user),
                       "ro/page.png: cannot write the picture: permission denied");
    ExpectOneLineError(Run("gallery --png nowhere/page.png"),
                       "nowhere/page.png: cannot write the picture: folder nowhere does not exist");
    ExpectOneLineError(Run("project new nowhere/p.pnd"), "folder nowhere does not exist");
    // Without a display the gallery's window cannot open; it says so as the command.
    ExpectOneLineError(Run("gallery", "env -u DISPLAY"), "cannot open the display");
}

TEST_F(CliTest, NotesAreNamedAsTheEditorNamesThem) {
    WriteFile("loop.wav", SineWave(22050, 0.5, AcidChunk(60, 1)));
    Result r = Run("info loop.wav");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("Root note:   60 (C5)\n"), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strOut.find("D#"), std::string::npos) << r.strOut;
    EXPECT_NE(Run("info --json loop.wav").strOut.find("\"rootNote\": 60, \"rootNoteName\": \"C5\""),
              std::string::npos);
    WriteFile("low.wav", SineWave(22050, 0.5, AcidChunk(27, 1)));
    EXPECT_NE(Run("info low.wav").strOut.find("Root note:   27 (D#2)"), std::string::npos);

    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    ASSERT_EQ(Run("project add p.pnd loop.wav").nStatus, 0);
    r = Run("project assign p.pnd 1 0 --keys C4-C6 --root c#5");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    ASSERT_EQ(Run("project set p.pnd 2 --keys 40-G10").nStatus, 0);
    ASSERT_EQ(Run("project set p.pnd 3 --keys d#2").nStatus, 0);
    r = Run("info --json p.pnd");
    EXPECT_NE(r.strOut.find("{\"pad\": 1, \"lowKey\": 48, \"highKey\": 72, \"rootKey\": 61"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(r.strOut.find("{\"pad\": 2, \"lowKey\": 40, \"highKey\": 127, \"rootKey\": 40"),
              std::string::npos);
    EXPECT_NE(r.strOut.find("{\"pad\": 3, \"lowKey\": 27, \"highKey\": 27, \"rootKey\": 27"),
              std::string::npos);
    r = Run("info p.pnd");
    EXPECT_NE(r.strOut.find("Pad 1: keys 48 (C4) to 72 (C6), root 61 (C#5)"), std::string::npos)
        << r.strOut;

    const std::string before = Slurp(m_dir + "/p.pnd");
    for (const char* keys : {"G#10", "H3", "C4-", "E#4", "C-1"})
        ExpectOneLineError(Run(std::string("project set p.pnd 1 --keys ") + keys),
                           "--keys must be a key from 0 to 127 or a name from C0 to G10");
    ExpectOneLineError(Run("project set p.pnd 1 --root 128"), "--root must be a key");
    ExpectOneLineError(Run("project set p.pnd 1 --keys C6-C4"),
                       "the high key is below the low key");
    EXPECT_EQ(Slurp(m_dir + "/p.pnd"), before);
}

TEST_F(CliTest, InfoTablesReadRight) {
    // 4.8 s: the length is one value, in seconds and in milliseconds alike.
    WriteFile("plain.wav", SineWave(211680, 0.5));
    Result r = Run("info plain.wav");
    EXPECT_NE(r.strOut.find("Length:      211680 frames, 4.800 s, 846720 data bytes\n"),
              std::string::npos)
        << r.strOut;
    EXPECT_NE(
        Run("info --json plain.wav").strOut.find("\"seconds\": 4.800000, \"milliseconds\": 4800,"),
        std::string::npos);

    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    ASSERT_EQ(Run("project add p.pnd plain.wav").nStatus, 0);
    // The same file again, however it is spelled, is not loaded twice.
    const std::string before = Slurp(m_dir + "/p.pnd");
    for (const std::string& again :
         std::vector<std::string>{"plain.wav", "./plain.wav", m_dir + "/plain.wav"}) {
        r = Run("project add p.pnd " + again + " --name other");
        ASSERT_EQ(r.nStatus, 0) << r.strErr;
        EXPECT_EQ(r.strOut,
                  again + " is already in the Loop Bin of p.pnd as file 0; nothing changed\n");
    }
    EXPECT_EQ(Slurp(m_dir + "/p.pnd"), before);
    // A copy is another file.
    WriteFile("copy.wav", Slurp(m_dir + "/plain.wav"));
    r = Run("project add p.pnd copy.wav");
    EXPECT_EQ(r.strOut, "added copy.wav to p.pnd as file 1\n");

    r = Run("info p.pnd");
    EXPECT_NE(r.strOut.find("  0  plain.wav  1 slice  "), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strOut.find("Tranposed"), std::string::npos);
    EXPECT_EQ(r.strOut.find("\"Chan\""), std::string::npos); // no pad is routed
    ASSERT_EQ(Run("project assign p.pnd 5 0 --output 3").nStatus, 0);
    r = Run("info p.pnd");
    EXPECT_NE(r.strOut.find("output Chan 3 and the mix"), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("a pad routed to a \"Chan\" output sounds in the mix too; when you "
                            "use the\n      separate outputs, leave the mix unconnected or muted."),
              std::string::npos)
        << r.strOut;
}
