// Feeds arbitrary bytes to the reader of the persistence version text and
// checks that it consumes whole code units within the stream.
#include "FuzzInput.h"
#include "platform/com/PersistStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IStream* s = nullptr;
    FuzzCheck(CreateMemoryStream(&s) == S_OK);
    s->Write(data, static_cast<ULONG>(size), nullptr);
    s->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    LONG version = 0;
    const HRESULT hr = CPersistStream::ReadVersionText(s, &version);
    ULARGE_INTEGER pos{0};
    s->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &pos);
    FuzzCheck(hr == S_OK || hr == VFW_E_INVALID_FILE_FORMAT);
    FuzzCheck(pos.QuadPart <= size && (hr != S_OK || pos.QuadPart % 2 == 0));
    // Formatting and reading back agree for every value.
    unsigned char text[kVersionTextBytes];
    CPersistStream::FormatVersionText(version, text);
    IStream* t = nullptr;
    FuzzCheck(CreateMemoryStream(&t) == S_OK);
    t->Write(text, kVersionTextBytes, nullptr);
    t->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    LONG back = 1;
    FuzzCheck(CPersistStream::ReadVersionText(t, &back) == S_OK && back == version);
    t->Release();
    s->Release();
    return 0;
}
