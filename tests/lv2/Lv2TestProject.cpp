#include "lv2/Lv2TestProject.h"
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoProject.h"
#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/WavWriter.h"
#include "interfaces/IVudivuVizezud.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include <cmath>
#include <filesystem>
#include <unistd.h>

namespace {
bool WriteLoop(const std::string& strPath, bool bClicks, std::string* pstrError) {
    const CDemoLoop loop;
    if (!bClicks) return loop.Write(strPath, pstrError);
    std::vector<float> samples(size_t{CDemoLoop::kFrames} * CDemoLoop::kChannels, 0.0f);
    for (int s = 0; s < CDemoLoop::kSlices; ++s)
        for (uint32_t f = 0; f < CLv2TestProject::kClickFrames; ++f)
            for (int c = 0; c < CDemoLoop::kChannels; ++c)
                samples[(loop.SliceStart(s) + f) * CDemoLoop::kChannels + c] =
                    CLv2TestProject::ClickLevel(s);
    CWavWriter writer(WavSampleFormat::Pcm16, CDemoLoop::kChannels, CDemoLoop::kRate);
    writer.AddChunk("acid", loop.AcidChunk());
    writer.AddChunk("strc", loop.StrcChunk());
    return writer.Write(strPath, samples.data(), CDemoLoop::kFrames, pstrError);
}

bool SaveBytes(IUnknown* pInstrument, std::vector<uint8_t>* pBytes) {
    void* pv = nullptr;
    if (FAILED(pInstrument->QueryInterface(IID_IPersistStream, &pv))) return false;
    auto* pPersist = static_cast<IPersistStream*>(pv);
    IStream* pStream = nullptr;
    HRESULT hr = CreateMemoryStream(&pStream);
    if (SUCCEEDED(hr)) hr = pPersist->Save(pStream, FALSE);
    ULARGE_INTEGER end{};
    ULONG cbRead = 0;
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) {
        pBytes->resize(static_cast<size_t>(end.QuadPart));
        hr = pStream->Read(pBytes->data(), static_cast<ULONG>(pBytes->size()), &cbRead);
    }
    if (pStream != nullptr) pStream->Release();
    pPersist->Release();
    return SUCCEEDED(hr) && cbRead == pBytes->size() && !pBytes->empty();
}
} // namespace

namespace {
bool WriteEntryWave(const std::string& strPath, int n, double dSeconds, std::string* pstrError) {
    const size_t nFrames = static_cast<size_t>(dSeconds * 44100.0);
    std::vector<float> samples(2 * nFrames);
    uint32_t nNoise = 0x9E3779B9u * static_cast<uint32_t>(n + 1);
    const double dStep = 2.0 * 3.14159265358979 * (110.0 + 37.0 * n) / 44100.0;
    for (size_t f = 0; f < nFrames; ++f) {
        nNoise = nNoise * 1664525u + 1013904223u;
        const double dNoise = (static_cast<double>(nNoise >> 8) / 16777216.0 - 0.5) * 0.2;
        samples[2 * f] =
            static_cast<float>(0.5 * std::sin(dStep * static_cast<double>(f)) + dNoise);
        samples[2 * f + 1] =
            static_cast<float>(0.4 * std::cos(dStep * static_cast<double>(f)) - dNoise);
    }
    return CWavWriter(WavSampleFormat::Pcm16, 2, 44100)
        .Write(strPath, samples.data(), nFrames, pstrError);
}
} // namespace

bool CLv2TestProject::BinState(const std::string& strLibrary, int nEntries, double dSeconds,
                               float fPadVolume, std::vector<uint8_t>* pBytes,
                               std::string* pstrError) {
    CInstrumentModule module;
    if (!module.Load(strLibrary, pstrError)) return false;
    CInstrumentHost host;
    if (!host.Open(module, CInstrumentHost::Options{}, CTempoMap(), pstrError)) return false;
    IVudivuVizezud* pControl = host.Control();
    const auto dir = std::filesystem::temp_directory_path();
    for (int n = 0; n < nEntries; ++n) {
        const std::string strWave = (dir / ("pandrel-lv2-bin-" + std::to_string(getpid()) + "-" +
                                            std::to_string(n) + ".wav"))
                                        .string();
        if (!WriteEntryWave(strWave, n, dSeconds, pstrError)) return false;
        LONG nEntry = -1, nStatus = 0;
        HRESULT hr = pControl->LoadFileToBin("entry", strWave.c_str(), &nEntry, &nStatus);
        std::filesystem::remove(strWave);
        if (SUCCEEDED(hr)) hr = pControl->AssignFileToPad(n, nEntry);
        const PadKeyRange range{n, kBinKey + n, kBinKey + n, kBinKey + n, 0, 127};
        if (SUCCEEDED(hr)) hr = pControl->SetPadKeyRange(&range);
        if (SUCCEEDED(hr)) hr = pControl->SetPadLooping(n, FALSE);
        if (SUCCEEDED(hr) && n == 0) hr = pControl->SetPadVolume(0, fPadVolume);
        if (FAILED(hr)) return *pstrError = "cannot build entry " + std::to_string(n), false;
    }
    if (!SaveBytes(pControl, pBytes)) return *pstrError = "cannot save the project", false;
    return true;
}

bool CLv2TestProject::ToneState(const std::string& strLibrary, std::vector<uint8_t>* pBytes,
                                std::string* pstrError) {
    CInstrumentModule module;
    if (!module.Load(strLibrary, pstrError)) return false;
    CInstrumentHost host;
    if (!host.Open(module, CInstrumentHost::Options{}, CTempoMap(), pstrError)) return false;
    const std::string strWave = (std::filesystem::temp_directory_path() /
                                 ("pandrel-lv2-tone-" + std::to_string(getpid()) + ".wav"))
                                    .string();
    std::vector<float> samples(size_t{CDemoLoop::kFrames} * 2);
    const double dStep = 2.0 * 3.14159265358979 * kToneHz / CDemoLoop::kRate;
    for (size_t f = 0; f < CDemoLoop::kFrames; ++f)
        samples[2 * f] = samples[2 * f + 1] =
            static_cast<float>(0.5 * std::sin(dStep * static_cast<double>(f)));
    CWavWriter writer(WavSampleFormat::Pcm16, 2, CDemoLoop::kRate);
    writer.AddChunk("acid", CDemoLoop().AcidChunk()); // root note 60, valid
    if (!writer.Write(strWave, samples.data(), CDemoLoop::kFrames, pstrError)) return false;
    IVudivuVizezud* pControl = host.Control();
    LONG nEntry = -1, nStatus = 0;
    HRESULT hr = pControl->LoadFileToBin("tone", strWave.c_str(), &nEntry, &nStatus);
    std::filesystem::remove(strWave);
    if (SUCCEEDED(hr)) hr = pControl->AssignFileToPad(0, nEntry);
    const PadKeyRange range{0, kToneKey - 6, kToneKey + 5, kToneKey, 0, 127};
    if (SUCCEEDED(hr)) hr = pControl->SetPadKeyRange(&range);
    if (FAILED(hr)) return *pstrError = "cannot build the tone pad", false;
    if (!SaveBytes(pControl, pBytes)) return *pstrError = "cannot save the project", false;
    return true;
}

bool CLv2TestProject::State(const std::string& strLibrary, bool bClicks,
                            std::vector<uint8_t>* pBytes, std::string* pstrError) {
    CInstrumentModule module;
    if (!module.Load(strLibrary, pstrError)) return false;
    CInstrumentHost host;
    if (!host.Open(module, CInstrumentHost::Options{}, CTempoMap(), pstrError)) return false;
    const std::string strLoop =
        (std::filesystem::temp_directory_path() /
         ("pandrel-lv2-loop-" + std::to_string(getpid()) + (bClicks ? "-clicks" : "") + ".wav"))
            .string();
    if (!WriteLoop(strLoop, bClicks, pstrError)) return false;
    std::string strWhat;
    const HRESULT hr = CDemoProject::Build(host.Control(), strLoop, &strWhat);
    std::filesystem::remove(strLoop);
    if (FAILED(hr)) return *pstrError = strWhat, false;
    if (!SaveBytes(host.Control(), pBytes)) return *pstrError = "cannot save the project", false;
    return true;
}
