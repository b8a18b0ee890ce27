// The Pad Editor's geometry, view state and painting.
#include "editor/PadEditor.h"
#include "editor/EditorState.h"
#include "editor/PageLayout.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/TaskMem.h"
#include "platform/ui/DC.h"
#include "platform/ui/Messages.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {
constexpr LONG kLabelWidth = 36;
constexpr LONG kTagWidth = 15;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The grains of a pad, freed with the task allocator when done.
struct PadGrains {
    GrainSummary* p = nullptr;
    LONG n = 0;
    PadGrains(IVudivuVizezud* c, int nPad) {
        if (c == nullptr || FAILED(c->GetPadGrains(nPad, &p, &n))) p = nullptr, n = 0;
    }
    ~PadGrains() { CoTaskMemFree(p); }
    PadGrains(const PadGrains&) = delete;
    PadGrains& operator=(const PadGrains&) = delete;
};

// Fill, dark edge and light edge of a grain in each state.
struct GrainColours {
    int fill, dark, light;
};
GrainColours ColoursOf(bool bTail, bool bSelected, bool bUnderSliceDrag) {
    if (bUnderSliceDrag) return bTail ? GrainColours{4, 5, 2} : GrainColours{8, 7, 2};
    if (bSelected) return bTail ? GrainColours{5, 0, 3} : GrainColours{7, 0, 6};
    return bTail ? GrainColours{3, 5, 4} : GrainColours{6, 7, 8};
}
} // namespace

CPadEditor::CPadEditor(CEditorState& state)
    : CPageRegion(state, {100, kPadEditorRect.top, 593, 545}) {
    m_horizontal.Set(800, 0, GrainAreaWidth());
    m_vertical.Set(800, 0, kPadEditorRect.bottom - kGrainTop);
    m_dragShapes.reserve(64);
}

bool CPadEditor::HitTest(POINT pt) const {
    return kPadEditorRect.Contains(pt) || m_horizontal.Track().Contains(pt) ||
           m_vertical.Track().Contains(pt);
}

LONG CPadEditor::XOfTick(LONGLONG t) const {
    return kGrainLeft - m_horizontal.Position() +
           static_cast<LONG>(
               std::floor(static_cast<double>(t) * kBeatsPerTick * m_dPixelsPerBeat + 0.5));
}

LONGLONG CPadEditor::TickAt(LONG x, LONG nGrab) const {
    const double beats =
        static_cast<double>(x + m_horizontal.Position() - kGrainLeft - nGrab) / m_dPixelsPerBeat;
    return std::max<LONGLONG>(
        0, static_cast<LONGLONG>(std::floor(beats * static_cast<double>(kTicksPerBeat) + 0.5)));
}

LONGLONG CPadEditor::Snap(LONGLONG t) const {
    const LONGLONG d = kSnapDivisions[std::clamp(m_state.m_nSnap, 0, kSnapCount - 1)];
    if (d == 0) return t;
    const auto steps = static_cast<LONGLONG>(
        std::floor(static_cast<double>(t) * kBeatsPerTick * static_cast<double>(d) + 0.5));
    return steps * kTicksPerBeat / d;
}

int CPadEditor::RowAt(POINT pt) const {
    if (!kPadEditorRect.Contains(pt) || pt.y < kGrainTop) return -1;
    return std::min((pt.y + m_vertical.Position() - kGrainTop) / m_nRowHeight, kPadCount - 1);
}

RECT CPadEditor::RowRect(int nRow) const {
    return {kPadEditorRect.left, RowTop(nRow), kGrainLeft, RowTop(nRow) + m_nRowHeight + 1};
}

RECT CPadEditor::GrainArea() const {
    return {kGrainLeft, kGrainTop, kPadEditorRect.right,
            std::min(kPadEditorRect.bottom, RowTop(kPadCount) + 2)};
}

void CPadEditor::Refresh() {
    UpdateContentWidth();
    m_vertical.Set(kPadCount * m_nRowHeight, -1, -1);
    Redraw();
}

// The widest of the grain area and every pad's content or length, plus a beat.
void CPadEditor::UpdateContentWidth() {
    LONG width = GrainAreaWidth();
    if (IVudivuVizezud* c = m_state.Control()) {
        for (int p = 0; p < kPadCount; ++p) {
            LONGLONG end = 0, length = 0;
            c->GetPadContentEnd(p, &end);
            c->GetPadLength(kKindPad, p, &length);
            m_padLengths[static_cast<size_t>(p)] = length;
            const double beats = static_cast<double>(std::max(end, length)) * kBeatsPerTick;
            width = std::max(width,
                             static_cast<LONG>(std::floor((beats + 1.0) * m_dPixelsPerBeat + 0.5)));
        }
    }
    m_horizontal.Set(width, -1, -1);
}

// Only the rows the damage reaches are drawn, and only their plot records are
// rebuilt: the others still show what their records say.
void CPadEditor::Paint(CDC& dc, const RECT& damage) {
    CPageTools& tools = m_state.m_tools;
    const RECT panel = damage.Intersect(kPadEditorRect);
    if (!panel.IsEmpty()) {
        dc.SaveDC();
        dc.IntersectClipRect(panel);
        dc.FillRect(panel, tools.Brush(1));
        PaintRuler(dc, panel);
        dc.SaveDC();
        dc.IntersectClipRect(
            {kPadEditorRect.left, kGrainTop, kPadEditorRect.right, kPadEditorRect.bottom});
        for (int r = 0; r < kPadCount; ++r) {
            const LONG top = RowTop(r);
            if (top + m_nRowHeight < panel.top || top > panel.bottom) continue;
            if (top + m_nRowHeight < kGrainTop || top >= kPadEditorRect.bottom) continue;
            PaintRow(dc, r);
        }
        dc.SelectObject(tools.Pen(5));
        dc.MoveTo(kPadEditorRect.left, RowTop(kPadCount));
        dc.LineTo(kPadEditorRect.right, RowTop(kPadCount));
        if (m_drag.kind == DragKind::Grain) PaintDragShapes(dc);
        dc.RestoreDC(-1);
        dc.RestoreDC(-1);
    }
    if (damage.Intersects(m_horizontal.Track())) m_horizontal.Paint(dc, tools);
    if (damage.Intersects(m_vertical.Track())) m_vertical.Paint(dc, tools);
}

void CPadEditor::PaintRuler(CDC& dc, const RECT& damage) {
    CPageTools& tools = m_state.m_tools;
    const LONG content = m_horizontal.Content();
    const LONG beats = static_cast<LONG>(std::floor(content / m_dPixelsPerBeat + 0.5));
    const LONG bottom = RowTop(kPadCount) + 1;
    const bool text = damage.top < kGrainTop;
    dc.SelectObject(tools.Font12());
    dc.SetBkMode(OPAQUE);
    dc.SetTextColor(CPageTools::Colour(3));
    dc.SetBkColor(CPageTools::Colour(1));
    dc.SelectObject(tools.Pen(5));
    for (LONG b = 0; b <= beats; ++b) {
        const LONG x = XOfTick(static_cast<LONGLONG>(b) * kTicksPerBeat);
        if (x < kGrainLeft) continue;
        if (x >= kPadEditorRect.right || x >= damage.right) break;
        // The number reaches right of its line, so it is drawn before the damage's left edge.
        if (x + 30 < damage.left) continue;
        dc.MoveTo(x, kGrainTop);
        dc.LineTo(x, bottom);
        if (text) dc.TextOut(x + 1, kGrainTop - 12, std::to_wstring(b + 1));
    }
}

void CPadEditor::PaintRow(CDC& dc, int nRow) {
    CPageTools& tools = m_state.m_tools;
    const LONG top = RowTop(nRow);
    const bool lit = nRow == (m_nHoverRow >= 0 ? m_nHoverRow : m_state.m_nCurrentPad);
    if (lit)
        dc.FillRect({kPadEditorRect.left, top, kGrainLeft - 3, top + m_nRowHeight}, tools.Brush(4));
    // Tall rows take the larger font only where "Pad 16" fits the label, so
    // no label loses its last digit and reads as another pad's.
    const RECT label{kPadEditorRect.left + 2, top, kPadEditorRect.left + kLabelWidth,
                     top + m_nRowHeight};
    dc.SelectObject(tools.Font14());
    if (m_nRowHeight < 13 || dc.GetTextExtent(L"Pad 16").cx > label.Width())
        dc.SelectObject(tools.Font12());
    dc.SetBkMode(OPAQUE);
    dc.SetTextColor(CPageTools::Colour(lit ? 0 : 3));
    dc.SetBkColor(CPageTools::Colour(lit ? 4 : 1));
    dc.DrawText(L"Pad " + std::to_wstring(nRow + 1), label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc.SelectObject(tools.Pen(5));
    dc.MoveTo(kPadEditorRect.left, top);
    dc.LineTo(kPadEditorRect.right, top);
    dc.SaveDC();
    dc.IntersectClipRect({kGrainLeft, kGrainTop, kPadEditorRect.right, kPadEditorRect.bottom});
    PaintGrains(dc, nRow);
    dc.RestoreDC(-1);
}

void CPadEditor::PaintGrains(CDC& dc, int nPad) {
    IVudivuVizezud* c = m_state.Control();
    LONGLONG length = 0;
    if (c != nullptr) c->GetPadLength(kKindPad, nPad, &length);
    m_padLengths[static_cast<size_t>(nPad)] = length;
    m_plot.Begin(nPad, length);
    PadGrains grains(c, nPad);
    const LONG top = RowTop(nPad);
    const LONG m = m_nRowHeight <= 12 ? 1 : m_nRowHeight <= 17 ? 3 : 5;
    // While grains are dragged, the selected ones leave their places unless
    // Ctrl makes the drag a copy.
    const bool hideSelected = m_drag.kind == DragKind::Grain && (m_drag.nFlags & MK_CONTROL) == 0;
    for (LONG i = 0; i < grains.n; ++i) {
        const GrainSummary& g = grains.p[i];
        const bool tail = g.bUseTail != 0;
        RECT rc{XOfTick(g.nStartTicks), top + m, XOfTick(g.nEndTicks), top + m_nRowHeight - m};
        if (tail) rc.right = rc.left + kTagWidth;
        m_plot.Add(nPad, {i, g.nStartTicks, rc, tail ? TRUE : FALSE});
        if (rc.right < kGrainLeft || rc.left >= kPadEditorRect.right) continue;
        const bool selected = m_state.m_grains.Contains(nPad, i);
        if (selected && hideSelected) continue;
        const bool hovered = m_hoverGrain.nRow == nPad && m_hoverGrain.nIndex == i;
        const GrainColours k = ColoursOf(tail, selected, hovered);
        PaintShape(dc, rc, tail, k.fill, k.dark, k.light);
    }
    if (length >= 1 || grains.n > 0) {
        const LONG x = m_drag.kind == DragKind::PadLength && m_drag.nPad == nPad ? m_drag.drawn.x
                                                                                 : XOfTick(length);
        PaintHandle(dc, nPad, x);
    }
}

// A rectangle, or the tag of a tail grain, with a dark edge along its bottom
// and right and a light one along its left.
void CPadEditor::PaintShape(CDC& dc, const RECT& rc, bool bTail, int fill, int dark, int light) {
    CPageTools& tools = m_state.m_tools;
    const LONG b = rc.bottom - 1;
    if (bTail) {
        const LONG h = rc.Height();
        const LONG tip = rc.left + kTagWidth;
        const LONG notch = tip - static_cast<LONG>(0.4 * static_cast<double>(h));
        const LONG mid = rc.top + h / 2;
        const POINT pts[5] = {
            {rc.left, rc.top}, {notch, rc.top}, {tip, mid}, {notch, b}, {rc.left, b}};
        dc.SelectObject(tools.Pen(fill));
        dc.SelectObject(tools.Brush(fill));
        dc.Polygon(pts, 5);
        dc.SelectObject(tools.Pen(dark));
        dc.MoveTo(rc.left, b);
        dc.LineTo(notch, b);
        dc.LineTo(tip, mid);
        dc.LineTo(notch, rc.top);
    } else {
        dc.FillRect(rc, tools.Brush(fill));
        dc.SelectObject(tools.Pen(dark));
        dc.MoveTo(rc.left, b);
        dc.LineTo(rc.right - 1, b);
        dc.LineTo(rc.right - 1, rc.top - 1);
    }
    dc.SelectObject(tools.Pen(light));
    dc.MoveTo(rc.left, rc.top);
    dc.LineTo(rc.left, rc.bottom);
}

// Two white strokes, 7 and 5 pixels high, and a white ellipse right of them.
void CPadEditor::PaintHandle(CDC& dc, int nPad, LONG x) {
    const LONG mid = RowTop(nPad) + m_nRowHeight / 2;
    dc.FillSolidRect({x, mid - 3, x + 1, mid + 4}, kWhite);
    dc.FillSolidRect({x + 1, mid - 2, x + 2, mid + 3}, kWhite);
    CPen pen(PS_SOLID, 1, kWhite);
    CBrush brush(kWhite);
    dc.SelectObject(&pen);
    dc.SelectObject(&brush);
    dc.Ellipse(x + 2, mid - 3, x + 8, mid + 4);
    dc.SelectObject(m_state.m_tools.Pen(5));
    dc.SelectObject(m_state.m_tools.Brush(1));
}

// The selected grains once more, moved by the drag, in the selected colours.
void CPadEditor::PaintDragShapes(CDC& dc) {
    const LONG dx = m_drag.drawn.x - m_drag.press.x, dy = m_drag.drawn.y - m_drag.press.y;
    dc.SaveDC();
    dc.IntersectClipRect(GrainArea());
    for (const Shape& s : m_dragShapes) {
        const GrainColours k = ColoursOf(s.bTail, true, false);
        PaintShape(dc, {s.rc.left + dx, s.rc.top + dy, s.rc.right + dx, s.rc.bottom + dy}, s.bTail,
                   k.fill, k.dark, k.light);
    }
    dc.RestoreDC(-1);
}

RECT CPadEditor::DragShapesBounds() const {
    RECT u{0, 0, 0, 0};
    const LONG dx = m_drag.drawn.x - m_drag.press.x, dy = m_drag.drawn.y - m_drag.press.y;
    for (const Shape& s : m_dragShapes) {
        const RECT r{s.rc.left + dx, s.rc.top + dy, s.rc.right + dx + 1, s.rc.bottom + dy + 1};
        u = u.IsEmpty() ? r
                        : RECT{std::min(u.left, r.left), std::min(u.top, r.top),
                               std::max(u.right, r.right), std::max(u.bottom, r.bottom)};
    }
    return u.Intersect(GrainArea());
}

bool CPadEditor::ScrollIntoView(int nPad, LONG nGrain) {
    PadGrains grains(m_state.Control(), nPad);
    if (nGrain < 0 || nGrain >= grains.n) return false;
    const GrainSummary& g = grains.p[nGrain];
    const LONG pos = m_horizontal.Position();
    const LONG x0 = XOfTick(g.nStartTicks) + pos - kGrainLeft;
    const LONG x1 = XOfTick(g.nEndTicks) + pos - kGrainLeft;
    const LONG width = m_horizontal.Visible();
    LONG newPos = pos;
    if (x0 < pos)
        newPos = x0;
    else if (x1 > pos + width)
        newPos = std::min(x0, x1 - width);
    const LONG y0 = nPad * m_nRowHeight, y1 = y0 + m_nRowHeight;
    LONG newV = m_vertical.Position();
    if (y0 < newV)
        newV = y0;
    else if (y1 > newV + m_vertical.Visible())
        newV = y1 - m_vertical.Visible();
    m_horizontal.Set(-1, newPos, -1);
    m_vertical.Set(-1, newV, -1);
    Redraw();
    return true;
}

void CPadEditor::SetPixelsPerBeat(double dPixelsPerBeat, LONG xKeep) {
    const double beats =
        static_cast<double>(xKeep + m_horizontal.Position() - kGrainLeft) / m_dPixelsPerBeat;
    m_dPixelsPerBeat = std::clamp(dPixelsPerBeat, kMinPixelsPerBeat, kMaxPixelsPerBeat);
    UpdateContentWidth();
    const auto pos =
        static_cast<LONG>(std::floor(beats * m_dPixelsPerBeat + 0.5)) - (xKeep - kGrainLeft);
    m_horizontal.Set(-1, std::max<LONG>(0, pos), -1);
    Redraw();
}

void CPadEditor::ZoomTime(bool bIn) {
    SetPixelsPerBeat(bIn ? m_dPixelsPerBeat * 1.5 : m_dPixelsPerBeat * 2.0 / 3.0, kGrainLeft);
}

void CPadEditor::ZoomRows(bool bIn) {
    m_nRowHeight = std::clamp(m_nRowHeight + (bIn ? 5 : -5), kMinRowHeight, kMaxRowHeight);
    m_vertical.Set(kPadCount * m_nRowHeight, -1, -1);
    Redraw();
}
