// What the per-pad controls write: the pad cells' mute, solo, synced and
// looping toggles and volume and pan knobs, the Pad Settings combos, edits and
// check boxes, and the pad menu's commands. Each writes to the engine through
// the control interface, takes an undo step first, and shows what it wrote.
// UI thread.
#pragma once
#include "interfaces/IVudivuVizezud.h"
#include "platform/ui/UiTypes.h"

class CEditorState;
class CPageControls;

class CPadSettings {
public:
    CPadSettings(CEditorState& state, const CPageControls& controls)
        : m_state(state), m_controls(controls) {}

    // A pad cell toggle or the Tails, Latch or Pitch Markers check box was
    // clicked; with bShift synced, looping and the check boxes apply to all
    // pads. False for any other control.
    bool OnToggle(UINT nID, bool bShift);
    // A pad's volume or pan knob moved to nPos (0 to 100); false for any other control.
    bool OnKnob(UINT nID, int nPos);
    // A key or velocity edit commits its text; false for any other control.
    bool CommitEdit(UINT nID);
    // The Output, MIDI In, Root or Snap combo commits its text; false for any other.
    bool CommitCombo(UINT nID);

    // The pad menu's commands on pad nPad; each asks for a full refresh.
    void ToggleLooping(int nPad);
    void ToggleSynced(int nPad);
    void ClearPad(int nPad);

private:
    void MakeCurrent(int nPad);
    void WriteSynced(int nPad, BOOL bOn);
    void WriteLooping(int nPad, BOOL bOn);
    bool WriteCheck(UINT nID, BOOL bOn, bool bAllPads);
    void ShowVolume(int nPad, float fGain) const;
    void ShowPan(int nPad, float fPan) const;
    PadKeyRange ReadKeyRange(int nPad) const;

    CEditorState& m_state;
    const CPageControls& m_controls;
};
