#include "apps/cli/DemoProject.h"
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoPattern.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"

namespace {
// Ticks (62,914,560 per beat) of one slice: the loop's beats over its slices.
constexpr LONGLONG kSliceTicks = kTicksPerBeat * CDemoLoop::kBeats / CDemoLoop::kSlices;
// The loop peaks at -1 dBFS; one-shots over a loop would clip at full volume.
constexpr float kPadVolume = 0.6f;
} // namespace

HRESULT CDemoProject::Build(IVudivuVizezud* pControl, const std::string& strLoopPath,
                            std::string* pstrWhat) {
    HRESULT hr = S_OK;
    auto step = [&](HRESULT r, const char* pszWhat) {
        if (FAILED(r) && SUCCEEDED(hr)) {
            hr = r;
            *pstrWhat = pszWhat;
        }
        return SUCCEEDED(hr);
    };
    LONG nEntry = -1;
    LONG nStatus = 0;
    if (!step(pControl->ClearProject(), "cannot clear the project")) return hr;
    if (!step(pControl->LoadFileToBin("demo loop", strLoopPath.c_str(), &nEntry, &nStatus),
              "cannot load the loop"))
        return hr;
    for (const DemoPad& pad : CDemoPattern::Pads()) {
        // The pad takes the entry's tempo and settings, then keeps only its
        // own slices, moved to start at the pad's beginning.
        step(pControl->AssignFileToPad(pad.nPad, nEntry), "cannot assign the loop to a pad");
        LONG nGrains = 0;
        step(pControl->GetPadGrainCount(kKindPad, pad.nPad, &nGrains),
             "cannot count a pad's grains");
        for (LONG g = nGrains - 1; g >= 0 && SUCCEEDED(hr); --g)
            step(pControl->RemoveGrain(pad.nPad, g, FALSE), "cannot clear a pad");
        for (int s = 0; s < pad.nSliceCount && SUCCEEDED(hr); ++s) {
            step(pControl->AddGrain(nEntry, pad.nFirstSlice + s, pad.nPad, s * kSliceTicks),
                 "cannot add a grain");
            if (pad.nTranspose != 0)
                step(pControl->SetGrainPitch(pad.nPad, s, pad.nTranspose), "cannot transpose");
        }
        step(pControl->SetPadLength(kKindPad, pad.nPad, pad.nSliceCount * kSliceTicks),
             "cannot set a pad's length");
        step(pControl->SetPadSynced(pad.nPad, pad.bSynced), "cannot set a pad's sync");
        step(pControl->SetPadLooping(pad.nPad, pad.bLooping), "cannot set a pad's looping");
        step(pControl->SetPadLatch(pad.nPad, FALSE), "cannot set a pad's gate");
        step(pControl->SetPadVolume(pad.nPad, kPadVolume), "cannot set a pad's volume");
        const PadKeyRange range{pad.nPad, pad.nKey, pad.nKey, pad.nKey, 0, 127};
        step(pControl->SetPadKeyRange(&range), "cannot set a pad's key");
        if (FAILED(hr)) break;
    }
    return hr;
}
