#include "apps/hostkit/TempFiles.h"
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {
enum SlotState : int { kFree, kFilling, kInUse };

std::atomic<int> g_states[CTempFiles::kSlots];
char g_paths[CTempFiles::kSlots][PATH_MAX];
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

// Only async-signal-safe calls: unlink, sigaction, raise.
void OnSignal(int nSignal) {
    const int nSaved = errno;
    for (int i = 0; i < CTempFiles::kSlots; ++i)
        if (g_states[i].load(std::memory_order_acquire) == kInUse) unlink(g_paths[i]);
    // The default action again, so the exit status tells which signal ended us.
    struct sigaction sa {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    sigaction(nSignal, &sa, nullptr);
    raise(nSignal);
    errno = nSaved;
}
} // namespace

int CTempFiles::Add(const char* pszPath) {
    const size_t nLength = std::strlen(pszPath);
    if (nLength >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int nExpected = kFree;
        if (!g_states[i].compare_exchange_strong(nExpected, kFilling)) continue;
        std::memcpy(g_paths[i], pszPath, nLength + 1);
        g_states[i].store(kInUse, std::memory_order_release);
        return i;
    }
    return -1;
}

void CTempFiles::Remove(int nSlot) {
    if (nSlot >= 0 && nSlot < kSlots) g_states[nSlot].store(kFree, std::memory_order_release);
}

void CTempFiles::RemoveOnSignals() {
    struct sigaction sa {};
    sa.sa_handler = &OnSignal;
    sigemptyset(&sa.sa_mask);
    // A second signal waits until the first one's files are gone.
    for (int nSignal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&sa.sa_mask, nSignal);
    for (int nSignal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the caller chose to ignore (a job started in the background) stays ignored.
        struct sigaction old {};
        if (sigaction(nSignal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(nSignal, &sa, nullptr);
    }
}
