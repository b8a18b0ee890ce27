// The control interface through which the editor reads and changes the
// engine: Loop Bin, pads and grains, key map, auditions, undo history and
// project files. A dual interface: IUnknown (0..2), IDispatch (3..6), then
// the operations below in slots 7..75. Called on the host's user-interface
// thread; every operation takes the engine's lock. Multibyte text is UTF-8.
// Arrays handed out are CoTaskMemAlloc'ed and freed by the caller.
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
    const float* pPeaks;  // a copy of the grain's overview blocks, in the same block; null without one
    DWORD nPeakCount;     // overview blocks the grain covers
    DWORD nChannels;      // channels of the grain's wave
    BOOL bUseTail;        // pad grains: m_bUseTail; slices: 0
    DWORD dwReserved;     // not written
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
    virtual HRESULT Checkpoint() = 0;                                                         // 7
    virtual HRESULT Undo() = 0;                                                               // 8
    virtual HRESULT Redo() = 0;                                                               // 9
    virtual HRESULT ClearProject() = 0;                                                       // 10
    virtual HRESULT AssignFileToPad(LONG nPad, LONG nEntry) = 0;                              // 11
    virtual HRESULT SaveProject(const char* pszName, const char* pszPath) = 0;                // 12
    virtual HRESULT LoadProject(const char* pszName, const char* pszPath) = 0;                // 13
    virtual HRESULT DeleteFile(LONG nEntry) = 0;                                              // 14
    virtual HRESULT CommitGrainEdits() = 0;                                                   // 15
    virtual HRESULT RemoveGrain(LONG nPad, LONG nGrain, BOOL bDefer) = 0;                     // 16
    virtual HRESULT SetGrainSource(LONG nPad, LONG nGrain, LONG nEntry, LONG nSlice) = 0;     // 17
    virtual HRESULT AddGrain(LONG nEntry, LONG nSlice, LONG nPad, LONGLONG nStartTicks) = 0;  // 18
    virtual HRESULT GetGrainSource(LONG nPad, LONG nGrain, LONG* pnEntry, LONG* pnSlice) = 0; // 19
    virtual HRESULT LoadFileToBin(const char* pszName, const char* pszPath, LONG* pnIndex,
                                  LONG* pnStatus) = 0; // 20
    virtual HRESULT LoadFileToPad(LONG nPad, const char* pszName, const char* pszPath,
                                  LONG* pnIndex,
                                  LONG* pnStatus) = 0;              // 21
    virtual HRESULT StartAudition(LONG nPad, LONG nGrain) = 0;      // 22
    virtual HRESULT StopAudition(LONG nPad) = 0;                    // 23
    virtual HRESULT StartFilePreview(LONG nEntry, LONG nSlice) = 0; // 24
    virtual HRESULT StopFilePreview(LONG nEntry) = 0;               // 25
    virtual HRESULT MoveGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks,
                              LONG* pnOut,
                              BOOL bDefer) = 0; // 26
    virtual HRESULT CopyGrain(LONG nFromPad, LONG nGrain, LONG nToPad, LONGLONG nStartTicks,
                              LONG* pnOut) = 0;      // 27
    virtual HRESULT GetFileCount(LONG* pnCount) = 0; // 28
    // bPath nonzero: the entry's path, else its name; pszText holds 260 bytes.
    virtual HRESULT GetFileName(LONG nEntry, BOOL bPath, char* pszText) = 0;                // 29
    virtual HRESULT GetPadLooping(LONG nPad, BOOL* pbValue) = 0;                            // 30
    virtual HRESULT SetPadLooping(LONG nPad, BOOL bValue) = 0;                              // 31
    virtual HRESULT GetPadSynced(LONG nPad, BOOL* pbValue) = 0;                             // 32
    virtual HRESULT SetPadSynced(LONG nPad, BOOL bValue) = 0;                               // 33
    virtual HRESULT GetPadLatchMode(LONG nPad, BOOL* pbValue) = 0;                          // 34
    virtual HRESULT SetPadLatchMode(LONG nPad, BOOL bValue) = 0;                            // 35
    virtual HRESULT GetPadGrains(LONG nPad, GrainSummary** ppGrains, LONG* pnCount) = 0;    // 36
    virtual HRESULT GetFileSlices(LONG nEntry, GrainSummary** ppSlices, LONG* pnCount) = 0; // 37
    virtual HRESULT GetPadMute(LONG nPad, BOOL* pbValue) = 0;                               // 38
    virtual HRESULT SetPadMute(LONG nPad, BOOL bValue) = 0;                                 // 39
    virtual HRESULT GetPadLength(LONG nKind, LONG nIndex, LONGLONG* pnTicks) = 0;           // 40
    virtual HRESULT SetPadLength(LONG nKind, LONG nIndex, LONGLONG nTicks) = 0;             // 41
    virtual HRESULT GetPadActive(LONG nPad, BOOL* pbActive) = 0;                            // 42
    virtual HRESULT GetFilePreviewActive(LONG nEntry, BOOL* pbActive) = 0;                  // 43
    virtual HRESULT GetPadKeyRange(PadKeyRange* pRange) = 0;                                // 44
    virtual HRESULT SetPadKeyRange(const PadKeyRange* pRange) = 0;                          // 45
    virtual HRESULT GetClickAudition(BOOL* pbValue) = 0;                                    // 46
    virtual HRESULT SetClickAudition(BOOL bValue) = 0;                                      // 47
    virtual HRESULT TakeRefreshRequest(LONG* pnValue) = 0;                                  // 48
    virtual HRESULT RequestRefresh(LONG nValue) = 0;                                        // 49
    virtual HRESULT GetPadVolume(LONG nPad, float* pfValue) = 0;                            // 50
    virtual HRESULT SetPadVolume(LONG nPad, float fValue) = 0;                              // 51
    virtual HRESULT GetPadPan(LONG nPad, float* pfValue) = 0;                               // 52
    virtual HRESULT SetPadPan(LONG nPad, float fValue) = 0;                                 // 53
    virtual HRESULT GetPadTails(LONG nPad, BOOL* pbValue) = 0;                              // 54
    virtual HRESULT SetPadTails(LONG nPad, BOOL bValue) = 0;                                // 55
    virtual HRESULT GetGrainPitch(LONG nPad, LONG nGrain, LONG* pnSemitones) = 0;           // 56
    virtual HRESULT SetGrainPitch(LONG nPad, LONG nGrain, LONG nSemitones) = 0;             // 57
    virtual HRESULT GetPadGrainCount(LONG nKind, LONG nIndex, LONG* pnCount) = 0;           // 58
    virtual HRESULT GetPadContentEnd(LONG nPad, LONGLONG* pnTicks) = 0;                     // 59
    virtual HRESULT GetPadPitchMarkers(LONG nPad, BOOL* pbValue) = 0;                       // 60
    virtual HRESULT SetPadPitchMarkers(LONG nPad, BOOL bValue) = 0;                         // 61
    virtual HRESULT GetGrainGain(LONG nPad, LONG nGrain, float* pfValue) = 0;               // 62
    virtual HRESULT SetGrainGain(LONG nPad, LONG nGrain, float fValue) = 0;                 // 63
    virtual HRESULT GetGrainPan(LONG nPad, LONG nGrain, float* pfValue) = 0;                // 64
    virtual HRESULT SetGrainPan(LONG nPad, LONG nGrain, float fValue) = 0;                  // 65
    virtual HRESULT GetPadOutput(LONG nPad, LONG* pnOutput) = 0;                            // 66
    virtual HRESULT SetPadOutput(LONG nPad, LONG nOutput) = 0;                              // 67
    virtual HRESULT GetPadSolo(LONG nPad, BOOL* pbValue) = 0;                               // 68
    virtual HRESULT SetPadSolo(LONG nPad, BOOL bValue) = 0;                                 // 69
    virtual HRESULT GetPadRoot(LONG nPad, LONG* pnKey) = 0;                                 // 70
    virtual HRESULT SetPadRoot(LONG nPad, LONG nKey) = 0;                                   // 71
    virtual HRESULT GetPadMidiChannel(LONG nPad, LONG* pnChannel) = 0;                      // 72
    virtual HRESULT SetPadMidiChannel(LONG nPad, LONG nChannel) = 0;                        // 73
    virtual HRESULT GetPadLatch(LONG nPad, BOOL* pbValue) = 0;                              // 74
    virtual HRESULT SetPadLatch(LONG nPad, BOOL bValue) = 0;                                // 75

    // After the operations: the implementing object's deleting destructor.
    virtual ~IVudivuVizezud() = default;
};
