// The editor page on the offscreen display, attached to a real control
// interface whose project was built through that interface: 16 Loop Bin
// files (two-bar ACID loops cut into 16 slices) and 16 pads of 64 grains each.
// BM_PageFullRepaint: every window of the page invalidated and painted, at
// scale 1 and 2 (goals: under 2 ms and under 6 ms). BM_PageTimerTick: one turn
// of the 200 ms refresh timer with nothing changed (goal: under 50 us).
// BM_PadEditorDragStep: one pointer move of a drag of 16 selected grains in
// the Pad Editor and the paint it asks for (goal: under 1 ms).
#include "../tests/engine/FakeSynthContext.h"
#include "../tests/files/RiffBuilder.h"
#include "editor/PadEditor.h"
#include "editor/VudivuVizezudPropPage.h"
#include "files/ControlInterface.h"
#include "interfaces/PandrelConstants.h"
#include "platform/ui/OffscreenBackend.h"
#include "platform/ui/WindowManager.h"
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int kFiles = 16, kSlices = 16, kGrainsPerPad = 64;

// The engine with its control interface, as the filter completes it.
class Control : public CControlInterface {
public:
    explicit Control(CDXiSynthContext* c) : CDXi(c), CControlInterface(c) {
        SetOutputFormatRecord(MakeFloatFormat(2, c->GetSampleRate()));
    }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IVudivuVizezud) {
            *ppv = static_cast<IVudivuVizezud*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
};

// A two-bar loop at 120 BPM, 16 slices by markers.
riff::Bytes Loop() {
    constexpr uint32_t frames = 4 * 44100;
    riff::RiffBuilder r = riff::Wave(frames, 2, 44100);
    std::vector<riff::Marker> markers;
    for (uint32_t i = 1; i < kSlices; ++i) markers.push_back({0, frames / kSlices * i, 1});
    r.Chunk("acid", riff::AcidBody(0x2, 60, 8, 120.0f))
        .Chunk("strc", riff::StrcBody(kSlices - 1, 2, markers));
    return r.Form();
}

// The project, the page and the display it is drawn on.
class PageRig {
public:
    explicit PageRig(double scale) : m_context(48000), m_control(&m_context) {
        const riff::Bytes loop = Loop();
        for (int f = 0; f < kFiles; ++f)
            m_files.push_back(
                std::make_unique<riff::TempFile>(loop, "page-bench-" + std::to_string(f) + ".wav"));
        // The project, through the control interface only.
        for (int f = 0; f < kFiles; ++f) {
            LONG at = -1, status = 0;
            const std::string name = "Loop " + std::to_string(f + 1) + ".wav";
            if (FAILED(m_control.LoadFileToBin(name.c_str(), m_files[f]->c_str(), &at, &status)))
                m_bOk = false;
        }
        constexpr LONGLONG step = kTicksPerBeat / 4;
        for (int p = 0; p < kPadCount; ++p)
            for (int g = 0; g < kGrainsPerPad; ++g)
                if (FAILED(m_control.AddGrain(p, g % kSlices, p, g * step))) m_bOk = false;
        m_control.CommitGrainEdits();
        LONG count = 0;
        m_control.GetPadGrainCount(1, kPadCount - 1, &count);
        m_bOk = m_bOk && count == kGrainsPerPad;

        auto backend = std::make_unique<COffscreenBackend>();
        m_pScreen = backend.get();
        CWindowManager::Instance().SetBackend(std::move(backend));
        HRESULT hr = S_OK;
        m_pPage = dynamic_cast<CVudivuVizezudPropPage*>(
            CVudivuVizezudPropPage::CreateInstance(nullptr, &hr));
        m_pPage->AddRef();
        m_pPage->SetScale(scale);
        IUnknown* objects[] = {static_cast<IVudivuVizezud*>(&m_control)};
        m_pPage->SetObjects(1, objects);
        const RECTL rc{0, 0, 600, 553};
        m_bOk = m_bOk && SUCCEEDED(m_pPage->Activate(0, &rc, FALSE));
        // The Loop Bin shows a file's slices in the middle band: select one.
        m_pScreen->Click({static_cast<LONG>(30 * scale), static_cast<LONG>(72 * scale)});
        CWindowManager::Instance().Pump();
    }
    ~PageRig() {
        m_pPage->Deactivate();
        m_pPage->SetObjects(0, nullptr);
        m_pPage->Release();
        CWindowManager::Instance().SetBackend(nullptr);
    }
    bool Ok() const { return m_bOk; }
    CVudivuVizezudPropPage& Page() { return *m_pPage; }
    COffscreenBackend& Screen() { return *m_pScreen; }

private:
    FakeSynthContext m_context;
    Control m_control;
    std::vector<std::unique_ptr<riff::TempFile>> m_files;
    COffscreenBackend* m_pScreen = nullptr;
    CVudivuVizezudPropPage* m_pPage = nullptr;
    bool m_bOk = true;
};

void BM_PageFullRepaint(benchmark::State& state) {
    const double scale = state.range(0) / 100.0;
    PageRig rig(scale);
    if (!rig.Ok()) state.SkipWithError("the project or the page could not be made");
    CWindowManager& wm = CWindowManager::Instance();
    for (auto _ : state) {
        rig.Page().Invalidate(true);
        wm.PaintInvalid();
    }
    state.SetLabel("scale " + std::to_string(scale).substr(0, 4));
}
BENCHMARK(BM_PageFullRepaint)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_PageTimerTick(benchmark::State& state) {
    PageRig rig(state.range(0) / 100.0);
    if (!rig.Ok()) state.SkipWithError("the project or the page could not be made");
    rig.Screen().Advance(CVudivuVizezudPropPage::kRefreshMs); // the first tick settles
    for (auto _ : state) rig.Screen().Advance(CVudivuVizezudPropPage::kRefreshMs);
}
BENCHMARK(BM_PageTimerTick)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_PadEditorDragStep(benchmark::State& state) {
    PageRig rig(1.0);
    if (!rig.Ok()) state.SkipWithError("the project or the page could not be made");
    CWindowManager& wm = CWindowManager::Instance();
    // Grain 4 (at beat 1) of every pad selected; pad 1's is pressed.
    CPadEditor& editor = rig.Page().PadEditor();
    for (int p = 0; p < kPadCount; ++p) rig.Page().State().m_grains.Add(p, 4);
    const POINT at{editor.XOfTick(kTicksPerBeat) + 3, editor.RowTop(0) + 4};
    rig.Screen().ButtonDown(at);
    wm.PaintInvalid();
    if (!editor.IsDragging()) state.SkipWithError("the press started no grain drag");
    const POINT to[2] = {{at.x + 60, at.y + 30}, {at.x + 120, at.y + 50}};
    int i = 0;
    for (auto _ : state) {
        rig.Screen().MoveTo(to[i ^= 1]);
        wm.PaintInvalid();
    }
    rig.Screen().ButtonUp(at);
}
BENCHMARK(BM_PadEditorDragStep)->Unit(benchmark::kMicrosecond);
} // namespace
