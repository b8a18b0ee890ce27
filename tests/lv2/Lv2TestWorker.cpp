#include "lv2/Lv2TestWorker.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
constexpr size_t kQueueBytes = 64 * 1024;
}

CLv2TestWorker::CLv2TestWorker(LV2_URID_Map* pMap) {
    m_schedule = {this, &CLv2TestWorker::Schedule};
    m_log = {this, &CLv2TestWorker::Printf, &CLv2TestWorker::VPrintf};
    m_scheduleFeature = {LV2_WORKER__schedule, &m_schedule};
    m_logFeature = {LV2_LOG__log, &m_log};
    m_errorType = pMap->map(pMap->handle, LV2_LOG__Error);
    m_requests.reserve(kQueueBytes);
    m_responses.reserve(kQueueBytes);
}

void CLv2TestWorker::Attach(LilvInstance* pInstance) {
    m_pInstance = pInstance;
    m_pInterface = pInstance == nullptr
                       ? nullptr
                       : static_cast<const LV2_Worker_Interface*>(
                             lilv_instance_get_extension_data(pInstance, LV2_WORKER__interface));
    m_requests.clear();
    m_responses.clear();
    m_nScheduled = 0;
}

bool CLv2TestWorker::Push(std::vector<uint8_t>* pQueue, uint32_t nSize, const void* pData) {
    if (pQueue->size() + sizeof(nSize) + nSize > pQueue->capacity()) return false;
    const auto* pb = reinterpret_cast<const uint8_t*>(&nSize);
    pQueue->insert(pQueue->end(), pb, pb + sizeof(nSize));
    pQueue->insert(pQueue->end(), static_cast<const uint8_t*>(pData),
                   static_cast<const uint8_t*>(pData) + nSize);
    return true;
}

LV2_Worker_Status CLv2TestWorker::Schedule(LV2_Worker_Schedule_Handle h, uint32_t nSize,
                                           const void* pData) {
    auto* self = static_cast<CLv2TestWorker*>(h);
    if (!Push(&self->m_requests, nSize, pData)) return LV2_WORKER_ERR_NO_SPACE;
    ++self->m_nScheduled;
    return LV2_WORKER_SUCCESS;
}

LV2_Worker_Status CLv2TestWorker::Respond(LV2_Worker_Respond_Handle h, uint32_t nSize,
                                          const void* pData) {
    auto* self = static_cast<CLv2TestWorker*>(h);
    return Push(&self->m_responses, nSize, pData) ? LV2_WORKER_SUCCESS : LV2_WORKER_ERR_NO_SPACE;
}

void CLv2TestWorker::DoWork() {
    if (m_pInterface == nullptr) return;
    // Work answers through Respond and may not schedule, so the queue holds still.
    for (size_t p = 0; p + sizeof(uint32_t) <= m_requests.size();) {
        uint32_t nSize = 0;
        std::memcpy(&nSize, &m_requests[p], sizeof(nSize));
        p += sizeof(nSize);
        m_pInterface->work(lilv_instance_get_handle(m_pInstance), &CLv2TestWorker::Respond, this,
                           nSize, &m_requests[p]);
        p += nSize;
    }
    m_requests.clear();
}

void CLv2TestWorker::AfterRun() {
    if (m_pInterface == nullptr) return;
    if (m_bAutomatic) DoWork();
    const LV2_Handle h = lilv_instance_get_handle(m_pInstance);
    for (size_t p = 0; p + sizeof(uint32_t) <= m_responses.size();) {
        uint32_t nSize = 0;
        std::memcpy(&nSize, &m_responses[p], sizeof(nSize));
        p += sizeof(nSize);
        m_pInterface->work_response(h, nSize, &m_responses[p]);
        p += nSize;
    }
    m_responses.clear();
    if (m_pInterface->end_run != nullptr) m_pInterface->end_run(h);
}

int CLv2TestWorker::Printf(LV2_Log_Handle h, LV2_URID type, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const int n = VPrintf(h, type, pszFormat, args);
    va_end(args);
    return n;
}

int CLv2TestWorker::VPrintf(LV2_Log_Handle h, LV2_URID type, const char* pszFormat, va_list args) {
    auto* self = static_cast<CLv2TestWorker*>(h);
    char sz[8192];
    const int n = std::vsnprintf(sz, sizeof(sz), pszFormat, args);
    // Printed as well, as hosts show their log.
    std::fputs(sz, stderr);
    std::lock_guard<std::mutex> guard(self->m_logLock);
    self->m_lines.push_back({type == self->m_errorType, sz});
    return n;
}

std::vector<CLv2TestWorker::Line> CLv2TestWorker::TakeLog() {
    std::lock_guard<std::mutex> guard(m_logLock);
    std::vector<Line> lines;
    lines.swap(m_lines);
    return lines;
}
