// The module's process-wide counters besides the live-object count
// (CBaseObject): server locks from IClassFactory::LockServer, application
// locks held by living filters, and the identifier sequence of output pins.
#pragma once
#include "platform/com/Types.h"
#include <atomic>

// Server locks are changed without interlocking, as factories are used from
// one thread at a time.
LONG& ServerLockCount();
// The application lock each filter holds from construction to destruction.
void AfxOleLockApp();
void AfxOleUnlockApp();
LONG AppLockCount();
// The next output pin identifier: 1, 2, ... for the life of the process, never reused.
DWORD NextOutputPinId();
