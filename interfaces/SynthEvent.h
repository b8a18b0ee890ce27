// A queued MIDI event: the host's 20-byte event record, byte-packed as the host
// fills it, followed by the plug-in's own fields.
#pragma once
#include "platform/com/Types.h"
#include "platform/mfx/MfxQueues.h"

struct PlayState; // the engine's per-note play-state record

// The host's record (time, mute bits, channel, type, key, velocity, release,
// duration), as the event queue fills it.
using HostEventRecord = MfxEvent;

constexpr DWORD kDurationHeld = 0xFFFFFFFF;
constexpr DWORD kDurationHandled = static_cast<DWORD>(-2); // release handled by the engine
constexpr DWORD kEventNote = 0;
constexpr DWORD kEventKeyAftertouch = 1;
constexpr DWORD kEventController = 2;
constexpr DWORD kEventPatch = 3;
constexpr DWORD kEventChannelAftertouch = 4;
constexpr DWORD kEventPitchWheel = 5;
constexpr DWORD kEventMuteMask = 11;

struct SynthEvent {
    HostEventRecord rec{};
    DWORD dwSource = 0;              // source index
    LONGLONG llSampleTime = 0;       // sample time of the event
    PlayState* pNoteState = nullptr; // engine state; null while queued
};
