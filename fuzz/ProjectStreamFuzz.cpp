// Feeds arbitrary bytes to the host persistence load (version text, then the
// form through the stream I/O procedure) at a stream position of 7, then
// checks the project.
#include "FuzzControl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeSynthContext ctx(48000);
    CFuzzControl c(&ctx);
    IStream* s = nullptr;
    FuzzCheck(CreateMemoryStream(&s) == S_OK);
    s->Write("prefix!", 7, nullptr);
    s->Write(data, static_cast<ULONG>(size), nullptr);
    s->Seek(LARGE_INTEGER{7}, STREAM_SEEK_SET, nullptr);
    const HRESULT hr = c.Load(s);
    ULARGE_INTEGER pos{0};
    s->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &pos);
    FuzzCheck(pos.QuadPart >= 7);
    if (SUCCEEDED(hr)) CheckLoadedProject(c, &ctx);
    s->Release();
    return 0;
}
