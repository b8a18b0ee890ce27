#include "editor/GrooveScroller.h"
#include "editor/PageTools.h"
#include "platform/ui/DC.h"
#include <algorithm>

void CGrooveScroller::Set(LONG nContent, LONG nPosition, LONG nVisible) {
    if (nContent >= 0) m_nContent = nContent;
    if (nVisible >= 0) m_nVisible = nVisible;
    if (nPosition >= 0) m_nPosition = nPosition;
    m_nContent = std::max(m_nContent, m_nVisible);
    m_nVisible = std::min(m_nVisible, m_nContent);
    m_nPosition = std::clamp(m_nPosition, 0, m_nContent - m_nVisible);
    PlaceThumb();
}

void CGrooveScroller::PlaceThumb() {
    const LONG length = m_bHorizontal ? m_track.Width() : m_track.Height();
    LONG from = 0, to = length;
    if (m_nContent > 0) {
        // 64-bit products: contents of many thousand pixels times long tracks.
        from = static_cast<LONG>(static_cast<LONGLONG>(m_nPosition) * length / m_nContent);
        to = static_cast<LONG>(static_cast<LONGLONG>(m_nPosition + m_nVisible) * length /
                               m_nContent);
    }
    if (m_bHorizontal)
        m_thumb = {m_track.left + from, m_track.top, m_track.left + to, m_track.bottom};
    else
        m_thumb = {m_track.left, m_track.top + from, m_track.right, m_track.top + to};
}

void CGrooveScroller::Paint(CDC& dc, CPageTools& tools) const {
    dc.FillRect(m_track, tools.Brush(3));
    if (m_thumb.IsEmpty()) return;
    dc.SelectObject(tools.Pen(4));
    dc.SelectObject(tools.Brush(4));
    dc.RoundRect(m_thumb.left, m_thumb.top, m_thumb.right, m_thumb.bottom, 5, 5);
}

bool CGrooveScroller::Press(POINT pt) {
    if (!m_thumb.Contains(pt)) return false;
    m_bDragging = true;
    m_ptPress = pt;
    m_nPressPosition = m_nPosition;
    return true;
}

bool CGrooveScroller::Drag(POINT pt) {
    if (!m_bDragging) return false;
    const LONG length = m_bHorizontal ? m_track.Width() : m_track.Height();
    if (length <= 0) return false;
    const LONG moved = m_bHorizontal ? pt.x - m_ptPress.x : pt.y - m_ptPress.y;
    const LONG old = m_nPosition;
    Set(-1,
        std::max<LONG>(0, m_nPressPosition + static_cast<LONG>(static_cast<LONGLONG>(moved) *
                                                               m_nContent / length)),
        -1);
    return m_nPosition != old;
}
