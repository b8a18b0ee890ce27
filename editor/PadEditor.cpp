#include "editor/PadEditor.h"
#include "editor/EditorState.h"
#include "editor/PageLayout.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/TaskMem.h"
#include "platform/ui/DC.h"
#include <algorithm>
#include <cmath>
#include <string>

namespace {
constexpr LONG kLabelWidth = 36;
constexpr LONG kRulerHeight = 13;

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
} // namespace

CPadEditor::CPadEditor(CEditorState& state)
    : CPageRegion(state, {100, kPadEditorRect.top, 593, 545}) {
    m_horizontal.Set(800, 0, GrainAreaWidth());
    m_vertical.Set(800, 0, kPadEditorRect.bottom - kGrainTop);
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

RECT CPadEditor::RowRect(int nRow) const {
    return {kPadEditorRect.left, RowTop(nRow), kGrainLeft, RowTop(nRow) + m_nRowHeight + 1};
}

void CPadEditor::Refresh() {
    UpdateContentWidth();
    m_vertical.Set(kPadCount * m_nRowHeight, -1, -1);
    Redraw();
}

// The widest of the grain area and every pad's content or length, plus a beat.
void CPadEditor::UpdateContentWidth() {
    LONG width = kPadEditorRect.right - kGrainLeft;
    if (IVudivuVizezud* c = m_state.Control()) {
        for (int p = 0; p < kPadCount; ++p) {
            LONGLONG end = 0, length = 0;
            c->GetPadContentEnd(p, &end);
            c->GetPadLength(kKindPad, p, &length);
            const double beats = static_cast<double>(std::max(end, length)) * kBeatsPerTick;
            width = std::max(width,
                             static_cast<LONG>(std::floor((beats + 1.0) * m_dPixelsPerBeat + 0.5)));
        }
    }
    m_horizontal.Set(width, -1, -1);
}

void CPadEditor::Paint(CDC& dc, const RECT&) {
    CPageTools& tools = m_state.m_tools;
    dc.SaveDC();
    dc.IntersectClipRect(kPadEditorRect);
    dc.FillRect(kPadEditorRect, tools.Brush(1));
    PaintRuler(dc);
    PaintRows(dc);
    dc.SaveDC();
    dc.IntersectClipRect({kGrainLeft, kGrainTop, kPadEditorRect.right, kPadEditorRect.bottom});
    for (int p = 0; p < kPadCount; ++p) PaintGrains(dc, p);
    dc.RestoreDC(-1);
    dc.RestoreDC(-1);
    m_horizontal.Paint(dc, tools);
    m_vertical.Paint(dc, tools);
}

void CPadEditor::PaintRuler(CDC& dc) {
    CPageTools& tools = m_state.m_tools;
    const LONG content = m_horizontal.Content();
    const LONG beats = static_cast<LONG>(std::floor(content / m_dPixelsPerBeat + 0.5));
    const LONG bottom = kGrainTop + kPadCount * m_nRowHeight + 1;
    dc.SelectObject(tools.Font12());
    dc.SetBkMode(OPAQUE);
    dc.SetTextColor(CPageTools::Colour(3));
    dc.SetBkColor(CPageTools::Colour(1));
    dc.SelectObject(tools.Pen(5));
    for (LONG b = 0; b <= beats; ++b) {
        const LONG x = XOfTick(static_cast<LONGLONG>(b) * kTicksPerBeat);
        if (x < kGrainLeft) continue;
        if (x >= kPadEditorRect.right) break;
        dc.MoveTo(x, kGrainTop);
        dc.LineTo(x, bottom - m_vertical.Position());
        dc.TextOut(x + 1, kGrainTop - 12, std::to_wstring(b + 1));
    }
}

void CPadEditor::PaintRows(CDC& dc) {
    CPageTools& tools = m_state.m_tools;
    dc.SaveDC();
    dc.IntersectClipRect(
        {kPadEditorRect.left, kGrainTop, kPadEditorRect.right, kPadEditorRect.bottom});
    dc.SelectObject(m_nRowHeight >= 13 ? tools.Font14() : tools.Font12());
    for (int r = 0; r < kPadCount; ++r) {
        const LONG top = RowTop(r);
        const bool current = r == m_state.m_nCurrentPad;
        if (current)
            dc.FillRect({kPadEditorRect.left, top, kGrainLeft - 3, top + m_nRowHeight},
                        tools.Brush(4));
        dc.SetTextColor(CPageTools::Colour(current ? 0 : 3));
        dc.SetBkColor(CPageTools::Colour(current ? 4 : 1));
        dc.DrawText(
            L"Pad " + std::to_wstring(r + 1),
            {kPadEditorRect.left + 2, top, kPadEditorRect.left + kLabelWidth, top + m_nRowHeight},
            DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        dc.SelectObject(tools.Pen(5));
        dc.MoveTo(kPadEditorRect.left, top);
        dc.LineTo(kPadEditorRect.right, top);
    }
    const LONG last = RowTop(kPadCount);
    dc.MoveTo(kPadEditorRect.left, last);
    dc.LineTo(kPadEditorRect.right, last);
    dc.RestoreDC(-1);
}

void CPadEditor::PaintGrains(CDC& dc, int nPad) {
    const LONG top = RowTop(nPad);
    if (top >= kPadEditorRect.bottom || top + m_nRowHeight <= kGrainTop) return;
    PadGrains grains(m_state.Control(), nPad);
    const LONG m = m_nRowHeight <= 12 ? 1 : m_nRowHeight <= 17 ? 3 : 5;
    for (LONG i = 0; i < grains.n; ++i) {
        const GrainSummary& g = grains.p[i];
        const bool selected = m_state.m_grains.Contains(nPad, i);
        const bool tail = g.bUseTail != 0;
        RECT rc{XOfTick(g.nStartTicks), top + m, XOfTick(g.nEndTicks), top + m_nRowHeight - m};
        if (tail) rc.right = rc.left + 15;
        if (rc.right < kGrainLeft || rc.left >= kPadEditorRect.right) continue;
        // Fill, dark edge, light edge.
        const int fill = selected ? (tail ? 5 : 7) : (tail ? 3 : 6);
        const int dark = selected ? 0 : (tail ? 5 : 7);
        const int light = selected ? (tail ? 3 : 6) : (tail ? 4 : 8);
        CPageTools& tools = m_state.m_tools;
        const LONG h = rc.Height();
        if (tail) {
            const LONG notch = rc.left + 15 - static_cast<LONG>(0.4 * h);
            const POINT pts[5] = {{rc.left, rc.top},
                                  {notch, rc.top},
                                  {rc.left + 15, rc.top + h / 2},
                                  {notch, rc.bottom},
                                  {rc.left, rc.bottom}};
            dc.SelectObject(tools.Pen(dark));
            dc.SelectObject(tools.Brush(fill));
            dc.Polygon(pts, 5);
        } else {
            dc.FillRect(rc, tools.Brush(fill));
            dc.SelectObject(tools.Pen(dark));
            dc.MoveTo(rc.left, rc.bottom - 1);
            dc.LineTo(rc.right - 1, rc.bottom - 1);
            dc.LineTo(rc.right - 1, rc.top - 1);
        }
        dc.SelectObject(tools.Pen(light));
        dc.MoveTo(rc.left, rc.top);
        dc.LineTo(rc.left, rc.bottom);
    }
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

bool CPadEditor::OnLButtonDown(UINT, POINT pt) {
    if (m_horizontal.Press(pt) || m_vertical.Press(pt)) return true;
    if (!kPadEditorRect.Contains(pt)) return false;
    // The row under the pointer becomes the current pad; grain editing is the
    // panel's own drag handling.
    if (pt.y >= kGrainTop) {
        const int row = std::min<LONG>((pt.y + m_vertical.Position() - kGrainTop) / m_nRowHeight,
                                       kPadCount - 1);
        m_state.SelectPad(row);
    }
    return true;
}

bool CPadEditor::OnMouseMove(UINT, POINT pt) {
    if (!m_horizontal.IsDragging() && !m_vertical.IsDragging()) return false;
    if (m_horizontal.Drag(pt) || m_vertical.Drag(pt)) Redraw();
    return true;
}

bool CPadEditor::OnLButtonUp(UINT, POINT) {
    if (!m_horizontal.IsDragging() && !m_vertical.IsDragging()) return false;
    m_horizontal.Release();
    m_vertical.Release();
    return true;
}
