// The X11 backend's records of its windows and of a drag in progress, shared
// by its two source files.
#pragma once
#include "platform/ui/X11Backend.h"
#include <X11/Xlib.h>

typedef struct _cairo_surface cairo_surface_t;

struct CX11Backend::Native {
    CWnd* pTop;
    Window win;
    cairo_surface_t* pSurface; // the window's pixels, with the scale as device scale
    double scale;
};

struct CX11Backend::Dnd {
    Window source = 0;
    Window target = 0; // the window the source addresses: ours, or one proxying to ours
    bool bUris = false;
    bool bEntered = false;
    POINT pt{};
    CWnd* pTop = nullptr;
    Atom aEnter, aPosition, aStatus, aLeave, aDrop, aFinished, aSelection, aTypeList, aCopy,
        aUriList, aProp;
};

// A two-colour X cursor from the picture (0 when it cannot be made).
Cursor MakeX11Cursor(Display* pDisplay, const CCursor& cursor);
