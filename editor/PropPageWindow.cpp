// The page's window: opening, painting through the background and its four
// regions, routing the pointer to the regions, the refresh timer, the full
// refresh and the current pad.
#include "editor/LoopBinList.h"
#include "editor/MiddleBand.h"
#include "editor/NoteNames.h"
#include "editor/PadEditor.h"
#include "editor/PadGrid.h"
#include "editor/ValueText.h"
#include "editor/VudivuVizezudPropPage.h"
#include "interfaces/PandrelConstants.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/DC.h"
#include "platform/ui/Static.h"
#include "platform/ui/WindowManager.h"
#include "resources/Cursors.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include <algorithm>
#include <string>

bool CVudivuVizezudPropPage::OnInitDialog() {
    RegisterDragDrop(this, this);
    if (!m_state.m_tools.Create()) return false;
    m_pLoopBin->Vertical().Set(400, 0, -1);
    m_pLoopBin->Horizontal().Set(200, 0, -1);
    m_pPadEditor->Horizontal().Set(800, 0, -1);
    m_pPadEditor->Vertical().Set(800, 0, -1);
    if (!m_controls.Create(this, this, m_state.m_tools)) return false;
    if (m_state.Control() != nullptr) Attached();
    SetTimer(kRefreshTimer, kRefreshMs);
    Invalidate(true);
    return true;
}

void CVudivuVizezudPropPage::OnDestroy() {
    KillTimer(kRefreshTimer);
    RevokeDragDrop(this);
    if (GetCapture() == this) ReleaseCapture();
    m_pPressed = nullptr;
    m_controls.Destroy();
}

void CVudivuVizezudPropPage::OnPaint(CDC& dc) {
    // While a drop is handled the paint only validates what it was asked for.
    if (m_nPaintSuspended > 0) return;
    const RECT damage = dc.GetClipBox();
    if (const CBitmap* bg = CSkin::Get(IDB_BACKGROUND))
        dc.DrawBitmap(*bg, 0, 0, bg->Width(), bg->Height(), 0, 0);
    for (CPageRegion* r : m_regions) {
        const RECT part = damage.Intersect(r->Rect());
        if (part.IsEmpty()) continue;
        dc.SaveDC();
        dc.IntersectClipRect(r->Rect());
        r->Paint(dc, part);
        dc.RestoreDC(-1);
    }
}

// Regions in the order they take the pointer: the pad grid first.
CPageRegion* CVudivuVizezudPropPage::RegionAt(POINT pt) const {
    for (CPageRegion* r :
         {static_cast<CPageRegion*>(m_pPadGrid.get()), static_cast<CPageRegion*>(m_pLoopBin.get()),
          static_cast<CPageRegion*>(m_pBand.get()), static_cast<CPageRegion*>(m_pPadEditor.get())})
        if (r->HitTest(pt)) return r;
    return nullptr;
}

bool CVudivuVizezudPropPage::IsDragging() const { return m_pPressed != nullptr; }

void CVudivuVizezudPropPage::OnLButtonDown(UINT nFlags, POINT pt) {
    SetFocus();
    CPageRegion* r = RegionAt(pt);
    if (r != nullptr && r->OnLButtonDown(nFlags, pt)) {
        m_pPressed = r;
        SetCapture();
    }
}

void CVudivuVizezudPropPage::OnLButtonUp(UINT nFlags, POINT pt) {
    CPageRegion* r = m_pPressed;
    m_pPressed = nullptr;
    if (GetCapture() == this) ReleaseCapture();
    if (r != nullptr) r->OnLButtonUp(nFlags, pt);
    // A Loop Bin file or slice drag ends at every release, dropped or not.
    if (m_state.m_binDrag.kind != BinDrag::Kind::None) {
        if (m_pPadEditor->HitTest(pt))
            m_pPadEditor->BinDrop(pt);
        else if (m_state.m_binDrag.kind == BinDrag::Kind::File && m_pPadGrid->HitTest(pt))
            m_state.AssignFileToPad(CPadGrid::PadAt(pt), m_state.m_binDrag.nFile);
        EndBinDrag();
    }
}

void CVudivuVizezudPropPage::EndBinDrag() {
    m_state.m_binDrag = {};
    m_pBand->Slices().EndDrag();
    SetCursor(CCursor::Arrow());
    m_pPadEditor->BinDragEnded();
}

// Escape ends the drag in progress with nothing changed.
bool CVudivuVizezudPropPage::CancelDrag() {
    bool bCancelled = false;
    if (m_pPressed == m_pPadEditor.get() && m_pPadEditor->CancelDrag()) {
        m_pPressed = nullptr;
        if (GetCapture() == this) ReleaseCapture();
        bCancelled = true;
    }
    if (m_state.m_binDrag.kind != BinDrag::Kind::None) {
        EndBinDrag();
        bCancelled = true;
    }
    return bCancelled;
}

// A second press the region gives no meaning of its own is a press, so a
// file or slice clicked and then dragged at once still drags.
void CVudivuVizezudPropPage::OnLButtonDblClk(UINT nFlags, POINT pt) {
    CPageRegion* r = RegionAt(pt);
    if (r == nullptr) return;
    if (r->OnLButtonDblClk(nFlags, pt) || r->OnLButtonDown(nFlags, pt)) {
        m_pPressed = r;
        SetCapture();
    }
}

void CVudivuVizezudPropPage::OnRButtonDown(UINT nFlags, POINT pt) {
    if (CPageRegion* r = RegionAt(pt)) r->OnRButtonDown(nFlags, pt);
}

void CVudivuVizezudPropPage::OnMouseMove(UINT nFlags, POINT pt) {
    if (m_pPressed != nullptr)
        m_pPressed->OnMouseMove(nFlags, pt);
    else if (CPageRegion* r = RegionAt(pt))
        r->OnMouseMove(nFlags, pt);
    if (m_state.m_binDrag.kind != BinDrag::Kind::None) {
        SetCursor(CCursors::Load(L"DRAGCOPY"));
        m_pPadEditor->BinDragMove(pt);
        if (m_state.m_binDrag.kind == BinDrag::Kind::Slices)
            m_pBand->Slices().DragOver(CSliceView::GrainAt(*m_pPadEditor, pt));
    }
}

// The wheel scrolls the Pad Editor under the pointer; a sideways turn is time.
BOOL CVudivuVizezudPropPage::OnMouseWheel(UINT nFlags, short zDelta, POINT pt) {
    pt = ScreenToClient(pt);
    return m_pPadEditor->HitTest(pt) && m_pPadEditor->OnMouseWheel(nFlags, zDelta, pt);
}

BOOL CVudivuVizezudPropPage::OnMouseHWheel(UINT nFlags, short zDelta, POINT pt) {
    pt = ScreenToClient(pt);
    return m_pPadEditor->HitTest(pt) &&
           m_pPadEditor->OnMouseWheel((nFlags & ~MK_CONTROL) | MK_SHIFT, -zDelta, pt);
}

// Every 200 ms: the pad images follow the engine; everything is read again
// only when the engine asks for it with 1.
void CVudivuVizezudPropPage::OnTimer(UINT_PTR nID) {
    if (nID == kDropMessageTimer) return ShowDropMessages();
    if (nID != kRefreshTimer || m_state.Control() == nullptr) return;
    LONG nRequest = 0;
    m_state.Control()->TakeRefreshRequest(&nRequest);
    m_pPadGrid->RedrawCells();
    if (nRequest != 1) return;
    KillTimer(kRefreshTimer);
    RefreshAll();
    SetTimer(kRefreshTimer, kRefreshMs);
}

void CVudivuVizezudPropPage::RefreshAll() {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr || !IsWindow()) return;
    BOOL bOn = FALSE;
    c->GetClickAudition(&bOn);
    m_controls.SetToggle(IDC_AUDITION, bOn);
    ReadPadSettings();
    RefreshSliceInspector();
    for (CPageRegion* r : m_regions) {
        r->Refresh();
        r->Redraw();
    }
}

// The toggles and knobs of every pad, the current pad's check boxes and the
// two value texts. A synced pad shows looping on; a pad not looping shows synced off.
void CVudivuVizezudPropPage::ReadPadSettings() {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return;
    for (int p = 0; p < kPadCount; ++p) {
        BOOL bMute = FALSE, bSolo = FALSE, bSynced = FALSE, bLooping = FALSE;
        float fVolume = 1.0f, fPan = 0.5f;
        c->GetPadMute(p, &bMute);
        c->GetPadSolo(p, &bSolo);
        c->GetPadSynced(p, &bSynced);
        c->GetPadLooping(p, &bLooping);
        c->GetPadVolume(p, &fVolume);
        c->GetPadPan(p, &fPan);
        const UINT n = static_cast<UINT>(p);
        m_controls.SetToggle(PadMuteId(p), bMute);
        m_controls.SetToggle(IDC_PAD_SOLO + n, bSolo);
        m_controls.SetToggle(IDC_PAD_SYNCED + n, bSynced && bLooping);
        m_controls.SetToggle(IDC_PAD_LOOPING + n, bLooping || bSynced);
        if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_PAD_VOLUME + n))
            k->SetPosition(fVolume * 0.5f);
        if (CBitmapKnobCtrl* k = m_controls.Knob(IDC_PAD_PAN + n)) k->SetPosition(fPan);
        if (p != m_state.m_nCurrentPad) continue;
        if (auto* s = dynamic_cast<CStatic*>(m_controls.Get(IDC_VOLUME_TEXT)))
            s->SetWindowText(CValueText::Gain(fVolume));
        if (auto* s = dynamic_cast<CStatic*>(m_controls.Get(IDC_PAN_TEXT)))
            s->SetWindowText(CValueText::Pan(fPan));
    }
    const int pad = m_state.m_nCurrentPad;
    BOOL bLatch = FALSE, bTails = FALSE, bMarkers = FALSE;
    c->GetPadLatch(pad, &bLatch);
    c->GetPadTails(pad, &bTails);
    c->GetPadPitchMarkers(pad, &bMarkers);
    m_controls.SetToggle(IDC_LATCH, bLatch);
    m_controls.SetToggle(IDC_TAILS, bTails);
    m_controls.SetToggle(IDC_PITCH_MARKERS, bMarkers);
    RefreshPadInspector();
}

// The current pad's routing and key range into the inspector's combos and edits.
void CVudivuVizezudPropPage::RefreshPadInspector() {
    IVudivuVizezud* c = m_state.Control();
    const LONG pad = m_state.m_nCurrentPad;
    PadKeyRange range{pad, 0, 127, 60, 0, 127};
    LONG nOutput = 0, nChannel = -1, nRoot = -1;
    c->GetPadKeyRange(&range);
    c->GetPadOutput(pad, &nOutput);
    c->GetPadMidiChannel(pad, &nChannel);
    c->GetPadRoot(pad, &nRoot);
    ShowKeyRange(range);
    auto select = [&](UINT id, LONG nIndex) {
        if (auto* box = dynamic_cast<CComboBox*>(m_controls.Get(id)))
            box->SetCurSel(nIndex >= 0 && nIndex < box->GetCount() ? static_cast<int>(nIndex) : 0);
    };
    select(1143, nOutput);
    select(1170, nChannel + 1);
    select(1171, nRoot + 1);
    select(1174, m_state.m_nSnap);
}

// The five edits of a key range: velocities as numbers, keys as note names.
void CVudivuVizezudPropPage::ShowKeyRange(const PadKeyRange& range) {
    auto text = [&](UINT id, const std::wstring& s) {
        if (CWnd* e = m_controls.Get(id)) e->SetWindowText(s);
    };
    text(1141, std::to_wstring(range.nLowVelocity));
    text(1142, std::to_wstring(range.nHighVelocity));
    text(1140, CNoteNames::NameWithOctave(range.nRootKey));
    text(1139, CNoteNames::NameWithOctave(range.nLowKey));
    text(1138, CNoteNames::NameWithOctave(range.nHighKey));
}

void CVudivuVizezudPropPage::SelectPad(int nPad) {
    nPad = std::clamp(nPad, 0, kPadCount - 1);
    m_pPadGrid->RedrawFrame(m_state.m_nCurrentPad);
    m_state.m_nCurrentPad = nPad;
    m_pPadGrid->RedrawFrame(nPad);
    ReadPadSettings();
    RefreshSliceInspector();
    m_pPadEditor->Redraw();
    m_pLoopBin->Redraw();
    m_pBand->ShowCurrentPad();
}
