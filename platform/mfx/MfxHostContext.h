// The host context interfaces a soft synth obtains from the context object it
// is attached to: tempo map, time-format converter, position, port target and
// pin-change sink, and the 16-byte time record the converter and the position
// interface take. Host side; the instrument only calls them.
#pragma once
#include "platform/com/Unknown.h"

// Time formats of MfxTime::dwFormat.
constexpr DWORD MFX_TIME_SECONDS = 1;    // value is a double
constexpr DWORD MFX_TIME_SAMPLES = 2;    // value is a 64-bit count
constexpr DWORD MFX_TIME_MIDI_TICKS = 3; // 960 per quarter note
constexpr DWORD MFX_TIME_TICKS = 4;      // 960 per quarter note with 16 fractional bits

struct MfxTime {
    DWORD dwFormat;
    DWORD dwPadding;
    union {
        double dSeconds;
        LONGLONG llValue;
    };
};
static_assert(sizeof(MfxTime) == 16);

// {FF76F7C3-F166-11D1-A8E0-0000A0090DAF}
constexpr IID IID_IMfxTempoMap = {
    0xFF76F7C3, 0xF166, 0x11D1, {0xA8, 0xE0, 0x00, 0x00, 0xA0, 0x09, 0x0D, 0xAF}};
// {FF94ABA0-4DF9-4120-947D-5E303E49B81F}
constexpr IID IID_IMfxTimeConverter = {
    0xFF94ABA0, 0x4DF9, 0x4120, {0x94, 0x7D, 0x5E, 0x30, 0x3E, 0x49, 0xB8, 0x1F}};
// {1516243C-0D2C-4F9D-964D-F3D73D53F5D1}
constexpr IID IID_IMfxPosition = {
    0x1516243C, 0x0D2C, 0x4F9D, {0x96, 0x4D, 0xF3, 0xD7, 0x3D, 0x53, 0xF5, 0xD1}};
// {FA1B1A27-8B1E-4C4C-9EAE-F8C60E05381D}
constexpr IID IID_IMfxPortTarget = {
    0xFA1B1A27, 0x8B1E, 0x4C4C, {0x9E, 0xAE, 0xF8, 0xC6, 0x0E, 0x05, 0x38, 0x1D}};
// {439E1EF6-2CBA-48F8-A857-51C5724A4F6C}
constexpr IID IID_IMfxPinChangeSink = {
    0x439E1EF6, 0x2CBA, 0x48F8, {0xA8, 0x57, 0x51, 0xC5, 0x72, 0x4A, 0x4F, 0x6C}};

// The song's tempo map. Slots 5..7 are the host's own and unused here.
class IMfxTempoMap : public IUnknown {
public:
    virtual LONG TicksToMsecs(LONG lMidiTicks) = 0; // 3
    virtual LONG MsecsToTicks(LONG lMsecs) = 0;     // 4
    virtual HRESULT TempoMapReserved5() = 0;        // 5
    virtual HRESULT TempoMapReserved6() = 0;        // 6
    virtual HRESULT TempoMapReserved7() = 0;        // 7
    // The tempo in effect at lMidiTicks, in hundredths of a beat per minute,
    // and the MIDI tick where that tempo begins.
    virtual HRESULT GetTempoAt(LONG lMidiTicks, LONG* plStart, LONG* plTempo100) = 0; // 8

protected:
    ~IMfxTempoMap() = default;
};

// Converts a time record between formats in place.
class IMfxTimeConverter : public IUnknown {
public:
    virtual HRESULT ConvertTime(MfxTime* pTime, DWORD dwToFormat) = 0; // 3

protected:
    ~IMfxTimeConverter() = default;
};

// The host's song-position service. Slots 3..5 are the host's own.
class IMfxPosition : public IUnknown {
public:
    virtual HRESULT PositionReserved3() = 0;                                   // 3
    virtual HRESULT PositionReserved4() = 0;                                   // 4
    virtual HRESULT PositionReserved5() = 0;                                   // 5
    virtual HRESULT QueryPosition(const MfxTime* pTime, DWORD* pdwAnswer) = 0; // 6

protected:
    ~IMfxPosition() = default;
};

// Where the host routes the instrument's port; held, never called.
class IMfxPortTarget : public IUnknown {
protected:
    ~IMfxPortTarget() = default;
};

// Told by the host about output pin changes; held, never called.
class IMfxPinChangeSink : public IUnknown {
protected:
    ~IMfxPinChangeSink() = default;
};
