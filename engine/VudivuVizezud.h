// The groove engine: 16 pads, the Loop Bin, the audition pad, the key map, the
// preallocated work arrays of the render path and its scratch buffer. It is
// the engine side of the instrument object (a virtual CDXi), so it shares the
// object's one lock and synth context.
#pragma once
#include "engine/GrainRenderer.h"
#include "engine/GrooveTrack.h"
#include "engine/KeyMap.h"
#include "engine/PlayInfo.h"
#include "engine/PlayStatePool.h"
#include "engine/PreAllocArray.h"
#include "interfaces/DXi.h"
#include "interfaces/LoopSource.h"
#include "interfaces/PandrelConstants.h"
#include "interfaces/PinBuffer.h"

constexpr int kPlayListCapacity = 16;
constexpr int kSegmentListCapacity = 100;
constexpr size_t kScratchBytes = 384000;
constexpr size_t kScratchFloats = kScratchBytes / sizeof(float);
constexpr int kUndoSlots = 129;

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
    // EnsureOutputFormat under the lock, then a copy of the format; sets
    // *pbChanged when it corrected the format (leaves it otherwise).
    WAVEFORMATEX CurrentOutputFormat(bool* pbChanged);

    // Loads decoded frames into the Loop Bin at nIndex (0..15 inserts, later
    // entries move up; anything else appends). The decoding runs outside the
    // lock (again should the output rate change meanwhile); the insertion
    // under it. *pnIndex gets the entry's index; the result is S_OK, or
    // S_FALSE with *pnStatus 1 (Loop Bin full) or 2 (the output format was
    // changed). A path already in the bin, or put there by another thread
    // while this one decoded, loads nothing.
    // pszName, when given, names the new entry (else the file name does).
    HRESULT LoadSourceToBin(const LoopSource& src, const wchar_t* pszPath, LONG nIndex,
                            LONG* pnIndex, LONG* pnStatus, const wchar_t* pszName = nullptr);
    // Index of the Loop Bin entry loaded from pszPath, or -1.
    LONG FindBinEntry(const wchar_t* pszPath) const;

    // Empties the key map and gives every pad its default settings and key.
    void ResetPadsAndKeyMap();

    // Editor trigger requests (user-interface thread; take the lock). They only
    // set flags and play states that the next buffer consumes. Indices outside
    // 0..15 give E_INVALIDARG.
    // Pad (grain -1) or one of its grains through the audition pad.
    HRESULT StartAudition(LONG nPad, LONG nGrain);
    // Pad -1: stop every pad and set stop-all; else stop the pad when gated.
    HRESULT StopAudition(LONG nPad);
    // Loop Bin entry (slice -1) or one of its slices through the audition pad.
    HRESULT StartFilePreview(LONG nEntry, LONG nSlice);
    // Entry -1: all previews.
    HRESULT StopFilePreview(LONG nEntry);
    void SetGrainAudition(BOOL bOn) { m_bGrainAudition = bOn ? 1 : 0; }
    BOOL GetGrainAudition() const { return m_bGrainAudition; }
    BOOL IsPadActive(int nPad) const {
        return nPad >= 0 && nPad < kPadCount ? m_abActive[nPad] : 0;
    }
    // True while the entry's preview holds a nonzero held length.
    BOOL IsFilePreviewActive(int nEntry) const;
    // Recomputes the any-solo flag from the pads.
    void UpdateAnySolo();

    CGrooveTrack* Pad(int i) const { return i >= 0 && i < m_pads.GetCount() ? m_pads[i] : nullptr; }
    CGrooveTrack* BinEntry(int i) const {
        return i >= 0 && i < m_loopBin.GetCount() ? m_loopBin[i] : nullptr;
    }
    int BinCount() const { return m_loopBin.GetCount(); }
    CKeyMap& KeyMap() { return m_keyMap; }
    CGrooveTrack& AuditionPad() { return m_auditionPad; }
    LONGLONG SamplesPerMs() const { return m_nSamplesPerMs; }
    LONGLONG ReleaseSamples() const { return m_nReleaseSamples; }

protected:
    // One buffer as the render path sees it.
    struct BufferWindow {
        LONGLONG nPos = 0;        // buffer position, samples
        LONG nFrames = 0;         // F
        LONGLONG nW0 = 0;         // window start, ticks
        LONGLONG nWL = 0;         // window length, ticks
        LONGLONG nWEnd = 0;       // ticks(buffer position + F)
        LONGLONG nReleaseEnd = 0; // ticks(buffer position + 20 ms)
        int nActiveBefore = 0;    // pads active in the previous buffer
        PinBuffer* pMix = nullptr;
        PinBuffer* pOutputs = nullptr;
        DWORD nOutputs = 0;
        int nChannels = 2;
    };
    // Outcome of rendering one pad of a play list.
    enum class PadResult { Skipped, Sounded, Finished };

    void RecomputeTimeConstants();
    // Under the lock: inserts the entry as LoadSourceToBin describes; returns its index.
    LONG InsertBinEntry(CGrooveTrack* pEntry, LONG nIndex);
    // Under the lock, in the same hold as a Loop Bin insertion at nAt, so that
    // what refers to entries by index follows them (the undo snapshots).
    virtual void OnBinEntryInserted(LONG /*nAt*/) {}
    // The results of a bin load that ends with the entry at nAt.
    static HRESULT FinishBinLoad(LONG nAt, bool bChanged, LONG* pnIndex, LONG* pnStatus);
    LONGLONG Ticks(LONGLONG nSamples) const;
    LONGLONG Samples(LONGLONG nTicks) const; // infinite time stays infinite
    void SyncedStart(CGrooveTrack* pPad, LONGLONG nStart, int nActive);
    void RenderNotes(const BufferWindow& w, CSynthEventList* pActive);
    void RenderNote(const BufferWindow& w, SynthEvent& ev);
    void RenderPadButtons(const BufferWindow& w);
    void RenderPreviews(const BufferWindow& w);
    void RenderAudition(const BufferWindow& w);
    // Renders every pad of pList for one trigger; bFlags marks sounding pads.
    void RenderPlayList(const BufferWindow& w, PlayState& state,
                        const CPreAllocArray<TrackPlayInfo>& list, BOOL* pbSounded);
    PadResult RenderPad(const BufferWindow& w, PlayState& state, const TrackPlayInfo& info);
    // Fills m_segments with the pad's grain segments in [nS, nE) of its unit.
    void CollectSegments(const CGrooveTrack& pad, const PlayState& state, bool bSynced, LONGLONG nS,
                         LONGLONG nE, LONGLONG nOrigin, LONGLONG nEnd, LONGLONG nRef);
    void CollectPass(const CGrooveTrack& pad, bool bTicks, LONGLONG x, LONGLONG y,
                     LONGLONG nOffset);
    static LONGLONG CutPoint(const StreamEventInfo& seg, bool bTicks, LONGLONG nPadLen);
    // Where a segment's fades fall, in output samples: the trigger's start
    // (1 ms fade-in), its end (20 ms fade-out, infinite while open) and the
    // pad's loop end when it cuts the grain short (1 ms fade-out, else infinite).
    struct SegmentFades {
        LONGLONG nTrigger = 0;
        LONGLONG nEnd = kInfiniteTime;
        LONGLONG nCut = kInfiniteTime;
    };
    // Renders output frames [x0, x1) of one segment, with its fades.
    void RenderFaded(const BufferWindow& w, const CGrooveEvent& grain, const CGrooveTrack& pad,
                     LONGLONG nStart, LONGLONG nTarget, LONGLONG x0, LONGLONG x1,
                     const SegmentFades& fades, float* pDst, LONG nTranspose);
    PinBuffer* FindOutput(const BufferWindow& w, DWORD dwPin) const;
    // Puts a copy of the grain on the audition pad at time 0 and starts it.
    HRESULT AuditionGrain(const CGrooveEvent& grain, BOOL bFollowKey);
    LONG KeyShift(const CGrooveTrack& pad) const;

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

    CPlayStatePool m_notePool;

    CGrooveTrack* m_apUndo[kUndoSlots][kPadCount]{};
    int m_nUndoCurrent = 0;
    int m_nUndoOldest = 0;
    int m_nUndoNewest = 0;
    BOOL m_bGrainAudition = 0;
    LONG m_nChangeFlag = 0;
};
