// pandrel-gallery [--png FILE]: the skin gallery on its own.
#include "apps/gallery/Gallery.h"

int main(int argc, char** argv) {
    return RunGallery(std::vector<std::string>(argv + 1, argv + argc));
}
