#include "engine/LoopLoader.h"
#include "engine/GrainRenderer.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

template <typename Read>
void DecodeWith(const uint8_t* p, DWORD nFrames, int nChannels, int nBlockAlign, int nBytes,
                float* pOut, Read read) {
    for (DWORD f = 0; f < nFrames; ++f, p += nBlockAlign)
        for (int ch = 0; ch < nChannels; ++ch) *pOut++ = read(p + ch * nBytes);
}

// Float samples that are not finite become silence, and magnitudes beyond
// +60 dB are limited, so that no later sum (rate conversion, tails, the mix)
// can overflow to infinity.
constexpr double kMaxSample = 1000.0;
float Finite(double v) {
    return std::isfinite(v) ? static_cast<float>(std::clamp(v, -kMaxSample, kMaxSample)) : 0.0f;
}

void ResetEntry(CGrooveTrack* pEntry) {
    pEntry->m_strName.clear();
    pEntry->m_strPath.clear();
    pEntry->Clear();
    pEntry->SetWave(nullptr);
}

std::wstring FileNameOf(const wchar_t* pszPath) {
    if (pszPath == nullptr) return {};
    const wchar_t* pName = pszPath;
    for (const wchar_t* p = pszPath; *p != 0; ++p)
        if (*p == L'/' || *p == L'\\') pName = p + 1;
    return pName;
}

// A new grain over frames [nStart, nStart + nLength) of pWave, with its tail.
CGrooveEvent* MakeGrain(CWaveMem* pWave, LONGLONG nStart, LONGLONG nLength, LONG nEntryIndex,
                        LONG nSlice) {
    auto* pGrain = new (std::nothrow) CGrooveEvent();
    if (pGrain == nullptr) return nullptr;
    pGrain->SetWave(pWave);
    pGrain->SetSrcStart(nStart);
    pGrain->m_nLenSamples = nLength;
    pGrain->m_nSourceIndex = nEntryIndex;
    pGrain->m_nSliceIndex = nSlice;
    if (FAILED(CGrainRenderer::BuildTail(pGrain))) {
        delete pGrain;
        return nullptr;
    }
    return pGrain;
}

} // namespace

LONGLONG PlainFileBeats(double dSeconds) {
    if (!(dSeconds > 0.0)) return 1;
    const double dBeats = std::exp2(std::floor(std::log2(2.0 * dSeconds) + 0.5));
    return dBeats < 1.0 ? 1 : static_cast<LONGLONG>(dBeats);
}

HRESULT DecodeFrames(const WAVEFORMATEX& wfx, const uint8_t* pData, DWORD nFrames,
                     CWaveMem* pWave) {
    const int c = wfx.nChannels, bits = wfx.wBitsPerSample, bytes = bits / 8;
    if (c < 1 || c > 2 || bits % 8 != 0 || wfx.nBlockAlign < c * bytes ||
        (pData == nullptr && nFrames > 0))
        return E_FAIL;
    const bool isFloat = wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    const bool isPcm = wfx.wFormatTag == WAVE_FORMAT_PCM;
    if (!(isFloat && (bits == 32 || bits == 64)) && !(isPcm && bits >= 8 && bits <= 32))
        return E_FAIL;
    const HRESULT hr = pWave->Allocate(static_cast<WORD>(c), wfx.nSamplesPerSec, nFrames);
    if (FAILED(hr)) return hr;
    float* out = pWave->m_pData;
    const int align = wfx.nBlockAlign;
    if (isFloat && bits == 32) {
        DecodeWith(pData, nFrames, c, align, 4, out, [](const uint8_t* p) {
            float v;
            std::memcpy(&v, p, 4);
            return Finite(v);
        });
    } else if (isFloat) {
        DecodeWith(pData, nFrames, c, align, 8, out, [](const uint8_t* p) {
            double v;
            std::memcpy(&v, p, 8);
            return Finite(v);
        });
    } else if (bits == 8) {
        DecodeWith(pData, nFrames, c, align, 1, out,
                   [](const uint8_t* p) { return (p[0] - 128) * (1.0f / 128.0f); });
    } else if (bits == 16) {
        DecodeWith(pData, nFrames, c, align, 2, out, [](const uint8_t* p) {
            const int16_t v = static_cast<int16_t>(p[0] | (p[1] << 8));
            return static_cast<float>(v * 3.0517578125e-5);
        });
    } else if (bits == 24) {
        DecodeWith(pData, nFrames, c, align, 3, out, [](const uint8_t* p) {
            int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
            if (v & 0x800000) v -= 0x1000000;
            return static_cast<float>(v * 1.1920928955078125e-7);
        });
    } else if (bits == 32) {
        DecodeWith(pData, nFrames, c, align, 4, out, [](const uint8_t* p) {
            int32_t v;
            std::memcpy(&v, p, 4);
            return static_cast<float>(v * (1.0 / 2147483648.0));
        });
    } else {
        pWave->Free();
        return E_FAIL;
    }
    pWave->SetGuardFrame();
    return S_OK;
}

namespace {
// Decodes src, builds its overview and converts it to nOutRate; the entry
// holds the wave from then on (*ppWave is the entry's, without a reference).
HRESULT LoadWave(CGrooveTrack* pEntry, const LoopSource& src, DWORD nOutRate, CWaveMem** ppWave) {
    auto* pWave = new (std::nothrow) CWaveMem();
    if (pWave == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = DecodeFrames(src.wfx, src.pData, src.nFrames, pWave);
    if (SUCCEEDED(hr)) {
        pEntry->SetWave(pWave);
        pEntry->m_nLenSamples = pWave->m_nFrames;
        pEntry->RecomputeTempo();
        hr = pWave->BuildOverview(kOverviewBlocks);
    }
    if (SUCCEEDED(hr)) hr = pWave->ConvertSampleRate(nOutRate);
    pWave->Release(); // the entry holds it now (or nobody on failure)
    *ppWave = pWave;
    return hr;
}

// A loop's slices as synced grains, placed on the time line by their share of
// the loop's frames and beats; the entry loops, synced, at the loop's key.
HRESULT AddSlices(CGrooveTrack* pEntry, CWaveMem* pWave, const LoopSource& src, double dBeats,
                  LONG nEntryIndex) {
    const LONGLONG nTotal = pWave->m_nFrames;
    const double dTotal = static_cast<double>(nTotal), dBlocks = pWave->m_nPeakBlocks;
    const double dBeatTicks = static_cast<double>(kTicksPerBeat);
    const double dRatio = pWave->m_dRateRatio;
    for (int k = 0; k < src.nSegments; ++k) {
        const double s = src.pSegments[k].nStart, l = src.pSegments[k].nLength;
        const LONGLONG nStart = RoundHalfUp(s * dRatio);
        const LONGLONG nLength = RoundHalfUp((s + l) * dRatio) - nStart;
        if (nStart + nLength > nTotal) break;
        if (nLength < 1) continue; // an empty slice would be a silent, unplayable grain
        CGrooveEvent* pGrain = MakeGrain(pWave, nStart, nLength, nEntryIndex, k);
        if (pGrain == nullptr) return E_OUTOFMEMORY;
        pGrain->m_bSynced = 1;
        pGrain->m_nStartTicks =
            RoundHalfUp(static_cast<double>(nStart) / dTotal * dBeats * dBeatTicks);
        pGrain->m_nStartSamples = nStart;
        pGrain->m_nLenTicks =
            RoundHalfUp(static_cast<double>(nLength) / dTotal * dBeats * dBeatTicks);
        pGrain->m_nPeakFirst =
            static_cast<LONG>(RoundHalfUp(dBlocks * static_cast<double>(nStart) / dTotal));
        pGrain->m_nPeakCount =
            static_cast<LONG>(RoundHalfUp(dBlocks * static_cast<double>(nLength) / dTotal));
        pEntry->AddGrainAtEnd(pGrain);
    }
    pEntry->m_bLooping = 1;
    pEntry->m_bSyncedPlayback = 1;
    // The reader's key index is numbered from A, as the pad's Root; a root
    // note the file does not declare valid leaves the Root at None.
    pEntry->SetKey(src.bRootNote ? src.nKeyIndex : -1);
    pEntry->m_bFollowKey = src.bRootNote ? 1 : 0;
    return S_OK;
}

// A plain file as one grain over all its frames, played once and unsynced, with no root.
HRESULT AddWholeFile(CGrooveTrack* pEntry, CWaveMem* pWave, double dSeconds, LONG nEntryIndex) {
    if (pWave->m_nFrames < 1) return S_OK;
    CGrooveEvent* pGrain = MakeGrain(pWave, 0, pWave->m_nFrames, nEntryIndex, 0);
    if (pGrain == nullptr) return E_OUTOFMEMORY;
    pGrain->m_nPeakFirst = 0;
    pGrain->m_nPeakCount = pWave->m_nPeakBlocks;
    pGrain->m_nLenTicks = PlainFileBeats(dSeconds) * kTicksPerBeat;
    pEntry->AddGrainAtEnd(pGrain);
    pEntry->m_bLooping = 0;
    pEntry->m_bSyncedPlayback = 0;
    pEntry->m_bFollowKey = 0;
    pEntry->SetKey(-1);
    return S_OK;
}

// Everything of LoadLoopIntoEntry that can fail; the caller empties the entry
// on failure.
HRESULT FillEntry(CGrooveTrack* pEntry, const LoopSource& src, const WAVEFORMATEX& wfxOut,
                  LONG nEntryIndex) {
    const DWORD nFileRate = src.wfx.nSamplesPerSec;
    if (nFileRate == 0 || wfxOut.nSamplesPerSec == 0) return E_FAIL;
    const bool bSliced =
        src.bAcid && src.bLooping && src.nSegments >= 1 && src.pSegments != nullptr;
    const double dSeconds = static_cast<double>(src.nFrames) / static_cast<double>(nFileRate);
    if (bSliced ? (src.nBeats > kMaxLoopBeats || dSeconds > kMaxLoopSeconds)
                : dSeconds > kMaxPlainSeconds)
        return E_UNEXPECTED;

    CWaveMem* pWave = nullptr;
    HRESULT hr = LoadWave(pEntry, src, wfxOut.nSamplesPerSec, &pWave);
    if (FAILED(hr)) return hr;
    if (bSliced) {
        // A loop that declares no beats gets the plain-file estimate, so that
        // its slices still have positions on the time line.
        const double dBeats =
            src.nBeats > 0 ? src.nBeats : static_cast<double>(PlainFileBeats(dSeconds));
        hr = AddSlices(pEntry, pWave, src, dBeats, nEntryIndex);
    } else {
        hr = AddWholeFile(pEntry, pWave, dSeconds, nEntryIndex);
    }
    if (FAILED(hr)) return hr;
    return pEntry->IsEmpty() ? E_UNEXPECTED : S_OK;
}
} // namespace

HRESULT LoadLoopIntoEntry(CGrooveTrack* pEntry, const LoopSource& src, const WAVEFORMATEX& wfxOut,
                          LONG nEntryIndex, const wchar_t* pszPath) {
    pEntry->Clear();
    const HRESULT hr = FillEntry(pEntry, src, wfxOut, nEntryIndex);
    if (FAILED(hr)) {
        ResetEntry(pEntry);
        return hr;
    }
    pEntry->SetTail(0);
    pEntry->m_strPath = pszPath != nullptr ? pszPath : L"";
    pEntry->m_strName = FileNameOf(pszPath);
    const CGrooveEvent* pLast = pEntry->GetAt(pEntry->GetSize() - 1);
    pEntry->m_nLenTicks = pLast->GetEnd(kUnitTicks);
    pEntry->m_nLenSamples = pLast->GetEnd(kUnitSamples);
    pEntry->RecomputeTempo();
    return S_OK;
}
