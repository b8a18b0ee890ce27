// Loading a type library from a file. No type-library file format exists on
// this platform: the library of the control interface is registered in
// process by the code that builds it, so loading from a file always fails
// the way a missing or unreadable file does. Any thread.
#pragma once
#include "platform/com/Dispatch.h"

constexpr DWORD SYS_WIN32 = 1;
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = static_cast<HRESULT>(0x80029C4A);

// E_POINTER for a null out; else TYPE_E_CANTLOADLIBRARY with *pptlib null.
HRESULT LoadTypeLib(const WCHAR* szFile, ITypeLib** pptlib);
