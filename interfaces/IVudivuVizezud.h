// The control interface through which the editor reads and changes the
// engine: Loop Bin, pads and grains, key map, auditions, undo history and
// project files. A dual interface: IUnknown (0..2), IDispatch (3..6), then
// the operations below in slots 7..75. Multibyte text is UTF-8.
//
// Callers: the editor page on its user-interface thread, and hosts on a
// thread of their own that is not the audio thread (the command line's main
// thread). Each operation takes the engine's re-entrant lock for its whole
// duration, so it waits for a buffer being rendered; the file operations
// alone do their file work outside it and hold it only briefly, for a time
// that does not grow with the project (LoadFileToBin, LoadFileToPad,
// LoadProject, SaveProject, and the host persistence). Never call these
// from the audio thread, except GetPadActive and GetFilePreviewActive (see
// there). Arrays handed out are CoTaskMemAlloc'ed and freed by the caller
// with CoTaskMemFree.
//
// Results, unless a note says otherwise: E_POINTER for a null out-argument
// (checked first), E_INVALIDARG for a pad (0..15), Loop Bin entry, grain or
// slice index that does not exist, E_OUTOFMEMORY when a copy cannot be made.
// Pad and entry counts, ticks and load statuses: interfaces/PandrelConstants.h.
#pragma once
#include "platform/com/Dispatch.h"

// {F59EF538-1759-48FC-9215-4A7FF2379452}
constexpr IID IID_IVudivuVizezud = {
    0xF59EF538, 0x1759, 0x48FC, {0x92, 0x15, 0x4A, 0x7F, 0xF2, 0x37, 0x94, 0x52}};
// {B31C7B8A-F3F8-412E-A94D-EF1629739B2D}, version 1.0
constexpr GUID LIBID_Pandrel = {
    0xB31C7B8A, 0xF3F8, 0x412E, {0xA9, 0x4D, 0xEF, 0x16, 0x29, 0x73, 0x9B, 0x2D}};
constexpr WORD kPandrelTypeLibMajor = 1;
constexpr WORD kPandrelTypeLibMinor = 0;

// One grain of a pad or one slice of a Loop Bin entry, for drawing (48 bytes).
struct GrainSummary {
    LONGLONG nStartTicks; // m_nStartTicks
    LONGLONG nEndTicks;   // start + m_nLenTicks
    LONG nTranspose;      // m_nTranspose
    float fVolume;        // m_dVolume
    const float*
        pPeaks;       // a copy of the grain's overview blocks, in the same block; null without one
    DWORD nPeakCount; // overview blocks the grain covers
    DWORD nChannels;  // channels of the grain's wave
    BOOL bUseTail;    // pad grains: m_bUseTail; slices: 0
    DWORD dwReserved; // not written
};
static_assert(sizeof(GrainSummary) == 48);

// A pad's key-map entry.
struct PadKeyRange {
    LONG nPad;
    LONG nLowKey;
    LONG nHighKey;
    LONG nRootKey;
    LONG nLowVelocity;
    LONG nHighVelocity;
};
static_assert(sizeof(PadKeyRange) == 24);

// Kinds of GetPadLength, SetPadLength and GetPadGrainCount.
constexpr LONG kKindLoopBin = 0;
constexpr LONG kKindPad = 1;

class IVudivuVizezud : public IDispatch {
public:
    // --- Undo history: 129 slots of snapshots of the 16 pads (grains and settings).
    // Copies every pad into the next slot (the oldest is dropped when all are
    // used) and discards what Redo could bring back. E_OUTOFMEMORY: nothing changed.
    virtual HRESULT Checkpoint() = 0; // 7
    // Swaps the pads with the snapshot before; key map and solo follow. S_FALSE: none.
    virtual HRESULT Undo() = 0; // 8
    // Swaps them back with the snapshot after. S_FALSE: nothing to redo.
    virtual HRESULT Redo() = 0; // 9

    // --- Project.
    // Stops every voice, empties the undo history, Loop Bin, pads and key map,
    // then gives each pad its default settings and key. Always S_OK.
    virtual HRESULT ClearProject() = 0; // 10
    // Replaces the pad's grains by copies of the entry's slices, with its
    // length and tempo. E_INVALIDARG: no such pad or entry.
    virtual HRESULT AssignFileToPad(LONG nPad, LONG nEntry) = 0; // 11
    // Writes the project to pszPath (".pnd" appended unless present; pszName is
    // unused) through a temporary file in the same folder renamed over the
    // target. The project is copied under the lock (the sample data shared,
    // not copied) and the copy written without it, so the file holds the
    // project as it was at one moment while playback goes on. E_POINTER: null
    // path; E_OUTOFMEMORY: no room for the copy; E_FAIL: the file could not be
    // created, written, synced or renamed (the target is untouched).
    virtual HRESULT SaveProject(const char* pszName, const char* pszPath) = 0; // 12
    // Reads a project file, staged: it is read and decoded without the lock
    // while the old project plays on, then swapped in under the lock (voices
    // stopped, undo history emptied) and the old one freed after it; on
    // failure the project is as it was. Read again should the host change the
    // output rate meanwhile. Loads at once end with one of the projects
    // whole. A pszName without "." also accepts a raw copy of the host
    // stream (24-byte version text first). S_FALSE: loaded after the output
    // format was set to float. E_POINTER: null path; E_FAIL: cannot open, not
    // a project, or beyond the stored limits.
    virtual HRESULT LoadProject(const char* pszName, const char* pszPath) = 0; // 13
    // Stops every voice (even when the entry does not exist), then removes
    // the entry and every grain cut from it, also from the undo snapshots;
    // later entries move down. S_FALSE: no such entry.
    virtual HRESULT DeleteFile(LONG nEntry) = 0; // 14

    // --- Grains of pads.
    // Removes the grains that deferred RemoveGrain and MoveGrain marked. S_OK.
    virtual HRESULT CommitGrainEdits() = 0; // 15
    // Removes the grain now, or with bDefer marks it for CommitGrainEdits.
    virtual HRESULT RemoveGrain(LONG nPad, LONG nGrain, BOOL bDefer) = 0; // 16
    // Replaces the grain by a copy of the slice at the same start.
    // E_INVALIDARG also when the pad would outgrow what a project stores.
    virtual HRESULT SetGrainSource(LONG nPad, LONG nGrain, LONG nEntry, LONG nSlice) = 0; // 17
    // Places a copy of the slice on the pad at nStartTicks (negative: the
    // slice's own start); an empty pad becomes looping and synced.
    // E_INVALIDARG also when the pad would outgrow what a project stores.
    virtual HRESULT AddGrain(LONG nEntry, LONG nSlice, LONG nPad, LONGLONG nStartTicks) = 0; // 18
    // The Loop Bin entry and slice the grain was cut from.
    virtual HRESULT GetGrainSource(LONG nPad, LONG nGrain, LONG* pnEntry, LONG* pnSlice) = 0; // 19

    // --- Loop Bin loads: the file is read and decoded outside the lock (again
    // should the host change the output rate meanwhile), the entry inserted
    // under it; the engine allocates and owns the entry.
    // *pnIndex in: 0..15 inserts there (later entries move up), else appends;
    // out: the entry's index (-1 when the bin is full). A path already in the
    // bin (also one another thread put there meanwhile) is not loaded
    // again: *pnIndex gets its index. pszName names the entry
    // (null: the file name). S_OK; S_FALSE with *pnStatus kLoadStatusBinFull
    // (nothing loaded) or kLoadStatusFormatChanged (loaded; the output format
    // was set to float first). E_POINTER: a null pointer, also pszPath;
    // E_INVALIDARG: a file the wave reader cannot take; E_FAIL: a sample
    // format it cannot decode; E_UNEXPECTED: beyond the loader's limits (a
    // sliced loop over 128 s or 64 beats, any other file over 30 s).
    virtual HRESULT LoadFileToBin(const char* pszName, const char* pszPath, LONG* pnIndex,
                                  LONG* pnStatus) = 0; // 20
    // LoadFileToBin, then the entry replaces the pad's grains as in
    // AssignFileToPad; S_OK also with kLoadStatusFormatChanged in *pnStatus.
    // E_INVALIDARG for the pad before anything is read; a full bin leaves the
    // pad unchanged (S_FALSE).
    virtual HRESULT LoadFileToPad(LONG nPad, const char* pszName, const char* pszPath,
                                  LONG* pnIndex,
                                  LONG* pnStatus) = 0; // 21

    // --- Auditions: requests that the next rendered buffer takes up.
    // Grain -1 starts the pad; a grain index plays that grain once through
    // the audition pad when click audition is on (else S_OK, nothing plays).
    virtual HRESULT StartAudition(LONG nPad, LONG nGrain) = 0; // 22
    // Pad -1 stops every pad; a gated pad stops, a latched one ignores it.
    virtual HRESULT StopAudition(LONG nPad) = 0; // 23
    // Slice -1 loops the whole entry until stopped; a slice index plays it
    // once through the audition pad when click audition is on.
    virtual HRESULT StartFilePreview(LONG nEntry, LONG nSlice) = 0; // 24
    // Entry -1 stops every preview. E_INVALIDARG only outside -1..15.
    virtual HRESULT StopFilePreview(LONG nEntry) = 0; // 25

    // --- Moving grains. nStartTicks negative keeps the grain's start. An empty
    // target takes the source pad's length, tempo, looping, sync, pitch
    // markers and root. *pnOut (may be null) gets -1. E_INVALIDARG also when
    // the target would outgrow what a project stores.
    // bDefer marks the source grain for CommitGrainEdits instead of removing it.
    virtual HRESULT MoveGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks,
                              LONG* pnOut,
                              BOOL bDefer) = 0; // 26
    virtual HRESULT CopyGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks,
                              LONG* pnOut) = 0; // 27

    // --- Loop Bin contents.
    virtual HRESULT GetFileCount(LONG* pnCount) = 0; // 28
    // bPath nonzero: the entry's path, else its name, as UTF-8 in the 260
    // bytes of pszText. Always S_OK: a null pszText or missing entry writes nothing.
    virtual HRESULT GetFileName(LONG nEntry, BOOL bPath, char* pszText) = 0; // 29

    // --- Pad modes. A pad outside 0..15 is ignored here and the result is S_OK.
    virtual HRESULT GetPadLooping(LONG nPad, BOOL* pbValue) = 0; // 30
    virtual HRESULT SetPadLooping(LONG nPad, BOOL bValue) = 0;   // 31
    virtual HRESULT GetPadSynced(LONG nPad, BOOL* pbValue) = 0;  // 32
    virtual HRESULT SetPadSynced(LONG nPad, BOOL bValue) = 0;    // 33
    // The same flag as GetPadLatch and SetPadLatch.
    virtual HRESULT GetPadLatchMode(LONG nPad, BOOL* pbValue) = 0; // 34
    virtual HRESULT SetPadLatchMode(LONG nPad, BOOL bValue) = 0;   // 35

    // --- Drawing records: one CoTaskMemAlloc'ed block of *pnCount summaries,
    // their peak copies behind them; one CoTaskMemFree releases both. An
    // empty track: S_OK, *pnCount 0, nothing allocated or written to the
    // array pointer. No such pad or entry: S_FALSE, *pnCount 0.
    // E_OUTOFMEMORY: *pnCount 0.
    virtual HRESULT GetPadGrains(LONG nPad, GrainSummary** ppGrains, LONG* pnCount) = 0;    // 36
    virtual HRESULT GetFileSlices(LONG nEntry, GrainSummary** ppSlices, LONG* pnCount) = 0; // 37

    // --- Pad settings (also below): E_POINTER, then E_INVALIDARG for the pad.
    virtual HRESULT GetPadMute(LONG nPad, BOOL* pbValue) = 0; // 38
    virtual HRESULT SetPadMute(LONG nPad, BOOL bValue) = 0;   // 39
    // Length in ticks of a pad (nKind kKindPad) or Loop Bin entry
    // (kKindLoopBin). E_INVALIDARG: unknown kind or index.
    virtual HRESULT GetPadLength(LONG nKind, LONG nIndex, LONGLONG* pnTicks) = 0; // 40
    // Sets it and recomputes the tempo; a pad also its length in samples, an
    // entry keeps its samples. Negative: ignored, S_OK. E_INVALIDARG: beyond
    // kInfiniteTime, or a pad longer than a project stores (12,288,000 samples).
    virtual HRESULT SetPadLength(LONG nKind, LONG nIndex, LONGLONG nTicks) = 0; // 41

    // --- Activity. Also called by a plug-in host on its audio thread (the LV2
    // idle check): they take the lock briefly and allocate nothing.
    // Whether the pad sounded or was asked to start in the last buffer.
    virtual HRESULT GetPadActive(LONG nPad, BOOL* pbActive) = 0; // 42
    // Whether the entry's preview is playing. E_INVALIDARG: no such entry.
    virtual HRESULT GetFilePreviewActive(LONG nEntry, BOOL* pbActive) = 0; // 43

    // --- Key map. pRange->nPad selects the pad (E_INVALIDARG outside 0..15).
    // Fills the rest from the pad's entry; a pad without one leaves it as is.
    virtual HRESULT GetPadKeyRange(PadKeyRange* pRange) = 0; // 44
    // Sets or replaces the pad's entry; keys and velocities clamped to 0..127.
    virtual HRESULT SetPadKeyRange(const PadKeyRange* pRange) = 0; // 45

    // --- Editor state.
    // Click audition: whether StartAudition/StartFilePreview of one grain sound.
    virtual HRESULT GetClickAudition(BOOL* pbValue) = 0; // 46
    virtual HRESULT SetClickAudition(BOOL bValue) = 0;   // 47
    // Returns the refresh request and clears it (0: none; the filter asks 2
    // on run and stop).
    virtual HRESULT TakeRefreshRequest(LONG* pnValue) = 0; // 48
    virtual HRESULT RequestRefresh(LONG nValue) = 0;       // 49

    // --- More pad settings: E_POINTER, then E_INVALIDARG for the pad.
    // Set clamps to 0..2; negative or not-a-number stores 0.
    virtual HRESULT GetPadVolume(LONG nPad, float* pfValue) = 0; // 50
    virtual HRESULT SetPadVolume(LONG nPad, float fValue) = 0;   // 51
    // Set clamps to 0..1; negative or not-a-number stores 0.
    virtual HRESULT GetPadPan(LONG nPad, float* pfValue) = 0; // 52
    virtual HRESULT SetPadPan(LONG nPad, float fValue) = 0;   // 53
    // Tails: each grain plays on into its decaying tail instead of stopping at
    // its length; set applies to every grain of the pad.
    virtual HRESULT GetPadTails(LONG nPad, BOOL* pbValue) = 0; // 54
    virtual HRESULT SetPadTails(LONG nPad, BOOL bValue) = 0;   // 55

    // --- Grain settings: E_POINTER, then E_INVALIDARG for the pad or grain.
    // Transposition in semitones, stored as given.
    virtual HRESULT GetGrainPitch(LONG nPad, LONG nGrain, LONG* pnSemitones) = 0; // 56
    virtual HRESULT SetGrainPitch(LONG nPad, LONG nGrain, LONG nSemitones) = 0;   // 57

    // Grains on a pad or slices of an entry (nKind as GetPadLength).
    virtual HRESULT GetPadGrainCount(LONG nKind, LONG nIndex, LONG* pnCount) = 0; // 58
    // End in ticks of the pad's last grain; 0 for an empty pad.
    virtual HRESULT GetPadContentEnd(LONG nPad, LONGLONG* pnTicks) = 0; // 59
    // Pitch markers: the pad follows the host's song key, transposed by the key
    // minus its root (-6..+5 semitones); without a root key nothing moves.
    virtual HRESULT GetPadPitchMarkers(LONG nPad, BOOL* pbValue) = 0; // 60
    virtual HRESULT SetPadPitchMarkers(LONG nPad, BOOL bValue) = 0;   // 61
    // Grain gain and pan, stored as given.
    virtual HRESULT GetGrainGain(LONG nPad, LONG nGrain, float* pfValue) = 0; // 62
    virtual HRESULT SetGrainGain(LONG nPad, LONG nGrain, float fValue) = 0;   // 63
    virtual HRESULT GetGrainPan(LONG nPad, LONG nGrain, float* pfValue) = 0;  // 64
    virtual HRESULT SetGrainPan(LONG nPad, LONG nGrain, float fValue) = 0;    // 65

    // --- Routing and keys of a pad: E_POINTER, then E_INVALIDARG for the pad.
    // 0: the mix only; n (1..16): also "Chan n". Set: E_INVALIDARG outside 0..16.
    virtual HRESULT GetPadOutput(LONG nPad, LONG* pnOutput) = 0; // 66
    virtual HRESULT SetPadOutput(LONG nPad, LONG nOutput) = 0;   // 67
    // While any pad is soloed, only soloed pads sound.
    virtual HRESULT GetPadSolo(LONG nPad, BOOL* pbValue) = 0; // 68
    virtual HRESULT SetPadSolo(LONG nPad, BOOL bValue) = 0;   // 69
    // Root key for pitch markers: -1 (none) or 0..127; others ignored (S_OK).
    virtual HRESULT GetPadRoot(LONG nPad, LONG* pnKey) = 0; // 70
    virtual HRESULT SetPadRoot(LONG nPad, LONG nKey) = 0;   // 71
    // -1 (any) or 0..15; set clamps into that range.
    virtual HRESULT GetPadMidiChannel(LONG nPad, LONG* pnChannel) = 0; // 72
    virtual HRESULT SetPadMidiChannel(LONG nPad, LONG nChannel) = 0;   // 73
    // Latched: a note starts the pad, which plays on after it (a second note
    // stops a latched loop). Gated: the pad plays while the note is held.
    virtual HRESULT GetPadLatch(LONG nPad, BOOL* pbValue) = 0; // 74
    virtual HRESULT SetPadLatch(LONG nPad, BOOL bValue) = 0;   // 75

    // After the operations: the implementing object's deleting destructor.
    virtual ~IVudivuVizezud() = default;
};
