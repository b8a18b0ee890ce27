// The header pass (RIFF form, format, data, INFO) and the sample stream.
#include "files/AcidWave.h"
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/kernel/TextConvert.h"
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');
constexpr FOURCC kInfo = mmioFOURCC('I', 'N', 'F', 'O');
constexpr FOURCC kAcid = mmioFOURCC('a', 'c', 'i', 'd');

// The extensible format's tail: channel layout, then the subformat, whose
// first word is the plain format tag when the rest is this base.
#pragma pack(push, 1)
struct WaveFormatExtension {
    WORD wValidBitsPerSample;
    DWORD dwChannelMask;
    GUID SubFormat;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatExtension) == 22);
constexpr GUID kSubFormatBase = {
    0, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr WORD kBaseFormatBytes = 16;
} // namespace

CAcidWave::CAcidWave() { FillTables(); }

CAcidWave::~CAcidWave() {
    Close();
    m_scratch = {};
}

void CAcidWave::Close() {
    if (m_hmmio != nullptr) mmioClose(m_hmmio, 0);
    m_hmmio = nullptr;
}

// Forgets everything of the previous file, so nothing stale survives a reopen.
void CAcidWave::Reset() {
    Close();
    m_nError = 0;
    m_ckRiff = m_ckFmt = m_ckData = m_ckList = m_ckInfoItem = m_ckAcid = m_ckStrc = MMCKINFO{};
    m_nFileBytes = 0;
    m_nDataBytes = 0;
    m_wfx = WAVEFORMATEX{};
    m_wfxFile = WAVEFORMATEX{};
    m_bFormatRead = m_bAcidRead = m_bStrcRead = 0;
    m_nFrames = m_nMilliseconds = m_nReadPos = 0;
    m_fSeconds = 0.0f;
    m_bLooping = m_bRootNote = m_bStretch = m_bDiskBased = 0;
    m_nKeyIndex = 0;
    m_nBeats = 0;
    m_fTempo = 0.0f;
    m_nMarkers = m_nSliceUnit = m_nStrcWord16 = m_nStrcWord20 = 0;
    m_segments.clear();
    for (AcidInfoEntry& entry : m_info) entry = AcidInfoEntry{};
}

HRESULT CAcidWave::Fail(MMRESULT error) {
    if (error != 0) m_nError = error;
    Close();
    m_scratch = {};
    return E_FAIL;
}

HRESULT CAcidWave::Open(const char* pszPath) {
    Reset();
    if (pszPath == nullptr) return Fail(MMIOERR_CANNOTOPEN);
    // A path longer than the reader holds is refused rather than cut, which
    // could name another file.
    WCHAR wide[kMaxPath + 2];
    if (MultiByteToWide(pszPath, wide, kMaxPath + 2) > static_cast<size_t>(kMaxPath))
        return Fail(MMIOERR_CANNOTOPEN);
    std::copy(wide, wide + kMaxPath + 1, m_szPath);

    MMIOINFO info{};
    m_hmmio = mmioOpenW(m_szPath, &info, MMIO_ALLOCBUF | MMIO_READ);
    if (m_hmmio == nullptr) return Fail(MMIOERR_CANNOTOPEN);
    // The file's size bounds every chunk that claims more than is there.
    m_nFileBytes = mmioSeek(m_hmmio, 0, SEEK_END);
    if (m_nFileBytes < 0 || mmioSeek(m_hmmio, 0, SEEK_SET) != 0) return Fail(MMIOERR_CANNOTSEEK);

    if (mmioDescend(m_hmmio, &m_ckRiff, nullptr, 0) != 0 || m_ckRiff.ckid != FOURCC_RIFF ||
        m_ckRiff.fccType != kWave)
        return Fail(MMIOERR_INVALIDFILE);
    m_bFormatRead = 1;

    if (MMRESULT rc = ReadFormat()) return Fail(rc);
    if (MMRESULT rc = ReadDataChunk()) return Fail(rc);
    // Tags and loop metadata may sit anywhere in the form, before the sample
    // data or after it: each is searched from the top of the form.
    if (MMRESULT rc = SeekToFormStart()) return Fail(rc);
    if (MMRESULT rc = ReadInfoList()) return Fail(rc);
    if (MMRESULT rc = SeekToFormStart()) return Fail(rc);
    m_ckAcid.ckid = kAcid;
    if (mmioDescend(m_hmmio, &m_ckAcid, &m_ckRiff, MMIO_FINDCHUNK) != 0) return S_OK;
    if (MMRESULT rc = ReadAcid()) return Fail(rc);
    if (MMRESULT rc = SeekToFormStart()) return Fail(rc);
    if (MMRESULT rc = ReadStrc()) return Fail(rc);
    SliceByBeats();
    return S_OK;
}

// Just past the form type, where the form's first chunk starts.
MMRESULT CAcidWave::SeekToFormStart() {
    const LONG pos = static_cast<LONG>(m_ckRiff.dwDataOffset + 4);
    return mmioSeek(m_hmmio, pos, SEEK_SET) == pos ? 0 : MMIOERR_CANNOTSEEK;
}

MMRESULT CAcidWave::ReadFormat() {
    m_ckFmt.ckid = kFmt;
    if (MMRESULT rc = mmioDescend(m_hmmio, &m_ckFmt, &m_ckRiff, MMIO_FINDCHUNK)) return rc;
    WAVEFORMATEX wfx{};
    if (!ReadChunkBody(m_ckFmt, &wfx, kBaseFormatBytes)) return MMIOERR_CANNOTREAD;
    // The extra size is read only when the chunk holds it; a 16-byte chunk
    // of a non-PCM format simply has none.
    if (wfx.wFormatTag != WAVE_FORMAT_PCM && m_ckFmt.cksize >= sizeof(WAVEFORMATEX)) {
        WORD extra = 0;
        if (!ReadChunkBody(m_ckFmt, &extra, sizeof(extra))) return MMIOERR_CANNOTREAD;
        WaveFormatExtension ext{};
        if (wfx.wFormatTag == WAVE_FORMAT_EXTENSIBLE && extra >= sizeof(ext) &&
            m_ckFmt.cksize >= sizeof(WAVEFORMATEX) + sizeof(ext) &&
            ReadChunkBody(m_ckFmt, &ext, sizeof(ext))) {
            GUID base = ext.SubFormat;
            base.Data1 = 0;
            if (base == kSubFormatBase && ext.SubFormat.Data1 <= 0xFFFF)
                wfx.wFormatTag = static_cast<WORD>(ext.SubFormat.Data1);
        }
    }
    wfx.cbSize = 0;
    m_wfxFile = wfx;
    // No division by zero later, and frames at least as wide as their samples,
    // so a buffer of frames x block align holds every sample.
    const DWORD sampleBytes = (static_cast<DWORD>(wfx.wBitsPerSample) + 7) / 8;
    if (wfx.nChannels == 0 || wfx.nChannels > 2 || wfx.nBlockAlign == 0 ||
        wfx.nAvgBytesPerSec == 0 || wfx.nBlockAlign < wfx.nChannels * sampleBytes)
        return MMIOERR_INVALIDFILE;
    m_wfx = wfx;
    return mmioAscend(m_hmmio, &m_ckFmt, 0);
}

MMRESULT CAcidWave::ReadDataChunk() {
    m_ckData.ckid = kData;
    if (MMRESULT rc = mmioDescend(m_hmmio, &m_ckData, &m_ckRiff, MMIO_FINDCHUNK)) return rc;
    ClampDataSize(m_ckData);
    m_nDataBytes = m_ckData.cksize;
    m_nFrames = m_nDataBytes / m_wfx.nBlockAlign;
    // Not even one whole frame: nothing to play (this covers an empty chunk).
    if (m_nFrames == 0) return MMIOERR_INVALIDFILE;
    m_fSeconds = static_cast<float>(m_ckData.cksize) / static_cast<float>(m_wfx.nAvgBytesPerSec);
    double ms = std::trunc(static_cast<double>(m_fSeconds) * 1000.0);
    m_nMilliseconds = static_cast<DWORD>(std::min(ms, 4294967294.0)) + 1;
    return mmioAscend(m_hmmio, &m_ckData, 0);
}

MMRESULT CAcidWave::ReadInfoList() {
    m_ckList.fccType = kInfo;
    if (mmioDescend(m_hmmio, &m_ckList, &m_ckRiff, MMIO_FINDLIST) != 0) {
        m_info[0].ck.ckid = kInfoEnd;
        return 0;
    }
    int n = 0;
    for (; n < kMaxInfoItems; ++n) {
        m_ckInfoItem = MMCKINFO{};
        if (mmioDescend(m_hmmio, &m_ckInfoItem, &m_ckList, 0) != 0) break;
        ReadInfoItem(n);
        if (MMRESULT rc = mmioAscend(m_hmmio, &m_ckInfoItem, 0)) return rc;
    }
    m_info[static_cast<size_t>(n)].ck.ckid = kInfoEnd;
    mmioAscend(m_hmmio, &m_ckList, 0); // the next search starts again from the top of the form
    return 0;
}

// A short item is skipped with the read error noted; Open goes on.
void CAcidWave::ReadInfoItem(int nEntry) {
    const DWORD size = m_ckInfoItem.cksize;
    if (size > BytesPresentFrom(m_ckInfoItem.dwDataOffset)) {
        m_nError = MMIOERR_CANNOTREAD;
        return;
    }
    m_scratch.assign(static_cast<size_t>(size) + 1, 0);
    if (mmioRead(m_hmmio, m_scratch.data(), static_cast<LONG>(size)) != static_cast<LONG>(size)) {
        m_nError = MMIOERR_CANNOTREAD;
        return;
    }
    const char* label = GetInfoLabel(m_ckInfoItem.ckid);
    if (label == nullptr) return;
    AcidInfoEntry& entry = m_info[static_cast<size_t>(nEntry)];
    entry.ck = m_ckInfoItem;
    entry.strLabel = label;
    entry.strText = m_scratch.data();
}

DWORD CAcidWave::BytesPresentFrom(DWORD nOffset) const {
    return nOffset >= static_cast<DWORD>(m_nFileBytes) ? 0
                                                       : static_cast<DWORD>(m_nFileBytes) - nOffset;
}

// A chunk claiming more than the file holds keeps the bytes that are there.
void CAcidWave::ClampDataSize(MMCKINFO& ck) const {
    ck.cksize = std::min(ck.cksize, BytesPresentFrom(ck.dwDataOffset));
}

// Reads from the stream position, refusing to go past the chunk's end.
bool CAcidWave::ReadChunkBody(const MMCKINFO& ck, void* pOut, DWORD nBytes) {
    LONG pos = mmioSeek(m_hmmio, 0, SEEK_CUR);
    if (pos < 0 ||
        static_cast<int64_t>(pos) + nBytes > static_cast<int64_t>(ck.dwDataOffset) + ck.cksize)
        return false;
    return mmioRead(m_hmmio, static_cast<char*>(pOut), static_cast<LONG>(nBytes)) ==
           static_cast<LONG>(nBytes);
}

DWORD CAcidWave::GetLength(int nUnit) const {
    if (nUnit == kUnitMilliseconds) return m_nMilliseconds;
    if (nUnit == kUnitFrames) return m_nFrames;
    return 0;
}

AcidSegment CAcidWave::GetSegment(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetSegmentCount()) return AcidSegment{};
    return m_segments[static_cast<size_t>(nIndex)];
}

// Goes straight to the data chunk that Open measured: searching again from the
// top of the form could find another `data` chunk placed before `fmt `.
HRESULT CAcidWave::SeekToFrame(DWORD nFrame) {
    if (m_hmmio == nullptr) return E_FAIL;
    const uint64_t offset = static_cast<uint64_t>(m_wfx.nBlockAlign) * nFrame;
    // Past the end there is nothing to read; refusing keeps the count from wrapping.
    const int64_t target =
        static_cast<int64_t>(m_ckData.dwDataOffset) + static_cast<int64_t>(offset);
    if (offset > m_nDataBytes || target > MMIO_MAXOFFSET ||
        mmioSeek(m_hmmio, static_cast<LONG>(target), SEEK_SET) != static_cast<LONG>(target)) {
        m_nError = MMIOERR_CANNOTSEEK;
        return E_FAIL;
    }
    m_ckData.cksize = static_cast<DWORD>(m_nDataBytes - offset);
    m_nReadPos = static_cast<DWORD>(offset);
    return S_OK;
}

DWORD CAcidWave::ReadData(void* pBuffer, DWORD nBytes) {
    if (m_hmmio == nullptr || pBuffer == nullptr) return 0;
    const DWORD n = std::min(nBytes, m_ckData.cksize);
    m_ckData.cksize -= n;
    MMIOINFO info{};
    if (mmioGetInfo(m_hmmio, &info, 0) != 0) return 0;
    auto* out = static_cast<char*>(pBuffer);
    for (DWORD done = 0; done < n;) {
        if (info.pchNext == info.pchEndRead) {
            if (mmioAdvance(m_hmmio, &info, MMIO_READ) != 0 || info.pchNext == info.pchEndRead) {
                m_nError = MMIOERR_CANNOTREAD;
                return 0;
            }
        }
        DWORD run = std::min(n - done, static_cast<DWORD>(info.pchEndRead - info.pchNext));
        std::memcpy(out + done, info.pchNext, run);
        info.pchNext += run;
        done += run;
    }
    if (mmioSetInfo(m_hmmio, &info, 0) != 0) return 0;
    m_nReadPos += n;
    return n;
}
