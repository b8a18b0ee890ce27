#include "lv2/Lv2TestProject.h"
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoProject.h"
#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/WavWriter.h"
#include "interfaces/IVudivuVizezud.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
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
