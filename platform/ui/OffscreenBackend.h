// A display without a screen, for tests: top-level windows live in memory at
// fixed screen positions, time moves only when told, and input is injected.
// Injected pointer positions are window pixels, as a display reports them:
// at scale s the backend hands the window manager (x / s, y / s) in page
// pixels, so a click at (2x, 2y) of a window at scale 2 lands on (x, y).
// UI thread.
#pragma once
#include "platform/ui/Backend.h"
#include "platform/ui/DropTarget.h"
#include <string>
#include <vector>

class COffscreenBackend : public IUiBackend {
public:
    // Top-level windows are placed with their client origin at this screen point.
    static constexpr POINT kOrigin{100, 50};

    uint64_t NowMs() override { return m_now; }
    bool CreateNativeWindow(CWnd* pTop, const std::wstring& title, SIZE size, uintptr_t,
                            double scale) override;
    void SetNativeScale(CWnd*, SIZE, double) override {}
    // What the display says of its own factor (Xft.dpi / 96 on X11); 0: nothing.
    double DisplayScale() override { return m_dDisplayScale; }
    void SetDisplayScale(double s) { m_dDisplayScale = s; }
    void DestroyNativeWindow(CWnd* pTop) override;
    void ShowNativeWindow(CWnd*, bool) override {}
    POINT ClientOrigin(CWnd*) override { return kOrigin; }
    void Present(CWnd*, const CBitmap&, const RECT& rc) override { m_presented.push_back(rc); }
    void SetCursor(const CCursor* p) override { m_pCursor = p; }
    void WarpPointer(POINT screen) override;
    void ConfinePointer(const RECT* p) override { m_bConfined = p != nullptr; }
    bool WaitEvents(int) override { return false; }
    bool IsInteractive() const override { return false; }

    // Moves the clock on, firing each timer as often as its period fits.
    void Advance(uint64_t ms);

    // Input in window pixels (client pixels x scale) of the topmost window
    // (the modal one, if any).
    void MoveTo(POINT pt, UINT mods = 0);
    void ButtonDown(POINT pt, int button = 1, UINT mods = 0);
    void ButtonUp(POINT pt, int button = 1, UINT mods = 0);
    void Click(POINT pt, UINT mods = 0);
    // nDelta in WHEEL_DELTA units a notch, positive up (or right).
    void Wheel(POINT pt, int nDelta, UINT mods = 0, bool bHorizontal = false);
    void KeyDown(UINT vk, wchar_t ch = 0, UINT mods = 0);
    void KeyUp(UINT vk, UINT mods = 0);
    void Press(UINT vk, wchar_t ch = 0, UINT mods = 0);
    void Type(const std::wstring& text);
    DWORD DropFiles(const std::vector<std::wstring>& files, POINT pt);

    const CCursor* Cursor() const { return m_pCursor; }
    bool IsConfined() const { return m_bConfined; }
    int WarpCount() const { return m_nWarps; }
    std::vector<RECT>& Presented() { return m_presented; }
    CWnd* Topmost() const;

private:
    // A window pixel of the topmost window in its page pixels.
    POINT ToPage(POINT pt) const;
    uint64_t m_now = 1000;
    std::vector<CWnd*> m_windows;
    std::vector<RECT> m_presented;
    const CCursor* m_pCursor = nullptr;
    bool m_bConfined = false;
    int m_nWarps = 0;
    double m_dDisplayScale = 0.0;
};
