// Registration of the library's classes: the "CLSID" keys (with the module
// path as InprocServer32, threading "Both"), the filter mapper's entry, the
// control interface's type library and the "MfxSoftSynths" key. Called by the
// exports on whatever thread the host uses.
#pragma once
#include "platform/registry/Registry.h"

// The class keys and the mapper entries: written (bRegister) or removed.
HRESULT RegisterAllServers(bool bRegister);
// What DllRegisterServer and DllUnregisterServer do.
HRESULT RegisterServer();
HRESULT UnregisterServer();
// Deletes a key and everything under it, depth first.
LONG DeleteKeyTree(HKEY hParent, const char* pszSubKey);
