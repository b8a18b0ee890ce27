#include "apps/cli/FactoryKits.h"
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoProject.h"
#include "apps/hostkit/WavWriter.h"
#include "interfaces/IVudivuVizezud.h"
#include <algorithm>
#include <cmath>
#include <functional>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = CFactoryKits::kRate;
using Sound = std::vector<float>;

// A sound of dSeconds, sample by sample from f(t, noise), peaking at 0.9.
Sound Make(double dSeconds, const std::function<double(double, double)>& f) {
    Sound s(static_cast<size_t>(dSeconds * kRate));
    uint32_t nNoise = 0x2545F491u;
    for (size_t i = 0; i < s.size(); ++i) {
        nNoise ^= nNoise << 13;
        nNoise ^= nNoise >> 17;
        nNoise ^= nNoise << 5;
        const double dNoise = static_cast<double>(nNoise) / 2147483648.0 - 1.0;
        s[i] = static_cast<float>(f(static_cast<double>(i) / kRate, dNoise));
    }
    float fPeak = 0.0f;
    for (float v : s) fPeak = std::max(fPeak, std::fabs(v));
    if (fPeak > 0.0f)
        for (float& v : s) v *= 0.9f / fPeak;
    // The last 5 ms fade out, so no sound ends in a click.
    const size_t nFade = std::min(s.size(), static_cast<size_t>(0.005 * kRate));
    for (size_t i = 0; i < nFade; ++i)
        s[s.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(nFade);
    return s;
}

// A sine whose frequency glides from dHigh to dLow at dGlide per second, decaying at dDecay.
Sound Drum(double dSeconds, double dLow, double dHigh, double dGlide, double dDecay) {
    double dPhase = 0.0;
    return Make(dSeconds, [=](double t, double) mutable {
        dPhase += 2.0 * kPi * (dLow + (dHigh - dLow) * std::exp(-t * dGlide)) / kRate;
        return std::sin(dPhase) * std::exp(-t * dDecay);
    });
}

// Noise through a one-pole high-pass, decaying at dDecay.
Sound Hat(double dSeconds, double dDecay) {
    double dLast = 0.0;
    return Make(dSeconds, [=](double t, double n) mutable {
        const double d = n - dLast;
        dLast = n;
        return d * std::exp(-t * dDecay);
    });
}

Sound Snare() {
    return Make(0.3, [](double t, double n) {
        return 0.5 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t * 25.0) +
               0.6 * n * std::exp(-t * 18.0);
    });
}

Sound Clap() {
    return Make(0.3, [](double t, double n) {
        double dEnv = 0.0;
        for (double t0 : {0.0, 0.011, 0.022})
            if (t >= t0) dEnv = std::max(dEnv, std::exp(-(t - t0) * 300.0));
        return n * (dEnv + 0.35 * std::exp(-t * 20.0));
    });
}

Sound Rim() {
    return Make(0.05, [](double t, double) {
        return (std::sin(2.0 * kPi * 1700.0 * t) + 0.6 * std::sin(2.0 * kPi * 400.0 * t)) *
               std::exp(-t * 150.0);
    });
}

Sound Cowbell() {
    return Make(0.3, [](double t, double) {
        auto soft = [t](double f) { return std::tanh(3.0 * std::sin(2.0 * kPi * f * t)); };
        return (soft(540.0) + soft(800.0)) * std::exp(-t * 12.0);
    });
}

// A plucked string at dHz (Karplus-Strong: a noise burst circulating through an averaging delay).
Sound Pluck(double dHz) {
    std::vector<double> line(static_cast<size_t>(std::lround(kRate / dHz)));
    size_t nAt = 0;
    bool bFilled = false;
    return Make(0.45, [&line, nAt, bFilled](double, double n) mutable {
        if (!bFilled) {
            line[nAt] = n;
            if (nAt + 1 == line.size()) bFilled = true;
        } else {
            const size_t nNext = (nAt + 1) % line.size();
            line[nAt] = 0.996 * 0.5 * (line[nAt] + line[nNext]);
        }
        const double v = line[nAt];
        nAt = (nAt + 1) % line.size();
        return v;
    });
}

std::vector<Sound> ElectroKit() {
    return {Drum(0.45, 45.0, 155.0, 30.0, 6.0),
            Snare(),
            Clap(),
            Hat(0.08, 60.0),
            Hat(0.4, 9.0),
            Drum(0.4, 90.0, 135.0, 20.0, 7.0),
            Drum(0.4, 130.0, 195.0, 20.0, 7.0),
            Drum(0.4, 180.0, 270.0, 20.0, 7.0),
            Rim(),
            Cowbell()};
}

std::vector<Sound> PluckKeys() {
    // C minor pentatonic over two octaves from C3.
    std::vector<Sound> sounds;
    for (int nKey : {48, 51, 53, 55, 58, 60, 63, 65, 67, 70})
        sounds.push_back(Pluck(440.0 * std::pow(2.0, (nKey - 69) / 12.0)));
    return sounds;
}

// Each sound into the Loop Bin and onto its own pad: one-shots at their own speed.
HRESULT LayOut(IVudivuVizezud* pControl, const std::vector<Sound>& sounds,
               const std::string& strScratch, std::string* pstrWhat) {
    HRESULT hr = pControl->ClearProject();
    if (FAILED(hr)) return *pstrWhat = "cannot clear the project", hr;
    const CWavWriter writer(WavSampleFormat::Pcm16, 1, CFactoryKits::kRate);
    for (size_t i = 0; i < sounds.size(); ++i) {
        const LONG nPad = static_cast<LONG>(i), nKey = CFactoryKits::kFirstKey + nPad;
        const std::string strPath = strScratch + "/sound-" + std::to_string(i) + ".wav";
        if (!writer.Write(strPath, sounds[i].data(), sounds[i].size(), pstrWhat)) return E_FAIL;
        LONG nEntry = -1, nStatus = 0;
        const std::string strName = "sound " + std::to_string(i + 1);
        *pstrWhat = "cannot lay out " + strName;
        hr = pControl->LoadFileToBin(strName.c_str(), strPath.c_str(), &nEntry, &nStatus);
        if (SUCCEEDED(hr)) hr = pControl->AssignFileToPad(nPad, nEntry);
        if (SUCCEEDED(hr)) hr = pControl->SetPadSynced(nPad, FALSE);
        if (SUCCEEDED(hr)) hr = pControl->SetPadLooping(nPad, FALSE);
        if (SUCCEEDED(hr)) hr = pControl->SetPadLatch(nPad, FALSE);
        if (SUCCEEDED(hr)) hr = pControl->SetPadVolume(nPad, 0.8f);
        const PadKeyRange range{nPad, nKey, nKey, nKey, 0, 127};
        if (SUCCEEDED(hr)) hr = pControl->SetPadKeyRange(&range);
        if (FAILED(hr)) return hr;
    }
    pstrWhat->clear();
    return S_OK;
}

// The demo loop in mono: half the bytes, the same groove.
HRESULT DemoGroove(IVudivuVizezud* pControl, const std::string& strScratch, std::string* pstrWhat) {
    const CDemoLoop loop;
    Sound mono(CDemoLoop::kFrames);
    for (size_t f = 0; f < mono.size(); ++f)
        mono[f] = 0.5f * (loop.Samples()[2 * f] + loop.Samples()[2 * f + 1]);
    CWavWriter writer(WavSampleFormat::Pcm16, 1, CDemoLoop::kRate);
    writer.AddChunk("acid", loop.AcidChunk());
    writer.AddChunk("strc", loop.StrcChunk());
    const std::string strPath = strScratch + "/demo-loop.wav";
    if (!writer.Write(strPath, mono.data(), mono.size(), pstrWhat)) return E_FAIL;
    return CDemoProject::Build(pControl, strPath, pstrWhat);
}
} // namespace

const std::vector<CFactoryKits::Kit>& CFactoryKits::Kits() {
    static const std::vector<Kit> kits = {
        {"demo-groove", "Demo groove",
         "The demo's two-bar drum loop at 120 BPM, sliced on eighth notes: key 36 (C3) plays the "
         "whole groove in time with the host, 37 (C#3) a kick, 38 (D3) a snare, 39 (D#3) a fill "
         "up a fourth, 40 (E3) a half-bar loop."},
        {"electro-kit", "Electro kit",
         "Ten synthesized electronic drums from key 36 (C3) up: kick, snare, clap, closed and open "
         "hat, low, mid and high tom, rim and cowbell."},
        {"pluck-keys", "Pluck keys",
         "A plucked string over two octaves of C minor pentatonic (C3 to A#4), one note per "
         "key from key 36 (C3) up."},
    };
    return kits;
}

HRESULT CFactoryKits::Build(const std::string& strId, IVudivuVizezud* pControl,
                            const std::string& strScratch, std::string* pstrWhat) {
    if (strId == "demo-groove") return DemoGroove(pControl, strScratch, pstrWhat);
    if (strId == "electro-kit") return LayOut(pControl, ElectroKit(), strScratch, pstrWhat);
    if (strId == "pluck-keys") return LayOut(pControl, PluckKeys(), strScratch, pstrWhat);
    *pstrWhat = "no factory kit " + strId;
    return E_INVALIDARG;
}
