// The window layer's system libraries (cairo, fontconfig, Xlib) keep
// process-wide caches and handlers. A module that carries the layer and may be
// unloaded by its host pins them once: they then stay loaded after the module
// goes, so their caches stay reachable and nothing of theirs dangles.
#pragma once

// Any thread, once per load of the module; harmless when called again.
void PinUiSystemLibraries();
