// Key symbols of the X display turned into the layer's key codes and typed
// characters. Any thread.
#pragma once
#include "platform/ui/UiTypes.h"

// The virtual key of a key symbol, 0 for keys the layer does not use.
UINT VirtualKeyFromKeysym(unsigned long sym);
// The character a key symbol types (0: none; Ctrl held types nothing).
wchar_t CharFromKeysym(unsigned long sym, UINT mods);
