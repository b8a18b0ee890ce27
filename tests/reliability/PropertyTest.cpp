// Nothing lost: random sequences of control-interface operations, with the
// project saved (to a file or through IPersistStream) and loaded into a fresh
// engine at random points. Every saved project must load, its dump must equal
// the saved engine's, and saving it again must give the same bytes.
#include "ReliabilitySupport.h"
#include "StateDump.h"
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <numeric>
#include <random>

using namespace fixture;

namespace {
constexpr int kDefaultCases = 64;
constexpr int kOpsPerCase = 80;
constexpr int kPaths = 20; // more than the Loop Bin holds

// Wave files of every kind the Loop Bin meets, small enough to load fast: the
// same few contents under kPaths names, plus a file that is no wave.
class WavePool {
public:
    WavePool() {
        const riff::Bytes kinds[] = {SlicedLoop(4000, 4, 44100), SlicedLoop(3000, 3, 22050),
                                     PlainWave(2205, 44100), PlainWave(1500, 48000),
                                     MonoSlicedLoop(2400, 6, 32000)};
        for (int i = 0; i < kPaths; ++i) {
            m_paths.push_back(m_dir.File("loop" + std::to_string(i) + ".wav"));
            WriteFile(m_paths.back(), kinds[i % std::size(kinds)]);
        }
        m_paths.push_back(m_dir.File("broken.wav"));
        WriteFile(m_paths.back(), riff::Bytes{'R', 'I', 'F', 'F', 1, 2, 3});
        m_paths.push_back(m_dir.File("missing.wav"));
    }
    const std::string& Path(size_t i) const { return m_paths[i % m_paths.size()]; }
    size_t Count() const { return m_paths.size(); }
    std::string Project(const std::string& name) const { return m_dir.File(name); }

private:
    static riff::Bytes MonoSlicedLoop(uint32_t frames, int slices, uint32_t rate) {
        std::vector<riff::Marker> markers;
        for (int i = 0; i < slices; ++i) markers.push_back({0, frames / slices * i, 1});
        return riff::Wave(frames, 1, rate)
            .Chunk("acid", riff::AcidBody(0, 57, 2, 90.0f))
            .Chunk("strc", riff::StrcBody(static_cast<uint32_t>(markers.size()), 2, markers))
            .Form();
    }
    TempDir m_dir;
    std::vector<std::string> m_paths;
};

struct Engine {
    FakeSynthContext ctx{44100};
    TestControl control{&ctx};
    IVudivuVizezud& api() { return control; }
};

class Walk {
public:
    Walk(const WavePool& pool, uint32_t seed)
        : m_pool(pool), m_rng(seed), m_engine(std::make_unique<Engine>()) {}

    // Runs the case; returns the number of saves checked.
    int Run(int nOps) {
        int nSaves = 0;
        for (int i = 0; i < nOps && !::testing::Test::HasFatalFailure(); ++i) {
            if (Pick(8) == 0) {
                CheckSaveAndReload();
                ++nSaves;
            } else {
                Step();
            }
        }
        if (!::testing::Test::HasFatalFailure()) {
            CheckSaveAndReload();
            ++nSaves;
        }
        return nSaves;
    }
    // The last operations, for failure messages.
    std::string Tail() const {
        size_t at = m_trace.size();
        for (int n = 0; n < 24 && at != std::string::npos && at > 0; ++n)
            at = m_trace.rfind('\n', at - 1);
        return at == std::string::npos ? m_trace : m_trace.substr(at + 1);
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    // An index mostly in range, sometimes just outside or wild.
    LONG Index(int n) {
        switch (Pick(10)) {
        case 0: return -1;
        case 1: return n;
        case 2: return Pick(40) - 20;
        default: return n > 0 ? Pick(n) : 0;
        }
    }
    float Value(float lo, float hi) {
        switch (Pick(12)) {
        case 0: return std::numeric_limits<float>::quiet_NaN();
        case 1: return std::numeric_limits<float>::infinity();
        case 2: return -std::numeric_limits<float>::infinity();
        case 3: return lo - 1.5f;
        case 4: return hi + 1.5f;
        case 5: return 1e30f;
        default: return std::uniform_real_distribution<float>(lo, hi)(m_rng);
        }
    }
    LONGLONG Ticks() {
        switch (Pick(8)) {
        case 0: return -1;
        case 1: return -LONGLONG{Pick(1000)} * kTicksPerBeat;
        case 2: return LONGLONG{Pick(100000)} * kTicksPerBeat;
        case 3: return std::numeric_limits<LONGLONG>::max() / 2;
        default: return LONGLONG{Pick(64)} * kTicksPerBeat / 4;
        }
    }
    LONG Grains(LONG nPad) {
        CGrooveTrack* p = m_engine->control.Pad(nPad);
        return p != nullptr ? p->GetSize() : 0;
    }
    LONG Slices(LONG nEntry) {
        CGrooveTrack* e = m_engine->control.BinEntry(nEntry);
        return e != nullptr ? e->GetSize() : 0;
    }
    void Note(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, fmt);
        dump::VLine(m_trace, fmt, args);
        va_end(args);
    }

    // One kind of step: how often the walk picks it (out of the weights'
    // sum), and what it does, given the pad drawn for the step.
    struct Op {
        int nWeight;
        void (Walk::*pfnRun)(LONG pad);
    };
    static const Op kOps[];

    IVudivuVizezud& Api() { return m_engine->api(); }
    LONG Bins() const { return m_engine->control.BinCount(); }
    const std::string& AnyPath() {
        return m_pool.Path(static_cast<size_t>(Pick(static_cast<int>(m_pool.Count()))));
    }

    void Step();
    void LoadIntoBin(LONG pad);
    void AssignEntry(LONG pad);
    void AddGrain(LONG pad);
    void MoveGrain(LONG pad);
    void CopyGrain(LONG pad);
    void RemoveGrain(LONG pad);
    void Commit(LONG pad);
    void SetSource(LONG pad);
    void Checkpoint(LONG pad);
    void Undo(LONG pad);
    void Redo(LONG pad);
    void DeleteEntry(LONG pad);
    void Clear(LONG pad);
    void PadVolume(LONG pad);
    void PadPan(LONG pad);
    void PadRouting(LONG pad);
    void Length(LONG pad);
    void GrainPitch(LONG pad);
    void GrainGainAndPan(LONG pad);
    void PadSwitch(LONG pad);
    void KeyRange(LONG pad);
    void ClickAudition(LONG pad);
    void LoadOntoPad(LONG pad);
    void Auditions(LONG pad);
    void CheckSaveAndReload();

    const WavePool& m_pool;
    std::mt19937 m_rng;
    std::unique_ptr<Engine> m_engine;
    std::string m_trace;
    int m_nSave = 0;
};

// The operations and their weights. Order and weights fix which operation a
// seed's numbers pick: change either and every seed walks differently.
const Walk::Op Walk::kOps[] = {
    {3, &Walk::LoadIntoBin},
    {1, &Walk::AssignEntry},
    {2, &Walk::AddGrain},
    {2, &Walk::MoveGrain},
    {1, &Walk::CopyGrain},
    {1, &Walk::RemoveGrain},
    {1, &Walk::Commit},
    {1, &Walk::SetSource},
    {1, &Walk::Checkpoint},
    {1, &Walk::Undo},
    {1, &Walk::Redo},
    {1, &Walk::DeleteEntry},
    {1, &Walk::Clear},
    {1, &Walk::PadVolume},
    {1, &Walk::PadPan},
    {1, &Walk::PadRouting},
    {1, &Walk::Length},
    {1, &Walk::GrainPitch},
    {1, &Walk::GrainGainAndPan},
    {1, &Walk::PadSwitch},
    {1, &Walk::KeyRange},
    {1, &Walk::ClickAudition},
    {1, &Walk::LoadOntoPad},
    {3, &Walk::Auditions},
};

// The pad is drawn before the operation, used or not, so that a seed always
// walks the same way.
void Walk::Step() {
    static const int nTotal = std::accumulate(std::begin(kOps), std::end(kOps), 0,
                                              [](int n, const Op& op) { return n + op.nWeight; });
    const LONG pad = Index(kPadCount);
    int n = Pick(nTotal);
    for (const Op& op : kOps) {
        if (n < op.nWeight) return (this->*op.pfnRun)(pad);
        n -= op.nWeight;
    }
}

void Walk::LoadIntoBin(LONG) {
    LONG index = Pick(4) == 0 ? Index(Bins()) : -1, status = 0;
    const std::string& path = AnyPath();
    const HRESULT hr = Api().LoadFileToBin(nullptr, path.c_str(), &index, &status);
    Note("load %s -> %x index %d status %d", path.c_str() + path.rfind('/') + 1, unsigned(hr),
         index, status);
}

void Walk::AssignEntry(LONG pad) {
    const LONG entry = Index(Bins());
    Note("assign pad %d entry %d -> %x", pad, entry, unsigned(Api().AssignFileToPad(pad, entry)));
}

void Walk::AddGrain(LONG pad) {
    const LONG entry = Index(Bins()), slice = Index(Slices(entry));
    const LONGLONG at = Ticks();
    Note("add entry %d slice %d pad %d at %" PRId64 " -> %x", entry, slice, pad,
         static_cast<int64_t>(at), unsigned(Api().AddGrain(entry, slice, pad, at)));
}

void Walk::MoveGrain(LONG pad) {
    const LONG grain = Index(Grains(pad)), to = Index(kPadCount);
    const LONGLONG at = Ticks();
    const BOOL defer = Pick(2);
    LONG out = 0;
    Note("move pad %d grain %d to %d at %" PRId64 " defer %d -> %x", pad, grain, to,
         static_cast<int64_t>(at), defer,
         unsigned(Api().MoveGrain(pad, grain, to, at, Pick(2) ? &out : nullptr, defer)));
}

void Walk::CopyGrain(LONG pad) {
    const LONG grain = Index(Grains(pad)), to = Index(kPadCount);
    const LONGLONG at = Ticks();
    Note("copy pad %d grain %d to %d at %" PRId64 " -> %x", pad, grain, to,
         static_cast<int64_t>(at), unsigned(Api().CopyGrain(pad, grain, to, at, nullptr)));
}

void Walk::RemoveGrain(LONG pad) {
    const LONG grain = Index(Grains(pad));
    const BOOL defer = Pick(2);
    Note("remove pad %d grain %d defer %d -> %x", pad, grain, defer,
         unsigned(Api().RemoveGrain(pad, grain, defer)));
}

void Walk::Commit(LONG) { Note("commit -> %x", unsigned(Api().CommitGrainEdits())); }

void Walk::SetSource(LONG pad) {
    const LONG grain = Index(Grains(pad)), entry = Index(Bins()), slice = Index(Slices(entry));
    Note("source pad %d grain %d entry %d slice %d -> %x", pad, grain, entry, slice,
         unsigned(Api().SetGrainSource(pad, grain, entry, slice)));
}

void Walk::Checkpoint(LONG) { Note("checkpoint -> %x", unsigned(Api().Checkpoint())); }
void Walk::Undo(LONG) { Note("undo -> %x", unsigned(Api().Undo())); }
void Walk::Redo(LONG) { Note("redo -> %x", unsigned(Api().Redo())); }

void Walk::DeleteEntry(LONG) {
    const LONG entry = Index(Bins());
    Note("delete entry %d -> %x", entry, unsigned(Api().DeleteFile(entry)));
}

// One time in four only: a clear throws away what the walk has built.
void Walk::Clear(LONG) {
    if (Pick(4) == 0) Note("clear -> %x", unsigned(Api().ClearProject()));
}

void Walk::PadVolume(LONG pad) {
    const float v = Value(0.0f, 2.0f);
    Note("pad %d volume %g -> %x", pad, v, unsigned(Api().SetPadVolume(pad, v)));
}

void Walk::PadPan(LONG pad) {
    const float v = Value(0.0f, 1.0f);
    Note("pad %d pan %g -> %x", pad, v, unsigned(Api().SetPadPan(pad, v)));
}

void Walk::PadRouting(LONG pad) {
    const LONG ch = Pick(30) - 8, out = Pick(20) - 2, root = Pick(140) - 6;
    Note("pad %d channel %d output %d root %d -> %x %x %x", pad, ch, out, root,
         unsigned(Api().SetPadMidiChannel(pad, ch)), unsigned(Api().SetPadOutput(pad, out)),
         unsigned(Api().SetPadRoot(pad, root)));
}

void Walk::Length(LONG) {
    const LONG kind = Pick(3);
    const LONG index = kind == 0 ? Index(Bins()) : Index(kPadCount);
    const LONGLONG ticks = Ticks();
    Note("length kind %d index %d ticks %" PRId64 " -> %x", kind, index,
         static_cast<int64_t>(ticks), unsigned(Api().SetPadLength(kind, index, ticks)));
}

void Walk::GrainPitch(LONG pad) {
    const LONG grain = Index(Grains(pad));
    const LONG pitch = Pick(5) == 0 ? (Pick(2) ? std::numeric_limits<LONG>::max()
                                               : std::numeric_limits<LONG>::min())
                                    : Pick(97) - 48;
    Note("grain %d/%d pitch %d -> %x", pad, grain, pitch,
         unsigned(Api().SetGrainPitch(pad, grain, pitch)));
}

void Walk::GrainGainAndPan(LONG pad) {
    const LONG grain = Index(Grains(pad));
    const float gain = Value(0.0f, 2.0f), pan = Value(0.0f, 1.0f);
    Note("grain %d/%d gain %g pan %g -> %x %x", pad, grain, gain, pan,
         unsigned(Api().SetGrainGain(pad, grain, gain)),
         unsigned(Api().SetGrainPan(pad, grain, pan)));
}

// One of the pad's on/off settings, set to a flag that is sometimes neither 0 nor 1.
void Walk::PadSwitch(LONG pad) {
    static const struct {
        const char* pszName;
        HRESULT (IVudivuVizezud::*pfnSet)(LONG, BOOL);
    } kSwitches[] = {
        {"tails", &IVudivuVizezud::SetPadTails},
        {"mute", &IVudivuVizezud::SetPadMute},
        {"solo", &IVudivuVizezud::SetPadSolo},
        {"looping", &IVudivuVizezud::SetPadLooping},
        {"synced", &IVudivuVizezud::SetPadSynced},
        {"latch", &IVudivuVizezud::SetPadLatch},
        {"latchmode", &IVudivuVizezud::SetPadLatchMode},
        {"markers", &IVudivuVizezud::SetPadPitchMarkers},
    };
    const BOOL v = Pick(3) == 0 ? Pick(7) - 3 : Pick(2);
    const auto& s = kSwitches[Pick(static_cast<int>(std::size(kSwitches)))];
    Note("pad %d %s %d -> %x", pad, s.pszName, v, unsigned((Api().*s.pfnSet)(pad, v)));
}

void Walk::KeyRange(LONG pad) {
    PadKeyRange r{pad,           Pick(150) - 10, Pick(150) - 10, Pick(150) - 10, Pick(150) - 10,
                  Pick(150) - 10};
    Note("keys pad %d %d-%d root %d vel %d-%d -> %x", pad, r.nLowKey, r.nHighKey, r.nRootKey,
         r.nLowVelocity, r.nHighVelocity, unsigned(Api().SetPadKeyRange(&r)));
}

void Walk::ClickAudition(LONG) {
    const BOOL v = Pick(4) - 1;
    Note("click audition %d -> %x", v, unsigned(Api().SetClickAudition(v)));
}

void Walk::LoadOntoPad(LONG pad) {
    LONG index = Index(Bins()), status = 0;
    const std::string& path = AnyPath();
    Note("load to pad %d %s -> %x", pad, path.c_str() + path.rfind('/') + 1,
         unsigned(Api().LoadFileToPad(pad, nullptr, path.c_str(), &index, &status)));
}

// Auditions and previews touch play state only; the project must not change.
void Walk::Auditions(LONG pad) {
    IVudivuVizezud& api = Api();
    const std::string before = dump::Project(m_engine->control);
    api.StartAudition(pad, Index(Grains(pad)));
    api.StartFilePreview(Index(Bins()), -1);
    api.StopAudition(Pick(2) ? -1 : pad);
    api.StopFilePreview(-1);
    Note("auditions on pad %d", pad);
    ASSERT_EQ(before, dump::Project(m_engine->control)) << Tail();
}

void Walk::CheckSaveAndReload() {
    // Grains marked for removal are gone from a saved copy, as after a commit.
    const std::string before = dump::Project(m_engine->control);
    const std::string expected = dump::Project(m_engine->control, true);
    auto reloaded = std::make_unique<Engine>();
    riff::Bytes first, second;
    if (Pick(2) == 0) {
        const std::string path = m_pool.Project("walk" + std::to_string(m_nSave++ % 3) + ".pnd");
        Note("save %s", path.c_str() + path.rfind('/') + 1);
        ASSERT_EQ(m_engine->api().SaveProject("p", path.c_str()), S_OK) << Tail();
        first = ReadFile(path);
        ASSERT_EQ(reloaded->api().LoadProject("walk.pnd", path.c_str()), S_OK) << Tail();
        ASSERT_EQ(reloaded->api().SaveProject("p", path.c_str()), S_OK) << Tail();
        second = ReadFile(path);
    } else {
        Note("save state");
        rel::StreamRef a, b;
        ASSERT_EQ(m_engine->control.SaveState(a.p), S_OK) << Tail();
        first = a.Bytes();
        a.Rewind();
        ASSERT_EQ(reloaded->control.LoadState(a.p), S_OK) << Tail();
        ASSERT_EQ(reloaded->control.SaveState(b.p), S_OK) << Tail();
        second = b.Bytes();
    }
    ASSERT_EQ(before, dump::Project(m_engine->control)) << "saving changed the engine\n" << Tail();
    ASSERT_EQ(expected, dump::Project(reloaded->control)) << Tail();
    ASSERT_TRUE(first == second) << "a reloaded project saves different bytes\n" << Tail();
    // Carry on with the reloaded engine now and then, so that later edits start
    // from loaded state.
    if (Pick(2) == 0) m_engine = std::move(reloaded);
}
} // namespace

TEST(NothingLost, RandomEditsSaveAndLoadWithoutLoss) {
    const WavePool pool;
    const int nCases = rel::CaseCount(kDefaultCases);
    int nSaves = 0;
    // PANDREL_PROPERTY_SEED runs one case alone, to reproduce a failure.
    const char* one = std::getenv("PANDREL_PROPERTY_SEED");
    const int nFirst = one != nullptr ? std::atoi(one) : 1;
    for (int seed = nFirst; seed < nFirst + (one != nullptr ? 1 : nCases) && !HasFatalFailure();
         ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Walk walk(pool, static_cast<uint32_t>(seed));
        nSaves += walk.Run(kOpsPerCase);
    }
    RecordProperty("cases", nCases);
    RecordProperty("saves", nSaves);
    std::printf("%d cases, %d operations, %d saves checked\n", nCases, nCases * kOpsPerCase,
                nSaves);
}

// The faults the walk found, each pinned down on its own.
TEST(NothingLost, ASavedCopyLeavesOutGrainsMarkedForRemoval) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl c(&ctx), reloaded(&ctx);
    IVudivuVizezud& api = c;
    WriteFile(dir.File("loop.wav"), SlicedLoop(4000, 4, 44100));
    Load(c, dir.File("loop.wav"));
    api.AssignFileToPad(0, 0);
    ASSERT_EQ(api.RemoveGrain(0, 1, TRUE), S_OK);
    ASSERT_EQ(api.MoveGrain(0, 2, 3, -1, nullptr, TRUE), S_OK);
    ASSERT_EQ(api.SaveProject("m", dir.File("m.pnd").c_str()), S_OK);
    ASSERT_EQ(
        static_cast<IVudivuVizezud&>(reloaded).LoadProject("m.pnd", dir.File("m.pnd").c_str()),
        S_OK);
    EXPECT_EQ(reloaded.Pad(0)->GetSize(), 2); // not 4: the removed and the moved grain stay gone
    EXPECT_EQ(reloaded.Pad(3)->GetSize(), 1);
    api.CommitGrainEdits();
    EXPECT_EQ(dump::Project(c), dump::Project(reloaded));
}

TEST(NothingLost, AnEntryKeepsItsTempoDerivedFromItsLengths) {
    TempDir dir;
    FakeSynthContext ctx(44100);
    TestControl c(&ctx);
    IVudivuVizezud& api = c;
    WriteFile(dir.File("plain.wav"), PlainWave(2205, 44100));
    Load(c, dir.File("plain.wav"));
    const double dBefore = c.BinEntry(0)->m_dTempo;
    ASSERT_EQ(api.SetPadLength(0, 0, 2 * c.BinEntry(0)->m_nLenTicks), S_OK);
    EXPECT_DOUBLE_EQ(c.BinEntry(0)->m_dTempo, 2 * dBefore);
    api.AssignFileToPad(5, 0);
    EXPECT_DOUBLE_EQ(c.Pad(5)->m_dTempo, 2 * dBefore);
}
