#include "realtime/LockWaitRig.h"
#include "engine/KeyMap.h"
#include "interfaces/IVudivuVizezud.h"
#include "platform/com/Persist.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// 4800 frames at 48 kHz; the pads are gated, so each chunk starts and ends them.
constexpr LONGLONG kChunkFrames = 4800;

ComPtr<IPersistStream> PersistOf(IVudivuVizezud* pControl) {
    void* pv = nullptr;
    if (FAILED(pControl->QueryInterface(IID_IPersistStream, &pv))) return nullptr;
    ComPtr<IPersistStream> p;
    p.Attach(static_cast<IPersistStream*>(pv));
    return p;
}
} // namespace

CLockWaitRig::~CLockWaitRig() {
    m_bStop = true;
    if (m_stream.joinable()) m_stream.join();
}

bool CLockWaitRig::Create(int nEntries, std::string* pstrError) {
    if (!m_content.Create(30.0, pstrError) ||
        !m_host.Open(BuiltModule(), StreamingOptions(false), CTempoMap(), pstrError))
        return false;
    IVudivuVizezud* pControl = Control();
    for (int i = 0; i < nEntries; ++i) {
        // Each entry its own file: a path already in the Loop Bin is not loaded again.
        const std::string strPath = m_content.LongPath() + "." + std::to_string(i) + ".wav";
        std::error_code ec;
        std::filesystem::copy_file(m_content.LongPath(), strPath, ec);
        LONG nIndex = -1, nStatus = 0;
        if (ec || pControl->LoadFileToBin("long", strPath.c_str(), &nIndex, &nStatus) != S_OK ||
            pControl->AssignFileToPad(i, nIndex) != S_OK || pControl->SetPadLatch(i, FALSE) != S_OK)
            return *pstrError = "cannot lay " + strPath + " on a pad", false;
        m_notes.push_back({0, true, 0, static_cast<uint8_t>(CKeyMap::DefaultKey(i)), 100});
        m_notes.push_back({150, false, 0, static_cast<uint8_t>(CKeyMap::DefaultKey(i)), 0});
    }
    if (m_content.SaveProject(pControl) != S_OK) return *pstrError = "cannot save", false;
    m_state = SavedState(pControl);
    if (m_state.empty()) return *pstrError = "cannot save the state", false;
    m_stream = std::thread([this] { Stream(); });
    // Let the stream settle before anything is measured.
    while (m_nChunks < 4 && !m_bFailed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !m_bFailed || (*pstrError = "the streaming thread failed", false);
}

void CLockWaitRig::Stream() {
    audio_probe::CAudioThread mark;
    std::string strWhy;
    std::sort(m_notes.begin(), m_notes.end(),
              [](const MidiNoteEvent& a, const MidiNoteEvent& b) { return a.nTick < b.nTick; });
    while (!m_bStop) {
        if (!m_host.Render(m_notes, kChunkFrames, nullptr, &strWhy)) {
            std::fprintf(stderr, "render: %s\n", strWhy.c_str());
            m_bFailed = true;
            return;
        }
        if (!m_host.HasSound(0)) ++m_nSilent;
        ++m_nChunks;
    }
}

CLockWaitRig::Result CLockWaitRig::Measure(const std::function<HRESULT()>& op) {
    Result r;
    const uint64_t nChunksBefore = m_nChunks, nSilentBefore = m_nSilent;
    audio_probe::Reset();
    const auto start = Clock::now();
    r.hr = op();
    r.dMs = Ms(Clock::now() - start);
    // A wait is recorded when it ends: let the stream finish the chunk that
    // may still wait for the lock the operation just released.
    const uint64_t nAfter = m_nChunks;
    while (m_nChunks < nAfter + 2 && !m_bFailed)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    const audio_probe::Report report = audio_probe::Take();
    r.dWorstWaitMs = static_cast<double>(report.nWorstWaitNs) / 1e6;
    r.nContended = report.nContended;
    r.nChunks = m_nChunks - nChunksBefore;
    r.nSilentChunks = m_nSilent - nSilentBefore;
    return r;
}

CLockWaitRig::Result CLockWaitRig::MeasureBest(const std::function<HRESULT()>& op,
                                               const char* pszWhat) {
    Result best;
    for (int i = 0; i < 3; ++i) {
        const Result r = Measure(op);
        std::printf("%s: %.0f ms; the streaming thread rendered %llu chunks (%llu silent) and "
                    "waited for the lock %llu times, longest %.3f ms\n",
                    pszWhat, r.dMs, static_cast<unsigned long long>(r.nChunks),
                    static_cast<unsigned long long>(r.nSilentChunks),
                    static_cast<unsigned long long>(r.nContended), r.dWorstWaitMs);
        if (i == 0 || r.dWorstWaitMs < best.dWorstWaitMs) best = r;
        if (r.dWorstWaitMs <= 1.0) return r;
    }
    return best;
}

ComPtr<IStream> CLockWaitRig::StreamOf(const std::vector<uint8_t>& bytes) {
    ComPtr<IStream> pStream;
    ULONG nWritten = 0;
    if (FAILED(CreateMemoryStream(pStream.ReleaseAndGetAddressOf())) ||
        FAILED(pStream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &nWritten)) ||
        nWritten != bytes.size() ||
        FAILED(pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr)))
        return nullptr;
    return pStream;
}

HRESULT CLockWaitRig::Restore(IStream* pStream) const {
    ComPtr<IPersistStream> pPersist = PersistOf(Control());
    if (!pPersist) return E_NOINTERFACE;
    const HRESULT hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return FAILED(hr) ? hr : pPersist->Load(pStream);
}
