#include "platform/ui/WindowManager.h"
#include "platform/ui/DC.h"
#include "platform/ui/UiScale.h"
#include "platform/ui/Wnd.h"
#include <algorithm>
#include <cairo.h>

CWindowManager& CWindowManager::Instance() {
    static CWindowManager wm;
    return wm;
}

void CWindowManager::SetBackend(std::unique_ptr<IUiBackend> pBackend) {
    m_pBackend = std::move(pBackend);
    m_queue.clear();
    m_timers.clear();
    m_modal.clear();
    m_pCapture = m_pFocus = m_pLastPress = nullptr;
    m_pDragTarget = nullptr;
    m_pCursor = CCursor::Arrow();
    m_bClip = false;
    m_mods = m_buttons = 0;
    m_script.Clear();
}

CWindowManager::TopLevel* CWindowManager::Find(const CWnd* pTop) {
    for (auto& t : m_topData)
        if (t->pWnd == pTop) return t.get();
    return nullptr;
}
const CWindowManager::TopLevel* CWindowManager::Find(const CWnd* pTop) const {
    for (auto& t : m_topData)
        if (t->pWnd == pTop) return t.get();
    return nullptr;
}

bool CWindowManager::AddTopLevel(CWnd* pTop, const std::wstring& title, SIZE size,
                                 uintptr_t nativeParent, double dHostScale) {
    if (!m_pBackend) return false;
    auto t = std::make_unique<TopLevel>();
    t->pWnd = pTop;
    t->scale = ResolveUiScale(dHostScale, m_pBackend->DisplayScale());
    if (!t->buffer.Create(size.cx, size.cy, t->scale)) return false;
    if (!m_pBackend->CreateNativeWindow(pTop, title, size, nativeParent, t->scale)) return false;
    m_tops.push_back(pTop);
    m_topData.push_back(std::move(t));
    return true;
}

double CWindowManager::ScaleOf(const CWnd* pTop) const {
    const TopLevel* t = Find(pTop);
    return t ? t->scale : 1.0;
}

void CWindowManager::SetTopLevelScale(CWnd* pTop, double dHostScale) {
    TopLevel* t = Find(pTop);
    if (!t || !m_pBackend) return;
    const double scale = ResolveUiScale(dHostScale, m_pBackend->DisplayScale());
    if (scale == t->scale) return;
    CBitmap buffer;
    if (!buffer.Create(t->buffer.Width(), t->buffer.Height(), scale)) return;
    t->buffer = std::move(buffer);
    t->scale = scale;
    t->present.clear();
    m_pBackend->SetNativeScale(pTop, t->buffer.GetSize(), scale);
    pTop->Invalidate(true);
}

void CWindowManager::ShowTopLevel(CWnd* pTop, bool bShow) {
    if (m_pBackend && Find(pTop)) m_pBackend->ShowNativeWindow(pTop, bShow);
}

void CWindowManager::ForgetWindow(CWnd* pWnd) {
    if (m_pCapture == pWnd) ReleaseCapture();
    if (m_pFocus == pWnd) m_pFocus = nullptr;
    if (m_pLastPress == pWnd) m_pLastPress = nullptr;
    if (pWnd->GetDropTarget() == m_pDragTarget) m_pDragTarget = nullptr;
    std::erase_if(m_queue, [&](const Posted& p) { return p.pWnd == pWnd; });
    std::erase_if(m_timers, [&](const Timer& t) { return t.pWnd == pWnd; });
    for (Modal& m : m_modal)
        if (m.pWnd == pWnd && !m.bDone) m.bDone = true;
    if (Find(pWnd)) {
        if (m_pBackend) m_pBackend->DestroyNativeWindow(pWnd);
        std::erase(m_tops, pWnd);
        std::erase_if(m_topData, [&](const auto& t) { return t->pWnd == pWnd; });
    }
}

POINT CWindowManager::ClientOrigin(CWnd* pTop) const {
    return (m_pBackend && Find(pTop)) ? m_pBackend->ClientOrigin(pTop) : POINT{};
}

CBitmap* CWindowManager::BackBuffer(CWnd* pTop) {
    TopLevel* t = Find(pTop);
    return t ? &t->buffer : nullptr;
}

void CWindowManager::Post(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    m_queue.push_back({pWnd, msg, wParam, lParam});
}

void CWindowManager::Pump() {
    // A message may post more; a window destroyed meanwhile has its entries removed.
    while (!m_queue.empty()) {
        Posted p = m_queue.front();
        m_queue.pop_front();
        p.pWnd->SendMessage(p.msg, p.wParam, p.lParam);
    }
    PaintInvalid();
}

UINT CWindowManager::RegisterWindowMessage(const std::wstring& name) {
    auto it = m_registered.find(name);
    if (it != m_registered.end()) return it->second;
    UINT id = 0xC000 + static_cast<UINT>(m_registered.size());
    m_registered.emplace(name, id);
    return id;
}

// Paints every invalid window of one top-level, parents before children, each
// clipped to its update rectangles less its visible children (the children
// paint their own pixels), then presents what changed in one transfer.
void CWindowManager::PaintTree(TopLevel& top, CWnd* pWnd, const std::vector<RECT>& occluders) {
    if (!pWnd->IsWindowVisible()) return;
    if (!pWnd->UpdateRects().empty()) {
        std::vector<RECT> rects;
        pWnd->TakeUpdateRects(rects);
        cairo_region_t* rgn = cairo_region_create();
        for (const RECT& r : rects) {
            cairo_rectangle_int_t ri{r.left, r.top, r.Width(), r.Height()};
            cairo_region_union_rectangle(rgn, &ri);
        }
        for (CWnd* c : pWnd->Children()) {
            if (!c->IsWindowVisible()) continue;
            RECT r = c->GetRectInParent();
            cairo_rectangle_int_t ri{r.left, r.top, r.Width(), r.Height()};
            cairo_region_subtract_rectangle(rgn, &ri);
        }
        // Siblings above this window (its own or its ancestors') keep their pixels.
        POINT at = pWnd->OffsetInTopLevel();
        for (const RECT& o : occluders) {
            cairo_rectangle_int_t ri{o.left - at.x, o.top - at.y, o.Width(), o.Height()};
            cairo_region_subtract_rectangle(rgn, &ri);
        }
        std::vector<RECT> clip;
        for (int i = 0, n = cairo_region_num_rectangles(rgn); i < n; ++i) {
            cairo_rectangle_int_t ri;
            cairo_region_get_rectangle(rgn, i, &ri);
            clip.push_back(RectXYWH(ri.x, ri.y, ri.width, ri.height));
        }
        cairo_region_destroy(rgn);
        if (!clip.empty()) {
            POINT o = pWnd->OffsetInTopLevel();
            {
                CDC dc(top.buffer.Surface(), o, clip);
                pWnd->SendMessage(WM_PAINT, reinterpret_cast<WPARAM>(&dc), 0);
            }
            for (const RECT& r : clip) top.present.push_back(r.Offset(o.x, o.y));
        }
    }
    // The list may change while children paint; walk a copy. Each child is
    // covered by the visible children after it that overlap it. Children
    // with nothing to paint below them are passed by without that work.
    std::vector<CWnd*> kids = pWnd->Children();
    POINT at = pWnd->OffsetInTopLevel();
    auto alive = [&](size_t i) {
        const auto& now = pWnd->Children();
        if (now.size() == kids.size() && now[i] == kids[i]) return true;
        return std::find(now.begin(), now.end(), kids[i]) != now.end();
    };
    std::vector<RECT> above;
    for (size_t i = 0; i < kids.size(); ++i) {
        if (!alive(i) || !NeedsPaint(kids[i])) continue;
        const RECT mine = kids[i]->GetRectInParent().Offset(at.x, at.y);
        above.clear();
        for (const RECT& o : occluders)
            if (o.Intersects(mine)) above.push_back(o);
        for (size_t j = i + 1; j < kids.size(); ++j) {
            if (!kids[j]->IsWindowVisible() || !alive(j)) continue;
            const RECT r = kids[j]->GetRectInParent().Offset(at.x, at.y);
            if (r.Intersects(mine)) above.push_back(r);
        }
        PaintTree(top, kids[i], above);
    }
}

// Whether a visible window or one of its visible descendants has something to paint.
bool CWindowManager::NeedsPaint(const CWnd* pWnd) {
    if (!pWnd->IsWindowVisible()) return false;
    if (!pWnd->UpdateRects().empty()) return true;
    for (const CWnd* c : pWnd->Children())
        if (NeedsPaint(c)) return true;
    return false;
}

void CWindowManager::PaintTopLevel(CWnd* pTop) {
    TopLevel* t = Find(pTop);
    if (!t) return;
    PaintTree(*t, pTop, {});
    if (t->present.empty() || !m_pBackend) return;
    RECT box = t->present.front();
    for (const RECT& r : t->present)
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    t->present.clear();
    m_pBackend->Present(pTop, t->buffer, box);
}

void CWindowManager::PaintInvalid() {
    std::vector<CWnd*> tops = m_tops;
    for (CWnd* w : tops)
        if (Find(w)) PaintTopLevel(w);
}

void CWindowManager::ExposeArea(CWnd* pTop, const RECT& rc) {
    // The back buffer already holds the picture: show it again.
    if (TopLevel* t = Find(pTop); t && m_pBackend) m_pBackend->Present(pTop, t->buffer, rc);
}

CWnd* CWindowManager::SetCapture(CWnd* pWnd) {
    CWnd* old = m_pCapture;
    if (old == pWnd) return old;
    m_pCapture = pWnd;
    if (old) old->SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(pWnd));
    return old;
}

void CWindowManager::ReleaseCapture() {
    CWnd* old = m_pCapture;
    m_pCapture = nullptr;
    if (old) old->SendMessage(WM_CAPTURECHANGED, 0, 0);
}

CWnd* CWindowManager::SetFocus(CWnd* pWnd) {
    CWnd* old = m_pFocus;
    if (old == pWnd) return old;
    m_pFocus = pWnd;
    if (old) old->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(pWnd), 0);
    // The loser's handler may have moved the focus on; only tell a window that still has it.
    if (pWnd && m_pFocus == pWnd) pWnd->SendMessage(WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HCURSOR CWindowManager::SetCursor(HCURSOR h) {
    HCURSOR old = m_pCursor;
    m_pCursor = h ? h : CCursor::Arrow();
    if (m_pBackend && old != m_pCursor) m_pBackend->SetCursor(m_pCursor);
    return old;
}

void CWindowManager::ClipCursor(const RECT* pScreen) {
    m_bClip = pScreen != nullptr;
    if (pScreen) m_clip = *pScreen;
    if (m_pBackend) m_pBackend->ConfinePointer(pScreen);
}

void CWindowManager::SetCursorPos(POINT screen) {
    m_pointer = screen;
    if (m_pBackend) m_pBackend->WarpPointer(screen);
}

bool CWindowManager::IsKeyDown(UINT vk) const {
    if (vk == VK_SHIFT) return m_mods & MK_SHIFT;
    if (vk == VK_CONTROL) return m_mods & MK_CONTROL;
    return false;
}

void CWindowManager::SetTimer(CWnd* pWnd, UINT_PTR nID, UINT nMs) {
    KillTimer(pWnd, nID); // setting an existing id restarts it
    m_timers.push_back({pWnd, nID, std::max(1u, nMs), Now() + std::max(1u, nMs)});
}

bool CWindowManager::KillTimer(CWnd* pWnd, UINT_PTR nID) {
    return std::erase_if(m_timers, [&](const Timer& t) { return t.pWnd == pWnd && t.nID == nID; }) >
           0;
}

uint64_t CWindowManager::NextTimerDue() const {
    uint64_t due = UINT64_MAX;
    for (const Timer& t : m_timers) due = std::min(due, t.due);
    return due;
}

void CWindowManager::FireDueTimers() {
    uint64_t now = Now();
    std::vector<Timer> due;
    for (Timer& t : m_timers) {
        if (t.due > now) continue;
        due.push_back(t);
        // A late timer fires once, not once per missed period.
        t.due = std::max(t.due + t.nMs, now + 1);
    }
    for (const Timer& t : due) {
        bool alive = std::any_of(m_timers.begin(), m_timers.end(), [&](const Timer& x) {
            return x.pWnd == t.pWnd && x.nID == t.nID;
        });
        if (alive) t.pWnd->SendMessage(WM_TIMER, t.nID, 0);
    }
}

void CWindowManager::Run(CWnd* pMain) {
    Pump();
    while (pMain->IsWindow() && m_pBackend) {
        uint64_t next = NextTimerDue(), now = Now();
        int timeout = next == UINT64_MAX ? -1 : static_cast<int>(next > now ? next - now : 0);
        if (!m_pBackend->WaitEvents(timeout)) break;
        FireDueTimers();
        Pump();
    }
}

int CWindowManager::RunModal(CWnd* pDialog, int nDefault) {
    m_modal.push_back({pDialog, false, nDefault});
    size_t idx = m_modal.size() - 1;
    if (m_pCapture) ReleaseCapture();
    Pump();
    while (!m_modal[idx].bDone) {
        uint64_t next = NextTimerDue(), now = Now();
        int timeout = next == UINT64_MAX ? -1 : static_cast<int>(next > now ? next - now : 0);
        if (!m_pBackend || !m_pBackend->WaitEvents(timeout)) break;
        FireDueTimers();
        Pump();
    }
    int result = m_modal[idx].nResult;
    m_modal.resize(idx);
    return result;
}

void CWindowManager::EndModal(CWnd* pDialog, int nResult) {
    for (Modal& m : m_modal)
        if (m.pWnd == pDialog && !m.bDone) m.bDone = true, m.nResult = nResult;
}

short GetKeyState(int vk) {
    return CWindowManager::Instance().IsKeyDown(static_cast<UINT>(vk)) ? static_cast<short>(0x8000)
                                                                       : 0;
}
UINT RegisterWindowMessage(const wchar_t* pszName) {
    return CWindowManager::Instance().RegisterWindowMessage(pszName ? pszName : L"");
}
HCURSOR SetCursor(HCURSOR h) { return CWindowManager::Instance().SetCursor(h); }
void ClipCursor(const RECT* pScreen) { CWindowManager::Instance().ClipCursor(pScreen); }
void SetCursorPos(int x, int y) { CWindowManager::Instance().SetCursorPos({x, y}); }
POINT GetCursorPos() { return CWindowManager::Instance().GetCursorPos(); }
void RegisterDragDrop(CWnd* pWnd, IDropTarget* pTarget) { pWnd->SetDropTarget(pTarget); }
void RevokeDragDrop(CWnd* pWnd) { pWnd->SetDropTarget(nullptr); }
