#include "platform/ui/Wnd.h"
#include "platform/ui/DC.h"
#include "platform/ui/WindowManager.h"
#include <algorithm>

namespace {
CWindowManager& Wm() { return CWindowManager::Instance(); }
constexpr size_t kMaxUpdateRects = 16;
} // namespace

CWnd::~CWnd() { DestroyWindow(); }

bool CWnd::Create(CWnd* pParent, const RECT& rc, UINT nID, bool bVisible) {
    if (m_bCreated || !pParent || !pParent->m_bCreated) return false;
    m_pParent = pParent;
    m_rect = rc;
    m_nID = nID;
    m_bVisible = bVisible;
    m_bCreated = true;
    pParent->m_children.push_back(this);
    if (bVisible) Invalidate();
    return true;
}

bool CWnd::CreateTopLevel(const std::wstring& title, SIZE size, uintptr_t nativeParent,
                          double dHostScale) {
    if (m_bCreated) return false;
    m_rect = {0, 0, size.cx, size.cy};
    m_strText = title;
    m_bCreated = true;
    if (!Wm().AddTopLevel(this, title, size, nativeParent, dHostScale)) {
        m_bCreated = false;
        return false;
    }
    Invalidate(true);
    return true;
}

// Invalidates rc (pWnd's client pixels) in pWnd and in every visible
// descendant under it: what a window leaves uncovered must be drawn again.
static void InvalidateUnder(CWnd* pWnd, const RECT& rc) {
    pWnd->InvalidateRect(&rc);
    for (CWnd* c : pWnd->Children()) {
        RECT r = c->GetRectInParent();
        RECT part = rc.Intersect(r);
        if (!part.IsEmpty() && c->IsWindowVisible())
            InvalidateUnder(c, part.Offset(-r.left, -r.top));
    }
}

void CWnd::Uncover() {
    if (m_pParent) InvalidateUnder(m_pParent, m_rect);
}

void CWnd::Detach() {
    if (m_pParent) {
        auto& v = m_pParent->m_children;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        InvalidateUnder(m_pParent, m_rect);
    }
    m_pParent = nullptr;
}

void CWnd::DestroyWindow() {
    if (!m_bCreated) return;
    OnDestroy();
    // Children go first, as the platform destroys them with their parent.
    while (!m_children.empty()) m_children.back()->DestroyWindow();
    Wm().ForgetWindow(this);
    Detach();
    m_bCreated = false;
    m_update.clear();
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT pt = PointFromLParam(lParam);
    UINT flags = static_cast<UINT>(wParam);
    switch (msg) {
    case WM_PAINT:
        if (wParam) OnPaint(*reinterpret_cast<CDC*>(wParam));
        return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(flags, pt); return 0;
    case WM_LBUTTONUP: OnLButtonUp(flags, pt); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(flags, pt); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(flags, pt); return 0;
    case WM_RBUTTONUP: OnRButtonUp(flags, pt); return 0;
    case WM_MOUSEMOVE: OnMouseMove(flags, pt); return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        const auto delta = static_cast<short>(HIWORD(wParam));
        const BOOL handled = msg == WM_MOUSEWHEEL ? OnMouseWheel(LOWORD(wParam), delta, pt)
                                                  : OnMouseHWheel(LOWORD(wParam), delta, pt);
        if (!handled && m_pParent != nullptr) m_pParent->SendMessage(msg, wParam, lParam);
        return 0;
    }
    case WM_KEYDOWN: OnKeyDown(flags, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_KEYUP: OnKeyUp(flags, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_CHAR: OnChar(flags, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_SETFOCUS: OnSetFocus(reinterpret_cast<CWnd*>(wParam)); return 0;
    case WM_KILLFOCUS: OnKillFocus(reinterpret_cast<CWnd*>(wParam)); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<CWnd*>(lParam)); return 0;
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<CWnd*>(lParam));
        return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_NEXTDLGCTL: {
        // The focus moves on from the child holding it (or holding its holder).
        CWnd* pCur = GetFocus();
        while (pCur && pCur->m_pParent != this) pCur = pCur->m_pParent;
        if (CWnd* pNext = GetNextDlgTabItem(pCur, wParam != 0)) pNext->SetFocus();
        return 0;
    }
    default: return 0;
    }
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return m_bCreated ? WindowProc(msg, wParam, lParam) : 0;
}

bool CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!m_bCreated) return false;
    Wm().Post(this, msg, wParam, lParam);
    return true;
}

CWnd* CWnd::GetTopLevel() {
    CWnd* p = this;
    while (p->m_pParent) p = p->m_pParent;
    return p;
}

CWnd* CWnd::GetDlgItem(UINT nID) const {
    for (CWnd* c : m_children)
        if (c->m_nID == nID) return c;
    return nullptr;
}

CWnd* CWnd::GetNextDlgTabItem(const CWnd* pCtl, bool bPrevious) const {
    const size_t n = m_children.size();
    auto it = std::find(m_children.begin(), m_children.end(), pCtl);
    // Not a child: start just before the first (after the last).
    size_t i = it != m_children.end() ? static_cast<size_t>(it - m_children.begin())
                                      : (bPrevious ? 0 : n - 1);
    for (size_t k = 1; k <= n; ++k) {
        CWnd* c = m_children[bPrevious ? (i + n - k) % n : (i + k) % n];
        if (c->m_bTabStop && c->m_bEnabled && c->IsWindowVisible()) return c;
    }
    return nullptr;
}

CWnd* CWnd::ChildFromPoint(POINT pt) {
    // Later children lie on top of earlier ones.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CWnd* c = *it;
        if (c->m_bVisible && c->m_bEnabled && c->m_rect.Contains(pt))
            return c->ChildFromPoint({pt.x - c->m_rect.left, pt.y - c->m_rect.top});
    }
    return this;
}

bool CWnd::IsChildOf(const CWnd* pAncestor) const {
    for (const CWnd* p = this; p; p = p->m_pParent)
        if (p == pAncestor) return true;
    return false;
}

POINT CWnd::OffsetInTopLevel() const {
    POINT o{};
    for (const CWnd* p = this; p->m_pParent; p = p->m_pParent) {
        o.x += p->m_rect.left;
        o.y += p->m_rect.top;
    }
    return o;
}

POINT CWnd::ClientToScreen(POINT pt) const {
    const CWnd* top = this;
    while (top->m_pParent) top = top->m_pParent;
    POINT org = Wm().ClientOrigin(const_cast<CWnd*>(top));
    POINT o = OffsetInTopLevel();
    return {pt.x + o.x + org.x, pt.y + o.y + org.y};
}

POINT CWnd::ScreenToClient(POINT pt) const {
    POINT zero = ClientToScreen({0, 0});
    return {pt.x - zero.x, pt.y - zero.y};
}

RECT CWnd::GetWindowRect() const {
    POINT p = ClientToScreen({0, 0});
    return RectXYWH(p.x, p.y, m_rect.Width(), m_rect.Height());
}

void CWnd::MoveWindow(const RECT& rc, bool bRepaint) {
    if (bRepaint) Uncover();
    m_rect = m_pParent ? rc : RECT{0, 0, rc.Width(), rc.Height()};
    if (bRepaint) Invalidate(true);
}

void CWnd::ShowWindow(bool bShow) {
    if (m_bVisible == bShow) return;
    m_bVisible = bShow;
    if (!m_pParent && m_bCreated) Wm().ShowTopLevel(this, bShow);
    if (!bShow) Uncover();
    if (bShow) Invalidate(true);
}

bool CWnd::IsWindowVisible() const {
    for (const CWnd* p = this; p; p = p->m_pParent)
        if (!p->m_bVisible || !p->m_bCreated) return false;
    return true;
}

void CWnd::Invalidate(bool bAllChildren) {
    InvalidateRect(nullptr);
    if (bAllChildren)
        for (CWnd* c : m_children) c->Invalidate(true);
}

void CWnd::InvalidateRect(const RECT* pRect) {
    if (!m_bCreated) return;
    RECT rc = pRect ? pRect->Intersect(GetClientRect()) : GetClientRect();
    if (rc.IsEmpty()) return;
    for (const RECT& u : m_update)
        if (u.Intersect(rc) == rc) return; // already covered
    if (m_update.size() >= kMaxUpdateRects) {
        // Too many pieces: one bounding rectangle keeps the bookkeeping small.
        RECT b = rc;
        for (const RECT& u : m_update)
            b = {std::min(b.left, u.left), std::min(b.top, u.top), std::max(b.right, u.right),
                 std::max(b.bottom, u.bottom)};
        m_update.assign(1, b);
        return;
    }
    m_update.push_back(rc);
}

void CWnd::ValidateRect(const RECT* pRect) {
    if (!pRect) {
        m_update.clear();
        return;
    }
    // Only whole rectangles inside the validated one are dropped.
    m_update.erase(std::remove_if(m_update.begin(), m_update.end(),
                                  [&](const RECT& u) { return pRect->Intersect(u) == u; }),
                   m_update.end());
}

void CWnd::UpdateWindow() {
    if (m_bCreated) Wm().PaintTopLevel(GetTopLevel());
}

CWnd* CWnd::SetCapture() { return Wm().SetCapture(this); }
CWnd* CWnd::SetFocus() { return Wm().SetFocus(this); }
UINT_PTR CWnd::SetTimer(UINT_PTR nID, UINT nElapseMs) {
    if (!m_bCreated) return 0;
    Wm().SetTimer(this, nID, nElapseMs);
    return nID;
}
bool CWnd::KillTimer(UINT_PTR nID) { return Wm().KillTimer(this, nID); }
CWnd* CWnd::GetCapture() { return Wm().Capture(); }
void CWnd::ReleaseCapture() { Wm().ReleaseCapture(); }
CWnd* CWnd::GetFocus() { return Wm().Focus(); }

void CWnd::SetFont(CFont* pFont, bool bRedraw) {
    m_pFont = pFont;
    if (bRedraw) Invalidate();
}

void CWnd::SetWindowText(const std::wstring& text) {
    m_strText = text;
    Invalidate();
}

void CWnd::OnPaint(CDC&) {}
