// The display of a desktop: Xlib windows painted through cairo's Xlib surface,
// top-level or embedded in a host's window, with pointer warping and
// confinement and file drops by the XDND protocol (text/uri-list). A window
// of scale s is s times its page size; pointer positions are divided by s
// (rounded down) on the way in and warps multiplied (rounded up) on the way
// out, so a warp lands on the page pixel it names. UI thread.
#pragma once
#include "platform/ui/Backend.h"
#include <memory>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

class CX11Backend : public IUiBackend {
public:
    // Connects to the display (nullptr: $DISPLAY); nullptr when that fails.
    static std::unique_ptr<CX11Backend> Open(const char* pszDisplay = nullptr);
    ~CX11Backend() override;

    uint64_t NowMs() override;
    bool CreateNativeWindow(CWnd* pTop, const std::wstring& title, SIZE size,
                            uintptr_t nativeParent, double scale) override;
    void SetNativeScale(CWnd* pTop, SIZE size, double scale) override;
    // Xft.dpi / 96 from the server's resource database, 0 without it.
    double DisplayScale() override;
    void DestroyNativeWindow(CWnd* pTop) override;
    void ShowNativeWindow(CWnd* pTop, bool bShow) override;
    POINT ClientOrigin(CWnd* pTop) override;
    void Present(CWnd* pTop, const CBitmap& buffer, const RECT& rc) override;
    void SetCursor(const CCursor* pCursor) override;
    void WarpPointer(POINT screen) override;
    void ConfinePointer(const RECT* pScreen) override;
    bool WaitEvents(int timeoutMs) override;
    bool IsInteractive() const override { return true; }

    // The native window id of a top-level (for tools and embedding).
    unsigned long NativeWindow(CWnd* pTop) const;

private:
    struct Native;
    struct Dnd;
    explicit CX11Backend(Display* pDisplay);
    Native* Find(CWnd* pTop);
    Native* FindWindow(unsigned long win);
    // Window pixels of n to its page pixels, and root pixels to the layer's
    // screen points (the page-pixel origin plus page pixels).
    POINT ToPage(const Native& n, int x, int y) const;
    POINT RootToScreen(Native& n, int x, int y);
    POINT NativeOrigin(const Native& n) const;
    void SetSizeHints(const Native& n, int cx, int cy);
    void Handle(XEvent& ev);
    void HandleClientMessage(XEvent& ev, Native& n);
    void HandleSelection(XEvent& ev, Native& n);
    // The window of ours a drag message for win is meant for: a host that
    // embeds our window may name XdndProxy on its own window, and the source
    // then addresses that window in messages sent to ours. Null when win
    // holds none of ours or the message is no drag message.
    Native* DndProxied(unsigned long win, unsigned long type);
    void SendDndStatus(Native& n, bool bAccept);
    void SendDndFinished(Native& n, bool bAccepted);

    Display* m_pDisplay;
    std::vector<std::unique_ptr<Native>> m_windows;
    std::unique_ptr<Dnd> m_pDnd;
    unsigned long m_arrow = 0, m_custom = 0, m_current = 0;
    const CCursor* m_pCustomFor = nullptr;
    bool m_bGrabbed = false;
};
