// The page's commands: the top bar (open, save and clear the project, play,
// stop, the audition switch), help, and the keys of the Loop Bin and the pads
// that lead to the file dialog.
#include "editor/PadEditor.h"
#include "editor/PadGrid.h"
#include "editor/PadSettings.h"
#include "editor/SliceSettings.h"
#include "editor/VudivuVizezudPropPage.h"
#include "platform/kernel/TextConvert.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowManager.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include <algorithm>

namespace {
// The Pad Editor's snap combo and zoom buttons.
constexpr UINT IDC_SNAP = 1174;
constexpr UINT IDC_ZOOM_TIME_IN = 1127, IDC_ZOOM_TIME_OUT = 1128;
constexpr UINT IDC_ZOOM_ROWS_IN = 1129, IDC_ZOOM_ROWS_OUT = 1130;

int Ask(CWnd* pOwner, UINT nText, UINT nType) {
    return MessageBox(pOwner, CStringTable::Load(nText), CStringTable::Load(IDS_CAPTION), nType);
}
} // namespace

BOOL CVudivuVizezudPropPage::OnCommand(WPARAM wParam, LPARAM) {
    const UINT id = LOWORD(wParam);
    if (id == ID_HELP_CONTENTS) {
        ShowHelp();
        return TRUE;
    }
    if (id == IDC_SNAP && HIWORD(wParam) == CBN_SELCHANGE) {
        if (auto* box = dynamic_cast<CComboBox*>(m_controls.Get(IDC_SNAP)))
            m_state.m_nSnap = std::clamp(box->GetCurSel(), 0, CPadEditor::kSnapCount - 1);
        return TRUE;
    }
    if (OnPadCommand(id, HIWORD(wParam))) return TRUE;
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    if (id >= IDC_PAD_OPEN && id < IDC_PAD_OPEN + kPadCount) {
        SelectPad(static_cast<int>(id - IDC_PAD_OPEN));
        OpenPadAudioFile();
        return TRUE;
    }
    switch (id) {
    case IDC_ZOOM_TIME_IN: m_pPadEditor->ZoomTime(true); return TRUE;
    case IDC_ZOOM_TIME_OUT: m_pPadEditor->ZoomTime(false); return TRUE;
    case IDC_ZOOM_ROWS_IN: m_pPadEditor->ZoomRows(true); return TRUE;
    case IDC_ZOOM_ROWS_OUT: m_pPadEditor->ZoomRows(false); return TRUE;
    case IDC_OPEN_PROJECT: OnProjectFile(false); return TRUE;
    case IDC_SAVE_PROJECT: OnProjectFile(true); return TRUE;
    case IDC_CLEAR_PROJECT: OnClearProject(); return TRUE;
    case IDC_PLAY: OnPlay(); return TRUE;
    case IDC_STOP: OnStop(); return TRUE;
    case IDC_AUDITION: OnAudition(); return TRUE;
    case IDC_LOAD_FILES: OnFileDialog(FileMode::BinWave); return TRUE;
    case IDC_DELETE_FILE: OnDeleteFile(); return TRUE;
    default: return FALSE;
    }
}

// The pad cells' toggles, the pad menu, and the commits of the Pad and Slice
// Settings' edits (on losing the focus) and combos (also on closing the list).
bool CVudivuVizezudPropPage::OnPadCommand(UINT nID, int nCode) {
    const int pad = m_state.m_nCurrentPad;
    switch (nCode) {
    case BN_CLICKED:
        switch (nID) {
        case ID_PAD_OPEN_FILE: OpenPadAudioFile(); return true;
        case ID_PAD_LOOPING: m_pPadSettings->ToggleLooping(pad); return true;
        case ID_PAD_SYNCED: m_pPadSettings->ToggleSynced(pad); return true;
        case ID_PAD_CLEAR: m_pPadSettings->ClearPad(pad); return true;
        default: return m_pPadSettings->OnToggle(nID, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
        }
    case EN_KILLFOCUS: return m_pPadSettings->CommitEdit(nID) || m_pSliceSettings->CommitEdit(nID);
    case CBN_KILLFOCUS:
    case CBN_CLOSEUP: return m_pPadSettings->CommitCombo(nID);
    default: return false;
    }
}

// Return in an edit or a combo box commits it as losing the focus does.
LRESULT CVudivuVizezudPropPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    static const UINT kEditReturn = RegisterWindowMessage(L"vudivuvizezud_edit_return_key");
    static const UINT kComboReturn = RegisterWindowMessage(L"vudivuvizezud_combo_return_key");
    const auto id = static_cast<UINT>(wParam);
    if (msg != kEditReturn && msg != kComboReturn) return CWnd::WindowProc(msg, wParam, lParam);
    OnPadCommand(id, msg == kEditReturn ? EN_KILLFOCUS : CBN_KILLFOCUS);
    return 0;
}

// A knob reports each turn; the end of a drag or of a wheel notch closes its undo step.
void CVudivuVizezudPropPage::OnVScroll(UINT nCode, UINT nPos, CWnd* pCtrl) {
    if (pCtrl == nullptr) return;
    if (nCode == CBitmapKnobCtrl::kEndTrack) return m_state.EndGesture();
    if (nCode != SB_THUMBTRACK) return;
    const UINT id = pCtrl->GetDlgCtrlID();
    if (!m_pPadSettings->OnKnob(id, static_cast<int>(nPos)))
        m_pSliceSettings->OnKnob(id, static_cast<int>(nPos));
}

// The timer stays off while the question is up, so no refresh runs under it.
void CVudivuVizezudPropPage::OnClearProject() {
    IVudivuVizezud* c = m_state.Control();
    if (c == nullptr) return;
    KillTimer(kRefreshTimer);
    if (Ask(this, IDS_CLEAR_PROJECT, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        m_state.m_nSelectedFile = -1;
        SelectPad(0);
        m_state.ClearSelections();
        c->ClearProject();
        c->RequestRefresh(1);
        m_state.m_bDirty = false;
        // A new project: the Save dialog keeps the folder but proposes no name.
        const size_t slash = m_strProjectPath.rfind(L'/');
        m_strProjectPath.resize(slash == std::wstring::npos ? 0 : slash + 1);
    }
    if (IsWindow()) SetTimer(kRefreshTimer, kRefreshMs);
}

void CVudivuVizezudPropPage::OnPlay() {
    IVudivuVizezud* c = m_state.Control();
    const CBitmapToggleCtrl* play = m_controls.Toggle(IDC_PLAY);
    if (c == nullptr || play == nullptr) return;
    if (play->m_nState != 0) {
        if (m_state.m_nSelectedFile >= 0) c->StartFilePreview(m_state.m_nSelectedFile, -1);
        return;
    }
    c->StopFilePreview(-1);
    c->StopAudition(-1);
    c->RequestRefresh(2);
}

void CVudivuVizezudPropPage::OnStop() {
    if (IVudivuVizezud* c = m_state.Control()) {
        c->StopFilePreview(-1);
        c->StopAudition(-1);
        c->RequestRefresh(2);
    }
    m_controls.SetToggle(IDC_PLAY, FALSE);
}

void CVudivuVizezudPropPage::OnAudition() {
    const CBitmapToggleCtrl* t = m_controls.Toggle(IDC_AUDITION);
    if (IVudivuVizezud* c = m_state.Control(); c != nullptr && t != nullptr)
        c->SetClickAudition(t->m_nState != 0 ? TRUE : FALSE);
}

// A window of the page's own (a standalone host) asks before changes are lost;
// cancelling the save dialog keeps the page open.
void CVudivuVizezudPropPage::OnClose() {
    if (m_state.m_bDirty && m_state.Control() != nullptr &&
        Ask(this, IDS_SAVE_ON_CLOSE, MB_YESNO | MB_ICONQUESTION) == IDYES && !OnProjectFile(true))
        return;
    m_bCloseAsked = true;
}

HRESULT CVudivuVizezudPropPage::DragEnter(const CDropData& data, DWORD, POINT, DWORD* pdwEffect) {
    if (pdwEffect == nullptr) return E_POINTER;
    *pdwEffect = data.HasFormat(CF_HDROP) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    m_bDropAccepted = *pdwEffect == DROPEFFECT_COPY;
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::DragOver(DWORD, POINT, DWORD* pdwEffect) {
    if (pdwEffect == nullptr) return E_POINTER;
    *pdwEffect = m_bDropAccepted ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}
