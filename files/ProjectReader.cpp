// Reads the project form into a CProjectImage, checking every chunk, record
// and range before anything reaches the engine.
#include "engine/GrainRenderer.h"
#include "engine/LoopLoader.h"
#include "files/ProjectImage.h"
#include "files/ProjectRecords.h"
#include "platform/kernel/TextConvert.h"
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace {
using rec::Get;

// One chunk found inside a parent; reads never leave its body.
struct ChunkIn {
    HMMIO h;
    MMCKINFO ck{};
    DWORD nLeft = 0;

    bool Find(FOURCC id, const MMCKINFO& parent) {
        ck = MMCKINFO{};
        ck.ckid = id;
        if (mmioDescend(h, &ck, &parent, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
        nLeft = ck.cksize;
        return true;
    }
    bool Read(void* p, DWORD n) {
        if (n > nLeft) return false;
        if (mmioRead(h, static_cast<char*>(p), static_cast<LONG>(n)) != static_cast<LONG>(n))
            return false;
        nLeft -= n;
        return true;
    }
    bool ReadDword(uint32_t* pv) {
        uint8_t b[4];
        if (!Read(b, 4)) return false;
        *pv = Get<uint32_t>(b, 0);
        return true;
    }
    bool ReadText(std::wstring* pText) {
        uint32_t n = 0;
        if (!ReadDword(&n) || n > kMaxTextBytes) return false;
        char buffer[kTextBufferLength] = {};
        if (!Read(buffer, n)) return false;
        wchar_t wide[kTextBufferLength];
        MultiByteToWide(buffer, wide, kTextBufferLength);
        *pText = wide;
        return true;
    }
    // A grain count must fit the bytes left, so a wild count fails at once.
    bool ReadGrainCount(uint32_t* pn) {
        uint32_t nIndex = 0;
        return ReadDword(&nIndex) && ReadDword(pn) && *pn <= nLeft / (4 + kGrainRecordBytes);
    }
    bool ReadGrainRecord(uint8_t record[kGrainRecordBytes]) {
        uint32_t nOrdinal = 0;
        return ReadDword(&nOrdinal) && Read(record, kGrainRecordBytes);
    }
    bool Ascend() { return mmioAscend(h, &ck, 0) == MMSYSERR_NOERROR; }
};

LONGLONG Scale(double r, LONGLONG v) {
    return static_cast<LONGLONG>(std::trunc(r * static_cast<double>(v) + 0.5));
}

bool InTime(LONGLONG v) { return v >= 0 && v <= kInfiniteTime; }

// Positions the writer can produce; anything else would overflow the engine's
// start + length arithmetic.
bool TimesInRange(const CGrooveEvent& g) {
    return InTime(g.m_nStartTicks) && InTime(g.m_nLenTicks) && InTime(g.m_nStartSamples);
}

// The stored run lies inside a wave of nFrames stored frames.
bool RunInWave(const CGrooveEvent& g, LONGLONG nFrames) {
    return g.m_nSrcStart >= 0 && g.m_nSrcStart < nFrames && g.m_nLenSamples >= 0 &&
           g.m_nLenSamples <= nFrames - g.m_nSrcStart;
}

// Sample positions to the rate of the converted wave of nFrames frames. The
// length is rounded from the time-line start, so it may end one frame past
// the source; it is held inside, so that the grain saves and loads again.
void Rescale(CGrooveEvent* g, double r, LONGLONG nFrames) {
    const LONGLONG nStart = Scale(r, g->m_nStartSamples);
    g->m_nLenSamples = Scale(r, g->m_nStartSamples + g->m_nLenSamples) - nStart;
    g->m_nStartSamples = nStart;
    g->m_nSrcStart = std::min(Scale(r, g->m_nSrcStart), nFrames);
    g->m_nLenSamples = std::min(g->m_nLenSamples, nFrames - g->m_nSrcStart);
}

// Tails of the grains read so far, by source run: pad grains are copies of
// slices, so most share a tail rather than render their own. The frames of
// the tails rendered are bounded by the sample data read, so that a crafted
// file cannot ask for memory without limit.
class CTailCache {
public:
    void AddBudget(LONGLONG nWaveFrames) { m_nBudget += 8 * nWaveFrames; }
    HRESULT Give(CGrooveEvent* g) {
        const Key key{g->m_pWave, g->m_nSrcStart, g->m_nLenSamples};
        auto it = m_tails.find(key);
        if (it != m_tails.end()) {
            g->SetTail(it->second->m_pTail);
            g->m_nTailSamples = it->second->m_nTailSamples;
            return S_OK;
        }
        if (g->m_nLenSamples > m_nBudget / 2) return E_FAIL;
        m_nBudget -= 2 * g->m_nLenSamples;
        g->SetTail(nullptr);
        g->m_nTailSamples = 0;
        const HRESULT hr = CGrainRenderer::BuildTail(g);
        if (FAILED(hr)) return hr;
        m_tails.emplace(key, g);
        return S_OK;
    }

private:
    using Key = std::tuple<const CWaveMem*, LONGLONG, LONGLONG>;
    std::map<Key, const CGrooveEvent*> m_tails; // grains owned by the image
    LONGLONG m_nBudget = 65536;
};

// Stored floats go straight into rate conversion, tails and the mix: a
// non-finite one would poison them and a huge one overflow them. Decoded
// data never comes near the limit (+120 dB), so real projects are kept.
void ClampStoredSamples(CWaveMem* pWave) {
    constexpr float kMaxStoredSample = 1.0e6f;
    for (LONGLONG i = 0; i < pWave->m_nDataBytes / 4; ++i) {
        float& v = pWave->m_pData[i];
        v = std::isfinite(v) ? std::clamp(v, -kMaxStoredSample, kMaxStoredSample) : 0.0f;
    }
}

HRESULT ReadWave(HMMIO h, const MMCKINFO& form, LONGLONG nFrames, DWORD nRate, CWaveMem** ppWave) {
    MMCKINFO wave{};
    wave.fccType = kFormWave;
    if (mmioDescend(h, &wave, &form, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return E_FAIL;
    ChunkIn c{h};
    uint8_t f[kWaveFormatBytes] = {};
    if (!c.Find(kChunkFormat, wave) || c.ck.cksize < 16 ||
        !c.Read(f, std::min<DWORD>(c.ck.cksize, kWaveFormatBytes)) || !c.Ascend())
        return E_FAIL;
    const WORD nChannels = Get<uint16_t>(f, 2);
    const DWORD nStoredRate = Get<uint32_t>(f, 4);
    if (nChannels < 1 || nChannels > 2 || nStoredRate < kMinWaveRate || nStoredRate > kMaxWaveRate)
        return E_FAIL;
    // A wave longer than any loop the loader takes would grow without bound
    // when converted up to the output rate.
    if (static_cast<double>(nFrames) > kMaxWaveSeconds * nStoredRate + 1.0) return E_FAIL;
    const LONGLONG nBytes =
        WaveMemCapacity(nChannels, nFrames) * static_cast<LONGLONG>(sizeof(float));
    if (!c.Find(kChunkData, wave) || c.ck.cksize != static_cast<ULONGLONG>(nBytes)) return E_FAIL;
    auto* pWave = new (std::nothrow) CWaveMem();
    if (pWave == nullptr) return E_OUTOFMEMORY;
    std::unique_ptr<CWaveMem, void (*)(CWaveMem*)> hold(pWave, [](CWaveMem* p) { p->Release(); });
    HRESULT hr = pWave->Allocate(nChannels, nStoredRate, nFrames);
    if (FAILED(hr)) return hr;
    if (pWave->m_nDataBytes != nBytes || !c.Read(pWave->m_pData, static_cast<DWORD>(nBytes)) ||
        !c.Ascend())
        return E_FAIL;
    ClampStoredSamples(pWave);
    pWave->SetGuardFrame();
    if (FAILED(hr = pWave->ConvertSampleRate(nRate))) return hr;
    // The interpolator may overshoot the limit; clamped again, the wave saves
    // as it is held, and a saved project loads back the same.
    ClampStoredSamples(pWave);
    if (FAILED(hr = pWave->BuildOverview(kOverviewBlocks))) return hr;
    if (mmioAscend(h, &wave, 0) != MMSYSERR_NOERROR) return E_FAIL;
    *ppWave = hold.release();
    return S_OK;
}

HRESULT ReadEntry(HMMIO h, const MMCKINFO& form, DWORD nRate, CTailCache& tails,
                  CGrooveTrack* pEntry, LONGLONG* pnStoredFrames) {
    ChunkIn c{h};
    uint32_t nIndex = 0;
    uint8_t track[kTrackRecordBytes];
    if (!c.Find(kChunkEntryTrack, form) || !c.ReadDword(&nIndex) ||
        nIndex >= static_cast<uint32_t>(kLoopBinCapacity) || !c.Read(track, sizeof(track)) ||
        !CheckTrackRecord(track) || !c.ReadText(&pEntry->m_strName) ||
        !c.ReadText(&pEntry->m_strPath) || !c.Ascend())
        return E_FAIL;
    const LONGLONG nFrames = Get<int64_t>(track, 0);
    CWaveMem* pWave = nullptr;
    HRESULT hr = ReadWave(h, form, nFrames, nRate, &pWave);
    if (FAILED(hr)) return hr;
    ApplyTrackRecord(track, pEntry);
    pEntry->SetWave(pWave);
    pWave->Release();
    const double r = pWave->m_dRateRatio;
    // The entry's length follows its wave to the new rate, so that it still
    // describes the data (and a saved copy of it loads again).
    pEntry->m_nLenSamples = Scale(r, pEntry->m_nLenSamples);
    // Longer than a project can store at the new rate, it could not be saved
    // and loaded again.
    if (static_cast<ULONGLONG>(pEntry->m_nLenSamples) > kMaxTrackSamples) return E_FAIL;
    pEntry->RecomputeTempo();
    tails.AddBudget(pWave->m_nFrames);

    uint32_t nGrains = 0;
    if (!c.Find(kChunkEntryGrains, form) || !c.ReadGrainCount(&nGrains)) return E_FAIL;
    for (uint32_t i = 0; i < nGrains; ++i) {
        uint8_t record[kGrainRecordBytes];
        if (!c.ReadGrainRecord(record)) return E_FAIL;
        auto* g = new (std::nothrow) CGrooveEvent();
        if (g == nullptr) return E_OUTOFMEMORY;
        pEntry->AddGrainAtEnd(g); // owned by the entry from here on
        DecodeGrainRecord(record, g);
        // A slice must lie inside its own wave; it is the source every pad
        // grain cut from it plays.
        if (g->m_nSourceIndex < 0 || g->m_nSourceIndex >= kLoopBinCapacity || !TimesInRange(*g) ||
            !RunInWave(*g, nFrames))
            return E_FAIL;
        Rescale(g, r, pWave->m_nFrames);
        if (!TimesInRange(*g)) return E_FAIL; // also at the new rate
        g->SetWave(pWave);
        if (FAILED(hr = tails.Give(g))) return hr;
    }
    *pnStoredFrames = nFrames;
    return c.Ascend() ? S_OK : E_FAIL;
}
HRESULT ReadPads(HMMIO h, const MMCKINFO& form, CTailCache& tails, CProjectImage* pImage) {
    ChunkIn c{h};
    for (int p = 0; p < kPadCount; ++p) {
        uint32_t nIndex = 0;
        uint8_t track[kTrackRecordBytes];
        if (!c.Find(kChunkPadTrack, form) || !c.ReadDword(&nIndex) ||
            !c.Read(track, sizeof(track)) || !CheckTrackRecord(track) || !c.Ascend())
            return E_FAIL;
        auto* pPad = new (std::nothrow) CGrooveTrack(pImage->Context());
        if (pPad == nullptr) return E_OUTOFMEMORY;
        pImage->SetPad(p, pPad);
        ApplyTrackRecord(track, pPad);
        double dPadRatio = 1.0;
        bool bRatioKnown = false;

        uint32_t nGrains = 0;
        if (!c.Find(kChunkPadGrains, form) || !c.ReadGrainCount(&nGrains)) return E_FAIL;
        for (uint32_t i = 0; i < nGrains; ++i) {
            uint8_t record[kGrainRecordBytes];
            if (!c.ReadGrainRecord(record)) return E_FAIL;
            std::unique_ptr<CGrooveEvent> g(new (std::nothrow) CGrooveEvent());
            if (g == nullptr) return E_OUTOFMEMORY;
            DecodeGrainRecord(record, g.get());
            if (g->m_nSourceIndex < 0 || g->m_nSourceIndex >= kLoopBinCapacity || !TimesInRange(*g))
                return E_FAIL;
            // Grains of a missing entry or slice, or beyond the source, are dropped.
            if (g->m_nSourceIndex >= pImage->EntryCount()) continue;
            const CGrooveTrack* pEntry = pImage->Entry(g->m_nSourceIndex);
            const CGrooveEvent* pSlice = pEntry->GetAt(g->m_nSliceIndex);
            if (pSlice == nullptr || pSlice->m_pWave == nullptr) continue;
            // Compared with the wave as stored: the stored run is at the
            // stored rate, whatever the rate it is converted to.
            if (!RunInWave(*g, pImage->StoredFrames(g->m_nSourceIndex))) continue;
            CWaveMem* pWave = pSlice->m_pWave;
            Rescale(g.get(), pWave->m_dRateRatio, pWave->m_nFrames);
            if (!TimesInRange(*g)) return E_FAIL;
            g->SetWave(pWave);
            const HRESULT hr = tails.Give(g.get());
            if (FAILED(hr)) return hr;
            if (!bRatioKnown) {
                dPadRatio = pWave->m_dRateRatio;
                bRatioKnown = true;
            }
            pPad->AddGrainAtEnd(g.release());
        }
        if (!c.Ascend()) return E_FAIL;
        // The pad's length in samples was counted at the rate its grains were
        // saved at; it follows them to the new rate.
        pPad->m_nLenSamples = Scale(dPadRatio, pPad->m_nLenSamples);
        if (static_cast<ULONGLONG>(pPad->m_nLenSamples) > kMaxTrackSamples) return E_FAIL;
        pPad->RecomputeTempo();
    }
    return S_OK;
}
} // namespace

HRESULT ReadProject(HMMIO h, DWORD nRate, CProjectImage* pImage) {
    if (h == nullptr || pImage == nullptr) return E_FAIL;
    MMCKINFO form{};
    if (mmioDescend(h, &form, nullptr, 0) != MMSYSERR_NOERROR || form.ckid != FOURCC_RIFF ||
        form.fccType != kFormProject)
        return E_FAIL;
    ChunkIn c{h};
    uint32_t nVersion = 0, nAudition = 0, nEntries = 0, nPads = 0;
    if (!c.Find(kChunkCommon, form) || !c.ReadDword(&nVersion) || !c.ReadDword(&nAudition) ||
        !c.ReadDword(&nEntries) || !c.ReadDword(&nPads) || !c.Ascend())
        return E_FAIL;
    if (nVersion != kProjectVersion || nEntries > static_cast<uint32_t>(kLoopBinCapacity) ||
        nPads != static_cast<uint32_t>(kPadCount))
        return E_FAIL;
    pImage->SetGrainAudition(static_cast<BOOL>(nAudition));

    uint32_t nKeys = 0;
    if (!c.Find(kChunkKeyMap, form) || !c.ReadDword(&nKeys) ||
        nKeys > static_cast<uint32_t>(kKeyMapCapacity))
        return E_FAIL;
    for (uint32_t i = 0; i < nKeys; ++i) {
        uint8_t record[kKeyMapRecordBytes];
        TrackKeyInfoImp entry;
        if (!c.Read(record, sizeof(record)) || !DecodeKeyMapRecord(record, &entry)) return E_FAIL;
        pImage->MutableKeys().SetEntry(entry);
    }
    if (!c.Ascend()) return E_FAIL;

    CTailCache tails;
    for (uint32_t i = 0; i < nEntries; ++i) {
        auto* pEntry = new (std::nothrow) CGrooveTrack(pImage->Context());
        if (pEntry == nullptr) return E_OUTOFMEMORY;
        LONGLONG nFrames = 0;
        const HRESULT hr = ReadEntry(h, form, nRate, tails, pEntry, &nFrames);
        if (FAILED(hr)) {
            delete pEntry;
            return hr;
        }
        pImage->AddEntry(pEntry, nFrames);
    }
    const HRESULT hr = ReadPads(h, form, tails, pImage);
    if (FAILED(hr)) return hr;
    return mmioAscend(h, &form, 0) == MMSYSERR_NOERROR ? S_OK : E_FAIL;
}
