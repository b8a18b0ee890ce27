#include "platform/ui/X11Backend.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Text.h"
#include "platform/ui/UiScale.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/X11Keys.h"
#include "platform/ui/X11Private.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <chrono>
#include <cmath>
#include <cstring>
#include <poll.h>

namespace {
Atom WmDelete(Display* d) { return XInternAtom(d, "WM_DELETE_WINDOW", False); }
CWindowManager& Wm() { return CWindowManager::Instance(); }

UINT Mods(unsigned state) {
    return ((state & ShiftMask) ? MK_SHIFT : 0) | ((state & ControlMask) ? MK_CONTROL : 0);
}
} // namespace

std::unique_ptr<CX11Backend> CX11Backend::Open(const char* pszDisplay) {
    Display* d = XOpenDisplay(pszDisplay);
    if (!d) return nullptr;
    return std::unique_ptr<CX11Backend>(new CX11Backend(d));
}

CX11Backend::CX11Backend(Display* d) : m_pDisplay(d), m_pDnd(std::make_unique<Dnd>()) {
    m_arrow = m_current = XCreateFontCursor(d, XC_left_ptr);
    Dnd& x = *m_pDnd;
    x.aEnter = XInternAtom(d, "XdndEnter", False);
    x.aPosition = XInternAtom(d, "XdndPosition", False);
    x.aStatus = XInternAtom(d, "XdndStatus", False);
    x.aLeave = XInternAtom(d, "XdndLeave", False);
    x.aDrop = XInternAtom(d, "XdndDrop", False);
    x.aFinished = XInternAtom(d, "XdndFinished", False);
    x.aSelection = XInternAtom(d, "XdndSelection", False);
    x.aTypeList = XInternAtom(d, "XdndTypeList", False);
    x.aCopy = XInternAtom(d, "XdndActionCopy", False);
    x.aUriList = XInternAtom(d, "text/uri-list", False);
    x.aProp = XInternAtom(d, "PANDREL_DROP", False);
}

CX11Backend::~CX11Backend() {
    for (auto& n : m_windows) {
        cairo_surface_destroy(n->pSurface);
        XDestroyWindow(m_pDisplay, n->win);
    }
    if (m_custom) XFreeCursor(m_pDisplay, m_custom);
    XFreeCursor(m_pDisplay, m_arrow);
    XCloseDisplay(m_pDisplay);
}

uint64_t CX11Backend::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

CX11Backend::Native* CX11Backend::Find(CWnd* pTop) {
    for (auto& n : m_windows)
        if (n->pTop == pTop) return n.get();
    return nullptr;
}

CX11Backend::Native* CX11Backend::FindWindow(unsigned long win) {
    for (auto& n : m_windows)
        if (n->win == win) return n.get();
    return nullptr;
}

unsigned long CX11Backend::NativeWindow(CWnd* pTop) const {
    for (auto& n : m_windows)
        if (n->pTop == pTop) return n->win;
    return 0;
}

double CX11Backend::DisplayScale() {
    return ScaleFromXResources(XResourceManagerString(m_pDisplay));
}

POINT CX11Backend::ToPage(const Native& n, int x, int y) const {
    if (n.scale == 1.0) return {x, y};
    return {static_cast<LONG>(std::floor(x / n.scale)), static_cast<LONG>(std::floor(y / n.scale))};
}

POINT CX11Backend::NativeOrigin(const Native& n) const {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(m_pDisplay, n.win, DefaultRootWindow(m_pDisplay), 0, 0, &x, &y, &child);
    return {x, y};
}

POINT CX11Backend::RootToScreen(Native& n, int x, int y) {
    const POINT o = NativeOrigin(n), org = ClientOrigin(n.pTop), p = ToPage(n, x - o.x, y - o.y);
    return {org.x + p.x, org.y + p.y};
}

void CX11Backend::SetSizeHints(const Native& n, int cx, int cy) {
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = cx;
    hints->min_height = hints->max_height = cy;
    XSetWMNormalHints(m_pDisplay, n.win, hints);
    XFree(hints);
}

bool CX11Backend::CreateNativeWindow(CWnd* pTop, const std::wstring& title, SIZE size,
                                     uintptr_t nativeParent, double scale) {
    Display* d = m_pDisplay;
    int scr = DefaultScreen(d);
    Window parent = nativeParent ? static_cast<Window>(nativeParent) : RootWindow(d, scr);
    const int cx = ScaledPixels(size.cx, scale), cy = ScaledPixels(size.cy, scale);
    Window w =
        XCreateSimpleWindow(d, parent, 0, 0, cx, cy, 0, BlackPixel(d, scr), BlackPixel(d, scr));
    if (!w) return false;
    // No background: the back buffer repaints every exposed pixel, without flicker.
    XSetWindowBackgroundPixmap(d, w, None);
    XSelectInput(d, w,
                 ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    std::string name = Utf8ForCairo(title);
    XStoreName(d, w, name.c_str());
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False),
                    XInternAtom(d, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(name.data()),
                    static_cast<int>(name.size()));
    Atom del = WmDelete(d);
    XSetWMProtocols(d, w, &del, 1);
    Atom version = 5;
    XChangeProperty(d, w, XInternAtom(d, "XdndAware", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
    // Embedded, the window may be named by its host's XdndProxy; a proxy must
    // name itself so, or sources ignore the host's property.
    if (nativeParent)
        XChangeProperty(d, w, XInternAtom(d, "XdndProxy", False), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&w), 1);
    XDefineCursor(d, w, m_current);
    cairo_surface_t* s = cairo_xlib_surface_create(d, w, DefaultVisual(d, scr), cx, cy);
    cairo_surface_set_device_scale(s, scale, scale);
    m_windows.push_back(std::make_unique<Native>(Native{pTop, w, s, scale}));
    SetSizeHints(*m_windows.back(), cx, cy);
    XMapWindow(d, w);
    XFlush(d);
    return true;
}

void CX11Backend::SetNativeScale(CWnd* pTop, SIZE size, double scale) {
    Native* n = Find(pTop);
    if (!n) return;
    const int cx = ScaledPixels(size.cx, scale), cy = ScaledPixels(size.cy, scale);
    n->scale = scale;
    SetSizeHints(*n, cx, cy);
    XResizeWindow(m_pDisplay, n->win, cx, cy);
    cairo_xlib_surface_set_size(n->pSurface, cx, cy);
    cairo_surface_set_device_scale(n->pSurface, scale, scale);
    XFlush(m_pDisplay);
}

void CX11Backend::DestroyNativeWindow(CWnd* pTop) {
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it) {
        if ((*it)->pTop != pTop) continue;
        cairo_surface_destroy((*it)->pSurface);
        XDestroyWindow(m_pDisplay, (*it)->win);
        m_windows.erase(it);
        XFlush(m_pDisplay);
        return;
    }
}

void CX11Backend::ShowNativeWindow(CWnd* pTop, bool bShow) {
    if (Native* n = Find(pTop)) {
        if (bShow)
            XMapWindow(m_pDisplay, n->win);
        else
            XUnmapWindow(m_pDisplay, n->win);
        XFlush(m_pDisplay);
    }
}

// The layer's screen points are page pixels: the window's root position divided by its scale.
POINT CX11Backend::ClientOrigin(CWnd* pTop) {
    Native* n = Find(pTop);
    if (!n) return {};
    const POINT o = NativeOrigin(*n);
    return ToPage(*n, o.x, o.y);
}

void CX11Backend::Present(CWnd* pTop, const CBitmap& buffer, const RECT& rc) {
    Native* n = Find(pTop);
    if (!n || rc.IsEmpty()) return;
    // Both surfaces have the window's scale: pixels are copied one to one, the
    // rectangle's edges rounded to whole pixels as the painting clipped them.
    cairo_t* cr = cairo_create(n->pSurface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, buffer.Surface(), 0, 0);
    cairo_rectangle(cr, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(n->pSurface);
    XFlush(m_pDisplay);
}

void CX11Backend::SetCursor(const CCursor* p) {
    unsigned long c = m_arrow;
    if (p && !p->IsArrow()) {
        if (m_pCustomFor != p) {
            if (m_custom) XFreeCursor(m_pDisplay, m_custom);
            m_custom = MakeX11Cursor(m_pDisplay, *p);
            m_pCustomFor = p;
        }
        if (m_custom) c = m_custom;
    }
    m_current = c;
    for (auto& n : m_windows) XDefineCursor(m_pDisplay, n->win, c);
    XFlush(m_pDisplay);
}

void CX11Backend::WarpPointer(POINT screen) {
    // Into the window under the point (else the newest), on the first native
    // pixel of the page pixel, which maps back to that page pixel.
    Native* target = m_windows.empty() ? nullptr : m_windows.back().get();
    for (auto& n : m_windows) {
        const POINT o = ClientOrigin(n->pTop);
        const RECT c = n->pTop->GetClientRect();
        if (RectXYWH(o.x, o.y, c.Width(), c.Height()).Contains(screen)) target = n.get();
    }
    POINT root = screen;
    if (target) {
        const POINT org = ClientOrigin(target->pTop), o = NativeOrigin(*target);
        root = {o.x + static_cast<LONG>(std::ceil((screen.x - org.x) * target->scale)),
                o.y + static_cast<LONG>(std::ceil((screen.y - org.y) * target->scale))};
    }
    XWarpPointer(m_pDisplay, None, DefaultRootWindow(m_pDisplay), 0, 0, 0, 0, root.x, root.y);
    XFlush(m_pDisplay);
}

void CX11Backend::ConfinePointer(const RECT* pScreen) {
    // The server confines to a window: the top-level under the rectangle. The
    // window manager clamps to the exact rectangle.
    if (m_bGrabbed) XUngrabPointer(m_pDisplay, CurrentTime), m_bGrabbed = false;
    if (pScreen && !m_windows.empty()) {
        Window w = m_windows.back()->win;
        for (auto& n : m_windows) {
            POINT o = ClientOrigin(n->pTop);
            RECT r = RectXYWH(o.x, o.y, n->pTop->GetClientRect().Width(),
                              n->pTop->GetClientRect().Height());
            if (r.Contains({pScreen->left, pScreen->top})) w = n->win;
        }
        m_bGrabbed =
            XGrabPointer(m_pDisplay, w, True,
                         ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                         GrabModeAsync, w, None, CurrentTime) == GrabSuccess;
    }
    XFlush(m_pDisplay);
}

bool CX11Backend::WaitEvents(int timeoutMs) {
    if (!XPending(m_pDisplay)) {
        pollfd pfd{ConnectionNumber(m_pDisplay), POLLIN, 0};
        int r = poll(&pfd, 1, timeoutMs);
        if (r < 0) return true; // interrupted: try again
        if (r > 0 && (pfd.revents & (POLLERR | POLLHUP))) return false;
    }
    while (XPending(m_pDisplay)) {
        XEvent ev;
        XNextEvent(m_pDisplay, &ev);
        Handle(ev);
    }
    return !m_windows.empty();
}

void CX11Backend::Handle(XEvent& ev) {
    Native* n = FindWindow(ev.xany.window);
    if (!n && ev.type == ClientMessage) n = DndProxied(ev.xclient.window, ev.xclient.message_type);
    if (!n) return;
    CWnd* top = n->pTop;
    switch (ev.type) {
    case Expose: {
        // The page pixels that cover the exposed window pixels.
        const POINT a = ToPage(*n, ev.xexpose.x, ev.xexpose.y);
        const double s = n->scale;
        Wm().ExposeArea(
            top, {a.x, a.y, static_cast<LONG>(std::ceil((ev.xexpose.x + ev.xexpose.width) / s)),
                  static_cast<LONG>(std::ceil((ev.xexpose.y + ev.xexpose.height) / s))});
        break;
    }
    case ButtonPress:
    case ButtonRelease:
        // Buttons 4 to 7 are wheel notches: up, down, left, right.
        if (ev.xbutton.button >= 4 && ev.xbutton.button <= 7) {
            if (ev.type == ButtonPress)
                Wm().MouseWheel(top, ToPage(*n, ev.xbutton.x, ev.xbutton.y),
                                ev.xbutton.button == 4 || ev.xbutton.button == 7 ? WHEEL_DELTA
                                                                                 : -WHEEL_DELTA,
                                ev.xbutton.button >= 6, Mods(ev.xbutton.state));
            break;
        }
        if (ev.xbutton.button != 1 && ev.xbutton.button != 3) break;
        if (ev.type == ButtonPress) XSetInputFocus(m_pDisplay, n->win, RevertToParent, CurrentTime);
        Wm().MouseButton(top, static_cast<int>(ev.xbutton.button), ev.type == ButtonPress,
                         ToPage(*n, ev.xbutton.x, ev.xbutton.y), Mods(ev.xbutton.state));
        break;
    case MotionNotify:
        Wm().MouseMove(top, ToPage(*n, ev.xmotion.x, ev.xmotion.y), Mods(ev.xmotion.state));
        break;
    case KeyPress:
    case KeyRelease: {
        KeySym sym = XLookupKeysym(&ev.xkey, 0);
        KeySym shifted = XLookupKeysym(&ev.xkey, (ev.xkey.state & ShiftMask) ? 1 : 0);
        UINT mods = Mods(ev.xkey.state);
        UINT vk = VirtualKeyFromKeysym(sym);
        if (vk) Wm().Key(vk, ev.type == KeyPress, CharFromKeysym(shifted, mods), mods);
        break;
    }
    case ClientMessage: HandleClientMessage(ev, *n); break;
    case SelectionNotify: HandleSelection(ev, *n); break;
    default: break;
    }
}
