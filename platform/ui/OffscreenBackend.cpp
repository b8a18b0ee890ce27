#include "platform/ui/OffscreenBackend.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/Wnd.h"
#include <algorithm>
#include <cmath>

namespace {
CWindowManager& Wm() { return CWindowManager::Instance(); }
} // namespace

bool COffscreenBackend::CreateNativeWindow(CWnd* pTop, const std::wstring&, SIZE, uintptr_t,
                                           double) {
    m_windows.push_back(pTop);
    return true;
}

void COffscreenBackend::DestroyNativeWindow(CWnd* pTop) { std::erase(m_windows, pTop); }

CWnd* COffscreenBackend::Topmost() const {
    if (CWnd* modal = Wm().ModalWindow()) return modal->GetTopLevel();
    return m_windows.empty() ? nullptr : m_windows.back();
}

POINT COffscreenBackend::ToPage(POINT pt) const {
    CWnd* top = Topmost();
    const double s = top ? Wm().ScaleOf(top) : 1.0;
    if (s == 1.0) return pt;
    return {static_cast<LONG>(std::floor(pt.x / s)), static_cast<LONG>(std::floor(pt.y / s))};
}

void COffscreenBackend::WarpPointer(POINT screen) {
    ++m_nWarps;
    // The real display reports the jump as a pointer move; so does this one.
    if (CWnd* top = Topmost())
        Wm().MouseMove(top, {screen.x - kOrigin.x, screen.y - kOrigin.y},
                       GetKeyState(VK_SHIFT) ? MK_SHIFT : 0);
}

void COffscreenBackend::Advance(uint64_t ms) {
    uint64_t target = m_now + ms;
    for (;;) {
        uint64_t due = Wm().NextTimerDue();
        if (due > target) break;
        m_now = std::max(m_now, due);
        Wm().FireDueTimers();
        Wm().Pump();
    }
    m_now = target;
    Wm().Pump();
}

void COffscreenBackend::MoveTo(POINT pt, UINT mods) {
    pt = ToPage(pt);
    if (CWnd* top = Topmost()) Wm().MouseMove(top, pt, mods);
    Wm().Pump();
}

void COffscreenBackend::ButtonDown(POINT pt, int button, UINT mods) {
    pt = ToPage(pt);
    if (CWnd* top = Topmost()) {
        Wm().MouseMove(top, pt, mods);
        Wm().MouseButton(top, button, true, pt, mods);
    }
    Wm().Pump();
}

void COffscreenBackend::ButtonUp(POINT pt, int button, UINT mods) {
    pt = ToPage(pt);
    if (CWnd* top = Topmost()) Wm().MouseButton(top, button, false, pt, mods);
    Wm().Pump();
}

void COffscreenBackend::Click(POINT pt, UINT mods) {
    ButtonDown(pt, 1, mods);
    ButtonUp(pt, 1, mods);
}

void COffscreenBackend::Wheel(POINT pt, int nDelta, UINT mods, bool bHorizontal) {
    pt = ToPage(pt);
    if (CWnd* top = Topmost()) Wm().MouseWheel(top, pt, nDelta, bHorizontal, mods);
    Wm().Pump();
}

void COffscreenBackend::KeyDown(UINT vk, wchar_t ch, UINT mods) {
    Wm().Key(vk, true, ch, mods);
    Wm().Pump();
}

void COffscreenBackend::KeyUp(UINT vk, UINT mods) {
    Wm().Key(vk, false, 0, mods);
    Wm().Pump();
}

void COffscreenBackend::Press(UINT vk, wchar_t ch, UINT mods) {
    KeyDown(vk, ch, mods);
    KeyUp(vk, mods);
}

void COffscreenBackend::Type(const std::wstring& text) {
    for (wchar_t c : text) {
        UINT vk = (c >= L'a' && c <= L'z') ? c - L'a' + 'A' : static_cast<UINT>(c);
        Press(vk, c);
    }
}

DWORD COffscreenBackend::DropFiles(const std::vector<std::wstring>& files, POINT pt) {
    CWnd* top = Topmost();
    if (!top) return DROPEFFECT_NONE;
    CDropData data{{CF_HDROP}, files};
    pt = ToPage(pt);
    POINT screen{pt.x + kOrigin.x, pt.y + kOrigin.y};
    if (Wm().DragEnter(top, data, screen) == DROPEFFECT_NONE) {
        Wm().DragLeave();
        return DROPEFFECT_NONE;
    }
    Wm().DragOver(top, screen);
    return Wm().Drop(top, data, screen);
}
