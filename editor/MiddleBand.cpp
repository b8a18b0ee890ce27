#include "editor/MiddleBand.h"
#include "editor/EditorState.h"
#include "editor/PageLayout.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"

CMiddleBand::CMiddleBand(CEditorState& state) : CPageRegion(state, kBandRect) {}

void CMiddleBand::Paint(CDC& dc, const RECT&) {
    const UINT id = m_state.m_view == BandView::KeyMap ? IDB_BAND_KEYMAP : IDB_BAND_SLICES;
    if (const CBitmap* b = CSkin::Get(id))
        dc.DrawBitmap(*b, m_rc.left, m_rc.top, b->Width(), b->Height(), 0, 0);
}

bool CMiddleBand::OnLButtonDown(UINT, POINT pt) {
    BandView view = m_state.m_view;
    if (kKeyMapTabRect.Contains(pt))
        view = BandView::KeyMap;
    else if (kSliceTabRect.Contains(pt))
        view = BandView::Slices;
    if (view != m_state.m_view) {
        m_state.m_view = view;
        Redraw();
    }
    return true;
}
