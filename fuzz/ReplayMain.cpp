// Replays a fuzz target's corpus without the fuzzer: every file of the folder
// given goes through the target once; a failed check aborts the run, after
// the file's name is printed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 2 || !std::filesystem::is_directory(argv[1])) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
        return 2;
    }
    int nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        std::fprintf(stderr, "%s\n", entry.path().filename().c_str());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++nFiles;
    }
    std::printf("%d inputs replayed\n", nFiles);
    return nFiles > 0 ? 0 : 1;
}
