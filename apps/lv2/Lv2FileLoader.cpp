#include "apps/lv2/Lv2FileLoader.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/HResult.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Why a file cannot be read, in the system's words; empty when it can.
std::string ReadProblem(const std::string& strPath) {
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    char c = 0;
    const ssize_t n = ::read(fd, &c, 1);
    const int nError = errno;
    ::close(fd);
    if (n < 0) return std::strerror(nError);
    return n == 0 ? "the file is empty" : "";
}

std::string Code(HRESULT hr) {
    char sz[16];
    std::snprintf(sz, sizeof(sz), "0x%08X", static_cast<unsigned>(hr));
    return sz;
}

std::string FileName(const std::string& strPath) {
    return strPath.substr(strPath.find_last_of('/') + 1);
}
} // namespace

void CLv2FileLoader::Init(const LV2_Feature* const* features, const LV2_URID_Map* pMap,
                          IVudivuVizezud* pControl) {
    m_pControl = pControl;
    const LV2_Log_Log* pLog = nullptr;
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i) {
        if (std::strcmp(features[i]->URI, LV2_WORKER__schedule) == 0)
            m_pSchedule = static_cast<const LV2_Worker_Schedule*>(features[i]->data);
        if (std::strcmp(features[i]->URI, LV2_LOG__log) == 0)
            pLog = static_cast<const LV2_Log_Log*>(features[i]->data);
    }
    lv2_log_logger_init(&m_logger, const_cast<LV2_URID_Map*>(pMap), const_cast<LV2_Log_Log*>(pLog));
    if (m_pSchedule == nullptr)
        Log(false, "the host offers no worker (worker:schedule): the file parameters are "
                   "unavailable; load projects through the plug-in's state or presets");
}

void CLv2FileLoader::Log(bool bError, const std::string& strLine) {
    // Without a host log the logger writes to stderr.
    if (bError)
        lv2_log_error(&m_logger, "pandrel.lv2: %s\n", strLine.c_str());
    else
        lv2_log_note(&m_logger, "pandrel.lv2: %s\n", strLine.c_str());
}

bool CLv2FileLoader::Request(Lv2FileParam param, const char* pszPath, uint32_t nBytes) {
    if (m_pSchedule == nullptr || nBytes == 0) return false;
    Header& head = m_request.head;
    head.nParam = static_cast<uint32_t>(param);
    head.bTooLong = nBytes >= kMaxPath;
    head.bLoaded = 0;
    head.nBytes = std::min(nBytes, kMaxPath - 1);
    std::memcpy(m_request.szPath.data(), pszPath, head.nBytes);
    m_request.szPath[head.nBytes] = '\0';
    // The host copies the request.
    return m_pSchedule->schedule_work(m_pSchedule->handle, m_request.Size(), &m_request) ==
           LV2_WORKER_SUCCESS;
}

bool CLv2FileLoader::ReadHeader(uint32_t nSize, const void* pData, Header* pHead) {
    if (nSize < sizeof(Header) || nSize > sizeof(Message)) return false;
    std::memcpy(pHead, pData, sizeof(Header));
    return pHead->nParam < kLv2FileParamCount && pHead->nBytes + 1 <= nSize - sizeof(Header);
}

LV2_Worker_Status CLv2FileLoader::Work(LV2_Worker_Respond_Function respond,
                                       LV2_Worker_Respond_Handle handle, uint32_t nSize,
                                       const void* pData) {
    Header& head = m_answer.head;
    if (!ReadHeader(nSize, pData, &head)) return LV2_WORKER_ERR_UNKNOWN;
    const std::string strPath(static_cast<const char*>(pData) + sizeof(Header), head.nBytes);
    std::memcpy(m_answer.szPath.data(), strPath.c_str(), head.nBytes + 1);
    const auto param = static_cast<Lv2FileParam>(head.nParam);
    head.bLoaded = 0;
    if (head.bTooLong)
        Log(true, "cannot load " + strPath + "...: the path is longer than " +
                      std::to_string(kMaxPath - 1) + " bytes");
    else if (m_pControl == nullptr)
        Log(true, "cannot load " + strPath + ": the instrument is not open");
    else
        head.bLoaded = param == Lv2FileParam::Project ? LoadProject(strPath) : AddAudio(strPath);
    return respond(handle, m_answer.Size(), &m_answer);
}

bool CLv2FileLoader::LoadProject(const std::string& strPath) {
    // The instrument reports only that a load failed; the system says why a
    // file cannot be read.
    if (const std::string strWhy = ReadProblem(strPath); !strWhy.empty())
        return Log(true, "cannot load " + strPath + ": " + strWhy), false;
    // Staged in the instrument: on failure the old project stays and plays on.
    const HRESULT hr = m_pControl->LoadProject(FileName(strPath).c_str(), strPath.c_str());
    if (FAILED(hr)) {
        const char* pszWhy =
            hr == E_FAIL ? "not a project file, or beyond what a project stores" : HResultText(hr);
        return Log(true, "cannot load " + strPath + ": " + pszWhy + " (" + Code(hr) + ")"), false;
    }
    Log(false, "loaded the project " + strPath +
                   (hr == S_FALSE ? " (the output format is now float)" : ""));
    return true;
}

bool CLv2FileLoader::AddAudio(const std::string& strPath) {
    if (const std::string strWhy = ReadProblem(strPath); !strWhy.empty())
        return Log(true, "cannot load " + strPath + ": " + strWhy), false;
    LONG nBefore = 0, nAfter = 0, nEntry = -1, nStatus = 0;
    m_pControl->GetFileCount(&nBefore);
    const HRESULT hr = m_pControl->LoadFileToBin(nullptr, strPath.c_str(), &nEntry, &nStatus);
    m_pControl->GetFileCount(&nAfter);
    if (FAILED(hr)) {
        const char* pszWhy = hr == E_INVALIDARG   ? "not an audio file the instrument reads"
                             : hr == E_FAIL       ? "a sample format the instrument cannot decode"
                             : hr == E_UNEXPECTED ? "too long (a sliced loop over 128 s or 64 "
                                                    "beats, any other file over 30 s: slice it "
                                                    "into a loop with `pandrel slice IN -o "
                                                    "OUT.wav --beats N` (or --bpm B))"
                                                  : HResultText(hr);
        return Log(true, "cannot load " + strPath + ": " + pszWhy + " (" + Code(hr) + ")"), false;
    }
    if (hr == S_FALSE && nStatus == kLoadStatusBinFull)
        return Log(true, "cannot add " + strPath + ": the Loop Bin is full (" +
                             std::to_string(kLoopBinCapacity) + " files)"),
               false;
    const std::string strEntry = "file " + std::to_string(nEntry + 1) + " of the Loop Bin";
    // A file the bin holds already (by its path) is not read or placed again.
    if (nAfter == nBefore) return Log(false, strPath + " is already " + strEntry), true;
    // So that it sounds at once, the new file goes to the first pad without grains.
    for (LONG nPad = 0; nPad < kPadCount; ++nPad) {
        LONG nGrains = 1;
        if (FAILED(m_pControl->GetPadGrainCount(kKindPad, nPad, &nGrains)) || nGrains > 0) continue;
        if (FAILED(m_pControl->AssignFileToPad(nPad, nEntry))) break;
        PadKeyRange range{};
        range.nPad = nPad;
        range.nLowKey = range.nHighKey = -1;
        m_pControl->GetPadKeyRange(&range);
        std::string strKeys;
        if (range.nLowKey >= 0)
            strKeys = range.nLowKey == range.nHighKey
                          ? ", played by MIDI key " + std::to_string(range.nLowKey)
                          : ", played by MIDI keys " + std::to_string(range.nLowKey) + " to " +
                                std::to_string(range.nHighKey);
        return Log(false, "added " + strPath + " as " + strEntry + " on pad " +
                              std::to_string(nPad + 1) + strKeys),
               true;
    }
    Log(false, "added " + strPath + " as " + strEntry + " (no pad was empty)");
    return true;
}

bool CLv2FileLoader::Response(uint32_t nSize, const void* pData) {
    Header head;
    if (!ReadHeader(nSize, pData, &head)) return false;
    const auto param = static_cast<Lv2FileParam>(head.nParam);
    // Hosts are told the value either way, so that one showing the path it
    // asked for shows the old value again after a failure.
    MarkChanged(param);
    if (!head.bLoaded) return false;
    Current& value = Slot(param);
    std::memcpy(value.szPath.data(), static_cast<const char*>(pData) + sizeof(Header), head.nBytes);
    value.szPath[head.nBytes] = '\0';
    value.nBytes = head.nBytes;
    // A new project holds none of the files added before it.
    if (param == Lv2FileParam::Project) {
        Slot(Lv2FileParam::Audio).szPath[0] = '\0';
        Slot(Lv2FileParam::Audio).nBytes = 0;
        MarkChanged(Lv2FileParam::Audio);
    }
    return true;
}
