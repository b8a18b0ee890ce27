#include "editor/PadGrid.h"
#include "editor/EditorState.h"
#include "editor/PageLayout.h"
#include "interfaces/PandrelConstants.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Wnd.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include <algorithm>

namespace {
constexpr POINT kGridOrigin{135, 2};
} // namespace

// The paint rectangle spans the grid bitmap (from (135, 2)) and the hit area.
CPadGrid::CPadGrid(CEditorState& state) : CPageRegion(state, {135, 2, 496, 238}) {
    m_anShown.fill(-1);
}

int CPadGrid::PadAt(POINT pt) {
    const LONG col = (pt.x - kHit.left) * 4 / kHit.Width();
    const LONG row = (pt.y - kHit.top) * 4 / kHit.Height();
    return static_cast<int>(std::clamp<LONG>(row, 0, 3) * 4 + std::clamp<LONG>(col, 0, 3));
}

RECT CPadGrid::ImageRect(int nPad) {
    const POINT o = CPageLayout::PadCellOrigin(nPad);
    return {o.x, o.y - 38, o.x + 44, o.y};
}

RECT CPadGrid::FrameRect(int nPad) {
    return RectXYWH(137 + 89 * (nPad % 4), 4 + 57 * (nPad / 4), 90, 58);
}

void CPadGrid::RedrawCells() {
    IVudivuVizezud* c = m_state.Control();
    for (int p = 0; p < kPadCount; ++p) {
        BOOL bActive = FALSE;
        if (c != nullptr) c->GetPadActive(p, &bActive);
        if (m_anShown[p] != (bActive ? 1 : 0)) m_state.Redraw(ImageRect(p));
    }
}

void CPadGrid::RedrawFrame(int nPad) const { m_state.Redraw(FrameRect(nPad)); }

void CPadGrid::Paint(CDC& dc, const RECT& damage) {
    if (const CBitmap* grid = CSkin::Get(IDB_PADGRID))
        dc.DrawBitmap(*grid, kGridOrigin.x, kGridOrigin.y, grid->Width(), grid->Height(), 0, 0);
    IVudivuVizezud* c = m_state.Control();
    for (int p = 0; p < kPadCount; ++p) {
        const RECT cell = ImageRect(p);
        if (!cell.Intersects(damage)) continue;
        BOOL bActive = FALSE;
        if (c != nullptr) c->GetPadActive(p, &bActive);
        m_anShown[p] = bActive ? 1 : 0;
        if (const CBitmap* b = CSkin::Get(bActive ? PadLitBitmap(p) : PadUnlitBitmap(p)))
            dc.DrawBitmap(*b, cell.left, cell.top, cell.Width(), cell.Height(), 0, 0);
    }
    const RECT frame = FrameRect(m_state.m_nCurrentPad);
    CBrush none;
    dc.SelectObject(&none);
    CPen pen(PS_SOLID, 2, CPageTools::Colour(8));
    dc.SelectObject(&pen);
    dc.RoundRect(frame.left, frame.top, frame.right, frame.bottom, 1, 1);
    dc.SelectObject(m_state.m_tools.Pen(0));
}

bool CPadGrid::OnLButtonDown(UINT, POINT pt) {
    const int pad = PadAt(pt);
    m_state.SelectPad(pad);
    IVudivuVizezud* c = m_state.Control();
    if (c != nullptr && ImageRect(pad).Contains(pt)) {
        c->StartAudition(pad, -1);
        m_nSounding = pad;
    }
    return true;
}

bool CPadGrid::OnLButtonUp(UINT, POINT) {
    if (m_nSounding < 0) return false;
    if (IVudivuVizezud* c = m_state.Control()) c->StopAudition(m_nSounding);
    m_nSounding = -1;
    return true;
}

// The pad becomes current first, so the command applies to it; the check
// marks show whether it loops and whether it is synced.
bool CPadGrid::OnRButtonDown(UINT, POINT pt) {
    const int pad = PadAt(pt);
    m_state.SelectPad(pad);
    IVudivuVizezud* c = m_state.Control();
    CWnd* owner = m_state.m_pWnd;
    if (c == nullptr || owner == nullptr) return true;
    BOOL bLooping = FALSE, bSynced = FALSE;
    c->GetPadLooping(pad, &bLooping);
    c->GetPadSynced(pad, &bSynced);
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, ID_PAD_OPEN_FILE, L"Open Audio File");
    menu.AppendMenu(MF_STRING | (bLooping ? MF_CHECKED : 0), ID_PAD_LOOPING, L"Looping");
    menu.AppendMenu(MF_STRING | (bSynced ? MF_CHECKED : 0), ID_PAD_SYNCED, L"Synced Playback");
    menu.AppendMenu(MF_STRING, ID_PAD_CLEAR, L"Clear Pad");
    const POINT at = owner->ClientToScreen(pt);
    menu.TrackPopupMenu(0, at.x, at.y, owner);
    return true;
}
