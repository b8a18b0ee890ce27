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

// Identifier chosen by Pandrel; the host protocol leaves it open.
// {390BD84E-803A-480C-8DB7-5B6336CB16E3}
constexpr IID IID_IMfxNotify = {
    0x390BD84E, 0x803A, 0x480C, {0x8D, 0xB7, 0x5B, 0x63, 0x36, 0xCB, 0x16, 0xE3}};

class IMfxNotify : public IUnknown {
public:
    virtual HRESULT SetSourceProperty(const MfxSourceProperty* pProperty) = 0; // 3

protected:
    ~IMfxNotify() = default;
};
