// Drives the engine buffer by buffer as the host frame does: a silent input,
// the mix and the 16 "Chan" outputs as float samples, an active list of notes
// that are activated, rendered and retired. Collects what every output played.
#pragma once
#include "../engine/FakeSynthContext.h"
#include "../engine/LoopSourceBuilder.h"
#include "../host/HostDoubles.h"
#include "engine/VudivuVizezud.h"
#include "interfaces/PandrelConstants.h"
#include "interfaces/SynthEventList.h"
#include <memory>
#include <vector>

constexpr DWORD kMixPin = 1; // FakeSynthContext: the mix output has id 1, "Chan n" n + 1

struct PlaybackRig {
    static constexpr LONG kMaxFrames = 100000;

    explicit PlaybackRig(DWORD rate = 48000, double tempo = 120.0, int channels = 2)
        : ctx(rate, tempo), engine(&ctx), input(kMaxFrames * 8), channels(channels) {
        engine.SetOutputFormatRecord(MakeFloatFormat(static_cast<WORD>(channels), rate));
        engine.SetInputFormatRecord(MakeFloatFormat(static_cast<WORD>(channels), rate));
        engine.EnsureOutputFormat();
        engine.Initialize();
        for (int i = 0; i < kOutputCount; ++i) {
            samples.emplace_back(std::make_unique<TestSample>(kMaxFrames * 8));
            played.emplace_back();
        }
        connected.assign(kOutputCount, true);
    }

    // Renders one buffer of nFrames and appends every output's frames to played.
    HRESULT Render(LONG nFrames) {
        PinBuffer in;
        in.nFrames = nFrames;
        in.pSample = &input;
        in.dwSilent = 1;
        in.wBlockAlign = static_cast<WORD>(channels * 4);
        PinBuffer outs[kOutputCount];
        DWORD n = 0;
        int index[kOutputCount];
        for (int i = 0; i < kOutputCount; ++i) {
            if (!connected[static_cast<size_t>(i)]) continue;
            outs[n].nFrames = nFrames;
            outs[n].dwPinId = static_cast<DWORD>(i + 1);
            outs[n].pSample = samples[static_cast<size_t>(i)].get();
            outs[n].dwSilent = 1;
            outs[n].wBlockAlign = in.wBlockAlign;
            index[n++] = i;
        }
        const HRESULT hr = engine.Process(pos, &in, outs, n, pos, &active);
        for (DWORD k = 0; k < n && collect; ++k) {
            std::vector<float>& dst = played[static_cast<size_t>(index[k])];
            const float* p = outs[k].IsSilent() ? nullptr : outs[k].GetFloats();
            for (LONG f = 0; f < nFrames * channels; ++f) dst.push_back(p != nullptr ? p[f] : 0.0f);
        }
        active.Sweep([&](SynthEvent& ev) {
            return ev.rec.dwType == kEventNote ? engine.RetireNote(&ev, 0) : 0;
        });
        pos += nFrames;
        return hr;
    }
    void RenderFor(LONGLONG nFrames, LONG nBuffer = 128) {
        while (nFrames > 0) {
            const LONG n = static_cast<LONG>(std::min<LONGLONG>(nBuffer, nFrames));
            Render(n);
            nFrames -= n;
        }
    }

    void Reserve(LONGLONG nFrames) {
        for (auto& p : played) p.reserve(p.size() + static_cast<size_t>(nFrames * channels));
    }

    // A held note starting now (its time in MIDI ticks at the buffer position).
    void NoteOn(BYTE key, BYTE velocity = 100, BYTE channel = 0) {
        SynthEvent ev{};
        ev.rec.dwType = kEventNote;
        ev.rec.byKey = key;
        ev.rec.byVelocity = velocity;
        ev.rec.byChannel = channel;
        ev.rec.dwDuration = kDurationHeld;
        ev.rec.lTime = ctx.SamplesToMidiTicks(pos);
        ev.llSampleTime = pos;
        if (engine.ActivateNote(&ev) == S_OK) active.AddTail(ev);
    }
    // The note-off pairing of the host frame: the earliest open note of the key.
    void NoteOff(BYTE key) {
        for (SynthEvent& ev : active)
            if (ev.rec.byKey == key && ev.rec.dwDuration == kDurationHeld) {
                ev.rec.dwDuration = 0;
                return;
            }
    }

    // Frame f, channel c of an output (0 = mix, n = "Chan n").
    float At(int output, LONGLONG f, int c = 0) const {
        return played[static_cast<size_t>(output)][static_cast<size_t>(f * channels + c)];
    }
    LONGLONG Frames() const { return static_cast<LONGLONG>(played[0].size()) / channels; }

    FakeSynthContext ctx;
    struct Engine : CVudivuVizezud {
        explicit Engine(CDXiSynthContext* c) : CDXi(c), CVudivuVizezud(c) {}
        using CVudivuVizezud::KeyShift;
        using CVudivuVizezud::m_dwHostKey;
    } engine;
    TestSample input;
    int channels;
    std::vector<std::unique_ptr<TestSample>> samples;
    std::vector<bool> connected;
    std::vector<std::vector<float>> played;
    CSynthEventList active;
    LONGLONG pos = 0;
    bool collect = true; // keep what the outputs played
};

// A wave of nFrames frames whose value is f(frame, channel); one reference.
template <typename F> CWaveMem* MakeWave(int channels, DWORD rate, LONGLONG nFrames, F f) {
    auto* w = new CWaveMem();
    w->Allocate(static_cast<WORD>(channels), rate, nFrames);
    for (LONGLONG i = 0; i < nFrames; ++i)
        for (int c = 0; c < channels; ++c) w->Frame(i)[c] = f(i, c);
    w->SetGuardFrame();
    return w;
}

// Appends a grain over wave frames [src, src + samples) at the given ticks.
inline CGrooveEvent* AddGrain(CGrooveTrack* pad, CWaveMem* wave, LONGLONG src, LONGLONG samples,
                              LONGLONG startTicks, LONGLONG lenTicks, LONGLONG startSamples,
                              BOOL synced) {
    auto* g = new CGrooveEvent();
    g->SetWave(wave);
    g->SetSrcStart(src);
    g->m_nLenSamples = samples;
    g->m_nStartTicks = startTicks;
    g->m_nLenTicks = lenTicks;
    g->m_nStartSamples = startSamples;
    g->m_bSynced = synced;
    pad->AddGrainAtEnd(g);
    return g;
}
