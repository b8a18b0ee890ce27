// The page's keyboard: grain navigation with audition, Delete, undo and redo,
// the numeric keypad's pitch steps and F1; and the Slice Inspector's view of
// the selected grain, which the navigation keeps up to date.
#include "editor/PadEditor.h"
#include "editor/PageHelp.h"
#include "editor/SliceSettings.h"
#include "editor/VudivuVizezudPropPage.h"
#include "interfaces/PandrelConstants.h"
#include "platform/ui/Edit.h"
#include "platform/ui/WindowManager.h"
#include <algorithm>

namespace {
constexpr UINT kKeyZ = 'Z';

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

} // namespace

// Keys of toggles, knobs and bitmap buttons come here; their characters are
// swallowed. Edits and combo boxes keep their own typing.
BOOL CVudivuVizezudPropPage::FilterMessage(CWnd* pCtrl, UINT msg, WPARAM wParam, LPARAM,
                                           LRESULT* pResult) {
    if (!m_controls.HasCallback(pCtrl)) return FALSE;
    if (msg != WM_KEYDOWN && msg != WM_KEYUP && msg != WM_CHAR) return FALSE;
    if (msg == WM_KEYDOWN) HandleKey(static_cast<UINT>(wParam));
    if (pResult != nullptr) *pResult = 0;
    return TRUE;
}

void CVudivuVizezudPropPage::OnKeyDown(UINT nChar, UINT, UINT) { HandleKey(nChar); }

bool CVudivuVizezudPropPage::HandleKey(UINT nChar) {
    switch (nChar) {
    case VK_LEFT: StepGrain(-1); return true;
    case VK_RIGHT: StepGrain(1); return true;
    case VK_UP: StepPad(-1); return true;
    case VK_DOWN: StepPad(1); return true;
    case VK_DELETE: DeleteGrains(); return true;
    case VK_ADD: NudgePitch(1); return true;
    case VK_SUBTRACT: NudgePitch(-1); return true;
    case VK_F1: ShowHelp(); return true;
    case VK_ESCAPE: return CancelDrag();
    case kKeyZ:
        if (!KeyHeld(VK_CONTROL)) return false;
        UndoRedo(KeyHeld(VK_SHIFT));
        return true;
    default: return false;
    }
}

// The grain before or after the first selected one, on its pad; the first and
// the last grain stay where they are and sound again.
void CVudivuVizezudPropPage::StepGrain(int nStep) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr || m_state.m_grains.IsEmpty()) return;
    const EventSelectionInfo first = m_state.m_grains[0];
    LONG nCount = 0;
    c->GetPadGrainCount(kKindPad, first.nRow, &nCount);
    if (nCount <= 0) return;
    SelectGrain(first.nRow, std::clamp<LONG>(first.nIndex + nStep, 0, nCount - 1));
}

// Grain 0 of the nearest pad above or below that has grains.
void CVudivuVizezudPropPage::StepPad(int nStep) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return;
    const int from = m_state.m_grains.IsEmpty() ? m_state.m_nCurrentPad
                                                : static_cast<int>(m_state.m_grains[0].nRow);
    for (int p = from + nStep; p >= 0 && p < kPadCount; p += nStep) {
        LONG nCount = 0;
        if (SUCCEEDED(c->GetPadGrainCount(kKindPad, p, &nCount)) && nCount > 0) {
            SelectGrain(p, 0);
            return;
        }
    }
}

void CVudivuVizezudPropPage::SelectGrain(int nPad, LONG nGrain) {
    m_state.m_grains.Clear();
    m_state.m_grains.Add(nPad, nGrain);
    RefreshSliceInspector();
    m_state.Control()->StartAudition(nPad, nGrain);
    m_pPadEditor->ScrollIntoView(nPad, nGrain);
    m_pPadEditor->Redraw();
}

void CVudivuVizezudPropPage::DeleteGrains() {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr || m_state.m_grains.IsEmpty()) return;
    c->Checkpoint();
    for (const EventSelectionInfo& g : m_state.m_grains.Items())
        c->RemoveGrain(g.nRow, g.nIndex, 1);
    c->CommitGrainEdits();
    m_state.m_grains.Clear();
    RefreshSliceInspector();
    m_state.ProjectChanged();
}

// Not while the pointer drags something: the drag's own state would be undone under it.
void CVudivuVizezudPropPage::UndoRedo(bool bRedo) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr || IsDragging()) return;
    if (bRedo)
        c->Redo();
    else
        c->Undo();
    m_state.ClearSelections();
    m_state.ProjectChanged();
}

void CVudivuVizezudPropPage::NudgePitch(int nDelta) {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return;
    for (const EventSelectionInfo& g : m_state.m_grains.Items()) {
        LONG nPitch = 0;
        if (FAILED(c->GetGrainPitch(g.nRow, g.nIndex, &nPitch))) continue;
        SetSlicePitch(nPitch + nDelta);
        c->StartAudition(g.nRow, g.nIndex);
    }
}

// The Slice Settings' pitch path: clamped to -24..24, shown on the knob and
// in its edit, written to the grain only while exactly one is selected.
void CVudivuVizezudPropPage::SetSlicePitch(LONG nSemitones) {
    m_pSliceSettings->SetPitch(nSemitones);
}

void CVudivuVizezudPropPage::RefreshSliceInspector() { m_pSliceSettings->Refresh(); }

void CVudivuVizezudPropPage::ShowHelp() { CPageHelp::Show(this); }
