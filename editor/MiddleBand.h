// The middle band: its two tabs choose between the slice view of the selected
// Loop Bin file and the key map editor of the current pad; the band's picture
// shows the chosen tab. UI thread.
#pragma once
#include "editor/PageRegion.h"

class CMiddleBand : public CPageRegion {
public:
    explicit CMiddleBand(CEditorState& state);

    void Paint(CDC& dc, const RECT& damage) override;
    bool OnLButtonDown(UINT nFlags, POINT pt) override;
};
