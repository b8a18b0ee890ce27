// The middle band: its two tabs choose between the slice view of the selected
// Loop Bin file and the key map editor of the current pad; the band's picture
// shows the chosen tab. The key map editor's drags are written to the engine
// as they move. UI thread.
#pragma once
#include "editor/KeyMapEditor.h"
#include "editor/PageRegion.h"
#include "editor/SliceView.h"

class CMiddleBand : public CPageRegion {
public:
    explicit CMiddleBand(CEditorState& state);

    void Paint(CDC& dc, const RECT& damage) override;
    bool OnLButtonDown(UINT nFlags, POINT pt) override;
    bool OnMouseMove(UINT nFlags, POINT pt) override;
    bool OnLButtonUp(UINT nFlags, POINT pt) override;

    CKeyMapEditor& KeyMap() { return m_keyMap; }
    CSliceView& Slices() { return m_slices; }
    // After the current pad changed: scrolls its range into view and redraws.
    void ShowCurrentPad();

private:
    // The current pad's key range; false when the engine has none to give.
    bool ReadKeyRange(PadKeyRange& range) const;

    CKeyMapEditor m_keyMap;
    CSliceView m_slices;
    bool m_bChanged = false; // the drag in progress has written a new range
};
