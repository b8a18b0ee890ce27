// Feeds arbitrary bytes to the LV2 plug-in as its saved state (the chunk a
// host hands back to restore()), through the built bundle's descriptor. A
// state that is refused leaves a plug-in that still runs; one that is taken
// renders finite audio and saves a state that restores to the same state.
#include "FuzzLv2Host.h"
#include <cstdio>

namespace {
void Expect(bool bOk, const char* pszWhat) {
    if (bOk) return;
    std::fprintf(stderr, "lv2state: %s\n", pszWhat);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CFuzzLv2Host host(PANDREL_FUZZ_LV2_BUNDLE);
    const LV2_State_Status status = host.Restore(data, size);
    Expect(status == LV2_STATE_SUCCESS || status == LV2_STATE_ERR_UNKNOWN,
           "restore: unexpected status");
    // Every pad's default key and a few around them.
    Expect(host.Run(30, 16) && host.Run(46, 16) && host.Run(), "rendering is not finite");
    if (status != LV2_STATE_SUCCESS) return 0;
    std::vector<uint8_t> saved;
    Expect(host.Save(&saved) == LV2_STATE_SUCCESS && !saved.empty(),
           "a restored state does not save");
    Expect(host.Restore(saved.data(), saved.size()) == LV2_STATE_SUCCESS,
           "a saved state does not restore");
    std::vector<uint8_t> again;
    Expect(host.Save(&again) == LV2_STATE_SUCCESS, "a state restored from a save does not save");
    Expect(again == saved, "saving, restoring and saving again changes the state");
    return 0;
}
