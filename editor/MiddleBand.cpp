#include "editor/MiddleBand.h"
#include "editor/EditorState.h"
#include "editor/PageLayout.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "platform/ui/Messages.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"

CMiddleBand::CMiddleBand(CEditorState& state) : CPageRegion(state, kBandRect), m_slices(state) {}

bool CMiddleBand::ReadKeyRange(PadKeyRange& range) const {
    // What a pad without a key-map entry shows: the whole keyboard around C5.
    range = {m_state.m_nCurrentPad, 0, 127, 60, 0, 127};
    IVudivuVizezud* c = m_state.Control();
    return c != nullptr && SUCCEEDED(c->GetPadKeyRange(&range));
}

void CMiddleBand::Paint(CDC& dc, const RECT&) {
    const bool bKeyMap = m_state.m_view == BandView::KeyMap;
    if (const CBitmap* b = CSkin::Get(bKeyMap ? IDB_BAND_KEYMAP : IDB_BAND_SLICES))
        dc.DrawBitmap(*b, m_rc.left, m_rc.top, b->Width(), b->Height(), 0, 0);
    if (!bKeyMap) {
        m_slices.Paint(dc);
        return;
    }
    PadKeyRange range{};
    ReadKeyRange(range);
    m_keyMap.Paint(dc, range, m_state.m_tools.Font12());
}

bool CMiddleBand::OnLButtonDown(UINT nFlags, POINT pt) {
    BandView view = m_state.m_view;
    if (kKeyMapTabRect.Contains(pt))
        view = BandView::KeyMap;
    else if (kSliceTabRect.Contains(pt))
        view = BandView::Slices;
    if (view != m_state.m_view) {
        m_keyMap.Release();
        m_state.m_view = view;
        Redraw();
        return true;
    }
    if (view == BandView::Slices) {
        m_slices.Press(nFlags, pt);
        return true;
    }
    PadKeyRange range{};
    m_bChanged = false;
    if (view == BandView::KeyMap && ReadKeyRange(range)) m_keyMap.Press(pt, range);
    return true;
}

// Each step of a drag reads the pad's record, changes it and writes it back;
// the Pad Settings edits then show it without writing it again.
bool CMiddleBand::OnMouseMove(UINT nFlags, POINT pt) {
    const CKeyMapEditor::Drag drag = m_keyMap.Dragging();
    if (drag == CKeyMapEditor::Drag::None) return false;
    const bool bShift = (nFlags & MK_SHIFT) != 0;
    if (drag == CKeyMapEditor::Drag::Scroll) {
        const double before = m_keyMap.Scroll();
        PadKeyRange unused{};
        m_keyMap.Move(pt, bShift, unused);
        if (m_keyMap.Scroll() != before) m_state.Redraw(CKeyMapEditor::Area());
        return true;
    }
    PadKeyRange range{};
    if (!ReadKeyRange(range)) return true;
    const PadKeyRange before = range;
    if (!m_keyMap.Move(pt, bShift, range)) return true;
    if (range.nLowKey == before.nLowKey && range.nHighKey == before.nHighKey &&
        range.nRootKey == before.nRootKey)
        return true;
    // One undo step for the whole drag, taken before its first change.
    if (!m_bChanged) m_state.Control()->Checkpoint();
    m_bChanged = true;
    m_state.m_bDirty = true;
    m_state.Control()->SetPadKeyRange(&range);
    m_state.Redraw(CKeyMapEditor::Area());
    if (m_state.m_onKeyRangeChanged) m_state.m_onKeyRangeChanged(range);
    return true;
}

bool CMiddleBand::OnLButtonUp(UINT, POINT) {
    // A slice drag puts back the selection its hovers replaced before the
    // page hands the drop to the Pad Editor.
    m_slices.EndDrag();
    const bool bDragging = m_keyMap.Dragging() != CKeyMapEditor::Drag::None;
    m_keyMap.Release();
    // The rest of the page learns of the new range once, at the release.
    if (m_bChanged) m_state.ProjectChanged();
    m_bChanged = false;
    return bDragging;
}

void CMiddleBand::ShowCurrentPad() {
    PadKeyRange range{};
    if (ReadKeyRange(range)) m_keyMap.ScrollToShow(range);
    Redraw();
}
