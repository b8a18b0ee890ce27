// The groove engine: 16 pads, the Loop Bin, the audition pad, the key map, the
// preallocated work arrays of the render path and its scratch buffer. It is
// the engine side of the instrument object (a virtual CDXi), so it shares the
// object's one lock and synth context.
#pragma once
#include "engine/GrainRenderer.h"
#include "engine/GrooveTrack.h"
#include "engine/KeyMap.h"
#include "engine/LoopSource.h"
#include "engine/PlayInfo.h"
#include "engine/PreAllocArray.h"
#include "interfaces/DXi.h"

constexpr int kPadCount = 16;
constexpr int kLoopBinCapacity = 16;
constexpr int kPlayListCapacity = 16;
constexpr int kSegmentListCapacity = 100;
constexpr size_t kScratchBytes = 384000;
constexpr size_t kScratchFloats = kScratchBytes / sizeof(float);
constexpr int kUndoSlots = 129;

// Status of a load into the Loop Bin (S_FALSE results).
constexpr LONG kLoadStatusBinFull = 1;
constexpr LONG kLoadStatusFormatChanged = 2;

// Ownership of a latched pad by the note that started it.
struct PadOwnership {
    BOOL bPlaying = 0;
    BOOL bWasPlaying = 0;
    PlayState* pOwner = nullptr;
};

class CVudivuVizezud : public virtual CDXi {
public:
    explicit CVudivuVizezud(CDXiSynthContext* pContext);
    ~CVudivuVizezud() override;

    // CDXi operations (host frame; the frame holds the lock around Process).
    HRESULT Initialize() override;
    HRESULT CheckInputFormat(const WAVEFORMATEX* pwfx) override;
    HRESULT CheckOutputFormat(const WAVEFORMATEX* pwfx) override;
    HRESULT CheckTransform(const WAVEFORMATEX* pIn, const WAVEFORMATEX* pOut) override;
    HRESULT ProposeOutputFormat(WAVEFORMATEX* pwfx, AM_MEDIA_TYPE* pmt) override;
    const WAVEFORMATEX* GetInputFormat() override { return &m_wfxIn; }
    const WAVEFORMATEX* GetOutputFormat() override { return &m_wfxOut; }
    HRESULT Process(LONGLONG llStreamPos, PinBuffer* pInput, PinBuffer* pOutputs, DWORD dwOutputs,
                    LONGLONG llSampleClock, CSynthEventList* pActive) override;
    HRESULT FilterEvent(SynthEvent* pEvent) override;
    HRESULT ActivateNote(SynthEvent* pEvent) override;
    HRESULT RetireNote(SynthEvent* pEvent, DWORD dwForce) override;
    HRESULT OnPause() override { return S_OK; }
    HRESULT OnStop() override { return S_OK; }
    HRESULT Reserved13() override { return S_OK; }
    HRESULT LoadState(IStream* pStream) override;
    HRESULT SaveState(IStream* pStream) override;
    HRESULT ResetVoices() override;

    // Creates the output "Chan n" (n = 1..16) unless it exists (S_FALSE).
    HRESULT CreateOutput(int n);

    // Forces the output format to IEEE float (1 or 2 channels kept, else 2)
    // and recomputes the time constants. Returns true when it changed it.
    bool EnsureOutputFormat();

    // Loads decoded frames into the Loop Bin at nIndex (0..15 inserts, later
    // entries move up; anything else appends). The decoding runs outside the
    // lock; the insertion under it. *pnIndex gets the entry's index; the
    // result is S_OK, or S_FALSE with *pnStatus 1 (Loop Bin full) or 2 (the
    // output format was changed). A path already in the bin loads nothing.
    HRESULT LoadSourceToBin(const LoopSource& src, const wchar_t* pszPath, LONG nIndex, LONG* pnIndex,
                            LONG* pnStatus);
    // Index of the Loop Bin entry loaded from pszPath, or -1.
    LONG FindBinEntry(const wchar_t* pszPath) const;

    // Empties the key map and gives every pad its default settings and key.
    void ResetPadsAndKeyMap();

    CGrooveTrack* Pad(int i) const { return i >= 0 && i < m_pads.GetCount() ? m_pads[i] : nullptr; }
    CGrooveTrack* BinEntry(int i) const { return i >= 0 && i < m_loopBin.GetCount() ? m_loopBin[i] : nullptr; }
    int BinCount() const { return m_loopBin.GetCount(); }
    CKeyMap& KeyMap() { return m_keyMap; }
    CGrooveTrack& AuditionPad() { return m_auditionPad; }
    LONGLONG SamplesPerMs() const { return m_nSamplesPerMs; }
    LONGLONG ReleaseSamples() const { return m_nReleaseSamples; }

protected:
    void RecomputeTimeConstants();

    CPreAllocArray<TrackPlayInfo> m_playList;
    CPreAllocArray<TrackPlayInfo> m_playList2;
    CPreAllocArray<CGrooveTrack*> m_pads;
    CPreAllocArray<CGrooveTrack*> m_loopBin;
    CGrooveTrack m_auditionPad;
    CKeyMap m_keyMap;
    CPreAllocArray<StreamEventInfo> m_segments;
    float* m_pScratch = nullptr;
    CGrainRenderer m_renderer;

    PlayState m_padStates[kPadCount]{};
    PlayState m_binStates[kLoopBinCapacity]{};
    PlayState m_auditionState{};
    PadOwnership m_ownership[kPadCount]{};
    BOOL m_abStartRequest[kPadCount]{};
    BOOL m_abSounded[kPadCount]{};
    BOOL m_abActive[kPadCount]{};

    LONGLONG m_nBufferPos = -1;
    LONGLONG m_nRunningSamples = -1;
    LONGLONG m_nTickOffset = 0;
    DWORD m_dwHostKey = 0xFFFFFFFF;
    DWORD m_dwMixPin = 0xFFFFFFFF;
    DWORD m_adwOutputPins[kPadCount]{};
    BOOL m_bAnySolo = 0;
    BOOL m_bStopAll = 0;
    LONGLONG m_nSyncReference = 0;
    LONGLONG m_nSamplesPerMs = 44;
    LONGLONG m_nReleaseSamples = 882;

    CGrooveTrack* m_apUndo[kUndoSlots][kPadCount]{};
    int m_nUndoCurrent = 0;
    int m_nUndoOldest = 0;
    int m_nUndoNewest = 0;
    BOOL m_bGrainAudition = 0;
    LONG m_nChangeFlag = 0;
};
