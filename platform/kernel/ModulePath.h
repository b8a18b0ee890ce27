// Module file names: the full path of the shared object (or program) that
// holds a given address, found through the dynamic loader. Any thread.
#pragma once
#include "platform/com/Types.h"

constexpr DWORD kMaxModulePath = 260;

// Copies the full path of the module holding pAddress into psz (UTF-8) and
// returns its length; 0 when it cannot be found or does not fit in cch
// characters with its terminating 0 (psz then holds an empty text).
DWORD GetModuleFileNameA(const void* pAddress, char* psz, DWORD cch);

// From a module's full file name: with pszFileName, the path of that file in
// the module's folder (FALSE when the folder and the name together need more
// than kMaxModulePath characters with the terminating 0); without, the
// module's folder, keeping the root "/" for a module at the top. pszOut holds
// kMaxModulePath characters; it is empty on failure.
BOOL ModulePathFromFileName(const char* pszModule, char* pszOut, const char* pszFileName);
// The same for the module holding pAddress.
BOOL GetModulePath(const void* pAddress, char* pszOut, const char* pszFileName);
