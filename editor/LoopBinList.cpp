#include "editor/LoopBinList.h"
#include "editor/EditorState.h"
#include "editor/PageLayout.h"
#include "platform/kernel/TextConvert.h"
#include "platform/ui/DC.h"
#include <algorithm>
#include <string>

CLoopBinList::CLoopBinList(CEditorState& state)
    : CPageRegion(state, {kLoopBinRect.left, kLoopBinRect.top, 132, 228}) {
    m_vertical.Set(400, 0, kLoopBinRect.Height());
    m_horizontal.Set(200, 0, kLoopBinRect.Width());
}

bool CLoopBinList::HitTest(POINT pt) const {
    return kLoopBinRect.Contains(pt) || m_vertical.Track().Contains(pt) ||
           m_horizontal.Track().Contains(pt);
}

void CLoopBinList::Refresh() {
    LONG nFiles = 0;
    if (IVudivuVizezud* c = m_state.Control()) c->GetFileCount(&nFiles);
    m_vertical.Set(kLineHeight * nFiles, -1, -1);
    Redraw();
}

std::wstring CLoopBinList::LineText(const std::wstring& name) {
    return name.size() > 4 ? name.substr(0, name.size() - 4) : std::wstring();
}

void CLoopBinList::Paint(CDC& dc, const RECT&) {
    CPageTools& tools = m_state.m_tools;
    dc.FillRect(kLoopBinRect, tools.Brush(1));
    if (IVudivuVizezud* c = m_state.Control()) {
        dc.SaveDC();
        dc.IntersectClipRect(kLoopBinRect);
        dc.SelectObject(tools.Font14());
        dc.SetBkMode(OPAQUE);
        LONG nFiles = 0, nWidest = 0;
        c->GetFileCount(&nFiles);
        for (LONG i = 0; i < nFiles; ++i) {
            char name[kTextBufferLength] = {};
            c->GetFileName(i, FALSE, name);
            const std::wstring text = LineText(WideFromUtf8(name));
            // The horizontal bar spans the widest name.
            nWidest = std::max(nWidest, dc.GetTextExtent(text).cx + 8);
            const LONG y = kLoopBinRect.top - m_vertical.Position() + kLineHeight * i;
            if (y >= kLoopBinRect.bottom || y + kLineHeight <= kLoopBinRect.top) continue;
            const bool selected = i == m_state.m_nSelectedFile;
            if (selected)
                dc.FillSolidRect({kLoopBinRect.left, y, kLoopBinRect.right, y + kLineHeight},
                                 CPageTools::Colour(8));
            dc.SetTextColor(CPageTools::Colour(selected ? 0 : 8));
            dc.SetBkColor(CPageTools::Colour(selected ? 8 : 1));
            dc.TextOut(kLoopBinRect.left - m_horizontal.Position() + 4, y, text);
        }
        dc.RestoreDC(-1);
        m_horizontal.Set(nWidest, -1, -1);
    }
    m_vertical.Paint(dc, tools);
    m_horizontal.Paint(dc, tools);
}

bool CLoopBinList::OnLButtonDown(UINT, POINT pt) {
    if (m_vertical.Press(pt) || m_horizontal.Press(pt)) return true;
    if (!kLoopBinRect.Contains(pt))
        return m_vertical.Track().Contains(pt) || m_horizontal.Track().Contains(pt);
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return true;
    LONG nFiles = 0;
    c->GetFileCount(&nFiles);
    const LONG i = (pt.y - kLoopBinRect.top + m_vertical.Position()) / kLineHeight;
    if (i >= nFiles) return true;
    m_state.m_nSelectedFile = i;
    m_state.m_slices.Clear();
    m_state.m_binDrag = {BinDrag::Kind::File, i};
    Redraw();
    m_state.Redraw(kBandRect);
    if (m_state.m_playOn && m_state.m_playOn()) {
        c->StopFilePreview(-1);
        c->StartFilePreview(i, -1);
    }
    return true;
}

bool CLoopBinList::OnMouseMove(UINT, POINT pt) {
    if (!m_vertical.IsDragging() && !m_horizontal.IsDragging()) return false;
    if (m_vertical.Drag(pt) || m_horizontal.Drag(pt)) Redraw();
    return true;
}

bool CLoopBinList::OnLButtonUp(UINT, POINT) {
    if (!m_vertical.IsDragging() && !m_horizontal.IsDragging()) return false;
    m_vertical.Release();
    m_horizontal.Release();
    return true;
}
