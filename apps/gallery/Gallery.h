// The gallery command: `gallery` opens the skin gallery in a window on the
// display; `gallery --png FILE` draws it offscreen and writes it as a PNG.
// Shared by the pandrel-gallery tool and the pandrel command. UI thread.
#pragma once
#include <string>
#include <vector>

// args are the command's own arguments (without its name); pszProgram starts
// every message ("gallery: ...", "pandrel: FILE: ..."). Returns the exit status.
int RunGallery(const std::vector<std::string>& args, const char* pszProgram = "gallery");
