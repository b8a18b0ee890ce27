// Loads audio files into the Loop Bin or onto a pad through the control
// interface, selects the entry each load made and tells of a failure with the
// page's message for its status. Used by the file dialog and by files dropped
// from the desktop. UI thread.
#pragma once
#include "platform/com/Types.h"
#include <string>
#include <vector>

class CEditorState;
class CWnd;

class CBinLoader {
public:
    CBinLoader(CEditorState& state, CWnd* pOwner) : m_state(state), m_pOwner(pOwner) {}

    // Keeps the messages for Messages() instead of showing them: a desktop
    // drop is answered to its source before any message waits for the user.
    void Defer() { m_bDefer = true; }
    const std::vector<UINT>& Messages() const { return m_messages; }

    // One file into the Loop Bin; true when it loaded.
    bool ToBin(const std::wstring& path);
    // One file onto the pad as one undo step; a failed load is undone. True
    // when it loaded.
    bool ToPad(int nPad, const std::wstring& path);
    // The files in turn into the Loop Bin (nPad -1) or onto the pad, up to the
    // first that fails; returns how many loaded.
    int Load(const std::vector<std::wstring>& files, int nPad);

private:
    static bool IsLoaded(HRESULT hr, LONG nIndex, LONG nStatus);
    // Whether the load succeeded; selects what it loaded, shows the message.
    bool Settle(HRESULT hr, LONG nIndex, LONG nStatus);
    void Tell(UINT nText);

    CEditorState& m_state;
    CWnd* m_pOwner;
    bool m_bDefer = false;
    std::vector<UINT> m_messages; // deferred, in order
};
