// The test host's worker and log. The plug-in's requests are copied into a
// preallocated queue (scheduling allocates nothing) and run when the test
// says, or after every block, as a host's worker thread would run them; the
// answers go back to the plug-in after its next run. Log lines are printed
// to stderr, as hosts show them, and kept for the tests to read.
#pragma once
#include <cstdint>
#include <lilv/lilv.h>
#include <lv2/log/log.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>
#include <mutex>
#include <string>
#include <vector>

class CLv2TestWorker {
public:
    struct Line {
        bool bError;
        std::string strText;
    };

    explicit CLv2TestWorker(LV2_URID_Map* pMap);
    CLv2TestWorker(const CLv2TestWorker&) = delete;
    CLv2TestWorker& operator=(const CLv2TestWorker&) = delete;

    const LV2_Feature* ScheduleFeature() const { return &m_scheduleFeature; }
    const LV2_Feature* LogFeature() const { return &m_logFeature; }
    // Test thread: the instance whose worker interface runs the work (null: none).
    void Attach(LilvInstance* pInstance);

    // Off: requests wait for DoWork(). On (the default): each block's requests
    // are worked on right after it.
    void SetAutomatic(bool bAutomatic) { m_bAutomatic = bAutomatic; }
    // After each block, as the audio thread: the work when automatic, then
    // the answers handed to the plug-in, then the end of the run.
    void AfterRun();
    // As the worker thread: runs every queued request.
    void DoWork();
    // Requests scheduled since the instance was attached.
    size_t Scheduled() const { return m_nScheduled; }
    // The log lines since the last call.
    std::vector<Line> TakeLog();

private:
    static LV2_Worker_Status Schedule(LV2_Worker_Schedule_Handle h, uint32_t nSize,
                                      const void* pData);
    static LV2_Worker_Status Respond(LV2_Worker_Respond_Handle h, uint32_t nSize,
                                     const void* pData);
    static int Printf(LV2_Log_Handle h, LV2_URID type, const char* pszFormat, ...);
    static int VPrintf(LV2_Log_Handle h, LV2_URID type, const char* pszFormat, va_list args);
    // Appends a message to a queue of [size][bytes] records; false when full.
    static bool Push(std::vector<uint8_t>* pQueue, uint32_t nSize, const void* pData);

    LV2_Worker_Schedule m_schedule{};
    LV2_Log_Log m_log{};
    LV2_Feature m_scheduleFeature{}, m_logFeature{};
    LV2_URID m_errorType = 0;
    LilvInstance* m_pInstance = nullptr;
    const LV2_Worker_Interface* m_pInterface = nullptr;
    bool m_bAutomatic = true;
    size_t m_nScheduled = 0;
    std::vector<uint8_t> m_requests, m_responses; // capacity reserved: never grown
    std::mutex m_logLock;
    std::vector<Line> m_lines;
};
