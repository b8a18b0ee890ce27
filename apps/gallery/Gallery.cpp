#include "apps/gallery/Gallery.h"
#include "apps/gallery/GalleryPage.h"
#include "platform/ui/OffscreenBackend.h"
#include "platform/ui/ResourceBitmaps.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/X11Backend.h"
#include "resources/Skin.h"
#include <cstdio>
#include <cstdlib>

int RunGallery(const std::vector<std::string>& args, const char* pszProgram) {
    std::string png;
    uintptr_t parent = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--png" && i + 1 < args.size())
            png = args[++i];
        else if (args[i] == "--parent" && i + 1 < args.size())
            parent = std::strtoul(args[++i].c_str(), nullptr, 0);
        else {
            std::fprintf(stderr, "usage: gallery [--png FILE] [--parent WINDOW]\n");
            return 2;
        }
    }
    CResourceBitmaps::SetLoader(&CSkin::Get);
    CWindowManager& wm = CWindowManager::Instance();
    if (!png.empty()) {
        wm.SetBackend(std::make_unique<COffscreenBackend>());
        int status = 1;
        {
            CGalleryPage page;
            if (page.Open()) {
                wm.Pump();
                if (wm.BackBuffer(&page)->SavePng(png))
                    status = 0;
                else
                    std::fprintf(stderr, "%s: %s: cannot write the picture\n", pszProgram,
                                 png.c_str());
            }
        }
        wm.SetBackend(nullptr);
        return status;
    }
    auto x11 = CX11Backend::Open();
    if (!x11) {
        std::fprintf(stderr, "%s: cannot open the display (is DISPLAY set?)\n", pszProgram);
        return 1;
    }
    wm.SetBackend(std::move(x11));
    {
        CGalleryPage page;
        if (!page.Open(parent)) return 1;
        wm.Run(&page);
    }
    wm.SetBackend(nullptr);
    return 0;
}
