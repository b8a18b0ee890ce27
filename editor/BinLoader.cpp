#include "editor/BinLoader.h"
#include "editor/EditorState.h"
#include "interfaces/PandrelConstants.h"
#include "platform/kernel/TextConvert.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include <filesystem>
#include <vector>

namespace {
// The file's name with its extension and its path as the engine takes them:
// UTF-8 in 260 bytes. False when the path does not fit, so that a cut path
// never names another file.
bool Narrow(const std::wstring& path, char (&name)[kTextBufferLength],
            char (&full)[kTextBufferLength]) {
    if (path.empty()) return false;
    std::vector<char> whole(path.size() * 4 + 1);
    const size_t n = WideToMultiByte(path.c_str(), whole.data(), whole.size());
    if (n >= kTextBufferLength) return false;
    WideToMultiByte(path.c_str(), full);
    WideToMultiByte(std::filesystem::path(path).filename().wstring().c_str(), name);
    return true;
}
} // namespace

void CBinLoader::Tell(UINT nText) {
    if (m_bDefer) return m_messages.push_back(nText);
    MessageBox(m_pOwner, CStringTable::Load(nText), CStringTable::Load(IDS_CAPTION),
               MB_OK | MB_ICONEXCLAMATION);
}

// A load that had to correct the engine's output format has loaded all the
// same: its entry is selected and kept, and the message asks for the patch.
bool CBinLoader::IsLoaded(HRESULT hr, LONG nIndex, LONG nStatus) {
    return SUCCEEDED(hr) && (nStatus == 0 || nStatus == kLoadStatusFormatChanged) && nIndex >= 0;
}

bool CBinLoader::Settle(HRESULT hr, LONG nIndex, LONG nStatus) {
    const bool bLoaded = IsLoaded(hr, nIndex, nStatus);
    if (bLoaded) {
        m_state.m_nSelectedFile = nIndex;
        m_state.m_bDirty = true;
    }
    if (bLoaded && nStatus == kLoadStatusFormatChanged)
        Tell(IDS_PATCH_AUDIO);
    else if (!bLoaded)
        Tell(nStatus == kLoadStatusBinFull ? IDS_BIN_FULL : IDS_LOAD_ERROR);
    return bLoaded;
}

bool CBinLoader::ToBin(const std::wstring& path) {
    IVudivuVizezud* c = m_state.Control();
    char name[kTextBufferLength], full[kTextBufferLength];
    if (c == nullptr) return false;
    if (!Narrow(path, name, full)) return Settle(E_INVALIDARG, -1, 0);
    LONG nIndex = -1, nStatus = 0;
    const HRESULT hr = c->LoadFileToBin(name, full, &nIndex, &nStatus);
    return Settle(hr, nIndex, nStatus);
}

bool CBinLoader::ToPad(int nPad, const std::wstring& path) {
    IVudivuVizezud* c = m_state.Control();
    char name[kTextBufferLength], full[kTextBufferLength];
    if (c == nullptr) return false;
    if (!Narrow(path, name, full)) return Settle(E_INVALIDARG, -1, 0);
    LONG nIndex = -1, nStatus = 0;
    c->Checkpoint();
    const HRESULT hr = c->LoadFileToPad(nPad, name, full, &nIndex, &nStatus);
    // The pad is put back before the message is up.
    if (!IsLoaded(hr, nIndex, nStatus)) c->Undo();
    return Settle(hr, nIndex, nStatus);
}

int CBinLoader::Load(const std::vector<std::wstring>& files, int nPad) {
    int n = 0;
    for (const std::wstring& f : files) {
        if (!(nPad < 0 ? ToBin(f) : ToPad(nPad, f))) break;
        ++n;
    }
    return n;
}
