// One of the four areas the page draws itself (Loop Bin list, pad grid,
// middle band, Pad Editor): a rectangle that paints its damaged part,
// hit-tests a point and handles the pointer and dropped files. The page clips
// each paint to the region and routes input to the first region that takes
// it. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <string>
#include <vector>

class CDC;
class CEditorState;

class CPageRegion {
public:
    CPageRegion(CEditorState& state, RECT rc) : m_state(state), m_rc(rc) {}
    virtual ~CPageRegion() = default;
    CPageRegion(const CPageRegion&) = delete;
    CPageRegion& operator=(const CPageRegion&) = delete;

    // Where the region draws, in page pixels.
    const RECT& Rect() const { return m_rc; }
    // Paints the part of the region inside damage; dc is clipped to the region.
    virtual void Paint(CDC& dc, const RECT& damage) = 0;
    // Whether the region takes the pointer at pt.
    virtual bool HitTest(POINT pt) const { return m_rc.Contains(pt); }

    // Pointer input in page pixels; true when the region handled it.
    virtual bool OnLButtonDown(UINT, POINT) { return false; }
    virtual bool OnLButtonUp(UINT, POINT) { return false; }
    virtual bool OnLButtonDblClk(UINT, POINT) { return false; }
    virtual bool OnRButtonDown(UINT, POINT) { return false; }
    virtual bool OnMouseMove(UINT, POINT) { return false; }
    // Files dropped from the desktop at pt; true when the region took them.
    virtual bool OnDropFiles(const std::vector<std::wstring>&, POINT) { return false; }
    // Re-reads what the region shows from the engine (a full refresh).
    virtual void Refresh() {}

    // Redraws the whole region at the next paint.
    void Redraw() const;

protected:
    CEditorState& m_state;
    RECT m_rc;
};
