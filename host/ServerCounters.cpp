#include "host/ServerCounters.h"

namespace {
LONG g_cServerLocks = 0;
std::atomic<LONG> g_cAppLocks{0};
std::atomic<DWORD> g_dwNextPinId{1};
} // namespace

LONG& ServerLockCount() { return g_cServerLocks; }
void AfxOleLockApp() { g_cAppLocks.fetch_add(1); }
void AfxOleUnlockApp() { g_cAppLocks.fetch_sub(1); }
LONG AppLockCount() { return g_cAppLocks.load(); }
DWORD NextOutputPinId() { return g_dwNextPinId.fetch_add(1); }
