// What the window manager needs of a display: native top-level windows, a
// clock, presenting back buffers, the pointer, and waiting for input.
// Implemented by the X11 and the offscreen backends. Points and rectangles
// here are page pixels (a window's client pixels divided by its scale, screen
// points likewise): a backend converts its native pixels at the edge, so a
// window of scale s is s times its page size on the display. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <cstdint>
#include <string>

class CBitmap;
class CCursor;
class CWnd;

class IUiBackend {
public:
    virtual ~IUiBackend() = default;
    // Milliseconds of a monotonic clock.
    virtual uint64_t NowMs() = 0;
    // A native window of size x scale pixels (size in page pixels).
    virtual bool CreateNativeWindow(CWnd* pTop, const std::wstring& title, SIZE size,
                                    uintptr_t nativeParent, double scale) = 0;
    // The window takes another scale: size x scale pixels from now on.
    virtual void SetNativeScale(CWnd* pTop, SIZE size, double scale) = 0;
    // The display's own factor (X11: Xft.dpi / 96), or 0 when it has none.
    virtual double DisplayScale() { return 0.0; }
    virtual void DestroyNativeWindow(CWnd* pTop) = 0;
    virtual void ShowNativeWindow(CWnd* pTop, bool bShow) = 0;
    // Screen position of the top-level's client origin.
    virtual POINT ClientOrigin(CWnd* pTop) = 0;
    // Copies rc (page pixels) of the top-level's back buffer to the screen.
    virtual void Present(CWnd* pTop, const CBitmap& buffer, const RECT& rc) = 0;
    virtual void SetCursor(const CCursor* pCursor) = 0;
    // Moves the pointer; the backend delivers the resulting pointer move.
    virtual void WarpPointer(POINT screen) = 0;
    // Keeps the pointer inside a screen rectangle, or frees it (nullptr).
    virtual void ConfinePointer(const RECT* pScreen) = 0;
    // Waits up to timeoutMs (-1: no limit) for input and hands it to the window
    // manager. False when no more input can come (display gone, or offscreen).
    virtual bool WaitEvents(int timeoutMs) = 0;
    // True when a person can answer dialogs drawn by the layer.
    virtual bool IsInteractive() const = 0;
};
