// A control interface that records the calls the page makes and answers from
// a small model: grains per pad (pitch, gain, pan, times), Loop Bin names,
// the refresh request, click audition and whether undo has a step.
#pragma once
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/TaskMem.h"
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

class FakeControl : public IVudivuVizezud {
public:
    struct Grain {
        LONGLONG nStart = 0, nEnd = kTicksPerBeat;
        LONG nPitch = 0;
        float fGain = 1.0f, fPan = 0.5f;
    };
    std::array<std::vector<Grain>, kPadCount> pads;
    // Each pad's switches, mix and routing as the setters leave them.
    struct PadSettings {
        BOOL bMute = FALSE, bSolo = FALSE, bSynced = FALSE, bLooping = FALSE;
        BOOL bTails = FALSE, bLatch = FALSE, bMarkers = FALSE;
        float fVolume = 1.0f, fPan = 0.5f;
        LONG nOutput = 0, nChannel = -1, nRoot = -1;
    };
    std::array<PadSettings, kPadCount> settings;
    std::vector<std::string> files;
    std::vector<std::string> calls; // "Name(arg,arg)" in call order
    LONG nRefresh = 0;
    BOOL bClickAudition = TRUE;
    bool bCanUndo = false;
    int nProjectChanges = 0;        // ClearProject, Undo and Redo that changed something
    HRESULT hrLoadProject = E_FAIL; // what LoadProject answers

    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& c : calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }
    bool Called(const std::string& call) const {
        for (const std::string& c : calls)
            if (c == call) return true;
        return false;
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
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT Checkpoint() override { return Log("Checkpoint()"), bCanUndo = true, S_OK; }
    HRESULT Undo() override {
        Log("Undo()");
        if (!bCanUndo) return S_FALSE;
        ++nProjectChanges;
        return S_OK;
    }
    HRESULT Redo() override { return Log("Redo()"), S_FALSE; }
    HRESULT ClearProject() override {
        Log("ClearProject()");
        for (auto& p : pads) p.clear();
        files.clear();
        ++nProjectChanges;
        return S_OK;
    }
    HRESULT AssignFileToPad(LONG, LONG) override { return S_OK; }
    HRESULT SaveProject(const char*, const char* p) override {
        return Log("SaveProject(" + std::string(p) + ")"), S_OK;
    }
    HRESULT LoadProject(const char*, const char* p) override {
        return Log("LoadProject(" + std::string(p) + ")"), hrLoadProject;
    }
    HRESULT DeleteFile(LONG) override { return S_OK; }
    HRESULT CommitGrainEdits() override { return Log("CommitGrainEdits()"), S_OK; }
    HRESULT RemoveGrain(LONG nPad, LONG nGrain, BOOL bDefer) override {
        return Log("RemoveGrain(" + Args({nPad, nGrain, bDefer}) + ")"), S_OK;
    }
    HRESULT SetGrainSource(LONG, LONG, LONG, LONG) override { return S_OK; }
    HRESULT AddGrain(LONG, LONG, LONG, LONGLONG) override { return S_OK; }
    HRESULT GetGrainSource(LONG, LONG, LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT LoadFileToBin(const char*, const char*, LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT LoadFileToPad(LONG, const char*, const char*, LONG*, LONG*) override {
        return E_NOTIMPL;
    }
    HRESULT StartAudition(LONG nPad, LONG nGrain) override {
        return Log("StartAudition(" + Args({nPad, nGrain}) + ")"), S_OK;
    }
    HRESULT StopAudition(LONG nPad) override {
        return Log("StopAudition(" + Args({nPad}) + ")"), S_OK;
    }
    HRESULT StartFilePreview(LONG nEntry, LONG nSlice) override {
        return Log("StartFilePreview(" + Args({nEntry, nSlice}) + ")"), S_OK;
    }
    HRESULT StopFilePreview(LONG nEntry) override {
        return Log("StopFilePreview(" + Args({nEntry}) + ")"), S_OK;
    }
    HRESULT MoveGrain(LONG, LONG, LONG, LONGLONG, LONG*, BOOL) override { return E_NOTIMPL; }
    HRESULT CopyGrain(LONG, LONG, LONG, LONGLONG, LONG*) override { return E_NOTIMPL; }
    HRESULT GetFileCount(LONG* pn) override { return *pn = static_cast<LONG>(files.size()), S_OK; }
    HRESULT GetFileName(LONG n, BOOL, char* psz) override {
        if (psz != nullptr && n >= 0 && n < static_cast<LONG>(files.size()))
            std::strncpy(psz, files[static_cast<size_t>(n)].c_str(), 259);
        return S_OK;
    }
    HRESULT GetPadLooping(LONG n, BOOL* p) override { return Get(n, &PadSettings::bLooping, p); }
    HRESULT SetPadLooping(LONG n, BOOL b) override {
        return Set("SetPadLooping", n, &PadSettings::bLooping, b);
    }
    HRESULT GetPadSynced(LONG n, BOOL* p) override { return Get(n, &PadSettings::bSynced, p); }
    HRESULT SetPadSynced(LONG n, BOOL b) override {
        return Set("SetPadSynced", n, &PadSettings::bSynced, b);
    }
    HRESULT GetPadLatchMode(LONG, BOOL* p) override { return *p = FALSE, S_OK; }
    HRESULT SetPadLatchMode(LONG, BOOL) override { return S_OK; }
    HRESULT GetPadGrains(LONG nPad, GrainSummary** pp, LONG* pn) override {
        *pn = 0;
        if (nPad < 0 || nPad >= kPadCount) return S_FALSE;
        const auto& g = pads[static_cast<size_t>(nPad)];
        if (g.empty()) return S_OK;
        auto* p = static_cast<GrainSummary*>(CoTaskMemAlloc(g.size() * sizeof(GrainSummary)));
        for (size_t i = 0; i < g.size(); ++i)
            p[i] = {g[i].nStart, g[i].nEnd, g[i].nPitch, g[i].fGain, nullptr, 0, 2, FALSE, 0};
        *pp = p;
        *pn = static_cast<LONG>(g.size());
        return S_OK;
    }
    HRESULT GetFileSlices(LONG, GrainSummary**, LONG* pn) override { return *pn = 0, S_FALSE; }
    HRESULT GetPadMute(LONG n, BOOL* p) override { return Get(n, &PadSettings::bMute, p); }
    HRESULT SetPadMute(LONG n, BOOL b) override {
        return Set("SetPadMute", n, &PadSettings::bMute, b);
    }
    HRESULT GetPadLength(LONG, LONG, LONGLONG* p) override { return *p = 4 * kTicksPerBeat, S_OK; }
    HRESULT SetPadLength(LONG, LONG, LONGLONG) override { return S_OK; }
    HRESULT GetPadActive(LONG nPad, BOOL* p) override {
        return Log("GetPadActive(" + Args({nPad}) + ")"), *p = FALSE, S_OK;
    }
    HRESULT GetFilePreviewActive(LONG, BOOL* p) override { return *p = FALSE, S_OK; }
    // Each pad's key range, pad p answering key 60 + p at first.
    std::array<PadKeyRange, kPadCount> keyRanges = [] {
        std::array<PadKeyRange, kPadCount> r{};
        for (LONG p = 0; p < kPadCount; ++p) r[size_t(p)] = {p, 60 + p, 60 + p, 60 + p, 0, 127};
        return r;
    }();
    HRESULT GetPadKeyRange(PadKeyRange* p) override {
        if (p->nPad < 0 || p->nPad >= kPadCount) return E_INVALIDARG;
        return *p = keyRanges[size_t(p->nPad)], S_OK;
    }
    HRESULT SetPadKeyRange(const PadKeyRange* p) override {
        if (p->nPad < 0 || p->nPad >= kPadCount) return E_INVALIDARG;
        Log("SetPadKeyRange(" + Args({p->nPad, p->nLowKey, p->nHighKey, p->nRootKey}) + ")");
        return keyRanges[size_t(p->nPad)] = *p, S_OK;
    }
    HRESULT GetClickAudition(BOOL* p) override {
        return Log("GetClickAudition()"), *p = bClickAudition, S_OK;
    }
    HRESULT SetClickAudition(BOOL b) override {
        return Log("SetClickAudition(" + Args({b}) + ")"), bClickAudition = b, S_OK;
    }
    HRESULT TakeRefreshRequest(LONG* p) override {
        *p = nRefresh;
        nRefresh = 0;
        return Log("TakeRefreshRequest()"), S_OK;
    }
    HRESULT RequestRefresh(LONG n) override {
        return Log("RequestRefresh(" + Args({n}) + ")"), nRefresh = n, S_OK;
    }
    HRESULT GetPadVolume(LONG n, float* p) override { return Get(n, &PadSettings::fVolume, p); }
    HRESULT SetPadVolume(LONG n, float f) override {
        return Set("SetPadVolume", n, &PadSettings::fVolume, f);
    }
    HRESULT GetPadPan(LONG n, float* p) override { return Get(n, &PadSettings::fPan, p); }
    HRESULT SetPadPan(LONG n, float f) override {
        return Set("SetPadPan", n, &PadSettings::fPan, f);
    }
    HRESULT GetPadTails(LONG n, BOOL* p) override { return Get(n, &PadSettings::bTails, p); }
    HRESULT SetPadTails(LONG n, BOOL b) override {
        return Set("SetPadTails", n, &PadSettings::bTails, b);
    }
    HRESULT GetGrainPitch(LONG nPad, LONG nGrain, LONG* p) override {
        if (!Has(nPad, nGrain)) return E_INVALIDARG;
        return *p = At(nPad, nGrain).nPitch, S_OK;
    }
    HRESULT SetGrainPitch(LONG nPad, LONG nGrain, LONG n) override {
        Log("SetGrainPitch(" + Args({nPad, nGrain, n}) + ")");
        if (!Has(nPad, nGrain)) return E_INVALIDARG;
        return At(nPad, nGrain).nPitch = n, S_OK;
    }
    HRESULT GetPadGrainCount(LONG, LONG nPad, LONG* pn) override {
        if (nPad < 0 || nPad >= kPadCount) return E_INVALIDARG;
        return *pn = static_cast<LONG>(pads[static_cast<size_t>(nPad)].size()), S_OK;
    }
    HRESULT GetPadContentEnd(LONG, LONGLONG* p) override { return *p = 0, S_OK; }
    HRESULT GetPadPitchMarkers(LONG n, BOOL* p) override {
        return Get(n, &PadSettings::bMarkers, p);
    }
    HRESULT SetPadPitchMarkers(LONG n, BOOL b) override {
        return Set("SetPadPitchMarkers", n, &PadSettings::bMarkers, b);
    }
    HRESULT GetGrainGain(LONG nPad, LONG nGrain, float* p) override {
        if (!Has(nPad, nGrain)) return E_INVALIDARG;
        return *p = At(nPad, nGrain).fGain, S_OK;
    }
    HRESULT SetGrainGain(LONG nPad, LONG nGrain, float f) override {
        Log("SetGrainGain(" + Args({nPad, nGrain}) + ")");
        if (!Has(nPad, nGrain)) return E_INVALIDARG;
        return At(nPad, nGrain).fGain = f, S_OK;
    }
    HRESULT GetGrainPan(LONG nPad, LONG nGrain, float* p) override {
        if (!Has(nPad, nGrain)) return E_INVALIDARG;
        return *p = At(nPad, nGrain).fPan, S_OK;
    }
    HRESULT SetGrainPan(LONG nPad, LONG nGrain, float f) override {
        Log("SetGrainPan(" + Args({nPad, nGrain}) + ")");
        if (!Has(nPad, nGrain)) return E_INVALIDARG;
        return At(nPad, nGrain).fPan = f, S_OK;
    }
    HRESULT GetPadOutput(LONG n, LONG* p) override { return Get(n, &PadSettings::nOutput, p); }
    HRESULT SetPadOutput(LONG n, LONG v) override {
        return Set("SetPadOutput", n, &PadSettings::nOutput, v);
    }
    HRESULT GetPadSolo(LONG n, BOOL* p) override { return Get(n, &PadSettings::bSolo, p); }
    HRESULT SetPadSolo(LONG n, BOOL b) override {
        return Set("SetPadSolo", n, &PadSettings::bSolo, b);
    }
    HRESULT GetPadRoot(LONG n, LONG* p) override { return Get(n, &PadSettings::nRoot, p); }
    HRESULT SetPadRoot(LONG n, LONG v) override {
        return Set("SetPadRoot", n, &PadSettings::nRoot, v);
    }
    HRESULT GetPadMidiChannel(LONG n, LONG* p) override {
        return Get(n, &PadSettings::nChannel, p);
    }
    HRESULT SetPadMidiChannel(LONG n, LONG v) override {
        return Set("SetPadMidiChannel", n, &PadSettings::nChannel, v);
    }
    HRESULT GetPadLatch(LONG n, BOOL* p) override { return Get(n, &PadSettings::bLatch, p); }
    HRESULT SetPadLatch(LONG n, BOOL b) override {
        return Set("SetPadLatch", n, &PadSettings::bLatch, b);
    }

private:
    void Log(std::string s) { calls.push_back(std::move(s)); }
    template <class T> HRESULT Get(LONG nPad, T PadSettings::*m, T* p) const {
        if (nPad < 0 || nPad >= kPadCount) return E_INVALIDARG;
        return *p = settings[static_cast<size_t>(nPad)].*m, S_OK;
    }
    // Logged as "Name(pad,value)", a float value in hundredths.
    template <class T> HRESULT Set(const char* name, LONG nPad, T PadSettings::*m, T v) {
        Log(std::string(name) + "(" +
            Args({nPad, static_cast<LONG>(std::lround(std::is_same_v<T, float> ? double(v) * 100.0
                                                                               : double(v)))}) +
            ")");
        if (nPad < 0 || nPad >= kPadCount) return E_INVALIDARG;
        return settings[static_cast<size_t>(nPad)].*m = v, S_OK;
    }
    static std::string Args(std::initializer_list<LONG> a) {
        std::string s;
        for (LONG v : a) s += (s.empty() ? "" : ",") + std::to_string(v);
        return s;
    }
    bool Has(LONG nPad, LONG nGrain) const {
        return nPad >= 0 && nPad < kPadCount && nGrain >= 0 &&
               nGrain < static_cast<LONG>(pads[static_cast<size_t>(nPad)].size());
    }
    Grain& At(LONG nPad, LONG nGrain) {
        return pads[static_cast<size_t>(nPad)][static_cast<size_t>(nGrain)];
    }
};
