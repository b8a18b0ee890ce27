// Host persistence: the version text, the form behind it at the stream's
// position, the stream left just after the state, the stream I/O procedure's
// answers, and loads that fail without touching the engine.
#include "ProjectScene.h"
#include "files/StreamIOProc.h"
#include "platform/com/PersistStream.h"
#include "platform/com/StreamBase.h"
#include <algorithm>
#include <functional>
#include <utility>

using namespace fixture;
using riff::Bytes;

namespace {
// The instrument object as the filter is: persistence hooks that call the
// engine's state operations, which take the lock themselves, briefly.
class PersistentControl : public TestControl, public CPersistStream {
public:
    explicit PersistentControl(CDXiSynthContext* p) : CDXi(p), TestControl(p) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return TestControl::QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetClassID(CLSID* p) override {
        *p = GUID_NULL;
        return S_OK;
    }
    HRESULT WriteState(IStream* s) override { return SaveState(s); }
    HRESULT ReadState(IStream* s) override { return LoadState(s); }
};

struct StreamHolder {
    StreamHolder() { EXPECT_EQ(CreateMemoryStream(&p), S_OK); }
    ~StreamHolder() { p->Release(); }
    ULONGLONG Position() const {
        ULARGE_INTEGER pos{0};
        p->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &pos);
        return pos.QuadPart;
    }
    void Seek(LONGLONG at) { p->Seek(LARGE_INTEGER{at}, STREAM_SEEK_SET, nullptr); }
    Bytes All() {
        STATSTG st;
        p->Stat(&st, STATFLAG_NONAME);
        Bytes b(static_cast<size_t>(st.cbSize.QuadPart));
        const ULONGLONG at = Position();
        Seek(0);
        ULONG n = 0;
        p->Read(b.data(), static_cast<ULONG>(b.size()), &n);
        Seek(static_cast<LONGLONG>(at));
        return b;
    }
    void Write(const Bytes& b) { p->Write(b.data(), static_cast<ULONG>(b.size()), nullptr); }
    IStream* p = nullptr;
};

Bytes Utf16(const std::string& s) {
    Bytes b;
    for (char ch : s) {
        b.push_back(static_cast<uint8_t>(ch));
        b.push_back(0);
    }
    return b;
}

// A read-only stream over bytes that calls a hook at its first read, as a
// host changing the output format while a state is read would.
class CHookedStream : public CStreamBase {
public:
    CHookedStream(Bytes bytes, std::function<void()> hook)
        : m_bytes(std::move(bytes)), m_hook(std::move(hook)) {}
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (m_hook) std::exchange(m_hook, nullptr)();
        const auto n =
            static_cast<ULONG>(std::min<LONGLONG>(cb, std::max<LONGLONG>(Size() - m_nPos, 0)));
        std::memcpy(pv, m_bytes.data() + m_nPos, n);
        m_nPos += n;
        if (pcbRead != nullptr) *pcbRead = n;
        return S_OK;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* pPos) override {
        return SeekWithin(&m_nPos, Size(), move, origin, pPos);
    }
    HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT Stat(STATSTG* p, DWORD) override { return StatOfSize(p, Size()); }
    LONGLONG Position() const { return m_nPos; }

private:
    LONGLONG Size() const { return static_cast<LONGLONG>(m_bytes.size()); }
    Bytes m_bytes;
    std::function<void()> m_hook;
    LONGLONG m_nPos = 0;
};

struct Persist : ::testing::Test {
    FakeSynthContext ctx{44100};
    PersistentControl obj{&ctx};
    TempDir dir;
};
} // namespace

TEST_F(Persist, SaveWritesTheVersionTextAndTheFormAtTheStreamPosition) {
    ULARGE_INTEGER size{0};
    EXPECT_EQ(obj.GetSizeMax(&size), S_OK);
    EXPECT_EQ(obj.IsDirty(), S_FALSE); // measuring is not saving
    StreamHolder s;
    s.Write(Bytes(100, 0xAB));
    ASSERT_EQ(obj.Save(s.p, TRUE), S_OK);
    EXPECT_EQ(obj.IsDirty(), S_FALSE);
    const Bytes all = s.All();
    ASSERT_GT(all.size(), 124u);
    EXPECT_EQ(Bytes(all.begin() + 100, all.begin() + 124), Utf16("00000000000 "));
    // The form is the one a project file holds.
    static_cast<IVudivuVizezud&>(obj).SaveProject("f.pnd", dir.File("f.pnd").c_str());
    EXPECT_EQ(Bytes(all.begin() + 124, all.end()), ReadFile(dir.File("f.pnd")));
    EXPECT_EQ(s.Position(), all.size());
    // The size a host prepares its stream with is what the save writes.
    EXPECT_EQ(size.QuadPart, all.size() - 100);
    ASSERT_EQ(obj.Save(s.p, FALSE), S_OK);
    EXPECT_EQ(obj.IsDirty(), S_OK);
}

TEST_F(Persist, LoadReadsTheVersionAndLeavesTheStreamAfterTheState) {
    BuildScene(obj, dir);
    StreamHolder s;
    ASSERT_EQ(obj.Save(s.p, TRUE), S_OK);
    Bytes state = s.All();
    ULARGE_INTEGER size{0}; // with sample data, too, the exact size of the save
    ASSERT_EQ(obj.GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, state.size());
    // "-12" and a space, 24 bytes like any version text, then the form and a trailer.
    Bytes stream = Utf16("-0000000012 ");
    stream.insert(stream.end(), state.begin() + 24, state.end());
    const size_t end = stream.size();
    stream.insert(stream.end(), {'t', 'a', 'i', 'l'});
    StreamHolder in;
    in.Write(stream);
    in.Seek(0);
    PersistentControl other(&ctx);
    ASSERT_EQ(other.Load(in.p), S_OK);
    EXPECT_EQ(other.GetFileVersion(), -12);
    EXPECT_EQ(in.Position(), end);
    ExpectSameProject(obj, other);
    // A short text: "-12\t" then the form.
    Bytes shortText = Utf16("-12\t");
    shortText.insert(shortText.end(), state.begin() + 24, state.end());
    StreamHolder in2;
    in2.Write(shortText);
    in2.Seek(0);
    PersistentControl third(&ctx);
    ASSERT_EQ(third.Load(in2.p), S_OK);
    EXPECT_EQ(third.GetFileVersion(), -12);
    EXPECT_EQ(in2.Position(), shortText.size());
}

TEST_F(Persist, MalformedTextOrFormLeavesTheEngineAlone) {
    BuildScene(obj, dir);
    PersistentControl copy(&ctx);
    StreamHolder good;
    ASSERT_EQ(obj.Save(good.p, TRUE), S_OK);
    Bytes state = good.All();
    Bytes lettered = Utf16("00000000012x");
    lettered.insert(lettered.end(), state.begin() + 24, state.end());
    StreamHolder s;
    s.Write(lettered);
    s.Seek(0);
    EXPECT_EQ(obj.Load(s.p), VFW_E_INVALID_FILE_FORMAT);
    StreamHolder empty;
    EXPECT_EQ(obj.Load(empty.p), VFW_E_INVALID_FILE_FORMAT);
    // A form cut short fails after the text, and the engine keeps its project.
    good.Seek(0);
    ASSERT_EQ(copy.Load(good.p), S_OK);
    Bytes cut(state.begin(), state.end() - 300);
    StreamHolder c2;
    c2.Write(cut);
    c2.Seek(0);
    EXPECT_EQ(obj.Load(c2.p), E_FAIL);
    ExpectSameProject(copy, obj);
}

// The state is read without the engine lock, so the host may set another
// output rate meanwhile: the project is read again for the rate it plays at.
TEST_F(Persist, AnOutputRateSetWhileTheStateIsReadIsTheRateItLoadsAt) {
    BuildScene(obj, dir);
    StreamHolder saved;
    ASSERT_EQ(obj.SaveState(saved.p), S_OK);
    const Bytes state = saved.All();
    PersistentControl other(&ctx), direct(&ctx);
    direct.SetOutputFormatRecord(MakeFloatFormat(2, 48000));
    saved.Seek(0);
    ASSERT_EQ(direct.LoadState(saved.p), S_OK);
    ComPtr<CHookedStream> in = MakeCom<CHookedStream>(
        state, [&] { other.SetOutputFormatRecord(MakeFloatFormat(2, 48000)); });
    ASSERT_EQ(other.LoadState(in.Get()), S_OK);
    EXPECT_EQ(in->Position(), static_cast<LONGLONG>(state.size()));
    ASSERT_EQ(other.BinCount(), 2);
    EXPECT_EQ(other.BinEntry(0)->m_pWave->m_wfx.nSamplesPerSec, 48000u);
    ExpectSameProject(direct, other);
}

TEST(StreamIOProc, AnswersAsTheContextRules) {
    EXPECT_EQ(StreamIOProc(nullptr, MMIOM_READ, 0, 0), static_cast<LRESULT>(MMSYSERR_INVALPARAM));
    MMIOINFO none{};
    EXPECT_EQ(StreamIOProc(reinterpret_cast<char*>(&none), MMIOM_OPEN, 0, 0),
              static_cast<LRESULT>(MMSYSERR_INVALPARAM));
    StreamHolder s;
    s.Write(Bytes(10, 1));
    MMIOINFO info;
    ASSERT_EQ(PrepareStreamIO(s.p, MMIO_READWRITE, &info), S_OK);
    auto* pi = reinterpret_cast<char*>(&info);
    EXPECT_EQ(info.adwInfo[1], 10u);
    const char data[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(StreamIOProc(pi, MMIOM_WRITE, reinterpret_cast<LPARAM>(data), 6), 6);
    EXPECT_EQ(StreamIOProc(pi, MMIOM_SEEK, 2, SEEK_SET), 2);
    EXPECT_EQ(s.Position(), 12u);
    EXPECT_EQ(StreamIOProc(pi, MMIOM_SEEK, 1, SEEK_CUR), 3);
    char back[2] = {};
    EXPECT_EQ(StreamIOProc(pi, MMIOM_READ, reinterpret_cast<LPARAM>(back), 2), 2);
    EXPECT_EQ(back[0], 4);
    EXPECT_EQ(StreamIOProc(pi, MMIOM_SEEK, 0, SEEK_END), -1);
    EXPECT_EQ(StreamIOProc(pi, MMIOM_SEEK, 0, 7), 0);
    EXPECT_EQ(info.dwReserved1, 6u);
    EXPECT_EQ(StreamIOProc(pi, MMIOM_CLOSE, 0, 0), 0);
    EXPECT_EQ(s.Position(), 16u); // base + high-water mark
}

TEST(FileStream, ReadsWritesSeeksAndReportsMissingFiles) {
    TempDir dir;
    IStream* p = nullptr;
    EXPECT_EQ(CreateFileStream(dir.File("none").c_str(), STGM_READ, &p), STG_E_FILENOTFOUND);
    ASSERT_EQ(CreateFileStream(dir.File("f").c_str(), STGM_READWRITE | STGM_CREATE, &p), S_OK);
    ULONG n = 0;
    EXPECT_EQ(p->Write("abcdef", 6, &n), S_OK);
    EXPECT_EQ(n, 6u);
    ULARGE_INTEGER pos{0};
    EXPECT_EQ(p->Seek(LARGE_INTEGER{-2}, STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 4u);
    char buf[8] = {};
    EXPECT_EQ(p->Read(buf, 8, &n), S_OK);
    EXPECT_EQ(n, 2u);
    EXPECT_STREQ(buf, "ef");
    STATSTG st;
    EXPECT_EQ(p->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.cbSize.QuadPart, 6u);
    EXPECT_EQ(p->Seek(LARGE_INTEGER{-1}, STREAM_SEEK_SET, nullptr), STG_E_SEEKERROR);
    p->Release();
}
