#include "bench/compare/CompareInstrument.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"

CCompareInstrument::CCompareInstrument(const std::string& strLibrary, DWORD dwRate) {
    CInstrumentHost::Options options;
    options.dwRate = dwRate;
    m_bOk = m_module.Load(strLibrary, &m_strError) &&
            m_host.Open(m_module, options, CTempoMap(), &m_strError);
}

LONG CCompareInstrument::LoadLoop(const std::string& strPath) {
    LONG nEntry = -1, nStatus = 0;
    if (FAILED(Control()->LoadFileToBin("loop", strPath.c_str(), &nEntry, &nStatus))) return -1;
    return nEntry;
}

HRESULT CCompareInstrument::BuildBusyGroove(LONG nEntry) {
    IVudivuVizezud* c = Control();
    HRESULT hr = S_OK;
    auto step = [&hr](HRESULT r) {
        if (FAILED(r) && SUCCEEDED(hr)) hr = r;
    };
    for (LONG p = 0; p < kPadCount && SUCCEEDED(hr); ++p) {
        step(c->AssignFileToPad(p, nEntry));
        LONG nGrains = 0;
        step(c->GetPadGrainCount(kKindPad, p, &nGrains));
        for (LONG g = 0; g < nGrains && p >= 8; ++g) step(c->SetGrainPitch(p, g, 3));
        step(c->SetPadSynced(p, TRUE));
        step(c->SetPadLooping(p, TRUE));
        step(c->SetPadLatch(p, FALSE));
        step(c->SetPadOutput(p, p + 1));
        const LONG nKey = 36 + p;
        const PadKeyRange range{p, nKey, nKey, nKey, 0, 127};
        step(c->SetPadKeyRange(&range));
    }
    return hr;
}

IPersistStream* CCompareInstrument::Persist() const {
    void* pv = nullptr;
    if (Control() == nullptr || FAILED(Control()->QueryInterface(IID_IPersistStream, &pv)))
        return nullptr;
    return static_cast<IPersistStream*>(pv);
}

std::vector<uint8_t> StreamBytes(IStream* pStream) {
    ULARGE_INTEGER end{};
    pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
    pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(static_cast<size_t>(end.QuadPart));
    ULONG nRead = 0;
    pStream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &nRead);
    bytes.resize(nRead);
    return bytes;
}

std::vector<uint8_t> CCompareInstrument::SaveBytes() const {
    std::vector<uint8_t> bytes;
    IPersistStream* pPersist = Persist();
    IStream* pStream = nullptr;
    if (pPersist != nullptr && SUCCEEDED(CreateMemoryStream(&pStream)) &&
        SUCCEEDED(pPersist->Save(pStream, FALSE)))
        bytes = StreamBytes(pStream);
    if (pStream != nullptr) pStream->Release();
    if (pPersist != nullptr) pPersist->Release();
    return bytes;
}
