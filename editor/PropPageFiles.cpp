// The page's files: the one file dialog for audio files and projects, the
// Loop Bin's delete key, and files dropped from the desktop onto the Loop
// Bin, the pad grid or a Pad Editor row.
#include "editor/BinLoader.h"
#include "editor/LoopBinList.h"
#include "editor/PadEditor.h"
#include "editor/PadGrid.h"
#include "editor/VudivuVizezudPropPage.h"
#include "platform/kernel/TextConvert.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include <cwctype>
#include <filesystem>

namespace {
int Ask(CWnd* pOwner, UINT nText, UINT nType) {
    return MessageBox(pOwner, CStringTable::Load(nText), CStringTable::Load(IDS_CAPTION), nType);
}

// The file a project save writes: ".pnd" is added unless the name ends in it
// (in any case), as SaveProject does.
std::wstring SavedProjectPath(std::wstring path) {
    std::wstring end = path.size() >= 4 ? path.substr(path.size() - 4) : L"";
    for (wchar_t& ch : end) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    return end == L".pnd" ? path : path + L".pnd";
}

// The dialog asks before replacing the file it names; the save adds ".pnd"
// to a name without it, so it would write over another file unasked. True
// when that file exists and the user chose not to replace it.
bool ReplacesUnasked(CWnd* pOwner, const std::wstring& chosen) {
    const std::wstring saved = SavedProjectPath(chosen);
    std::error_code ec;
    if (saved == chosen || !std::filesystem::exists(saved, ec)) return false;
    const std::wstring name = std::filesystem::path(saved).filename().wstring();
    return MessageBox(pOwner, name + L" already exists.\nDo you want to replace it?", L"Save",
                      MB_YESNO | MB_ICONEXCLAMATION) != IDYES;
}
} // namespace

HRESULT CVudivuVizezudPropPage::SetProjectPath(const char* pszPath) {
    const std::filesystem::path path = WideFromUtf8(pszPath != nullptr ? pszPath : "");
    std::error_code ec;
    const std::filesystem::path absolute =
        path.empty() ? path : std::filesystem::absolute(path, ec);
    m_strProjectPath = ec ? path.wstring() : absolute.wstring();
    return S_OK;
}

bool CVudivuVizezudPropPage::OnProjectFile(bool bSave) {
    return OnFileDialog(bSave ? FileMode::SaveProject : FileMode::OpenProject);
}

bool CVudivuVizezudPropPage::OpenPadAudioFile() { return OnFileDialog(FileMode::PadWave); }

// A project load that corrected the output format (S_FALSE) has loaded the
// project: only a failing result is an error there.
bool CVudivuVizezudPropPage::OnFileDialog(FileMode mode) {
    const bool bProject = mode == FileMode::OpenProject || mode == FileMode::SaveProject;
    const int pad = m_state.m_nCurrentPad;
    UINT nToggle = IDC_LOAD_FILES;
    if (mode == FileMode::PadWave) nToggle = IDC_PAD_OPEN + static_cast<UINT>(pad);
    if (mode == FileMode::OpenProject) nToggle = IDC_OPEN_PROJECT;
    if (mode == FileMode::SaveProject) nToggle = IDC_SAVE_PROJECT;
    bool bDone = false;
    IVudivuVizezud* c = m_state.Control();
    // The dialog takes the pointer from the pressed toggle, so its release
    // cannot flip the toggle back after it popped out.
    if (GetCapture() != nullptr) ReleaseCapture();
    if (c != nullptr) {
        // Saving proposes the project's own file (asking before replacing it).
        std::wstring proposal = mode == FileMode::SaveProject ? m_strProjectPath : std::wstring();
        std::wstring chosenPath, chosenName;
        for (;;) {
            CFileDialog dlg(mode == FileMode::SaveProject ? FALSE : TRUE, nullptr,
                            proposal.empty() ? nullptr : proposal.c_str(),
                            OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                            bProject ? L"Pnd Files (*.pnd)|*.pnd||" : L"Wave Files (*.wav)|*.wav||",
                            this);
            if (dlg.DoModal() != IDOK) break;
            chosenPath = dlg.GetPathName(), chosenName = dlg.GetFileName();
            if (mode != FileMode::SaveProject || !ReplacesUnasked(this, chosenPath)) break;
            chosenPath.clear();
            proposal = dlg.GetPathName(); // the dialog comes back with the name typed
        }
        if (!chosenPath.empty()) {
            // A save changes nothing the page shows: what is selected stays.
            if (mode != FileMode::SaveProject) {
                m_state.ClearSelections();
                m_state.m_nSelectedFile = -1;
            }
            CBinLoader loader(m_state, this);
            if (mode == FileMode::BinWave) {
                bDone = loader.ToBin(chosenPath);
            } else if (mode == FileMode::PadWave) {
                bDone = loader.ToPad(pad, chosenPath);
                ReadPadSettings(); // the load sets the pad's looping and sync
            } else {
                char name[kTextBufferLength], path[kTextBufferLength];
                WideToMultiByte(chosenName.c_str(), name);
                WideToMultiByte(chosenPath.c_str(), path);
                const bool bSave = mode == FileMode::SaveProject;
                const HRESULT hr = bSave ? c->SaveProject(name, path) : c->LoadProject(name, path);
                if (FAILED(hr)) {
                    Ask(this, bSave ? IDS_SAVE_ERROR : IDS_PROJECT_LOAD_ERROR,
                        MB_OK | MB_ICONEXCLAMATION);
                } else {
                    m_state.m_bDirty = false, bDone = true;
                    m_strProjectPath = bSave ? SavedProjectPath(chosenPath) : chosenPath;
                }
            }
        }
        if (CWnd* play = m_controls.Get(IDC_PLAY)) play->SetFocus();
        c->RequestRefresh(1);
    }
    m_controls.SetToggle(nToggle, FALSE);
    return bDone;
}

// Deleting a file takes the grains cut from it; the entry before it becomes
// the selected one (none when the first went).
void CVudivuVizezudPropPage::OnDeleteFile() {
    IVudivuVizezud* c = m_state.Control();
    if (GetCapture() != nullptr) ReleaseCapture();
    if (c != nullptr) {
        const LONG file = m_state.m_nSelectedFile;
        if (file < 0) {
            Ask(this, IDS_SELECT_FILE, MB_OK | MB_ICONEXCLAMATION);
        } else if (Ask(this, IDS_DELETE_FILE, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            m_state.ClearSelections();
            c->DeleteFile(file);
            m_state.m_nSelectedFile = file - 1;
            m_state.m_bDirty = true;
        }
        c->RequestRefresh(1);
    }
    m_controls.SetToggle(IDC_DELETE_FILE, FALSE);
}

// Painting waits while the files load. On the Loop Bin list they go into the
// bin; on the pad grid or a Pad Editor row onto that pad, which becomes
// current. The source hears of a copy only when something loaded.
HRESULT CVudivuVizezudPropPage::Drop(const CDropData& data, DWORD, POINT pt, DWORD* pdwEffect) {
    if (pdwEffect == nullptr) return E_POINTER;
    m_bDropAccepted = false;
    *pdwEffect = DROPEFFECT_NONE;
    IVudivuVizezud* c = m_state.Control();
    if (!data.HasFormat(CF_HDROP) || c == nullptr) return S_OK;
    const POINT at = ScreenToClient(pt);
    int pad = -2; // -1: the Loop Bin; -2: nowhere that takes files
    if (m_pPadGrid->HitTest(at))
        pad = CPadGrid::PadAt(at);
    else if (kLoopBinRect.Contains(at))
        pad = -1;
    else if (m_pPadEditor->HitTest(at) && m_pPadEditor->RowAt(at) >= 0 &&
             m_pPadEditor->RowAt(at) < kPadCount)
        pad = m_pPadEditor->RowAt(at);
    if (pad == -2) return S_OK;
    ++m_nPaintSuspended;
    if (pad >= 0) SelectPad(pad);
    m_state.ClearSelections();
    CBinLoader loader(m_state, this);
    loader.Defer();
    if (loader.Load(data.files, pad) > 0) *pdwEffect = DROPEFFECT_COPY;
    if (pad >= 0) ReadPadSettings();
    --m_nPaintSuspended;
    c->RequestRefresh(1);
    Invalidate();
    // The messages wait until the source has heard the answer and let go.
    m_dropMessages = loader.Messages();
    if (!m_dropMessages.empty()) SetTimer(kDropMessageTimer, 100);
    return S_OK;
}

void CVudivuVizezudPropPage::ShowDropMessages() {
    KillTimer(kDropMessageTimer);
    const std::vector<UINT> messages = std::move(m_dropMessages);
    m_dropMessages.clear();
    for (UINT nText : messages) Ask(this, nText, MB_OK | MB_ICONEXCLAMATION);
}
