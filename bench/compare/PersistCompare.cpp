// Saving and loading a project of 16 Loop Bin entries, each the 30-second
// stereo loop, through IPersistStream to a memory stream, against a plain
// write and read of the same bytes to and from the same kind of stream. As a
// host does, each save goes into a stream sized beforehand (SetSize clears it,
// so both sides write into memory already touched); each read goes into fresh
// memory of the allocator the instrument keeps sample data in.
#include "bench/compare/CompareInstrument.h"
#include "bench/compare/Comparisons.h"
#include "bench/compare/CpuClock.h"
#include "engine/WaveMemBlock.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kReps = 3;
constexpr DWORD kRate = 48000;

struct StreamHolder {
    IStream* p = nullptr;
    ~StreamHolder() { Reset(); }
    void Reset() {
        if (p != nullptr) p->Release();
        p = nullptr;
    }
    void Fresh() {
        Reset();
        CreateMemoryStream(&p);
    }
    // A new stream of nBytes bytes, positioned at its start.
    void Sized(ULONGLONG nBytes) {
        Fresh();
        ULARGE_INTEGER size{};
        size.QuadPart = nBytes;
        p->SetSize(size);
    }
    void Holding(const std::vector<uint8_t>& bytes) {
        Fresh();
        p->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        p->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    }
};

// The 16-entry project in an instrument; null (with a message) on failure.
IPersistStream* BuildProject(const CCompareLoop& loop, CCompareInstrument& inst) {
    // Sixteen files of their own: the Loop Bin keeps one entry per file.
    bool bLoaded = inst.Ok();
    for (int e = 0; e < kLoopBinCapacity && bLoaded; ++e) {
        const std::string strLoop = "/dev/shm/pandrel-compare-" + std::to_string(getpid()) + "-" +
                                    std::to_string(e) + ".wav";
        const std::vector<uint8_t>& wav = loop.WavFile();
        FILE* f = std::fopen(strLoop.c_str(), "wb");
        bLoaded = f != nullptr && std::fwrite(wav.data(), 1, wav.size(), f) == wav.size();
        if (f != nullptr) std::fclose(f);
        bLoaded = bLoaded && inst.LoadLoop(strLoop) >= 0;
        std::remove(strLoop.c_str());
    }
    IPersistStream* pPersist = bLoaded ? inst.Persist() : nullptr;
    if (pPersist == nullptr)
        std::fprintf(stderr, "compare: cannot build the 16-entry project %s\n",
                     inst.Error().c_str());
    return pPersist;
}
} // namespace

void ProfilePersistLoad(const CCompareLoop& loop, const std::string& strLibrary) {
    CCompareInstrument inst(strLibrary, kRate);
    IPersistStream* pPersist = BuildProject(loop, inst);
    if (pPersist == nullptr) return;
    StreamHolder s;
    s.Fresh();
    pPersist->Save(s.p, FALSE);
    const std::vector<uint8_t> bytes = StreamBytes(s.p);
    const double load = BestOf(
        kReps, [&] { s.Holding(bytes); }, [&] { pPersist->Load(s.p); });
    std::printf("project load: %.1f ms\n", 1e3 * load);
    pPersist->Release();
}

void ComparePersistence(const CCompareLoop& loop, const std::string& strLibrary,
                        CCompareTable& table) {
    CCompareInstrument inst(strLibrary, kRate);
    IPersistStream* pPersist = BuildProject(loop, inst);
    if (pPersist == nullptr) return;
    // The host sizes the stream from GetSizeMax (the exact size of a save); a
    // shorter answer would be reported and the size of a save used instead.
    StreamHolder s;
    s.Fresh();
    HRESULT hr = pPersist->Save(s.p, FALSE);
    const std::vector<uint8_t> bytes = StreamBytes(s.p);
    ULARGE_INTEGER sizeMax{};
    if (FAILED(pPersist->GetSizeMax(&sizeMax))) sizeMax.QuadPart = 0;
    if (sizeMax.QuadPart < bytes.size())
        std::fprintf(stderr, "compare: GetSizeMax gives %llu bytes for a %zu-byte project\n",
                     static_cast<unsigned long long>(sizeMax.QuadPart), bytes.size());
    const ULONGLONG nSize = std::max<ULONGLONG>(sizeMax.QuadPart, bytes.size());
    const double save = BestOf(
        kReps, [&] { s.Sized(nSize); },
        [&] {
            if (FAILED(pPersist->Save(s.p, FALSE))) hr = E_FAIL;
        });
    const double load = BestOf(
        kReps, [&] { s.Holding(bytes); },
        [&] {
            if (FAILED(pPersist->Load(s.p))) hr = E_FAIL;
        });
    if (FAILED(hr)) std::fprintf(stderr, "compare: saving or loading the project failed\n");
    const double write = BestOf(
        kReps, [&] { s.Sized(nSize); },
        [&] { s.p->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr); });
    // Like the instrument, which allocates the sample data it reads, the plain
    // read puts the bytes into new memory, from the same allocator.
    CWaveMemBlock back;
    const double read = BestOf(
        kReps,
        [&] {
            back.Free();
            s.Holding(bytes);
        },
        [&] {
            back.Allocate(static_cast<LONGLONG>(bytes.size() / sizeof(float)) + 1, false);
            s.p->Read(back.Data(), static_cast<ULONG>(bytes.size()), nullptr);
        });
    pPersist->Release();
    const double mb = static_cast<double>(bytes.size()) / 1e6;
    table.Add({Format("save 16 x 30-s stereo project (%.0f MB) to memory", mb),
               Format("%.0f MB/s", mb / save), Format("plain write %.0f MB/s", mb / write),
               write / save, ">= 0.5x", write / save >= 0.5});
    table.Add({"load the same project from memory", Format("%.0f MB/s", mb / load),
               Format("plain read %.0f MB/s", mb / read), read / load, ">= 0.5x",
               read / load >= 0.5});
}
