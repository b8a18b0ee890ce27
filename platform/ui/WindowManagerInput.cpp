// Routing of pointer, key, close and drop input from the backend to windows.
#include "platform/ui/WindowManager.h"
#include "platform/ui/Wnd.h"
#include <algorithm>
#include <cstdlib>

namespace {
constexpr uint64_t kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 4;
} // namespace

bool CWindowManager::InputAllowed(CWnd* pTop) const {
    // While a modal window runs, only its own top-level takes input.
    CWnd* modal = ModalWindow();
    return !modal || modal->GetTopLevel() == pTop;
}

bool CWindowManager::TargetAllowed(CWnd* pTarget) const {
    // A modal window shown inside a top-level keeps the rest of it from input.
    CWnd* modal = ModalWindow();
    return !modal || pTarget->IsChildOf(modal);
}

UINT CWindowManager::MouseFlags(UINT mods) const {
    return (mods & (MK_SHIFT | MK_CONTROL)) | m_buttons;
}

CWnd* CWindowManager::MouseTarget(CWnd* pTop, POINT pt, POINT& local) {
    POINT screen = pTop->ClientToScreen(pt);
    CWnd* target = m_pCapture ? m_pCapture : pTop->ChildFromPoint(pt);
    local = target->ScreenToClient(screen);
    return target;
}

void CWindowManager::MouseButton(CWnd* pTop, int button, bool bDown, POINT pt, UINT mods) {
    if (!Find(pTop) || !InputAllowed(pTop)) return;
    m_mods = mods & (MK_SHIFT | MK_CONTROL);
    m_pointer = pTop->ClientToScreen(pt);
    UINT bit = button == 1 ? MK_LBUTTON : button == 3 ? MK_RBUTTON : 0;
    if (!bit) return;
    if (bDown)
        m_buttons |= bit;
    else
        m_buttons &= ~bit;
    POINT local;
    CWnd* target = MouseTarget(pTop, pt, local);
    if (!TargetAllowed(target)) return;
    UINT msg;
    if (bDown) {
        uint64_t now = Now();
        // A second press soon after and close to the first, on the same window,
        // is a double-click; a third starts over.
        bool dbl = !m_bLastWasDouble && m_pLastPress == target && m_nLastButton == button &&
                   now - m_nLastPressTime <= kDoubleClickMs &&
                   std::abs(m_pointer.x - m_lastPressPt.x) <= kDoubleClickSlop &&
                   std::abs(m_pointer.y - m_lastPressPt.y) <= kDoubleClickSlop;
        m_bLastWasDouble = dbl;
        m_pLastPress = target;
        m_nLastButton = button;
        m_nLastPressTime = now;
        m_lastPressPt = m_pointer;
        if (button == 1)
            msg = dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
        else
            msg = dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
    } else {
        msg = button == 1 ? WM_LBUTTONUP : WM_RBUTTONUP;
    }
    target->SendMessage(msg, MouseFlags(mods), LParamFromPoint(local));
}

void CWindowManager::MouseMove(CWnd* pTop, POINT pt, UINT mods) {
    if (!Find(pTop) || !InputAllowed(pTop)) return;
    m_mods = mods & (MK_SHIFT | MK_CONTROL);
    POINT screen = pTop->ClientToScreen(pt);
    if (m_bClip) {
        // The pointer cannot leave the confinement rectangle.
        screen.x = std::clamp(screen.x, m_clip.left, m_clip.right - 1);
        screen.y = std::clamp(screen.y, m_clip.top, m_clip.bottom - 1);
        pt = pTop->ScreenToClient(screen);
    }
    m_pointer = screen;
    POINT local;
    CWnd* target = MouseTarget(pTop, pt, local);
    if (!TargetAllowed(target)) return;
    target->SendMessage(WM_MOUSEMOVE, MouseFlags(mods), LParamFromPoint(local));
}

void CWindowManager::MouseWheel(CWnd* pTop, POINT pt, int nDelta, bool bHorizontal, UINT mods) {
    if (!Find(pTop) || !InputAllowed(pTop)) return;
    m_mods = mods & (MK_SHIFT | MK_CONTROL);
    POINT local;
    CWnd* target = MouseTarget(pTop, pt, local);
    if (!TargetAllowed(target)) return;
    target->SendMessage(bHorizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL,
                        MAKEWPARAM(static_cast<int>(MouseFlags(mods)), nDelta),
                        LParamFromPoint(pTop->ClientToScreen(pt)));
}

void CWindowManager::Key(UINT vk, bool bDown, wchar_t ch, UINT mods) {
    m_mods = mods & (MK_SHIFT | MK_CONTROL);
    if (vk == VK_SHIFT) m_mods = bDown ? (m_mods | MK_SHIFT) : (m_mods & ~MK_SHIFT);
    if (vk == VK_CONTROL) m_mods = bDown ? (m_mods | MK_CONTROL) : (m_mods & ~MK_CONTROL);
    CWnd* target = m_pFocus;
    if (target && !TargetAllowed(target)) target = nullptr;
    if (!target) target = ModalWindow();
    if (!target && !m_tops.empty()) target = m_tops.front();
    if (!target) return;
    if (bDown) {
        target->SendMessage(WM_KEYDOWN, vk, MAKELPARAM(1, 0));
        // The key's character follows, as translated key messages do; the
        // window may have lost the focus or gone meanwhile.
        if (ch && target->IsWindow())
            target->SendMessage(WM_CHAR, static_cast<WPARAM>(ch), MAKELPARAM(1, 0));
    } else {
        target->SendMessage(WM_KEYUP, vk, MAKELPARAM(1, 0));
    }
}

void CWindowManager::CloseRequest(CWnd* pTop) {
    if (Find(pTop)) pTop->SendMessage(WM_CLOSE);
}

IDropTarget* CWindowManager::DropTargetAt(CWnd* pTop, POINT screen) {
    if (!Find(pTop) || !InputAllowed(pTop)) return nullptr;
    POINT pt = pTop->ScreenToClient(screen);
    for (CWnd* w = pTop->ChildFromPoint(pt); w; w = w->GetParent())
        if (w->GetDropTarget()) return w->GetDropTarget();
    return nullptr;
}

DWORD CWindowManager::DragEnter(CWnd* pTop, const CDropData& data, POINT pt) {
    m_pDragTarget = DropTargetAt(pTop, pt);
    DWORD effect = DROPEFFECT_COPY;
    if (!m_pDragTarget || FAILED(m_pDragTarget->DragEnter(data, m_mods, pt, &effect)))
        return DROPEFFECT_NONE;
    return effect;
}

DWORD CWindowManager::DragOver(CWnd*, POINT pt) {
    DWORD effect = DROPEFFECT_COPY;
    if (!m_pDragTarget || FAILED(m_pDragTarget->DragOver(m_mods, pt, &effect)))
        return DROPEFFECT_NONE;
    return effect;
}

void CWindowManager::DragLeave() {
    if (m_pDragTarget) m_pDragTarget->DragLeave();
    m_pDragTarget = nullptr;
}

DWORD CWindowManager::Drop(CWnd* pTop, const CDropData& data, POINT pt) {
    IDropTarget* t = m_pDragTarget ? m_pDragTarget : DropTargetAt(pTop, pt);
    m_pDragTarget = nullptr;
    DWORD effect = DROPEFFECT_COPY;
    if (!t || FAILED(t->Drop(data, m_mods, pt, &effect))) return DROPEFFECT_NONE;
    Pump();
    return effect;
}
