// The Pad Editor's pointer: grain and pad-length drags, double-clicks, drops
// of Loop Bin files and slices, the wheel, and cancelling with Escape. Every
// change is made after a Checkpoint and undone with Undo when it fails.
#include "editor/EditorState.h"
#include "editor/PadEditor.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/TaskMem.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/Wnd.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr LONG kHandleReach = 4; // a pad-length handle takes presses this close to its middle
constexpr LONG kStillMove = 5;   // a drag draws nothing moved until the pointer goes this far
constexpr LONG kStillDrop = 4;   // and changes nothing when released this close

bool Moved(POINT a, POINT b, LONG nFar) {
    return std::abs(a.x - b.x) > nFar || std::abs(a.y - b.y) > nFar;
}

// The start of a pad's grain, or -1 when the pad has no such grain.
LONGLONG StartOf(IVudivuVizezud* c, LONG nPad, LONG nGrain) {
    GrainSummary* p = nullptr;
    LONG n = 0;
    if (FAILED(c->GetPadGrains(nPad, &p, &n))) return -1;
    const LONGLONG t = nGrain >= 0 && nGrain < n ? p[nGrain].nStartTicks : -1;
    CoTaskMemFree(p);
    return t;
}
} // namespace

int CPadEditor::HitHandle(POINT pt) const {
    const int row = RowAt(pt);
    if (row < 0 || m_plot.Records(row).empty()) return -1;
    const LONG x = XOfTick(m_padLengths[static_cast<size_t>(row)]);
    return std::abs(pt.x - (x + 5)) < kHandleReach ? row : -1;
}

void CPadEditor::Confine(bool bOn) const {
    if (!bOn || m_state.m_pWnd == nullptr) {
        ClipCursor(nullptr);
        return;
    }
    const RECT area = GrainArea();
    const POINT a = m_state.m_pWnd->ClientToScreen({area.left, area.top});
    const POINT b = m_state.m_pWnd->ClientToScreen({area.right, area.bottom});
    const RECT screen{a.x, a.y, b.x, b.y};
    ClipCursor(&screen);
}

void CPadEditor::SetHoverRow(int nRow) {
    if (nRow == m_nHoverRow) return;
    const int lit = m_nHoverRow >= 0 ? m_nHoverRow : m_state.m_nCurrentPad;
    m_nHoverRow = nRow;
    const int now = m_nHoverRow >= 0 ? m_nHoverRow : m_state.m_nCurrentPad;
    if (lit != now) {
        m_state.Redraw(RowRect(lit));
        m_state.Redraw(RowRect(now));
    }
}

bool CPadEditor::OnLButtonDown(UINT nFlags, POINT pt) {
    if (m_horizontal.Press(pt) || m_vertical.Press(pt)) return true;
    if (!kPadEditorRect.Contains(pt)) return false;
    const int row = RowAt(pt);
    if (const int pad = HitHandle(pt); pad >= 0) {
        m_drag = {};
        m_drag.kind = DragKind::PadLength;
        m_drag.press = m_drag.drawn = pt;
        m_drag.nPad = pad;
        m_drag.nGrabX = pt.x - XOfTick(m_padLengths[static_cast<size_t>(pad)]);
        m_drag.drawn.x = pt.x - m_drag.nGrabX;
        Confine(true);
    } else if (row >= 0 && pt.x >= kGrainLeft) {
        const int hit = m_plot.HitGrain(row, pt.x, TickAt(pt.x));
        if (hit >= 0) {
            StartGrainDrag(nFlags, pt, row, hit);
        } else if ((nFlags & MK_SHIFT) == 0 && !m_state.m_grains.IsEmpty()) {
            m_state.m_grains.Clear();
            Redraw();
        }
    }
    if (row >= 0) m_state.SelectPad(row);
    return true;
}

void CPadEditor::StartGrainDrag(UINT nFlags, POINT pt, int nPad, int nRecord) {
    const EventPlotInfo& e = m_plot.Records(nPad)[static_cast<size_t>(nRecord)];
    m_drag = {};
    m_drag.kind = DragKind::Grain;
    m_drag.press = m_drag.drawn = pt;
    m_drag.nGrabX = pt.x - e.rc.left;
    m_drag.nGrabY = pt.y - RowTop(nPad);
    m_drag.nPad = nPad;
    m_drag.nGrain = e.nIndex;
    m_drag.nGrainStart = e.nStart;
    m_drag.nFlags = nFlags & (MK_SHIFT | MK_CONTROL);
    if ((nFlags & MK_SHIFT) == 0 && !m_state.m_grains.Contains(nPad, e.nIndex))
        m_state.m_grains.Clear();
    m_state.m_grains.Add(nPad, e.nIndex);
    // The selected grains as they are drawn now, for the drag's drawing.
    m_dragShapes.clear();
    for (const EventSelectionInfo& s : m_state.m_grains.Items())
        if (const EventPlotInfo* p = m_plot.Find(static_cast<int>(s.nRow), s.nIndex))
            m_dragShapes.push_back({p->rc, p->bTail != 0});
    Confine(true);
    if (IVudivuVizezud* c = m_state.Control()) c->StartAudition(nPad, e.nIndex);
    Redraw();
}

bool CPadEditor::OnMouseMove(UINT nFlags, POINT pt) {
    if (m_horizontal.IsDragging() || m_vertical.IsDragging()) {
        if (m_horizontal.Drag(pt) || m_vertical.Drag(pt)) Redraw();
        return true;
    }
    if (m_drag.kind == DragKind::Grain) {
        MoveGrainDrag(nFlags, pt);
        return true;
    }
    if (m_drag.kind == DragKind::PadLength) {
        const LONG x = XOfTick(Snap(TickAt(pt.x, m_drag.nGrabX)));
        if (x != m_drag.drawn.x) {
            m_drag.drawn.x = x;
            const LONG top = RowTop(m_drag.nPad);
            m_state.Redraw({kGrainLeft, top, kPadEditorRect.right, top + m_nRowHeight + 1});
        }
        return true;
    }
    return false;
}

void CPadEditor::MoveGrainDrag(UINT nFlags, POINT pt) {
    const UINT flags = nFlags & (MK_SHIFT | MK_CONTROL);
    const bool copyChanged = ((flags ^ m_drag.nFlags) & MK_CONTROL) != 0;
    m_drag.nFlags = flags;
    const int row = RowAt(pt);
    SetHoverRow(row);
    POINT drawn = m_drag.press;
    if (Moved(pt, m_drag.press, kStillMove - 1)) {
        if ((flags & MK_SHIFT) == 0)
            drawn.x = XOfTick(Snap(TickAt(pt.x, m_drag.nGrabX))) + m_drag.nGrabX;
        drawn.y = RowTop(row >= 0 ? row : m_drag.nPad) + m_drag.nGrabY;
    }
    if (copyChanged) {
        m_drag.drawn = drawn;
        Redraw();
    } else if (drawn.x != m_drag.drawn.x || drawn.y != m_drag.drawn.y) {
        m_state.Redraw(DragShapesBounds());
        m_drag.drawn = drawn;
        m_state.Redraw(DragShapesBounds());
    }
}

bool CPadEditor::OnLButtonUp(UINT nFlags, POINT pt) {
    if (m_horizontal.IsDragging() || m_vertical.IsDragging()) {
        m_horizontal.Release();
        m_vertical.Release();
        return true;
    }
    if (m_drag.kind == DragKind::None) return false;
    Confine(false);
    if (m_drag.kind == DragKind::Grain)
        DropGrains(nFlags, pt);
    else
        DropPadLength(pt);
    EndDrag();
    Redraw();
    return true;
}

// Moves (or with Ctrl copies) every selected grain by the rows and the time
// the grabbed grain went; with Shift only between rows. Grains pushed past
// the first or last row land on it, and none starts before tick 0.
void CPadEditor::DropGrains(UINT nFlags, POINT pt) {
    IVudivuVizezud* c = m_state.Control();
    const int row = RowAt(pt);
    if (c == nullptr || row < 0 || !Moved(pt, m_drag.press, kStillDrop)) return;
    const bool bKeepTime = (nFlags & MK_SHIFT) != 0, bCopy = (nFlags & MK_CONTROL) != 0;
    const int rowOffset = row - m_drag.nPad;
    const LONGLONG timeOffset = Snap(TickAt(pt.x, m_drag.nGrabX)) - m_drag.nGrainStart;
    m_state.SelectPad(row);
    c->Checkpoint();
    HRESULT hr = S_OK;
    for (const EventSelectionInfo& s : m_state.m_grains.Items()) {
        const EventPlotInfo* p = m_plot.Find(static_cast<int>(s.nRow), s.nIndex);
        const LONGLONG start = p != nullptr ? p->nStart : StartOf(c, s.nRow, s.nIndex);
        if (start < 0) continue; // no longer there
        const LONG pad = std::clamp<LONG>(s.nRow + rowOffset, 0, kPadCount - 1);
        const LONGLONG to = bKeepTime ? -1 : std::max<LONGLONG>(0, start + timeOffset);
        hr = bCopy ? c->CopyGrain(s.nRow, s.nIndex, pad, to, nullptr)
                   : c->MoveGrain(s.nRow, s.nIndex, pad, to, nullptr, TRUE);
        if (FAILED(hr)) break;
    }
    m_state.m_grains.Clear();
    c->CommitGrainEdits();
    if (FAILED(hr)) c->Undo();
    m_state.ProjectChanged();
}

// A click on a handle without moving it leaves the length as it is.
void CPadEditor::DropPadLength(POINT pt) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr || !Moved(pt, m_drag.press, kStillDrop)) return;
    c->Checkpoint();
    if (FAILED(c->SetPadLength(kKindPad, m_drag.nPad, Snap(TickAt(pt.x, m_drag.nGrabX)))))
        c->Undo();
    m_state.ProjectChanged();
}

void CPadEditor::EndDrag() {
    m_drag = {};
    m_dragShapes.clear();
    SetHoverRow(-1);
}

bool CPadEditor::CancelDrag() {
    if (m_drag.kind == DragKind::None) return false;
    Confine(false);
    EndDrag();
    Redraw();
    return true;
}

// Over a row's label every grain of the pad becomes the selection; anywhere
// else the second click is a press, so a grain clicked and dragged at once moves.
bool CPadEditor::OnLButtonDblClk(UINT nFlags, POINT pt) {
    const int row = RowAt(pt);
    if (row < 0 || pt.x >= kGrainLeft || m_horizontal.Track().Contains(pt) ||
        m_vertical.Track().Contains(pt))
        return OnLButtonDown(nFlags, pt);
    LONG n = 0;
    if (IVudivuVizezud* c = m_state.Control(); c != nullptr) c->GetPadGrainCount(kKindPad, row, &n);
    m_state.m_grains.Clear();
    for (LONG i = 0; i < n; ++i) m_state.m_grains.Add(row, i);
    m_state.SelectPad(row);
    Redraw();
    return true;
}

bool CPadEditor::OnMouseWheel(UINT nFlags, int nDelta, POINT pt) {
    if (IsDragging() || m_horizontal.IsDragging() || m_vertical.IsDragging() ||
        m_state.m_binDrag.kind != BinDrag::Kind::None)
        return true;
    const double notches = static_cast<double>(nDelta) / WHEEL_DELTA;
    if ((nFlags & MK_CONTROL) != 0) {
        SetPixelsPerBeat(m_dPixelsPerBeat * std::pow(1.5, notches),
                         std::clamp(pt.x, kGrainLeft, kPadEditorRect.right - 1));
        return true;
    }
    // Up scrolls towards the first row and towards tick 0.
    CGrooveScroller& s = (nFlags & MK_SHIFT) != 0 ? m_horizontal : m_vertical;
    const double step = (nFlags & MK_SHIFT) != 0 ? m_dPixelsPerBeat : 2.0 * m_nRowHeight;
    const auto by = static_cast<LONG>(std::lround(notches * step));
    s.Set(-1, std::max<LONG>(0, s.Position() - by), -1);
    Redraw();
    return true;
}

void CPadEditor::BinDragMove(POINT pt) {
    const int row = RowAt(pt);
    SetHoverRow(row);
    EventSelectionInfo hover{-1, -1};
    if (m_state.m_binDrag.kind == BinDrag::Kind::Slices && row >= 0 && pt.x >= kGrainLeft) {
        const int hit = m_plot.HitGrain(row, pt.x, TickAt(pt.x));
        if (hit >= 0) hover = {row, m_plot.Records(row)[static_cast<size_t>(hit)].nIndex};
    }
    if (!(hover == m_hoverGrain)) {
        m_hoverGrain = hover;
        Redraw();
    }
}

void CPadEditor::BinDragEnded() {
    m_hoverGrain = {-1, -1};
    SetHoverRow(-1);
    Redraw();
}

// A file replaces the row's grains; slices on a grain become its source, on
// the rest of a row they are added. The grain selection's indexes no longer
// hold on a pad that changed, so it is emptied (or holds the new grain).
bool CPadEditor::BinDrop(POINT pt) {
    IVudivuVizezud* c = m_state.Control();
    const BinDrag drag = m_state.m_binDrag;
    const int row = RowAt(pt);
    if (c == nullptr || row < 0 || drag.kind == BinDrag::Kind::None) return false;
    if (drag.kind == BinDrag::Kind::File) {
        m_state.AssignFileToPad(row, drag.nFile);
        return true;
    }
    const int hit = pt.x >= kGrainLeft ? m_plot.HitGrain(row, pt.x, TickAt(pt.x)) : -1;
    if (hit < 0) {
        DropSlices(row, pt);
        return true;
    }
    LONG slice = -1;
    for (const EventSelectionInfo& s : m_state.m_slices.Items())
        if (s.nRow == drag.nFile) {
            slice = s.nIndex;
            break;
        }
    if (slice < 0) return true;
    const LONG grain = m_plot.Records(row)[static_cast<size_t>(hit)].nIndex;
    c->Checkpoint();
    if (FAILED(c->SetGrainSource(row, grain, drag.nFile, slice))) {
        c->Undo();
        return true;
    }
    m_state.m_grains.Clear();
    m_state.m_grains.Add(row, grain);
    m_state.SelectPad(row);
    c->StartAudition(row, grain);
    m_state.ProjectChanged();
    return true;
}

// The selected slices keep their spacing and the first begins at the snapped
// tick under the pointer; over the label column each keeps its own start.
void CPadEditor::DropSlices(int nRow, POINT pt) {
    IVudivuVizezud* c = m_state.Control();
    const LONG file = m_state.m_binDrag.nFile;
    GrainSummary* p = nullptr;
    LONG n = 0;
    if (FAILED(c->GetFileSlices(file, &p, &n)) || n <= 0) {
        CoTaskMemFree(p);
        return;
    }
    auto valid = [&](const EventSelectionInfo& s) {
        return s.nRow == file && s.nIndex >= 0 && s.nIndex < n;
    };
    LONGLONG s0 = -1;
    for (const EventSelectionInfo& s : m_state.m_slices.Items())
        if (valid(s) && (s0 < 0 || p[s.nIndex].nStartTicks < s0)) s0 = p[s.nIndex].nStartTicks;
    if (s0 >= 0) {
        const bool ownStarts = pt.x < kGrainLeft;
        const LONGLONG t = Snap(TickAt(pt.x));
        c->Checkpoint();
        HRESULT hr = S_OK;
        for (const EventSelectionInfo& s : m_state.m_slices.Items()) {
            if (!valid(s)) continue;
            const LONGLONG start = p[s.nIndex].nStartTicks;
            hr = c->AddGrain(file, s.nIndex, nRow, ownStarts ? start : start - s0 + t);
            if (FAILED(hr)) break;
        }
        if (FAILED(hr)) c->Undo();
        m_state.m_grains.Clear();
        m_state.SelectPad(nRow);
        m_state.ProjectChanged();
    }
    CoTaskMemFree(p);
}
