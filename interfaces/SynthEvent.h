// A queued MIDI event: the host's 20-byte event record, byte-packed as the host
// fills it, followed by the plug-in's own fields.
#pragma once
#include "platform/com/Types.h"

struct PlayState; // the engine's per-note play-state record

#pragma pack(push, 1)
struct HostEventRecord {
    LONG lTime;        // 0: MIDI ticks (sequencer events)
    BYTE byMuteBits;   // 4: type 11: the mute bits to set; 0 for live input
    BYTE byChannel;    // 5: MIDI channel 0..15; type 11: the mask of bits to change
    DWORD dwType;      // 6: 0 note, 1 key aftertouch, 2 controller, 3 patch, 4 channel
                       //    aftertouch, 5 pitch wheel, 11 mute mask
    BYTE byKey;        // 10: note, controller number or patch (type 5: low byte of the wheel)
    BYTE byVelocity;   // 11: velocity, controller value or pressure
    BYTE byRelease;    // 12: release velocity (type 3: low byte of 0xFFFF)
    DWORD dwDuration;  // 13: 0xFFFFFFFF held until note-off, 0 note-off, else a length
    BYTE abyUnused[3]; // 17
};
#pragma pack(pop)
static_assert(sizeof(HostEventRecord) == 20);

constexpr DWORD kDurationHeld = 0xFFFFFFFF;
constexpr DWORD kDurationHandled = static_cast<DWORD>(-2); // release handled by the engine
constexpr DWORD kEventNote = 0;
constexpr DWORD kEventMuteMask = 11;

struct SynthEvent {
    HostEventRecord rec;
    DWORD dwSource = 0;             // source index
    LONGLONG llSampleTime = 0;      // sample time of the event
    PlayState* pNoteState = nullptr; // engine state; null while queued
};
