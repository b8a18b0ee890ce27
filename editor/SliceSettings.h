// The Slice Settings at the left of the Pad Editor: pitch, gain and pan of the
// selected grain on three knobs and three edits. The knobs show the first
// selected grain; values are written, and shown in the edits, only while
// exactly one grain is selected (else the edits show "0"). UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <string>

class CEditorState;
class CPageControls;

class CSliceSettings {
public:
    CSliceSettings(CEditorState& state, const CPageControls& controls)
        : m_state(state), m_controls(controls) {}

    // Shows the first selected grain's values; writes nothing.
    void Refresh() const;
    // Each clamps, shows, and writes to the one selected grain.
    void SetPitch(LONG nSemitones, UINT nGesture = 0);
    void SetGain(float fGain, UINT nGesture = 0);
    void SetPan(float fPan, UINT nGesture = 0);
    // The pitch, gain or pan knob moved to nPos (0 to 100); false for any other control.
    bool OnKnob(UINT nID, int nPos);
    // The pitch, gain or pan edit commits its text; false for any other control.
    // A text without a number changes nothing and the edit shows the value again.
    bool CommitEdit(UINT nID);

private:
    // The one selected grain's (pad, grain), or false.
    bool OneGrain(LONG* pnPad, LONG* pnGrain) const;
    void ShowText(UINT nID, const std::wstring& text) const;

    CEditorState& m_state;
    const CPageControls& m_controls;
};
