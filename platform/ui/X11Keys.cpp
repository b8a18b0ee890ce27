#include "platform/ui/X11Keys.h"
#include "platform/ui/Messages.h"
#include <X11/keysym.h>

UINT VirtualKeyFromKeysym(unsigned long sym) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<UINT>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<UINT>(sym);
    if (sym >= XK_0 && sym <= XK_9) return static_cast<UINT>(sym);
    if (sym >= XK_F1 && sym <= XK_F12) return VK_F1 + static_cast<UINT>(sym - XK_F1);
    switch (sym) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab: return VK_TAB;
    case XK_Return:
    case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_Left: return VK_LEFT;
    case XK_Right: return VK_RIGHT;
    case XK_Up: return VK_UP;
    case XK_Down: return VK_DOWN;
    case XK_Home: return VK_HOME;
    case XK_End: return VK_END;
    case XK_Delete: return VK_DELETE;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_Shift_L:
    case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R: return VK_CONTROL;
    default:
        // Punctuation types its character; the code is its Latin-1 value.
        return (sym >= 0x21 && sym <= 0x7E) ? static_cast<UINT>(sym) : 0;
    }
}

wchar_t CharFromKeysym(unsigned long sym, UINT mods) {
    if (mods & MK_CONTROL) return 0;
    switch (sym) {
    case XK_BackSpace: return 8;
    case XK_Return:
    case XK_KP_Enter: return L'\r';
    case XK_Escape: return 27;
    case XK_KP_Add: return L'+';
    case XK_KP_Subtract: return L'-';
    default: return (sym >= 0x20 && sym <= 0xFF) ? static_cast<wchar_t>(sym) : 0;
    }
}
