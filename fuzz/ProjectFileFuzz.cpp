// Feeds arbitrary bytes to LoadProject as a project file (by its name with
// and without a dot, as the first byte decides), then checks the project.
#include "FuzzControl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeSynthContext ctx(44100);
    CFuzzControl c(&ctx);
    const char* path = FuzzInputPath(data, size);
    const char* name = size > 0 && (data[0] & 1) != 0 ? "state" : "fuzz.pnd";
    const HRESULT hr = static_cast<IVudivuVizezud&>(c).LoadProject(name, path);
    FuzzCheck(hr == S_OK || hr == S_FALSE || hr == E_FAIL || hr == E_OUTOFMEMORY);
    if (SUCCEEDED(hr)) CheckLoadedProject(c, &ctx);
    return 0;
}
