// The editor page on the offscreen display for Pad Editor tests: a recording
// control interface that also moves, copies and adds grains in its model,
// pads whose grains may be drawn as tail tags, and a Loop Bin file with
// slices half a beat apart.
#pragma once
#include "../ui/UiFixture.h"
#include "FakeControl.h"
#include "OpenPage.h"
#include "editor/PadEditor.h"
#include "editor/VudivuVizezudPropPage.h"
#include "platform/ui/WindowManager.h"
#include <algorithm>
#include <string>

class PadControl : public FakeControl {
public:
    std::array<bool, kPadCount> tails{};
    bool bFailEdits = false; // MoveGrain, CopyGrain, AddGrain and AssignFileToPad fail
    static constexpr LONGLONG kSliceStep = kTicksPerBeat / 2;
    static constexpr LONG kSlices = 8;

    HRESULT MoveGrain(LONG nPad, LONG nGrain, LONG nTo, LONGLONG nStart, LONG*,
                      BOOL bDefer) override {
        Note("MoveGrain", {nPad, nGrain, nTo, nStart, bDefer});
        if (bFailEdits) return E_INVALIDARG;
        marks.push_back({nPad, nGrain});
        return Place(nPad, nGrain, nTo, nStart);
    }
    HRESULT CopyGrain(LONG nPad, LONG nGrain, LONG nTo, LONGLONG nStart, LONG*) override {
        Note("CopyGrain", {nPad, nGrain, nTo, nStart});
        return bFailEdits ? E_INVALIDARG : Place(nPad, nGrain, nTo, nStart);
    }
    HRESULT CommitGrainEdits() override {
        calls.push_back("CommitGrainEdits()");
        std::sort(marks.begin(), marks.end(), [](auto a, auto b) { return a.second > b.second; });
        for (auto [pad, grain] : marks) Pad(pad).erase(Pad(pad).begin() + grain);
        marks.clear();
        for (auto& p : pads)
            std::stable_sort(p.begin(), p.end(),
                             [](const Grain& a, const Grain& b) { return a.nStart < b.nStart; });
        return S_OK;
    }
    HRESULT AddGrain(LONG nFile, LONG nSlice, LONG nPad, LONGLONG nStart) override {
        Note("AddGrain", {nFile, nSlice, nPad, nStart});
        if (bFailEdits) return E_INVALIDARG;
        Pad(nPad).push_back({nStart, nStart + kSliceStep});
        return S_OK;
    }
    HRESULT SetGrainSource(LONG nPad, LONG nGrain, LONG nFile, LONG nSlice) override {
        return Note("SetGrainSource", {nPad, nGrain, nFile, nSlice}), S_OK;
    }
    HRESULT AssignFileToPad(LONG nPad, LONG nFile) override {
        Note("AssignFileToPad", {nPad, nFile});
        return bFailEdits ? E_INVALIDARG : S_OK;
    }
    HRESULT SetPadLength(LONG nKind, LONG nPad, LONGLONG n) override {
        return Note("SetPadLength", {nKind, nPad, n}), S_OK;
    }
    HRESULT GetPadGrains(LONG nPad, GrainSummary** pp, LONG* pn) override {
        const HRESULT hr = FakeControl::GetPadGrains(nPad, pp, pn);
        for (LONG i = 0; i < *pn; ++i) (*pp)[i].bUseTail = tails[size_t(nPad)] ? TRUE : FALSE;
        return hr;
    }
    HRESULT GetPadContentEnd(LONG nPad, LONGLONG* p) override {
        *p = 0;
        for (const Grain& g : pads[size_t(nPad)]) *p = std::max(*p, g.nEnd);
        return S_OK;
    }
    HRESULT GetFileSlices(LONG nFile, GrainSummary** pp, LONG* pn) override {
        *pn = 0;
        if (nFile != 0) return S_FALSE;
        auto* p = static_cast<GrainSummary*>(CoTaskMemAlloc(kSlices * sizeof(GrainSummary)));
        for (LONG i = 0; i < kSlices; ++i)
            p[i] = {i * kSliceStep, (i + 1) * kSliceStep, 0, 1.0f, nullptr, 0, 2, FALSE, 0};
        *pp = p;
        *pn = kSlices;
        return S_OK;
    }

private:
    std::vector<std::pair<LONG, LONG>> marks;
    std::vector<Grain>& Pad(LONG n) { return pads[size_t(n)]; }
    void Note(const char* name, std::initializer_list<LONGLONG> args) {
        std::string s = std::string(name) + "(";
        for (LONGLONG v : args) s += (s.back() == '(' ? "" : ",") + std::to_string(v);
        calls.push_back(s + ")");
    }
    HRESULT Place(LONG nPad, LONG nGrain, LONG nTo, LONGLONG nStart) {
        if (nGrain < 0 || size_t(nGrain) >= Pad(nPad).size()) return E_INVALIDARG;
        Grain g = Pad(nPad)[size_t(nGrain)];
        if (nStart >= 0) g.nEnd += nStart - g.nStart, g.nStart = nStart;
        Pad(nTo).push_back(g);
        return S_OK;
    }
};

class PadEditorTest : public UiTest {
protected:
    void TearDown() override {
        Close();
        Wm().Script().Clear();
        UiTest::TearDown();
    }
    // Opens the page at the host's factor (0: none).
    void Open(double dScale = 1.0) {
        OpenPage(&control, &page, dScale);
        m_dScale = dScale;
    }
    void Close() { ClosePage(page); }
    static CWindowManager& Wm() { return CWindowManager::Instance(); }
    CPadEditor& Editor() { return page->PadEditor(); }
    CEditorState& State() { return page->State(); }
    // The model changed behind the page: it reads and paints it again.
    void Reload() {
        page->RefreshAll();
        Wm().Pump();
    }
    // A page pixel as the window pixel the display reports.
    POINT Win(POINT pt) const {
        return {static_cast<LONG>(pt.x * m_dScale), static_cast<LONG>(pt.y * m_dScale)};
    }
    // A point a few pixels inside the pad's grain as drawn.
    POINT On(int nPad, LONG nGrain) {
        const LONGLONG t = control.pads[size_t(nPad)][size_t(nGrain)].nStart;
        return {Editor().XOfTick(t) + 3, Editor().RowTop(nPad) + 4};
    }
    void Down(POINT pt, UINT mods = 0) { Screen().ButtonDown(Win(pt), 1, mods); }
    void Move(POINT pt, UINT mods = 0) { Screen().MoveTo(Win(pt), mods); }
    // Releases, then lets time pass so that the next press is no double-click.
    void Up(POINT pt, UINT mods = 0) {
        Screen().ButtonUp(Win(pt), 1, mods);
        Screen().Advance(600);
    }
    void Drag(POINT from, POINT to, UINT mods = 0) {
        Down(from, mods);
        Move({(from.x + to.x) / 2, (from.y + to.y) / 2}, mods);
        Move(to, mods);
        Up(to, mods);
    }
    // The calls made since the last Calls().
    std::vector<std::string> Calls() {
        std::vector<std::string> edits;
        for (size_t i = m_nSeen; i < control.calls.size(); ++i) {
            const std::string& c = control.calls[i];
            if (c.rfind("Get", 0) != 0 && c.rfind("TakeRefresh", 0) != 0 &&
                c.rfind("StopAudition", 0) != 0)
                edits.push_back(c);
        }
        m_nSeen = control.calls.size();
        return edits;
    }

    PadControl control;
    CVudivuVizezudPropPage* page = nullptr;
    double m_dScale = 1.0;
    size_t m_nSeen = 0;
};
