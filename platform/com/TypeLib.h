// The machine's registry of type libraries, as a process-wide table keyed by
// library identifier and version. Registration holds a reference on the
// library until it is unregistered. Thread-safe.
#pragma once
#include "platform/com/Dispatch.h"

constexpr DWORD SYS_WIN64 = 3;

// Registers ptlib under the identifier and version its attributes give
// (replacing an earlier registration). The path and help folder are kept only
// as the registry would keep them; they may be null.
HRESULT RegisterTypeLib(ITypeLib* ptlib, const WCHAR* szFullPath, const WCHAR* szHelpDir);
// TYPE_E_LIBNOTREGISTERED when no such registration exists.
HRESULT UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, DWORD syskind);
// The registered library of that identifier, the same major version and at
// least that minor version, with a reference added; TYPE_E_LIBNOTREGISTERED.
HRESULT LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib** pptlib);
