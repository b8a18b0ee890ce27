// Per-source (track) properties the host sets on a soft synth: forced
// channel, mute bits, velocity and key offsets.
#pragma once
#include "platform/com/Unknown.h"

// MfxSourceProperty::dwProperty
constexpr DWORD MFX_PROP_FORCE_CHANNEL = 0;
constexpr DWORD MFX_PROP_MUTE = 1;
constexpr DWORD MFX_PROP_VELOCITY_OFFSET_A = 2;
constexpr DWORD MFX_PROP_VELOCITY_OFFSET_B = 3;
constexpr DWORD MFX_PROP_KEY_OFFSET_A = 4;
constexpr DWORD MFX_PROP_KEY_OFFSET_B = 5;

struct MfxSourceProperty {
    DWORD dwProperty; // 0
    LONG lSource;     // 4
    BYTE byValue;     // 8
    BYTE byMask;      // 9: for MFX_PROP_MUTE, the bits to change
};
static_assert(sizeof(MfxSourceProperty) == 12);

// {753B2366-6CD2-4E61-999B-9128FCDB7BCD}
constexpr IID IID_IMfxNotify = {
    0x753B2366, 0x6CD2, 0x4E61, {0x99, 0x9B, 0x91, 0x28, 0xFC, 0xDB, 0x7B, 0xCD}};

class IMfxNotify : public IUnknown {
public:
    virtual HRESULT SetSourceProperty(const MfxSourceProperty* pProperty) = 0; // 3

protected:
    ~IMfxNotify() = default;
};
