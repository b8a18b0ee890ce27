#include "files/ProjectWriter.h"
#include "files/ProjectRecords.h"
#include "platform/kernel/TextConvert.h"

namespace {
using rec::Put;

bool Write(HMMIO h, const void* p, size_t n) {
    return mmioWrite(h, static_cast<const char*>(p), static_cast<LONG>(n)) == static_cast<LONG>(n);
}
bool WriteDword(HMMIO h, DWORD v) {
    uint8_t b[4];
    Put<uint32_t>(b, 0, v);
    return Write(h, b, 4);
}

// A chunk written between Begin and End; its size is patched on ascent.
struct Chunk {
    MMCKINFO ck{};
    bool Begin(HMMIO h, FOURCC id, UINT fuCreate = 0, FOURCC type = 0) {
        ck = MMCKINFO{};
        ck.ckid = id;
        ck.fccType = type;
        ck.cksize = 0;
        ck.dwFlags = MMIO_DIRTY;
        return mmioCreateChunk(h, &ck, fuCreate) == MMSYSERR_NOERROR;
    }
    bool End(HMMIO h) { return mmioAscend(h, &ck, 0) == MMSYSERR_NOERROR; }
};

// UTF-8 through the 260-byte buffer (never split inside a character), stored
// as its byte length and bytes.
bool WriteText(HMMIO h, const std::wstring& text) {
    char buffer[kTextBufferLength];
    const size_t n = WideToMultiByte(text.c_str(), buffer, kTextBufferLength);
    return WriteDword(h, static_cast<DWORD>(n)) && Write(h, buffer, n);
}

// Grains marked for removal are left out: the next commit deletes them, and a
// saved copy must not bring them back.
bool WriteGrains(HMMIO h, DWORD nIndex, const CGrooveTrack& track) {
    DWORD nKept = 0;
    for (int i = 0; i < track.GetSize(); ++i)
        if (!track.GetAt(i)->m_bDeleteMark) ++nKept;
    if (!WriteDword(h, nIndex) || !WriteDword(h, nKept)) return false;
    uint8_t record[kGrainRecordBytes];
    DWORD nOrdinal = 0;
    for (int i = 0; i < track.GetSize(); ++i) {
        if (track.GetAt(i)->m_bDeleteMark) continue;
        EncodeGrainRecord(*track.GetAt(i), record);
        if (!WriteDword(h, nOrdinal++) || !Write(h, record, sizeof(record))) return false;
    }
    return true;
}

bool WriteTrack(HMMIO h, DWORD nIndex, const CGrooveTrack& track) {
    uint8_t record[kTrackRecordBytes];
    EncodeTrackRecord(track, record);
    return WriteDword(h, nIndex) && Write(h, record, sizeof(record));
}

bool WriteWave(HMMIO h, const CWaveMem* pWave) {
    if (pWave == nullptr || pWave->m_pData == nullptr) return false;
    Chunk form, fmt, data;
    WAVEFORMATEX wfx = pWave->m_wfx;
    wfx.cbSize = 0;
    uint8_t f[kWaveFormatBytes];
    Put<uint16_t>(f, 0, wfx.wFormatTag);
    Put<uint16_t>(f, 2, wfx.nChannels);
    Put<uint32_t>(f, 4, wfx.nSamplesPerSec);
    Put<uint32_t>(f, 8, wfx.nAvgBytesPerSec);
    Put<uint16_t>(f, 12, wfx.nBlockAlign);
    Put<uint16_t>(f, 14, wfx.wBitsPerSample);
    Put<uint16_t>(f, 16, wfx.cbSize);
    return form.Begin(h, FOURCC_RIFF, MMIO_CREATERIFF, kFormWave) && fmt.Begin(h, kChunkFormat) &&
           Write(h, f, sizeof(f)) && fmt.End(h) && data.Begin(h, kChunkData) &&
           Write(h, pWave->m_pData, static_cast<size_t>(pWave->m_nDataBytes)) && data.End(h) &&
           form.End(h);
}

bool WriteKeyMap(HMMIO h, const CKeyMap& keys) {
    // One record per mapped pad, in ascending pad order.
    TrackKeyInfoImp entries[kKeyMapCapacity];
    DWORD n = 0;
    for (DWORD pad = 0; pad < static_cast<DWORD>(kPadCount); ++pad)
        if (keys.GetEntry(pad, &entries[n]) != 0) ++n;
    if (!WriteDword(h, n)) return false;
    uint8_t record[kKeyMapRecordBytes];
    for (DWORD i = 0; i < n; ++i) {
        EncodeKeyMapRecord(entries[i], record);
        if (!Write(h, record, sizeof(record))) return false;
    }
    return true;
}

bool WriteAll(HMMIO h, const CProjectImage& project) {
    Chunk form, c;
    if (!form.Begin(h, FOURCC_RIFF, MMIO_CREATERIFF, kFormProject)) return false;
    if (!c.Begin(h, kChunkCommon) || !WriteDword(h, kProjectVersion) ||
        !WriteDword(h, static_cast<DWORD>(project.GrainAudition())) ||
        !WriteDword(h, static_cast<DWORD>(project.EntryCount())) ||
        !WriteDword(h, static_cast<DWORD>(kPadCount)) || !c.End(h))
        return false;
    if (!c.Begin(h, kChunkKeyMap) || !WriteKeyMap(h, project.Keys()) || !c.End(h)) return false;
    for (int i = 0; i < project.EntryCount(); ++i) {
        const CGrooveTrack& entry = *project.Entry(i);
        const DWORD n = static_cast<DWORD>(i);
        if (!c.Begin(h, kChunkEntryTrack) || !WriteTrack(h, n, entry) ||
            !WriteText(h, entry.m_strName) || !WriteText(h, entry.m_strPath) || !c.End(h))
            return false;
        if (!WriteWave(h, entry.m_pWave)) return false;
        if (!c.Begin(h, kChunkEntryGrains) || !WriteGrains(h, n, entry) || !c.End(h)) return false;
    }
    for (int i = 0; i < kPadCount; ++i) {
        const CGrooveTrack* pPad = project.Pad(i);
        if (pPad == nullptr) return false;
        const DWORD n = static_cast<DWORD>(i);
        if (!c.Begin(h, kChunkPadTrack) || !WriteTrack(h, n, *pPad) || !c.End(h)) return false;
        if (!c.Begin(h, kChunkPadGrains) || !WriteGrains(h, n, *pPad) || !c.End(h)) return false;
    }
    return form.End(h);
}
} // namespace

HRESULT CaptureProject(CVudivuVizezud& engine, CProjectImage* pImage) {
    pImage->SetGrainAudition(engine.GetGrainAudition());
    const CKeyMap& keys = engine.KeyMap();
    for (int i = 0; i < keys.GetCount(); ++i) {
        TrackKeyInfoImp entry = keys.EntryAt(i);
        entry.pTrack = nullptr; // the copy names its pad by index
        pImage->MutableKeys().SetEntry(entry);
    }
    for (int i = 0; i < engine.BinCount(); ++i) {
        CGrooveTrack* pCopy = engine.BinEntry(i)->Snapshot();
        if (pCopy == nullptr) return E_OUTOFMEMORY;
        const CWaveMem* pWave = pCopy->m_pWave;
        pImage->AddEntry(pCopy, pWave != nullptr ? pWave->m_nFrames : 0);
    }
    for (int i = 0; i < kPadCount; ++i) {
        const CGrooveTrack* pPad = engine.Pad(i);
        if (pPad == nullptr) continue; // written as a failure, as before
        CGrooveTrack* pCopy = pPad->Snapshot();
        if (pCopy == nullptr) return E_OUTOFMEMORY;
        pImage->SetPad(i, pCopy);
    }
    return S_OK;
}

HRESULT WriteProject(HMMIO hmmio, const CProjectImage& project) {
    if (hmmio == nullptr) return E_FAIL;
    return WriteAll(hmmio, project) ? S_OK : E_FAIL;
}
