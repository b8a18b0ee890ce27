// Crash during save: the `pandrel` command is killed at random points while it
// saves over an existing project, and writes fail at every point of a save
// (a file-size limit on the file system, a failing host stream). Afterwards
// the project is the old one byte for byte or the complete new one, a failed
// save says so, and nothing that looks like a project is left beside it.
#include "ReliabilitySupport.h"
#include "StateDump.h"
#include "files/ProjectScene.h"
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

using namespace fixture;

namespace {
// Files in dir, with the hidden ones marked by a leading '.'.
std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Counts the temporaries killed saves left (a later save sweeps them once they
// are a minute old); fails when anything else besides `keep` is there.
int CheckTemporaries(const std::string& dir, const std::vector<std::string>& keep) {
    int n = 0;
    for (const std::string& name : Listing(dir)) {
        if (std::find(keep.begin(), keep.end(), name) != keep.end()) continue;
        // A leftover must be hidden and must not look like a project.
        EXPECT_EQ(name[0], '.') << name;
        EXPECT_EQ(name.find(".pnd"), std::string::npos) << name;
        ++n;
    }
    return n;
}

pid_t Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void SleepSeconds(double s) {
    timespec t{static_cast<time_t>(s),
               static_cast<long>((s - static_cast<double>(static_cast<time_t>(s))) * 1e9)};
    nanosleep(&t, nullptr);
}
} // namespace

TEST(CrashDuringSave, AKilledSaveLeavesTheOldProjectOrTheNewOne) {
    TempDir dir;
    const std::string project = dir.File("song.pnd"), loop = dir.File("loop.wav");
    // A 4-second stereo loop: its float data makes the save long enough to be
    // killed in the middle of writing.
    WriteFile(loop, SlicedLoop(4 * 44100, 8, 44100));
    const std::string cli = PANDREL_CLI;
    setenv("LSAN_OPTIONS", "detect_leaks=0", 1);
    ASSERT_EQ(Wait(Spawn({cli, "project", "new", project})), 0);
    ASSERT_EQ(Wait(Spawn({cli, "project", "add", project, loop})), 0);
    ASSERT_EQ(Wait(Spawn({cli, "project", "assign", project, "1", "0"})), 0);
    const riff::Bytes oldBytes = ReadFile(project);
    const std::vector<std::string> edit = {cli,        "project", "set",    project, "1",
                                           "--volume", "0.5",     "--mute", "on"};

    // The new project, and how long the whole command takes (the quickest of
    // three runs, so that a busy machine does not push the kills past its end).
    double dRun = 1e9;
    for (int i = 0; i < 3; ++i) {
        WriteFile(project, oldBytes);
        const double t0 = Now();
        ASSERT_EQ(Wait(Spawn(edit)), 0);
        dRun = std::min(dRun, Now() - t0);
    }
    const riff::Bytes newBytes = ReadFile(project);
    ASSERT_NE(oldBytes, newBytes);
    {
        FakeSynthContext ctx(44100);
        TestControl c(&ctx);
        ASSERT_EQ(static_cast<IVudivuVizezud&>(c).LoadProject("song.pnd", project.c_str()), S_OK);
        EXPECT_EQ(c.Pad(0)->m_bMute, 1);
    }

#if defined(__SANITIZE_ADDRESS__)
    const int nKills = 24; // each run starts the sanitized command: slower
#else
    const int nKills = 40;
#endif
    int nOld = 0, nNew = 0, nLeft = 0, nFinished = 0;
    std::mt19937 rng(7);
    for (int k = 0; k < nKills; ++k) {
        WriteFile(project, oldBytes);
        // Kill points spread over the whole run, denser towards its end,
        // where the save happens.
        const double f = std::sqrt(std::uniform_real_distribution<double>(0.0, 1.0)(rng));
        const pid_t pid = Spawn(edit);
        ASSERT_GT(pid, 0);
        SleepSeconds(f * dRun);
        kill(pid, SIGKILL);
        if (Wait(pid) == 0) ++nFinished;
        const riff::Bytes now = ReadFile(project);
        SCOPED_TRACE("kill " + std::to_string(k) + " at " + std::to_string(f * dRun) + " s");
        ASSERT_TRUE(now == oldBytes || now == newBytes)
            << "a torn project of " << now.size() << " bytes";
        (now == oldBytes ? nOld : nNew)++;
        CheckTemporaries(dir.File(""), {"song.pnd", "loop.wav"});
    }
    nLeft = CheckTemporaries(dir.File(""), {"song.pnd", "loop.wav"});
    std::printf("%d kills over %.0f ms: %d old, %d new (%d finished), %d temporaries left\n",
                nKills, dRun * 1e3, nOld, nNew, nFinished, nLeft);
    EXPECT_GT(nOld, 0);
}

namespace {
// A stream that refuses to write (or read) once nBudget bytes have passed.
class FailingStream : public IStream {
public:
    FailingStream(IStream* pInner, ULONG nBudget, bool bFailReads)
        : m_p(pInner), m_nBudget(nBudget), m_bReads(bFailReads) {}
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT Read(void* pv, ULONG cb, ULONG* pcb) override {
        if (m_bReads && !Spend(cb)) return STG_E_READFAULT;
        return m_p->Read(pv, cb, pcb);
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcb) override {
        if (!m_bReads && !Spend(cb)) {
            if (pcb != nullptr) *pcb = 0;
            return STG_E_MEDIUMFULL;
        }
        return m_p->Write(pv, cb, pcb);
    }
    HRESULT Seek(LARGE_INTEGER d, DWORD o, ULARGE_INTEGER* p) override {
        return m_p->Seek(d, o, p);
    }
    HRESULT SetSize(ULARGE_INTEGER n) override { return m_p->SetSize(n); }
    HRESULT CopyTo(IStream* s, ULARGE_INTEGER cb, ULARGE_INTEGER* r, ULARGE_INTEGER* w) override {
        return m_p->CopyTo(s, cb, r, w);
    }
    HRESULT Commit(DWORD f) override { return m_p->Commit(f); }
    HRESULT Revert() override { return m_p->Revert(); }
    HRESULT LockRegion(ULARGE_INTEGER a, ULARGE_INTEGER b, DWORD c) override {
        return m_p->LockRegion(a, b, c);
    }
    HRESULT UnlockRegion(ULARGE_INTEGER a, ULARGE_INTEGER b, DWORD c) override {
        return m_p->UnlockRegion(a, b, c);
    }
    HRESULT Stat(STATSTG* s, DWORD f) override { return m_p->Stat(s, f); }
    HRESULT Clone(IStream** pp) override { return m_p->Clone(pp); }

private:
    bool Spend(ULONG cb) {
        if (cb > m_nBudget) return false;
        m_nBudget -= cb;
        return true;
    }
    IStream* m_p;
    ULONG m_nBudget;
    bool m_bReads;
};

// Budgets from nothing to one short of everything, densest at the start.
std::vector<ULONG> Budgets(size_t nTotal) {
    std::vector<ULONG> out = {0, 1, 4, 11, 12, 20, 24, 40, 60, 100};
    for (int i = 1; i < 24; ++i) out.push_back(static_cast<ULONG>(nTotal * i / 24));
    out.push_back(static_cast<ULONG>(nTotal - 1));
    return out;
}
} // namespace

TEST(CrashDuringSave, AStreamThatFailsAtAnyPointFailsTheSave) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl c(&ctx);
    BuildScene(c, dir);
    rel::StreamRef whole;
    ASSERT_EQ(c.SaveState(whole.p), S_OK);
    const size_t nTotal = whole.Bytes().size();
    for (ULONG nBudget : Budgets(nTotal)) {
        SCOPED_TRACE("budget " + std::to_string(nBudget));
        rel::StreamRef inner;
        FailingStream s(inner.p, nBudget, false);
        EXPECT_TRUE(FAILED(c.SaveState(&s)));
    }
    // Chunk sizes are patched by writing again, so a save writes more bytes
    // than it leaves.
    rel::StreamRef inner;
    FailingStream enough(inner.p, static_cast<ULONG>(2 * nTotal), false);
    EXPECT_EQ(c.SaveState(&enough), S_OK);
    EXPECT_TRUE(inner.Bytes() == whole.Bytes());
}

TEST(CrashDuringSave, AStreamThatFailsWhileLoadingLeavesTheEngineAsItWas) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl saved(&ctx), engine(&ctx);
    BuildScene(saved, dir);
    rel::StreamRef whole;
    ASSERT_EQ(saved.SaveState(whole.p), S_OK);
    const size_t nTotal = whole.Bytes().size();
    static_cast<IVudivuVizezud&>(engine).SetPadVolume(3, 0.25f);
    const std::string before = dump::Project(engine);
    for (ULONG nBudget : Budgets(nTotal)) {
        SCOPED_TRACE("budget " + std::to_string(nBudget));
        whole.Rewind();
        FailingStream s(whole.p, nBudget, true);
        // A load that needed no more than the budget is complete; any other
        // fails and changes nothing.
        if (SUCCEEDED(engine.LoadState(&s))) {
            ASSERT_GE(nBudget, nTotal - 24);
            ASSERT_EQ(dump::Project(saved), dump::Project(engine));
            break;
        }
        ASSERT_EQ(before, dump::Project(engine));
    }
    whole.Rewind();
    ASSERT_EQ(engine.LoadState(whole.p), S_OK);
    EXPECT_EQ(dump::Project(saved), dump::Project(engine));
}

TEST(CrashDuringSave, AFullDiskFailsTheSaveAndKeepsTheOldFile) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl c(&ctx);
    BuildScene(c, dir);
    const std::string project = dir.File("p.pnd");
    IVudivuVizezud& api = c;
    ASSERT_EQ(api.SaveProject("p", project.c_str()), S_OK);
    const riff::Bytes oldBytes = ReadFile(project);
    api.SetPadVolume(0, 0.5f);
    const std::vector<std::string> files = Listing(dir.File(""));
    for (ULONG nLimit : Budgets(oldBytes.size())) {
        SCOPED_TRACE("file size limit " + std::to_string(nLimit));
        // In a child, so that the limit touches no other file of the test.
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN); // writes past the limit fail with EFBIG
            rlimit r{nLimit, nLimit};
            setrlimit(RLIMIT_FSIZE, &r);
            const HRESULT hr = api.SaveProject("p", project.c_str());
            _exit(hr == S_OK ? 0 : FAILED(hr) ? 1 : 2);
        }
        EXPECT_EQ(Wait(pid), 1);
        EXPECT_TRUE(ReadFile(project) == oldBytes);
        EXPECT_EQ(Listing(dir.File("")), files); // the temporary is gone
    }
    ASSERT_EQ(api.SaveProject("p", project.c_str()), S_OK);
    EXPECT_FALSE(ReadFile(project) == oldBytes);
}

TEST(CrashDuringSave, ALaterSaveSweepsTheTemporariesOfKilledOnes) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl c(&ctx);
    // A process id that no longer runs: a child that has exited.
    const pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) _exit(0);
    Wait(dead);
    const std::string stale = ".pandrel-save-" + std::to_string(dead) + "-0.tmp";
    const std::string fresh = ".pandrel-save-" + std::to_string(dead) + "-1.tmp";
    const std::string running = ".pandrel-save-" + std::to_string(getppid()) + "-0.tmp";
    const std::string other = ".pandrel-save-" + std::to_string(dead) + "-2.tmpx";
    for (const std::string& name : {stale, fresh, running, other}) {
        WriteFile(dir.File(name), riff::Bytes{'R', 'I', 'F', 'F'});
        if (name == fresh) continue;
        const timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, dir.File(name).c_str(), old, 0), 0);
    }
    ASSERT_EQ(static_cast<IVudivuVizezud&>(c).SaveProject("p", dir.File("p.pnd").c_str()), S_OK);
    std::vector<std::string> expected = {fresh, running, other, "p.pnd"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Listing(dir.File("")), expected);
}
