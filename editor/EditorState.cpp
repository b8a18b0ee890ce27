#include "editor/EditorState.h"
#include "platform/ui/Wnd.h"

void CEditorState::Redraw(const RECT& rc) const {
    if (m_pWnd != nullptr && m_pWnd->IsWindow()) m_pWnd->InvalidateRect(&rc);
}

void CEditorState::SelectPad(int nPad) {
    if (m_onSelectPad)
        m_onSelectPad(nPad);
    else
        m_nCurrentPad = nPad;
}

void CEditorState::ProjectChanged() {
    m_bDirty = true;
    if (IVudivuVizezud* c = Control()) c->RequestRefresh(1);
}

bool CEditorState::AssignFileToPad(int nPad, LONG nFile) {
    IVudivuVizezud* c = Control();
    if (c == nullptr) return false;
    c->Checkpoint();
    if (FAILED(c->AssignFileToPad(nPad, nFile))) {
        c->Undo();
        return false;
    }
    // The pad's grains were replaced: selected indexes no longer name them.
    m_grains.Clear();
    SelectPad(nPad);
    ProjectChanged();
    return true;
}

void CEditorState::SettingChanging(UINT nGesture) {
    if (nGesture == 0 || nGesture != m_nGesture)
        if (IVudivuVizezud* c = Control()) c->Checkpoint();
    m_nGesture = nGesture;
    m_bDirty = true;
}
