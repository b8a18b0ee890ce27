// The instrument's control interface as a live host hands it to its editor:
// every operation forwards to the instrument's own while holding the host's
// lock, which the audio thread only tries, so the audio thread never waits
// for an editor call; it plays silence for a cycle instead. The file
// operations (LoadProject, SaveProject, LoadFileToBin, LoadFileToPad) run
// without the host's lock: they do their file work outside the instrument's
// own lock and take that only briefly, so playback goes on while a file
// loads. Called on the editor's thread.
//
// A host whose audio thread waits for the instrument's own lock instead (an
// LV2 plug-in: dropping a block for every editor call would be heard) takes
// the host's lock only around the calls that start playback, and learns of
// each of them through a hook (Scope::Playback).
#pragma once
#include "interfaces/IVudivuVizezud.h"
#include "platform/com/ComPtr.h"
#include "platform/com/RefCounted.h"
#include <mutex>

// Told of the editor's calls that start playback (StartAudition,
// StartFilePreview, and Invoke, which may be either), with the host's lock
// held, just before and just after the call is forwarded. Editor's thread.
class IPlaybackCallHook {
public:
    virtual void BeforePlaybackCall() = 0;
    virtual void AfterPlaybackCall() = 0;

protected:
    ~IPlaybackCallHook() = default;
};

class CLockedControl final : public CRefCounted<IVudivuVizezud> {
public:
    enum class Scope {
        Every,    // every call but the file operations holds the host's lock
        Playback, // only the calls that start playback hold it
    };
    // Created with one reference; keeps one on pInner. The lock and the hook
    // (may be null) must outlive it.
    CLockedControl(IVudivuVizezud* pInner, std::mutex& lock, Scope scope = Scope::Every,
                   IPlaybackCallHook* pHook = nullptr)
        : m_pInner(pInner), m_lock(lock), m_scope(scope), m_pHook(pHook) {}

    // IUnknown, IDispatch and IVudivuVizezud, all answered by this object.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                          DISPID* rgDispId) override;
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                   UINT* puArgErr) override;

#define PANDREL_LOCKED(name, params, args)                                                         \
    HRESULT name params override {                                                                 \
        std::unique_lock<std::mutex> hold(m_lock, std::defer_lock);                                \
        if (m_scope == Scope::Every) hold.lock();                                                  \
        return m_pInner->name args;                                                                \
    }
#define PANDREL_STARTS(name, params, args)                                                         \
    HRESULT name params override {                                                                 \
        return Starting([&] { return m_pInner->name args; });                                      \
    }
#define PANDREL_UNLOCKED(name, params, args)                                                       \
    HRESULT name params override { return m_pInner->name args; }
    PANDREL_LOCKED(Checkpoint, (), ())
    PANDREL_LOCKED(Undo, (), ())
    PANDREL_LOCKED(Redo, (), ())
    PANDREL_LOCKED(ClearProject, (), ())
    PANDREL_LOCKED(AssignFileToPad, (LONG nPad, LONG nEntry), (nPad, nEntry))
    PANDREL_UNLOCKED(SaveProject, (const char* pszName, const char* pszPath), (pszName, pszPath))
    PANDREL_UNLOCKED(LoadProject, (const char* pszName, const char* pszPath), (pszName, pszPath))
    PANDREL_LOCKED(DeleteFile, (LONG nEntry), (nEntry))
    PANDREL_LOCKED(CommitGrainEdits, (), ())
    PANDREL_LOCKED(RemoveGrain, (LONG nPad, LONG nGrain, BOOL bDefer), (nPad, nGrain, bDefer))
    PANDREL_LOCKED(SetGrainSource, (LONG nPad, LONG nGrain, LONG nEntry, LONG nSlice),
                   (nPad, nGrain, nEntry, nSlice))
    PANDREL_LOCKED(AddGrain, (LONG nEntry, LONG nSlice, LONG nPad, LONGLONG nStartTicks),
                   (nEntry, nSlice, nPad, nStartTicks))
    PANDREL_LOCKED(GetGrainSource, (LONG nPad, LONG nGrain, LONG* pnEntry, LONG* pnSlice),
                   (nPad, nGrain, pnEntry, pnSlice))
    PANDREL_UNLOCKED(LoadFileToBin,
                     (const char* pszName, const char* pszPath, LONG* pnIndex, LONG* pnStatus),
                     (pszName, pszPath, pnIndex, pnStatus))
    PANDREL_UNLOCKED(LoadFileToPad,
                     (LONG nPad, const char* pszName, const char* pszPath, LONG* pnIndex,
                      LONG* pnStatus),
                     (nPad, pszName, pszPath, pnIndex, pnStatus))
    PANDREL_STARTS(StartAudition, (LONG nPad, LONG nGrain), (nPad, nGrain))
    PANDREL_LOCKED(StopAudition, (LONG nPad), (nPad))
    PANDREL_STARTS(StartFilePreview, (LONG nEntry, LONG nSlice), (nEntry, nSlice))
    PANDREL_LOCKED(StopFilePreview, (LONG nEntry), (nEntry))
    PANDREL_LOCKED(MoveGrain,
                   (LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks, LONG* pnOut,
                    BOOL bDefer),
                   (nFromPad, nGrain, nToPad, nStartTicks, pnOut, bDefer))
    PANDREL_LOCKED(CopyGrain,
                   (LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks, LONG* pnOut),
                   (nFromPad, nGrain, nToPad, nStartTicks, pnOut))
    PANDREL_LOCKED(GetFileCount, (LONG * pnCount), (pnCount))
    PANDREL_LOCKED(GetFileName, (LONG nEntry, BOOL bPath, char* pszText), (nEntry, bPath, pszText))
    PANDREL_LOCKED(GetPadLooping, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadLooping, (LONG nPad, BOOL bValue), (nPad, bValue))
    PANDREL_LOCKED(GetPadSynced, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadSynced, (LONG nPad, BOOL bValue), (nPad, bValue))
    PANDREL_LOCKED(GetPadLatchMode, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadLatchMode, (LONG nPad, BOOL bValue), (nPad, bValue))
    PANDREL_LOCKED(GetPadGrains, (LONG nPad, GrainSummary** ppGrains, LONG* pnCount),
                   (nPad, ppGrains, pnCount))
    PANDREL_LOCKED(GetFileSlices, (LONG nEntry, GrainSummary** ppSlices, LONG* pnCount),
                   (nEntry, ppSlices, pnCount))
    PANDREL_LOCKED(GetPadMute, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadMute, (LONG nPad, BOOL bValue), (nPad, bValue))
    PANDREL_LOCKED(GetPadLength, (LONG nKind, LONG nIndex, LONGLONG* pnTicks),
                   (nKind, nIndex, pnTicks))
    PANDREL_LOCKED(SetPadLength, (LONG nKind, LONG nIndex, LONGLONG nTicks),
                   (nKind, nIndex, nTicks))
    PANDREL_LOCKED(GetPadActive, (LONG nPad, BOOL* pbActive), (nPad, pbActive))
    PANDREL_LOCKED(GetFilePreviewActive, (LONG nEntry, BOOL* pbActive), (nEntry, pbActive))
    PANDREL_LOCKED(GetPadKeyRange, (PadKeyRange * pRange), (pRange))
    PANDREL_LOCKED(SetPadKeyRange, (const PadKeyRange* pRange), (pRange))
    PANDREL_LOCKED(GetClickAudition, (BOOL * pbValue), (pbValue))
    PANDREL_LOCKED(SetClickAudition, (BOOL bValue), (bValue))
    PANDREL_LOCKED(TakeRefreshRequest, (LONG * pnValue), (pnValue))
    PANDREL_LOCKED(RequestRefresh, (LONG nValue), (nValue))
    PANDREL_LOCKED(GetPadVolume, (LONG nPad, float* pfValue), (nPad, pfValue))
    PANDREL_LOCKED(SetPadVolume, (LONG nPad, float fValue), (nPad, fValue))
    PANDREL_LOCKED(GetPadPan, (LONG nPad, float* pfValue), (nPad, pfValue))
    PANDREL_LOCKED(SetPadPan, (LONG nPad, float fValue), (nPad, fValue))
    PANDREL_LOCKED(GetPadTails, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadTails, (LONG nPad, BOOL bValue), (nPad, bValue))
    PANDREL_LOCKED(GetGrainPitch, (LONG nPad, LONG nGrain, LONG* pnSemitones),
                   (nPad, nGrain, pnSemitones))
    PANDREL_LOCKED(SetGrainPitch, (LONG nPad, LONG nGrain, LONG nSemitones),
                   (nPad, nGrain, nSemitones))
    PANDREL_LOCKED(GetPadGrainCount, (LONG nKind, LONG nIndex, LONG* pnCount),
                   (nKind, nIndex, pnCount))
    PANDREL_LOCKED(GetPadContentEnd, (LONG nPad, LONGLONG* pnTicks), (nPad, pnTicks))
    PANDREL_LOCKED(GetPadPitchMarkers, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadPitchMarkers, (LONG nPad, BOOL bValue), (nPad, bValue))
    PANDREL_LOCKED(GetGrainGain, (LONG nPad, LONG nGrain, float* pfValue), (nPad, nGrain, pfValue))
    PANDREL_LOCKED(SetGrainGain, (LONG nPad, LONG nGrain, float fValue), (nPad, nGrain, fValue))
    PANDREL_LOCKED(GetGrainPan, (LONG nPad, LONG nGrain, float* pfValue), (nPad, nGrain, pfValue))
    PANDREL_LOCKED(SetGrainPan, (LONG nPad, LONG nGrain, float fValue), (nPad, nGrain, fValue))
    PANDREL_LOCKED(GetPadOutput, (LONG nPad, LONG* pnOutput), (nPad, pnOutput))
    PANDREL_LOCKED(SetPadOutput, (LONG nPad, LONG nOutput), (nPad, nOutput))
    PANDREL_LOCKED(GetPadSolo, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadSolo, (LONG nPad, BOOL bValue), (nPad, bValue))
    PANDREL_LOCKED(GetPadRoot, (LONG nPad, LONG* pnKey), (nPad, pnKey))
    PANDREL_LOCKED(SetPadRoot, (LONG nPad, LONG nKey), (nPad, nKey))
    PANDREL_LOCKED(GetPadMidiChannel, (LONG nPad, LONG* pnChannel), (nPad, pnChannel))
    PANDREL_LOCKED(SetPadMidiChannel, (LONG nPad, LONG nChannel), (nPad, nChannel))
    PANDREL_LOCKED(GetPadLatch, (LONG nPad, BOOL* pbValue), (nPad, pbValue))
    PANDREL_LOCKED(SetPadLatch, (LONG nPad, BOOL bValue), (nPad, bValue))
#undef PANDREL_LOCKED
#undef PANDREL_STARTS
#undef PANDREL_UNLOCKED

private:
    ~CLockedControl() override = default; // through Release only

    template <class Call> HRESULT Starting(Call call) {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_pHook != nullptr) m_pHook->BeforePlaybackCall();
        const HRESULT hr = call();
        if (m_pHook != nullptr) m_pHook->AfterPlaybackCall();
        return hr;
    }

    ComPtr<IVudivuVizezud> m_pInner;
    std::mutex& m_lock;
    const Scope m_scope;
    IPlaybackCallHook* const m_pHook;
};
