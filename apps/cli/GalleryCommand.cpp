// `pandrel gallery`: the skin and the controls in a window, or as a PNG.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/FileProblem.h"
#include "apps/gallery/Gallery.h"

namespace {
int RunGalleryCommand(const CCommandArgs& args) {
    args.ExpectPositional(0, 0, "no file names");
    std::vector<std::string> own;
    if (args.Has("--png")) {
        // The picture is drawn only into a place that can take it, and the
        // cause is told in the command's own words.
        const std::string strPng = args.Value("--png");
        if (const std::string strWhy = WriteProblem(strPng); !strWhy.empty())
            throw CCliError(strPng, "cannot write the picture: " + strWhy);
        own = {"--png", strPng};
    }
    return RunGallery(own, "pandrel");
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
