#include "editor/SliceView.h"
#include "editor/EditorState.h"
#include "editor/PadEditor.h"
#include "editor/PageLayout.h"
#include "platform/com/TaskMem.h"
#include "platform/kernel/TextConvert.h"
#include "platform/ui/DC.h"
#include "platform/ui/Messages.h"
#include <algorithm>
#include <cmath>

std::wstring CSliceView::PathLine(const std::wstring& path) {
    if (path.size() < kPathLimit) return path;
    return L"..." + path.substr(path.size() - (kPathLimit - 3));
}

EventSelectionInfo CSliceView::GrainAt(const CPadEditor& editor, POINT pt) {
    const int row = editor.RowAt(pt);
    if (row < 0 || row >= kPadCount || pt.x < CPadEditor::kGrainLeft || !editor.HitTest(pt))
        return {-1, -1};
    const int hit = editor.Plot().HitGrain(row, pt.x, editor.TickAt(pt.x));
    if (hit < 0) return {-1, -1};
    return {row, editor.Plot().Records(row)[static_cast<size_t>(hit)].nIndex};
}

void CSliceView::Paint(CDC& dc) {
    m_plot.clear();
    IVudivuVizezud* c = m_state.Control();
    const LONG file = m_state.m_nSelectedFile;
    if (c == nullptr || file < 0) return;
    CPageTools& tools = m_state.m_tools;
    const RECT& view = kBandViewRect;
    dc.SaveDC();
    dc.IntersectClipRect(view);
    char path[kTextBufferLength] = {};
    c->GetFileName(file, TRUE, path);
    dc.SelectObject(tools.Font12());
    dc.SetBkMode(OPAQUE);
    dc.SetTextColor(CPageTools::Colour(6));
    dc.SetBkColor(CPageTools::Colour(1));
    dc.TextOut(view.left, view.top, PathLine(WideFromUtf8(path)));

    GrainSummary* p = nullptr;
    LONG n = 0;
    if (SUCCEEDED(c->GetFileSlices(file, &p, &n)) && p != nullptr) {
        LONG x = view.left + kSliceLeft;
        for (LONG i = 0; i < n && x < view.right; ++i) {
            const GrainSummary& s = p[i];
            const LONG w = static_cast<LONG>(std::min<DWORD>(s.nPeakCount, 0x7FFF));
            const RECT rc{x, view.top + kSliceTop, x + w, view.bottom};
            m_plot.push_back({i, s.nStartTicks, rc, s.bUseTail});
            PaintSlice(dc, s, rc, m_state.m_slices.Contains(file, i));
            x += w;
        }
    }
    CoTaskMemFree(p);
    dc.RestoreDC(-1);
}

// Peaks are (low, high) pairs per pixel column and channel; a value v lies
// v x scale above the channel's centre line.
void CSliceView::PaintSlice(CDC& dc, const GrainSummary& s, const RECT& rc, bool bSelected) const {
    CPageTools& tools = m_state.m_tools;
    if (bSelected) dc.FillRect(rc, tools.Brush(4));
    const COLORREF line = CPageTools::Colour(bSelected ? 7 : 6);
    const LONG h = rc.Height();
    const bool bStereo = s.nChannels >= 2;
    const int nChannels = bStereo ? 2 : 1;
    const DWORD stride = std::max<DWORD>(s.nChannels, 1);
    const double scale = (bStereo ? 0.225 : 0.45) * h;
    for (int ch = 0; ch < nChannels; ++ch) {
        const LONG centre = rc.top + (bStereo ? h * (2 * ch + 1) / 4 : h / 2);
        dc.FillSolidRect({rc.left, centre, rc.right, centre + 1}, line);
        if (s.pPeaks == nullptr) continue;
        for (LONG col = 0; col < rc.Width(); ++col) {
            const float* v = s.pPeaks + (static_cast<size_t>(col) * stride + ch) * 2;
            auto y = [&](float f) {
                const double d = std::isfinite(f) ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
                return centre - static_cast<LONG>(std::lround(d * scale));
            };
            const LONG a = y(v[0]), b = y(v[1]);
            dc.FillSolidRect({rc.left + col, std::min(a, b), rc.left + col + 1, std::max(a, b) + 1},
                             line);
        }
    }
    // The left edge: white dots on black.
    dc.SelectObject(tools.DottedPen());
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(CPageTools::Colour(0));
    dc.MoveTo(rc.left, rc.top);
    dc.LineTo(rc.left, rc.bottom);
}

LONG CSliceView::HitSlice(POINT pt) const {
    for (const EventPlotInfo& e : m_plot)
        if (e.rc.Contains(pt)) return e.nIndex;
    return -1;
}

bool CSliceView::Press(UINT nFlags, POINT pt) {
    IVudivuVizezud* c = m_state.Control();
    const LONG file = m_state.m_nSelectedFile;
    const LONG slice = HitSlice(pt);
    if (c == nullptr || file < 0 || slice < 0) return false;
    if ((nFlags & MK_SHIFT) == 0) m_state.m_slices.Clear();
    m_state.m_slices.Add(file, slice);
    m_state.m_binDrag = {BinDrag::Kind::Slices, file};
    m_hover = {-1, -1};
    m_bSaved = false;
    c->StartFilePreview(file, slice);
    m_state.Redraw(kBandViewRect);
    return true;
}

void CSliceView::DragOver(EventSelectionInfo grain) {
    if (grain == m_hover) return;
    m_hover = grain;
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr || grain.nRow < 0) return;
    LONG file = -1, slice = -1;
    if (FAILED(c->GetGrainSource(grain.nRow, grain.nIndex, &file, &slice)) || file < 0) return;
    if (!m_bSaved) {
        m_bSaved = true;
        m_nSavedFile = m_state.m_nSelectedFile;
        m_savedSlices = m_state.m_slices;
    }
    m_state.m_nSelectedFile = file;
    m_state.m_slices.Clear();
    m_state.m_slices.Add(file, slice);
    c->StartAudition(grain.nRow, grain.nIndex);
    m_state.Redraw(kBandViewRect);
    m_state.Redraw(kLoopBinRect);
}

void CSliceView::EndDrag() {
    m_hover = {-1, -1};
    if (!m_bSaved) return;
    m_bSaved = false;
    m_state.m_nSelectedFile = m_nSavedFile;
    m_state.m_slices = m_savedSlices;
    m_state.Redraw(kBandViewRect);
    m_state.Redraw(kLoopBinRect);
}
