// `pandrel gallery`: the skin and the controls in a window, or as a PNG.
#include "apps/cli/Commands.h"
#include "apps/gallery/Gallery.h"

namespace {
int RunGalleryCommand(const CCommandArgs& args) {
    args.ExpectPositional(0, 0, "no file names");
    std::vector<std::string> own;
    if (args.Has("--png")) own = {"--png", args.Value("--png")};
    return RunGallery(own);
}
} // namespace

const CommandEntry& GalleryCommand() {
    static const CommandEntry entry{
        "gallery",
        "show the editor's skin and controls",
        "usage: pandrel gallery [--png FILE]\n\n"
        "Opens the page background with one of each control in a window;\n"
        "with --png draws it offscreen and writes FILE instead.\n",
        {"--png"},
        {},
        &RunGalleryCommand};
    return entry;
}
