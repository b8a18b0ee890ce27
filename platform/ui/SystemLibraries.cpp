#include "platform/ui/SystemLibraries.h"
#include <X11/Xlib.h>
#include <cairo.h>
#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

void PinUiSystemLibraries() {
    // Each library found by one of its own functions, so no file name is assumed;
    // the handle is kept on purpose (RTLD_NODELETE makes it outlive every dlclose).
    const void* functions[] = {reinterpret_cast<const void*>(&cairo_create),
                               reinterpret_cast<const void*>(&FcInit),
                               reinterpret_cast<const void*>(&XOpenDisplay)};
    for (const void* p : functions) {
        Dl_info info{};
        if (dladdr(p, &info) != 0 && info.dli_fname != nullptr)
            dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}
