#include "concurrency/ScratchContent.h"
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoProject.h"
#include "interfaces/IVudivuVizezud.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#ifndef PANDREL_MODULE_PATH
#error "PANDREL_MODULE_PATH names the built pandrel.so"
#endif

namespace {
// A stereo 16-bit PCM wave: a slow sine, so rate conversion and overviews have work.
bool WriteLongWave(const std::string& strPath, double dSeconds, std::string* pstrError) {
    constexpr uint32_t kRate = 44100;
    const auto nFrames = static_cast<uint32_t>(dSeconds * kRate);
    std::vector<int16_t> pcm(size_t{nFrames} * 2);
    for (uint32_t i = 0; i < nFrames; ++i)
        pcm[2 * i] = pcm[2 * i + 1] =
            static_cast<int16_t>(12000.0 * std::sin(i * 2.0 * M_PI * 110.0 / kRate));
    auto le = [](std::vector<uint8_t>& b, uint32_t v, int n) {
        for (int k = 0; k < n; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
    };
    const uint32_t nData = nFrames * 4;
    std::vector<uint8_t> head = {'R', 'I', 'F', 'F'};
    le(head, 36 + nData, 4);
    head.insert(head.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(head, 16, 4);
    le(head, 1, 2);
    le(head, 2, 2);
    le(head, kRate, 4);
    le(head, kRate * 4, 4);
    le(head, 4, 2);
    le(head, 16, 2);
    head.insert(head.end(), {'d', 'a', 't', 'a'});
    le(head, nData, 4);
    FILE* f = std::fopen(strPath.c_str(), "wb");
    if (f == nullptr) return *pstrError = "cannot create " + strPath, false;
    const bool bOk = std::fwrite(head.data(), 1, head.size(), f) == head.size() &&
                     std::fwrite(pcm.data(), 2, pcm.size(), f) == pcm.size();
    return (std::fclose(f) == 0 && bOk) || (*pstrError = "cannot write " + strPath, false);
}
} // namespace

bool CScratchContent::Create(double dLongSeconds, std::string* pstrError) {
    char tmpl[] = "/tmp/pandrel-scratch-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) return *pstrError = "cannot create a scratch folder", false;
    m_strDir = tmpl;
    m_strLoop = m_strDir + "/loop.wav";
    m_strLong = m_strDir + "/long.wav";
    m_strProject = m_strDir + "/demo.pnd";
    CDemoLoop loop;
    return loop.Write(m_strLoop, pstrError) && WriteLongWave(m_strLong, dLongSeconds, pstrError);
}

CScratchContent::~CScratchContent() {
    std::error_code ec;
    if (!m_strDir.empty()) std::filesystem::remove_all(m_strDir, ec);
}

HRESULT CScratchContent::BuildDemo(IVudivuVizezud* pControl, std::string* pstrWhat) const {
    return CDemoProject::Build(pControl, m_strLoop, pstrWhat);
}

HRESULT CScratchContent::SaveProject(IVudivuVizezud* pControl) const {
    return pControl->SaveProject("demo", m_strProject.c_str());
}

std::vector<uint8_t> SavedState(IVudivuVizezud* pControl) {
    std::vector<uint8_t> bytes;
    void* pv = nullptr;
    if (FAILED(pControl->QueryInterface(IID_IPersistStream, &pv))) return bytes;
    auto* pPersist = static_cast<IPersistStream*>(pv);
    IStream* pStream = nullptr;
    if (SUCCEEDED(CreateMemoryStream(&pStream)) && SUCCEEDED(pPersist->Save(pStream, FALSE))) {
        ULARGE_INTEGER end{};
        pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
        pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        bytes.resize(static_cast<size_t>(end.QuadPart));
        ULONG cbRead = 0;
        if (FAILED(pStream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &cbRead)) ||
            cbRead != bytes.size())
            bytes.clear();
    }
    if (pStream != nullptr) pStream->Release();
    pPersist->Release();
    return bytes;
}

std::vector<uint8_t> DemoState(double dLongSeconds, std::string* pstrError) {
    CScratchContent content;
    CInstrumentHost host;
    if (!content.Create(std::max(dLongSeconds, 0.1), pstrError) ||
        !host.Open(BuiltModule(), CInstrumentHost::Options{}, CTempoMap(), pstrError) ||
        content.BuildDemo(host.Control(), pstrError) != S_OK)
        return {};
    LONG nIndex = -1, nStatus = 0;
    if (dLongSeconds > 0 && FAILED(host.Control()->LoadFileToBin("long", content.LongPath().c_str(),
                                                                 &nIndex, &nStatus)))
        return *pstrError = "cannot load the long wave", std::vector<uint8_t>{};
    std::vector<uint8_t> bytes = SavedState(host.Control());
    if (bytes.empty()) *pstrError = "cannot save the state";
    return bytes;
}

const CInstrumentModule& BuiltModule() {
    static CInstrumentModule module;
    static const bool bLoaded = [] {
        std::string strError;
        // PANDREL_TEST_MODULE runs the tests against another build, to compare.
        const char* pszOther = std::getenv("PANDREL_TEST_MODULE");
        const char* pszPath =
            pszOther != nullptr && *pszOther != 0 ? pszOther : PANDREL_MODULE_PATH;
        if (module.Load(pszPath, &strError)) return true;
        std::fprintf(stderr, "%s: %s\n", pszPath, strError.c_str());
        return false;
    }();
    if (!bLoaded) std::abort();
    return module;
}
