// The control interface on the engine: the 69 operations through which the
// editor drives the engine, the project file operations, and the engine's
// host persistence (LoadState/SaveState of the project form behind the
// stream's version text). Its IUnknown slots are answered by the object that
// completes it (the filter). Operations are called on the user-interface
// thread (persistence on the host's main thread) and hold the engine lock for
// their duration, except the file operations: LoadFileToBin, LoadFileToPad,
// LoadProject and LoadState read and decode outside it and install the result
// briefly under it; SaveProject and SaveState copy the project under it and
// write the copy outside it.
#pragma once
#include "engine/VudivuVizezud.h"
#include "files/ProjectImage.h"
#include "files/RetiredProject.h"
#include "interfaces/IVudivuVizezud.h"

class CControlInterface : public CVudivuVizezud, public IVudivuVizezud {
public:
    explicit CControlInterface(CDXiSynthContext* pContext);
    ~CControlInterface() override;

    // IDispatch: served from the registered type library, else E_NOTIMPL.
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                          DISPID* rgDispId) override;
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   UINT* puArgErr) override;

    // Undo history (ControlUndo.cpp).
    HRESULT Checkpoint() override;
    HRESULT Undo() override;
    HRESULT Redo() override;
    // Project (ControlProject.cpp).
    HRESULT ClearProject() override;
    HRESULT SaveProject(const char* pszName, const char* pszPath) override;
    HRESULT LoadProject(const char* pszName, const char* pszPath) override;
    // Loop Bin (ControlLoopBin.cpp).
    HRESULT AssignFileToPad(LONG nPad, LONG nEntry) override;
    HRESULT DeleteFile(LONG nEntry) override;
    HRESULT LoadFileToBin(const char* pszName, const char* pszPath, LONG* pnIndex,
                          LONG* pnStatus) override;
    HRESULT LoadFileToPad(LONG nPad, const char* pszName, const char* pszPath, LONG* pnIndex,
                          LONG* pnStatus) override;
    HRESULT GetFileCount(LONG* pnCount) override;
    HRESULT GetFileName(LONG nEntry, BOOL bPath, char* pszText) override;
    HRESULT GetFileSlices(LONG nEntry, GrainSummary** ppSlices, LONG* pnCount) override;
    // Grains (ControlGrains.cpp).
    HRESULT CommitGrainEdits() override;
    HRESULT RemoveGrain(LONG nPad, LONG nGrain, BOOL bDefer) override;
    HRESULT SetGrainSource(LONG nPad, LONG nGrain, LONG nEntry, LONG nSlice) override;
    HRESULT AddGrain(LONG nEntry, LONG nSlice, LONG nPad, LONGLONG nStartTicks) override;
    HRESULT GetGrainSource(LONG nPad, LONG nGrain, LONG* pnEntry, LONG* pnSlice) override;
    HRESULT MoveGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks, LONG* pnOut,
                      BOOL bDefer) override;
    HRESULT CopyGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks,
                      LONG* pnOut) override;
    HRESULT GetPadGrains(LONG nPad, GrainSummary** ppGrains, LONG* pnCount) override;
    HRESULT GetGrainPitch(LONG nPad, LONG nGrain, LONG* pnSemitones) override;
    HRESULT SetGrainPitch(LONG nPad, LONG nGrain, LONG nSemitones) override;
    HRESULT GetGrainGain(LONG nPad, LONG nGrain, float* pfValue) override;
    HRESULT SetGrainGain(LONG nPad, LONG nGrain, float fValue) override;
    HRESULT GetGrainPan(LONG nPad, LONG nGrain, float* pfValue) override;
    HRESULT SetGrainPan(LONG nPad, LONG nGrain, float fValue) override;
    // Auditions, key map and editor state (ControlAudition.cpp).
    HRESULT StartAudition(LONG nPad, LONG nGrain) override;
    HRESULT StopAudition(LONG nPad) override;
    HRESULT StartFilePreview(LONG nEntry, LONG nSlice) override;
    HRESULT StopFilePreview(LONG nEntry) override;
    HRESULT GetPadActive(LONG nPad, BOOL* pbActive) override;
    HRESULT GetFilePreviewActive(LONG nEntry, BOOL* pbActive) override;
    HRESULT GetPadKeyRange(PadKeyRange* pRange) override;
    HRESULT SetPadKeyRange(const PadKeyRange* pRange) override;
    HRESULT GetClickAudition(BOOL* pbValue) override;
    HRESULT SetClickAudition(BOOL bValue) override;
    HRESULT TakeRefreshRequest(LONG* pnValue) override;
    HRESULT RequestRefresh(LONG nValue) override;
    // Pad settings (ControlPads.cpp).
    HRESULT GetPadLooping(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadLooping(LONG nPad, BOOL bValue) override;
    HRESULT GetPadSynced(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadSynced(LONG nPad, BOOL bValue) override;
    HRESULT GetPadLatchMode(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadLatchMode(LONG nPad, BOOL bValue) override;
    HRESULT GetPadMute(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadMute(LONG nPad, BOOL bValue) override;
    HRESULT GetPadLength(LONG nKind, LONG nIndex, LONGLONG* pnTicks) override;
    HRESULT SetPadLength(LONG nKind, LONG nIndex, LONGLONG nTicks) override;
    HRESULT GetPadVolume(LONG nPad, float* pfValue) override;
    HRESULT SetPadVolume(LONG nPad, float fValue) override;
    HRESULT GetPadPan(LONG nPad, float* pfValue) override;
    HRESULT SetPadPan(LONG nPad, float fValue) override;
    HRESULT GetPadTails(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadTails(LONG nPad, BOOL bValue) override;
    HRESULT GetPadGrainCount(LONG nKind, LONG nIndex, LONG* pnCount) override;
    HRESULT GetPadContentEnd(LONG nPad, LONGLONG* pnTicks) override;
    HRESULT GetPadPitchMarkers(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadPitchMarkers(LONG nPad, BOOL bValue) override;
    HRESULT GetPadOutput(LONG nPad, LONG* pnOutput) override;
    HRESULT SetPadOutput(LONG nPad, LONG nOutput) override;
    HRESULT GetPadSolo(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadSolo(LONG nPad, BOOL bValue) override;
    HRESULT GetPadRoot(LONG nPad, LONG* pnKey) override;
    HRESULT SetPadRoot(LONG nPad, LONG nKey) override;
    HRESULT GetPadMidiChannel(LONG nPad, LONG* pnChannel) override;
    HRESULT SetPadMidiChannel(LONG nPad, LONG nChannel) override;
    HRESULT GetPadLatch(LONG nPad, BOOL* pbValue) override;
    HRESULT SetPadLatch(LONG nPad, BOOL bValue) override;

    // Host persistence (ControlPersistence.cpp): the project form through the
    // stream from its current position; the stream ends just after it. A
    // failed load leaves the engine as it was.
    HRESULT LoadState(IStream* pStream) override;
    HRESULT SaveState(IStream* pStream) override;

protected:
    // The pad 0..15, else null.
    CGrooveTrack* PadAt(LONG nPad) const {
        return nPad >= 0 && nPad < kPadCount ? Pad(nPad) : nullptr;
    }
    // The checked pad accessors: the out-pointer first (E_POINTER), then the
    // pad index (E_INVALIDARG); both under the lock.
    template <typename T, typename Read> HRESULT ReadPad(LONG nPad, T* pValue, Read read) {
        if (pValue == nullptr) return E_POINTER;
        CAutoLock lock(this);
        const CGrooveTrack* p = PadAt(nPad);
        if (p == nullptr) return E_INVALIDARG;
        *pValue = read(*p);
        return S_OK;
    }
    template <typename Write> HRESULT WritePad(LONG nPad, Write write) {
        CAutoLock lock(this);
        CGrooveTrack* p = PadAt(nPad);
        if (p == nullptr) return E_INVALIDARG;
        write(*p);
        return S_OK;
    }
    // The same for one grain of a pad.
    template <typename T, typename Read>
    HRESULT ReadGrain(LONG nPad, LONG nGrain, T* pValue, Read read) {
        if (pValue == nullptr) return E_POINTER;
        CAutoLock lock(this);
        const CGrooveEvent* g = GrainAt(nPad, nGrain);
        if (g == nullptr) return E_INVALIDARG;
        *pValue = read(*g);
        return S_OK;
    }
    template <typename Write> HRESULT WriteGrain(LONG nPad, LONG nGrain, Write write) {
        CAutoLock lock(this);
        CGrooveEvent* g = GrainAt(nPad, nGrain);
        if (g == nullptr) return E_INVALIDARG;
        write(*g);
        return S_OK;
    }
    // Grain nGrain of pad nPad, else null.
    CGrooveEvent* GrainAt(LONG nPad, LONG nGrain) const {
        CGrooveTrack* p = PadAt(nPad);
        return p != nullptr ? p->GetAt(nGrain) : nullptr;
    }
    // Hands every snapshot to retired; indices to 0.
    void ClearUndoHistory(CRetiredProject& retired);
    // Stops playback and empties the project: undo history, audition pad,
    // every pad's grains and play flags, the Loop Bin, the key map. What it
    // takes out goes to retired, to be freed after the lock.
    void ClearProjectState(CRetiredProject& retired);
    // Replaces the project by the image's (which gives up its tracks); the old
    // one goes to retired. Pointer moves only: quick whatever the size.
    void InstallImage(CProjectImage& image, CRetiredProject& retired);
    // Points pad i's key-map entry, if any, at the pad object now in slot i.
    void RepointKeyMapEntry(int i);
    // Under the lock, when a Loop Bin load inserted an entry at nAt.
    void OnBinEntryInserted(LONG nAt) override;
    // Undo snapshots follow the Loop Bin: an entry inserted at nAt moves the
    // later ones up; a deleted one takes its grains with it.
    void RenumberSnapshotsForInsert(LONG nAt);
    void RenumberSnapshotsForDelete(LONG nEntry);
    // The summary records of a pad's grains or an entry's slices: S_OK with
    // *pnCount 0 and nothing allocated for an empty track.
    static HRESULT Summarise(const CGrooveTrack& track, bool bPadGrains, GrainSummary** ppArray,
                             LONG* pnCount);
    // Reads a project form at the handle into an image outside the lock and
    // installs it under the lock: S_OK, S_FALSE when the output format was
    // corrected first, or the reader's error (the engine untouched). Read
    // again should the output rate change while it reads.
    HRESULT ReadProjectInto(HMMIO hmmio);
    // Writes a copy of the project, taken under the lock, at the handle
    // without the lock. S_OK, E_OUTOFMEMORY for the copy, or the writer's error.
    HRESULT WriteProjectFrom(HMMIO hmmio);
};
