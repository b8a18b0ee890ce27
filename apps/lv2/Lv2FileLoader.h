// The loads behind the file parameters. The audio thread copies a path into a
// bounded request and schedules it on the host's worker; the worker thread
// loads it through the control interface (a project replaces the project; an
// audio file joins the Loop Bin and goes to the first empty pad) and logs the
// outcome in words; the answer returns to the audio thread, which keeps each
// parameter's current value. A failed load changes nothing.
#pragma once
#include "apps/lv2/Lv2Patch.h"
#include <array>
#include <cstdint>
#include <lv2/core/lv2.h>
#include <lv2/log/logger.h>
#include <lv2/worker/worker.h>
#include <string>

class IVudivuVizezud;

class CLv2FileLoader {
public:
    static constexpr uint32_t kMaxPath = 4096; // bytes of a path, with its NUL

    // Instantiation thread: takes the host's worker and log (both optional)
    // and the control interface the loads go through (not owned).
    void Init(const LV2_Feature* const* features, const LV2_URID_Map* pMap,
              IVudivuVizezud* pControl);
    // Whether the host offers a worker: without one the file parameters do nothing.
    bool HasWorker() const { return m_pSchedule != nullptr; }

    // Audio thread, never blocks or allocates: hands the path to the worker.
    // A path too long for the request is refused there, with a log entry.
    // False when nothing was scheduled (no worker, an empty path, the host's
    // queue full): the parameter keeps its value.
    bool Request(Lv2FileParam param, const char* pszPath, uint32_t nBytes);
    // Worker thread; may block: loads the requested file and answers.
    LV2_Worker_Status Work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                           uint32_t nSize, const void* pData);
    // Audio thread, never blocks: takes the worker's answer. True when the
    // instrument now holds something new (the caller's idle gate must look again).
    bool Response(uint32_t nSize, const void* pData);

    // Audio thread: each parameter's current value (the last file loaded
    // through it; empty before) and whether hosts still have to be told.
    const char* Value(Lv2FileParam param) const { return Slot(param).szPath.data(); }
    uint32_t ValueBytes(Lv2FileParam param) const { return Slot(param).nBytes; }
    bool Changed(Lv2FileParam param) const { return Slot(param).bChanged; }
    void MarkChanged(Lv2FileParam param) { Slot(param).bChanged = true; }
    void MarkTold(Lv2FileParam param) { Slot(param).bChanged = false; }

    // Instantiation or worker thread: a line in the host's log (stderr without one).
    void Log(bool bError, const std::string& strLine);

private:
    // What crosses the worker in both directions: a header, then only as
    // many of the path's bytes as it has, and its NUL.
    struct Header {
        uint32_t nParam = 0;
        uint32_t bTooLong = 0; // request: the path was cut to fit
        uint32_t bLoaded = 0;  // answer: the file is loaded
        uint32_t nBytes = 0;   // of the path, without its NUL
    };
    struct Message {
        Header head;
        std::array<char, kMaxPath> szPath{};
        uint32_t Size() const { return static_cast<uint32_t>(sizeof(Header)) + head.nBytes + 1; }
    };
    // The header of a message of nSize bytes, false when it does not hold together.
    static bool ReadHeader(uint32_t nSize, const void* pData, Header* pHead);
    struct Current {
        std::array<char, kMaxPath> szPath{};
        uint32_t nBytes = 0;
        bool bChanged = false;
    };
    // Worker thread: the load itself; a failure is logged in words.
    bool LoadProject(const std::string& strPath);
    bool AddAudio(const std::string& strPath);
    const Current& Slot(Lv2FileParam p) const { return m_values[static_cast<size_t>(p)]; }
    Current& Slot(Lv2FileParam p) { return m_values[static_cast<size_t>(p)]; }

    IVudivuVizezud* m_pControl = nullptr;
    const LV2_Worker_Schedule* m_pSchedule = nullptr;
    LV2_Log_Logger m_logger{};
    Message m_request;                                  // audio thread
    Message m_answer;                                   // worker thread
    std::array<Current, kLv2FileParamCount> m_values{}; // audio thread
};
