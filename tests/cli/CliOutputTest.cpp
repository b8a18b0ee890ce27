// What the `pandrel` command writes, run as a user runs it: it never writes
// over its own inputs or an existing project unasked, leaves no temporary
// files when interrupted, reports clipping, and makes the folders it needs.
#include "cli/CliFixture.h"
#include <csignal>
#include <fcntl.h>
#include <spawn.h>

extern char** environ;

namespace {
// The demo's project plays its synced groove on key 36 (C3).
const std::string kGrooveNote = std::string("\0\x90\x24\x64\x83\x00\x80\x24\0", 9);

// The interleaved float samples of a float WAV written by the command.
std::vector<float> FloatSamples(const std::string& wav) {
    const size_t at = wav.find("data");
    std::vector<float> v;
    if (at == std::string::npos) return v;
    uint32_t n = 0;
    std::memcpy(&n, wav.data() + at + 4, 4);
    v.resize(n / 4);
    std::memcpy(v.data(), wav.data() + at + 8, v.size() * 4);
    return v;
}
} // namespace

TEST_F(CliTest, ProjectNewKeepsAnExistingProjectUnlessForced) {
    ASSERT_EQ(Run("demo -o d.wav").nStatus, 0);
    const std::string before = Slurp(m_dir + "/d.pnd");
    ExpectOneLineError(Run("project new d.pnd"), "d.pnd: already exists");
    ExpectOneLineError(Run("project new ./d.pnd"), "--force");
    EXPECT_EQ(Slurp(m_dir + "/d.pnd"), before);
    mkdir((m_dir + "/folder.pnd").c_str(), 0755);
    ExpectOneLineError(Run("project new folder.pnd --force"), "folder.pnd: is a folder");
    ExpectOneLineError(Run("project set d.pnd 1 --force"), "--force is for 'project new'");

    const Result r = Run("project new d.pnd --force");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_LT(Slurp(m_dir + "/d.pnd").size(), before.size());
    EXPECT_NE(Run("info d.pnd").strOut.find("Loop Bin:    0 files"), std::string::npos);
}

TEST_F(CliTest, NoOutputReplacesAnInputWhateverItsSpelling) {
    ASSERT_EQ(Run("demo -o d.wav").nStatus, 0);
    WriteFile("song.mid", MidiFile(kGrooveNote));
    mkdir((m_dir + "/sub").c_str(), 0755);
    ASSERT_EQ(symlink("../d.pnd", (m_dir + "/sub/link.pnd").c_str()), 0);
    ASSERT_EQ(link((m_dir + "/d.pnd").c_str(), (m_dir + "/hard.wav").c_str()), 0);
    const std::string project = Slurp(m_dir + "/d.pnd");
    const std::string song = Slurp(m_dir + "/song.mid");
    const std::string here = m_dir.substr(m_dir.find_last_of('/') + 1);
    for (const std::string& out :
         std::vector<std::string>{"d.pnd", "./d.pnd", "../" + here + "/d.pnd", m_dir + "/d.pnd",
                                  "sub/link.pnd", "hard.wav", "sub/../d.pnd"})
        ExpectOneLineError(Run("render d.pnd --midi song.mid -o " + out),
                           out + ": is the project (d.pnd)");
    for (const std::string& out : std::vector<std::string>{"song.mid", "./sub/../song.mid"})
        ExpectOneLineError(Run("render ./d.pnd --midi song.mid -o " + out),
                           out + ": is the MIDI file (song.mid)");
    // A stem that would land on an input, or on the mix.
    mkdir((m_dir + "/st").c_str(), 0755);
    ASSERT_EQ(symlink("../song.mid", (m_dir + "/st/chan-3.wav").c_str()), 0);
    ExpectOneLineError(Run("render d.pnd --midi song.mid -o mix.wav --stems st"),
                       "st/chan-3.wav: is the MIDI file");
    ExpectOneLineError(Run("render d.pnd --midi song.mid -o st/chan-2.wav --stems st/"),
                       "st/chan-2.wav: is the mix output");
    // The library that would play it (refused before it is loaded).
    WriteFile("lib.so", "a library");
    ExpectOneLineError(Run("render d.pnd --midi song.mid -o lib.so --module lib.so"),
                       "lib.so: is the instrument library");
    ExpectOneLineError(Run("demo -o lib.so --module ./lib.so"), "is the instrument library");
    EXPECT_EQ(Slurp(m_dir + "/d.pnd"), project);
    EXPECT_EQ(Slurp(m_dir + "/song.mid"), song);
    EXPECT_EQ(Slurp(m_dir + "/lib.so"), "a library");
    EXPECT_FALSE(Exists("mix.wav"));
    EXPECT_FALSE(Exists("st/chan-2.wav"));

    // A new name, even one spelled through a link to this folder, is fine.
    const Result r = Run("render d.pnd --midi song.mid -o sub/../mix.wav --tail 0");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_TRUE(Exists("mix.wav"));
}

TEST_F(CliTest, SignalsDuringARenderLeaveNoTemporaryFiles) {
    ASSERT_EQ(Run("demo -o d.wav").nStatus, 0);
    // The groove held for 1,365 beats: about 11 minutes of 24-bit audio.
    WriteFile("long.mid", MidiFile(std::string("\0\x90\x24\x64\x87\xff\x7f\x80\x24\0", 10)));
    WriteFile("out.wav", "the previous rendering");
    const std::string out = m_dir + "/out.wav";
    for (int nSignal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(nSignal == SIGINT ? "SIGINT" : "SIGTERM");
        const std::string project = m_dir + "/d.pnd", song = m_dir + "/long.mid";
        const char* argv[] = {PANDREL_CLI, "render",    project.c_str(), "--midi", song.c_str(),
                              "-o",        out.c_str(), "--format",      "24",     nullptr};
        // The signals as a terminal delivers them, whatever the test runner ignores.
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        ASSERT_EQ(
            posix_spawn(&pid, PANDREL_CLI, &actions, &attr, const_cast<char**>(argv), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);

        // Once the temporary file holds samples, the user presses Ctrl-C.
        std::string temp;
        for (int i = 0; i < 20000 && temp.empty(); ++i) {
            for (const std::string& name : Entries()) {
                struct stat st {};
                if (name.rfind("out.wav.tmp-", 0) == 0 &&
                    stat((m_dir + "/" + name).c_str(), &st) == 0 && st.st_size > 100000)
                    temp = name;
            }
            usleep(500);
        }
        EXPECT_FALSE(temp.empty()) << "the render wrote nothing";
        kill(pid, nSignal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == nSignal) << status;
        EXPECT_EQ(Entries(), (std::vector<std::string>{"d-loop.wav", "d.pnd", "d.png", "d.wav",
                                                       "long.mid", "out.wav"}));
        EXPECT_EQ(Slurp(out), "the previous rendering");
    }
}

TEST_F(CliTest, RenderGainAndClippingReport) {
    // Two loops at -1 dBFS on two pads at full volume, the second on "Chan 1".
    WriteFile("a.wav", SineWave(88200, 0.891));
    WriteFile("b.wav", SineWave(88200, 0.891));
    ASSERT_EQ(Run("project new p.pnd").nStatus, 0);
    ASSERT_EQ(Run("project add p.pnd a.wav").nStatus, 0);
    ASSERT_EQ(Run("project add p.pnd b.wav").nStatus, 0);
    ASSERT_EQ(Run("project assign p.pnd 1 0 --keys 36").nStatus, 0);
    ASSERT_EQ(Run("project assign p.pnd 2 1 --keys 37 --output 1").nStatus, 0);
    WriteFile("s.mid", MidiFile(std::string("\0\x90\x24\x64\0\x90\x25\x64\x81\x40\x80\x24\0"
                                            "\0\x80\x25\0",
                                            17)));

    // Float keeps every sample and says nothing; its samples past full
    // scale are those that 24 bits clip.
    Result r = Run("render p.pnd --midi s.mid -o f.wav --tail 0");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "");
    const std::vector<float> mix = FloatSamples(Slurp(m_dir + "/f.wav"));
    const auto nOver =
        std::count_if(mix.begin(), mix.end(), [](float f) { return f > 1 || f < -1; });
    ASSERT_GT(nOver, 0);

    r = Run("render p.pnd --midi s.mid -o i.wav --tail 0 --format 24 --stems stems/new");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "wrote i.wav\nwrote stems/new/chan-1.wav\n");
    EXPECT_EQ(
        r.strErr.rfind("pandrel: i.wav: " + std::to_string(nOver) + " samples clipped (peak +", 0),
        0u)
        << r.strErr;
    EXPECT_NE(r.strErr.find(" dBFS); lower the pads' volumes, use --gain -"), std::string::npos);
    EXPECT_NE(r.strErr.find("or write float"), std::string::npos);
    // The stem alone holds one loop at -1 dBFS: nothing clipped there.
    EXPECT_EQ(r.strErr.find("chan-1.wav"), std::string::npos) << r.strErr;

    r = Run("render p.pnd --midi s.mid -o i.wav --tail 0 --format 24 --gain -12");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "");

    // No gain given is the same as 0 dB; -6.02 dB halves every sample, of
    // the mix and of the stems.
    ASSERT_EQ(Run("render p.pnd --midi s.mid -o g0.wav --tail 0 --gain 0").nStatus, 0);
    EXPECT_EQ(Slurp(m_dir + "/g0.wav"), Slurp(m_dir + "/f.wav"));
    ASSERT_EQ(Run("render p.pnd --midi s.mid -o h.wav --tail 0 --gain -6.0206 --stems hs").nStatus,
              0);
    const std::vector<float> half = FloatSamples(Slurp(m_dir + "/h.wav"));
    ASSERT_EQ(half.size(), mix.size());
    for (size_t i = 0; i < mix.size(); i += 97) ASSERT_NEAR(half[i], mix[i] * 0.5f, 1e-5) << i;
    ASSERT_EQ(Run("render p.pnd --midi s.mid -o f.wav --tail 0 --stems fs").nStatus, 0);
    const std::vector<float> stem = FloatSamples(Slurp(m_dir + "/fs/chan-1.wav"));
    const std::vector<float> halfStem = FloatSamples(Slurp(m_dir + "/hs/chan-1.wav"));
    ASSERT_EQ(stem.size(), halfStem.size());
    for (size_t i = 0; i < stem.size(); i += 97)
        ASSERT_NEAR(halfStem[i], stem[i] * 0.5f, 1e-5) << i;
    ExpectOneLineError(Run("render p.pnd --midi s.mid -o x.wav --gain loud"), "--gain must be");

    // A file where the stems' folder should be.
    WriteFile("file", "x");
    ExpectOneLineError(Run("render p.pnd --midi s.mid -o x.wav --stems file/sub"),
                       "file: exists and is not a folder");
    EXPECT_FALSE(Exists("x.wav"));
}

TEST_F(CliTest, VersionAndAnEmptyRegistryRemoved) {
    Result r = Run("--version");
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strOut.rfind("pandrel ", 0), 0u);
    EXPECT_NE(r.strOut.find_first_of("0123456789"), std::string::npos);
    EXPECT_EQ(r.strOut.back(), '\n');

    const std::string registry = "PANDREL_REGISTRY='" + m_dir + "/registry'";
    ASSERT_EQ(Run("register", registry).nStatus, 0);
    ASSERT_TRUE(Exists("registry"));
    r = Run("unregister", registry);
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_FALSE(Exists("registry"));
    // Unregistering again, with no file, is no failure.
    EXPECT_EQ(Run("unregister", registry).nStatus, 0);

    // Another program's entry keeps the file.
    WriteFile("registry", "[HKCU\\Software\\Other]\n\"Setting\"=\"kept\"\n");
    ASSERT_EQ(Run("register", registry).nStatus, 0);
    ASSERT_EQ(Run("unregister", registry).nStatus, 0);
    EXPECT_NE(Slurp(m_dir + "/registry").find("\"Setting\"=\"kept\""), std::string::npos);
    EXPECT_EQ(Slurp(m_dir + "/registry").find("MfxSoftSynths\\{"), std::string::npos);
}
