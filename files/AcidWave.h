// Reads one RIFF WAVE file: its format and length, the loop metadata of its
// `acid` and `strc` chunks (turned into a list of slice segments), its INFO
// tags, and then its sample bytes. The metadata chunks may sit anywhere in the
// form, before or after `data`. One reader per file, used by one thread.
#pragma once
#include "interfaces/LoopSource.h"
#include "platform/mmio/Mmio.h"
#include "platform/mmio/WaveFormat.h"
#include <array>
#include <string>
#include <vector>

// One slice of the file, in frames: the record the Loop Bin loader takes.
using AcidSegment = LoopSegment;

// One INFO tag as read: its chunk record, the known id's label and the text.
struct AcidInfoEntry {
    MMCKINFO ck{};
    std::string strLabel;
    std::string strText;
};

class CAcidWave {
public:
    static constexpr int kMaxPath = 255;
    static constexpr int kMaxInfoItems = 23;
    static constexpr int kInfoEntries = 100;
    static constexpr int kKeyNameSlots = 24;
    static constexpr int kMaxBeatSlices = 4096;
    static constexpr DWORD kAcidBodyBytes = 24;
    static constexpr DWORD kStrcHeaderBytes = 28;
    static constexpr DWORD kMarkerBytes = 32;
    static constexpr FOURCC kInfoEnd = mmioFOURCC(' ', ' ', ' ', ' ');
    // GetLength units.
    static constexpr int kUnitMilliseconds = 2;
    static constexpr int kUnitFrames = 3;

    CAcidWave();
    virtual ~CAcidWave();
    CAcidWave(const CAcidWave&) = delete;
    CAcidWave& operator=(const CAcidWave&) = delete;

    // Opens a file by its UTF-8 path and reads everything but the sample bytes;
    // the file stays open for SeekToFrame and ReadData. S_OK or E_FAIL (then
    // the reader is closed and GetError tells which step failed).
    HRESULT Open(const char* pszPath);
    void Close();

    // kUnitMilliseconds or kUnitFrames; any other unit gives 0.
    DWORD GetLength(int nUnit) const;
    // The segment at nIndex; out of range gives {0, 0}.
    AcidSegment GetSegment(int nIndex) const;
    int GetSegmentCount() const { return static_cast<int>(m_segments.size()); }
    // Positions the sample stream at a frame (at most the frame count): S_OK or E_FAIL.
    HRESULT SeekToFrame(DWORD nFrame);
    // Copies up to nBytes sample bytes, never past the data chunk; the count
    // copied, 0 on error.
    DWORD ReadData(void* pBuffer, DWORD nBytes);

    MMRESULT GetError() const { return m_nError; }
    const WCHAR* GetPath() const { return m_szPath; }
    const WAVEFORMATEX& GetFormat() const { return m_wfx; }
    // The format chunk as read (its extra size 0), kept also when the reader refused it.
    const WAVEFORMATEX& GetFileFormat() const { return m_wfxFile; }
    BOOL HasFormat() const { return m_bFormatRead; }
    BOOL HasAcid() const { return m_bAcidRead; }
    BOOL HasStrc() const { return m_bStrcRead; }
    DWORD GetFrames() const { return m_nFrames; }
    float GetSeconds() const { return m_fSeconds; }
    DWORD GetDataBytes() const { return m_nDataBytes; }
    DWORD GetRemainingBytes() const { return m_ckData.cksize; }
    DWORD GetDataOffset() const { return m_ckData.dwDataOffset; }
    DWORD GetReadPosition() const { return m_nReadPos; }
    BOOL IsLooping() const { return m_bLooping; }
    BOOL IsRootNoteValid() const { return m_bRootNote; }
    BOOL IsStretch() const { return m_bStretch; }
    BOOL IsDiskBased() const { return m_bDiskBased; }
    LONG GetKeyIndex() const { return m_nKeyIndex; }
    DWORD GetBeats() const { return m_nBeats; }
    float GetTempo() const { return m_fTempo; }
    DWORD GetMarkerCount() const { return m_nMarkers; }
    DWORD GetSliceUnit() const { return m_nSliceUnit; }
    DWORD GetStrcWord16() const { return m_nStrcWord16; }
    DWORD GetStrcWord20() const { return m_nStrcWord20; }
    const AcidInfoEntry& GetInfoEntry(int nIndex) const {
        return m_info[static_cast<size_t>(nIndex)];
    }

    // Cuts a loop held as one segment of nFrames into nBeats x 2^(nSliceUnit - 2)
    // even slices (1 to 4096 of them; otherwise it stays one segment).
    static void SliceByBeats(std::vector<AcidSegment>& segments, DWORD nFrames, DWORD nBeats,
                             DWORD nSliceUnit);
    static constexpr DWORD kDefaultSliceUnit = 4; // sixteenth notes, without `strc`

    // Descriptive tables (null for an empty or out-of-range slot).
    const char* GetInfoLabel(FOURCC id) const;
    FOURCC GetKnownInfoId(int nIndex) const;
    const char* GetKeyName(int nIndex) const;
    const char* GetNoteValueName(int nUnit) const;
    const char* GetSegmentTypeName(int nType) const;
    const char* GetStretchModeName(int nMode) const;

private:
    struct KnownInfo {
        FOURCC id;
        const char* pszLabel;
    };

    void Reset();
    HRESULT Fail(MMRESULT error);
    MMRESULT SeekToFormStart();
    // Each step answers 0 or the error that fails Open.
    MMRESULT ReadFormat();
    MMRESULT ReadDataChunk();
    MMRESULT ReadInfoList();
    void ReadInfoItem(int nEntry);
    MMRESULT ReadAcid();
    MMRESULT ReadStrc();
    void SliceByBeats();
    static void AppendSegment(std::vector<AcidSegment>& segments, DWORD nStart);
    static void CloseSegments(std::vector<AcidSegment>& segments, DWORD nFrames);
    void ClampDataSize(MMCKINFO& ck) const;
    DWORD BytesPresentFrom(DWORD nOffset) const;
    bool ReadChunkBody(const MMCKINFO& ck, void* pOut, DWORD nBytes);
    void FillTables();

    WCHAR m_szPath[kMaxPath + 1] = {};
    HMMIO m_hmmio = nullptr;
    MMRESULT m_nError = 0;

    MMCKINFO m_ckRiff{};
    MMCKINFO m_ckFmt{};
    MMCKINFO m_ckData{}; // cksize: sample bytes not yet read
    MMCKINFO m_ckList{};
    MMCKINFO m_ckInfoItem{};
    MMCKINFO m_ckAcid{};
    MMCKINFO m_ckStrc{};
    LONG m_nFileBytes = 0;
    DWORD m_nDataBytes = 0; // the data chunk's bytes present in the file

    WAVEFORMATEX m_wfx{};
    WAVEFORMATEX m_wfxFile{};
    BOOL m_bFormatRead = 0;
    BOOL m_bAcidRead = 0;
    BOOL m_bStrcRead = 0;

    DWORD m_nFrames = 0;
    float m_fSeconds = 0.0f;
    DWORD m_nMilliseconds = 0;
    DWORD m_nReadPos = 0;

    BOOL m_bLooping = 0;
    BOOL m_bRootNote = 0;
    BOOL m_bStretch = 0;
    BOOL m_bDiskBased = 0;
    LONG m_nKeyIndex = 0;
    DWORD m_nBeats = 0;
    float m_fTempo = 0.0f;

    DWORD m_nMarkers = 0;
    DWORD m_nSliceUnit = 0;
    DWORD m_nStrcWord16 = 0;
    DWORD m_nStrcWord20 = 0;

    std::vector<AcidSegment> m_segments;
    std::array<AcidInfoEntry, kInfoEntries> m_info;
    std::vector<char> m_scratch;

    std::array<KnownInfo, kMaxInfoItems> m_knownInfo{};
    std::array<const char*, kKeyNameSlots> m_pszKeyNames{};
    std::array<const char*, 7> m_pszNoteValues{};
    std::array<const char*, 4> m_pszSegmentTypes{};
    std::array<const char*, 3> m_pszStretchModes{};
};
