// The XDND side of the X11 backend: drags entering, moving over, leaving and
// dropping files onto the layer's windows; and custom cursors.
#include "platform/ui/Bitmap.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/UriList.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/X11Private.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cairo.h>
#include <vector>

namespace {
CWindowManager& Wm() { return CWindowManager::Instance(); }

void SendClient(Display* d, Window to, Atom type, const long (&l)[5]) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.display = d;
    ev.xclient.window = to;
    ev.xclient.message_type = type;
    ev.xclient.format = 32;
    for (int i = 0; i < 5; ++i) ev.xclient.data.l[i] = l[i];
    XSendEvent(d, to, False, NoEventMask, &ev);
    XFlush(d);
}
} // namespace

CX11Backend::Native* CX11Backend::DndProxied(unsigned long win, unsigned long type) {
    const Dnd& x = *m_pDnd;
    if (type != x.aEnter && type != x.aPosition && type != x.aLeave && type != x.aDrop)
        return nullptr;
    for (auto& n : m_windows) {
        for (Window w = n->win; w != 0;) {
            Window root = 0, up = 0, *pChildren = nullptr;
            unsigned int nChildren = 0;
            if (!XQueryTree(m_pDisplay, w, &root, &up, &pChildren, &nChildren)) break;
            if (pChildren) XFree(pChildren);
            if (up == win) return n.get();
            w = up == root ? 0 : up;
        }
    }
    return nullptr;
}

void CX11Backend::SendDndStatus(Native& n, bool bAccept) {
    // The answer names the window the source addressed. Bit 1: send a
    // position message for every move, not only outside a rectangle.
    const Window target = m_pDnd->target ? m_pDnd->target : n.win;
    long l[5] = {static_cast<long>(target), (bAccept ? 1L : 0L) | 2L, 0, 0,
                 bAccept ? static_cast<long>(m_pDnd->aCopy) : 0L};
    SendClient(m_pDisplay, m_pDnd->source, m_pDnd->aStatus, l);
}

void CX11Backend::SendDndFinished(Native& n, bool bAccepted) {
    const Window target = m_pDnd->target ? m_pDnd->target : n.win;
    long l[5] = {static_cast<long>(target), bAccepted ? 1L : 0L,
                 bAccepted ? static_cast<long>(m_pDnd->aCopy) : 0L, 0, 0};
    SendClient(m_pDisplay, m_pDnd->source, m_pDnd->aFinished, l);
}

void CX11Backend::HandleClientMessage(XEvent& ev, Native& n) {
    Dnd& x = *m_pDnd;
    const long* l = ev.xclient.data.l;
    Atom type = ev.xclient.message_type;
    if (type == XInternAtom(m_pDisplay, "WM_PROTOCOLS", False)) {
        if (static_cast<Atom>(l[0]) == XInternAtom(m_pDisplay, "WM_DELETE_WINDOW", False))
            Wm().CloseRequest(n.pTop);
        return;
    }
    if (type == x.aEnter) {
        x.source = static_cast<Window>(l[0]);
        x.target = ev.xclient.window;
        x.bEntered = false;
        x.bUris = false;
        x.pTop = n.pTop;
        if (l[1] & 1) {
            // More than three types: the source lists them in a property.
            Atom actual;
            int format;
            unsigned long count = 0, after;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(m_pDisplay, x.source, x.aTypeList, 0, 64, False, XA_ATOM,
                                   &actual, &format, &count, &after, &data) == Success &&
                data) {
                for (unsigned long i = 0; i < count; ++i)
                    if (reinterpret_cast<Atom*>(data)[i] == x.aUriList) x.bUris = true;
                XFree(data);
            }
        } else {
            for (int i = 2; i < 5; ++i)
                if (static_cast<Atom>(l[i]) == x.aUriList) x.bUris = true;
        }
    } else if (type == x.aPosition) {
        if (static_cast<Window>(l[0]) != x.source) return;
        x.pt = RootToScreen(n, static_cast<int>((l[2] >> 16) & 0xFFFF),
                            static_cast<int>(l[2] & 0xFFFF));
        CDropData offer;
        if (x.bUris) offer.formats.push_back(CF_HDROP);
        DWORD effect =
            x.bEntered ? Wm().DragOver(n.pTop, x.pt) : Wm().DragEnter(n.pTop, offer, x.pt);
        x.bEntered = true;
        SendDndStatus(n, x.bUris && effect != DROPEFFECT_NONE);
    } else if (type == x.aLeave) {
        if (x.bEntered) Wm().DragLeave();
        x.bEntered = false;
        x.source = 0;
    } else if (type == x.aDrop) {
        if (static_cast<Window>(l[0]) != x.source) return;
        if (!x.bUris) {
            if (x.bEntered) Wm().DragLeave();
            SendDndFinished(n, false);
            x.source = 0;
            return;
        }
        XConvertSelection(m_pDisplay, x.aSelection, x.aUriList, x.aProp, n.win,
                          static_cast<Time>(l[2]));
        XFlush(m_pDisplay);
    }
}

void CX11Backend::HandleSelection(XEvent& ev, Native& n) {
    Dnd& x = *m_pDnd;
    if (!x.source || ev.xselection.selection != x.aSelection) return;
    if (ev.xselection.property != x.aProp) {
        // The source would not give the list: the drop ends unaccepted, so
        // it does not wait for an answer that never comes.
        if (x.bEntered) Wm().DragLeave();
        SendDndFinished(n, false);
        x.source = 0;
        x.bEntered = false;
        return;
    }
    Atom actual;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string list;
    if (XGetWindowProperty(m_pDisplay, n.win, x.aProp, 0, 1 << 20, True, AnyPropertyType, &actual,
                           &format, &count, &after, &data) == Success &&
        data) {
        list.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    CDropData drop{{CF_HDROP}, ParseUriList(list)};
    bool accepted = false;
    if (!drop.files.empty())
        accepted = Wm().Drop(n.pTop, drop, x.pt) != DROPEFFECT_NONE;
    else if (x.bEntered)
        Wm().DragLeave();
    SendDndFinished(n, accepted);
    x.source = 0;
    x.bEntered = false;
}

Cursor MakeX11Cursor(Display* d, const CCursor& cursor) {
    const CBitmap& img = cursor.Image();
    int w = img.Width(), h = img.Height(), stride = (w + 7) / 8;
    std::vector<char> src(stride * h, 0), mask(stride * h, 0);
    cairo_surface_flush(img.Surface());
    const unsigned char* px = cairo_image_surface_get_data(img.Surface());
    int pitch = cairo_image_surface_get_stride(img.Surface());
    for (int y = 0; y < h; ++y)
        for (int xx = 0; xx < w; ++xx) {
            uint32_t p = *reinterpret_cast<const uint32_t*>(px + y * pitch + xx * 4);
            if ((p >> 24) < 128) continue;
            mask[y * stride + xx / 8] |= static_cast<char>(1 << (xx % 8));
            int lum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
            if (lum > 3 * 127) src[y * stride + xx / 8] |= static_cast<char>(1 << (xx % 8));
        }
    Window root = DefaultRootWindow(d);
    Pixmap ps = XCreateBitmapFromData(d, root, src.data(), w, h);
    Pixmap pm = XCreateBitmapFromData(d, root, mask.data(), w, h);
    XColor white{}, black{};
    white.red = white.green = white.blue = 0xFFFF;
    Cursor c =
        XCreatePixmapCursor(d, ps, pm, &white, &black, cursor.HotSpot().x, cursor.HotSpot().y);
    XFreePixmap(d, ps);
    XFreePixmap(d, pm);
    return c;
}
