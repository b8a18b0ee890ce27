// The control interface as a complete object for the fuzz targets: IUnknown
// and the persistence hooks answered here, a fixed synth context, and the
// checks every loaded project must pass.
#pragma once
#include "FuzzInput.h"
#include "engine/FakeSynthContext.h"
#include "engine/GrainRenderer.h"
#include "files/ControlInterface.h"
#include "platform/com/PersistStream.h"
#include "platform/com/TaskMem.h"

class CFuzzControl : public CControlInterface, public CPersistStream {
public:
    explicit CFuzzControl(CDXiSynthContext* p) : CDXi(p), CControlInterface(p) {
        SetOutputFormatRecord(MakeFloatFormat(2, p->GetSampleRate()));
    }
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = static_cast<IVudivuVizezud*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetClassID(CLSID* p) override {
        *p = GUID_NULL;
        return S_OK;
    }
    HRESULT WriteState(IStream* s) override { return SaveState(s); }
    HRESULT ReadState(IStream* s) override { return LoadState(s); }
};

// What every loaded project guarantees: its summaries point inside the
// overviews, its grains render, and it saves and loads again.
inline void CheckLoadedProject(CFuzzControl& c, CDXiSynthContext* pContext) {
    IVudivuVizezud& api = c;
    CGrainRenderer renderer;
    FuzzCheck(renderer.Init() == S_OK);
    const WAVEFORMATEX fmt = MakeFloatFormat(2, pContext->GetSampleRate());
    static float buffer[2 * 64];
    for (int p = 0; p < kPadCount; ++p) {
        GrainSummary* pSummary = nullptr;
        LONG n = 0;
        FuzzCheck(SUCCEEDED(api.GetPadGrains(p, &pSummary, &n)));
        volatile float sum = 0;
        for (LONG i = 0; i < n; ++i)
            for (DWORD k = 0; k < pSummary[i].nPeakCount * pSummary[i].nChannels * 2; ++k)
                sum = sum + pSummary[i].pPeaks[k];
        if (n > 0) CoTaskMemFree(pSummary);
        const CGrooveTrack& pad = *c.Pad(p);
        for (int g = 0; g < pad.GetSize() && g < 8; ++g)
            renderer.RenderSegment(*pad.GetAt(g), 0, 0, 64, 0, buffer, fmt, pad.m_fVolume,
                                   pad.m_fPan, 0);
    }
    IStream* pStream = nullptr;
    FuzzCheck(CreateMemoryStream(&pStream) == S_OK);
    FuzzCheck(c.SaveState(pStream) == S_OK);
    pStream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr);
    CFuzzControl again(pContext);
    FuzzCheck(SUCCEEDED(again.LoadState(pStream)));
    FuzzCheck(again.BinCount() == c.BinCount());
    pStream->Release();
}
