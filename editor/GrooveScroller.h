// A scroll bar the page draws itself (the Pad Editor's two and the Loop
// Bin's two): a track, a thumb over the visible part of the content, and a
// drag of the thumb. Sizes and positions are page pixels. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"

class CDC;
class CPageTools;

class CGrooveScroller {
public:
    CGrooveScroller(RECT track, bool bHorizontal) : m_track(track), m_bHorizontal(bHorizontal) {}

    // A negative argument keeps the old value. Content becomes at least the
    // visible size, visible at most the content, and the position lies in
    // 0..content - visible; the thumb follows.
    void Set(LONG nContent, LONG nPosition, LONG nVisible);
    LONG Content() const { return m_nContent; }
    LONG Visible() const { return m_nVisible; }
    LONG Position() const { return m_nPosition; }
    const RECT& Track() const { return m_track; }
    const RECT& Thumb() const { return m_thumb; }
    bool IsDragging() const { return m_bDragging; }

    // The track in palette colour 3, the thumb rounded in colour 4.
    void Paint(CDC& dc, CPageTools& tools) const;
    // A press counts only on the thumb: true when a drag starts.
    bool Press(POINT pt);
    // While dragging: moves the position with the pointer; true when it changed.
    bool Drag(POINT pt);
    void Release() { m_bDragging = false; }

private:
    void PlaceThumb();

    RECT m_track;
    bool m_bHorizontal;
    LONG m_nContent = 0, m_nVisible = 0, m_nPosition = 0;
    RECT m_thumb{};
    bool m_bDragging = false;
    POINT m_ptPress{};
    LONG m_nPressPosition = 0;
};
