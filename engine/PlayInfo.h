// Records of the render path: the key-map entry, one pad matched for a trigger,
// one grain segment found in a render window, and the play state of a trigger.
#pragma once
#include "platform/com/Types.h"

class CGrooveTrack;
class CGrooveEvent;

// One key-map entry per mapped pad.
struct TrackKeyInfoImp {
    DWORD nPad = 0; // 0..15, identifies the entry
    CGrooveTrack* pTrack = nullptr;
    LONG nLowKey = 0;
    LONG nHighKey = 0;
    LONG nRootKey = 0;
    LONG nLowVelocity = 0;
    LONG nHighVelocity = 127;
};

constexpr LONG kPlayKindLoopBin = 0;
constexpr LONG kPlayKindPad = 1;
constexpr LONG kPlayKindAudition = 2;

// One matched pad of a trigger.
struct TrackPlayInfo {
    LONG nKind = kPlayKindPad;
    BOOL bLatch = 1;
    LONG nPad = 0;
    CGrooveTrack* pTrack = nullptr;
    LONG nTranspose = 0;
    float fGain = 1.0f;
};

// One grain segment inside a render window, loop offset already added.
struct StreamEventInfo {
    CGrooveEvent* pGrain = nullptr;
    LONGLONG nStart = 0;
    LONGLONG nEnd = 0;
    LONGLONG nClipStart = 0;
    LONGLONG nClipEnd = 0;
};

// A time window of a trigger, in ticks.
struct PlayWindow {
    LONGLONG nStart = 0;
    LONGLONG nEnd = 0;
    LONGLONG nLength = 0;
    LONGLONG nCursor = 0;
    LONGLONG nOrigin = 0;
};

// The play state of one trigger: a MIDI note, a pad button, a Loop Bin
// preview or the audition pad.
struct PlayState {
    BOOL bNew = 0;
    BOOL bStopRequest = 0;
    BOOL bReleased = 0;
    BOOL bFinished = 0;
    BOOL bEditorStarted = 0;
    BOOL bNoNaturalEnd = 0;
    PlayWindow held;
    PlayWindow latched;
    LONGLONG nSampleStart = 0;
    LONGLONG nSampleEnd = 0;
    LONGLONG nSampleLength = 0;
};
