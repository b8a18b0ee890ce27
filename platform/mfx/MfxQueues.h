// The queues through which the host hands a soft synth its events: sequencer
// events (20-byte records) and raw MIDI input (time, status, two data bytes).
// Host side; read by the instrument on the host's sequencer threads.
#pragma once
#include "platform/com/Unknown.h"

// The host's event record, byte-packed as the host fills it.
#pragma pack(push, 1)
struct MfxEvent {
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
static_assert(sizeof(MfxEvent) == 20);

// One item of raw MIDI input.
struct MfxData {
    LONG lTime;    // 0
    BYTE byStatus; // 4
    BYTE byData1;  // 5
    BYTE byData2;  // 6
    BYTE byUnused; // 7
};
static_assert(sizeof(MfxData) == 8);

// Identifiers chosen by Pandrel; the host protocol leaves them open.
// {B6B92129-5D4E-4B7E-A2CC-D401508DF1FD}
constexpr IID IID_IMfxEventQueue = {
    0xB6B92129, 0x5D4E, 0x4B7E, {0xA2, 0xCC, 0xD4, 0x01, 0x50, 0x8D, 0xF1, 0xFD}};
// {9BD648AA-9A41-485C-9533-3AC43E606175}
constexpr IID IID_IMfxDataQueue = {
    0x9BD648AA, 0x9A41, 0x485C, {0x95, 0x33, 0x3A, 0xC4, 0x3E, 0x60, 0x61, 0x75}};

class IMfxEventQueue : public IUnknown {
public:
    virtual HRESULT EventQueueReserved3() = 0;                // 3
    virtual HRESULT GetCount(LONG* plCount) = 0;              // 4
    virtual HRESULT GetAt(LONG lIndex, MfxEvent* pEvent) = 0; // 5

protected:
    ~IMfxEventQueue() = default;
};

class IMfxDataQueue : public IUnknown {
public:
    virtual HRESULT DataQueueReserved3() = 0;               // 3
    virtual HRESULT GetCount(LONG* plCount) = 0;            // 4
    virtual HRESULT GetAt(LONG lIndex, MfxData* pData) = 0; // 5

protected:
    ~IMfxDataQueue() = default;
};
