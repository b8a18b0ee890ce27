// The machine's registry: hierarchical keys under three roots holding REG_SZ
// values, persisted in one text file ($PANDREL_REGISTRY, else
// $XDG_CONFIG_HOME/pandrel/registry, else ~/.config/pandrel/registry). Every
// call reads the file afresh and every change rewrites it (atomically, by
// rename), so two modules of one process, or two processes, see each other's
// changes. Key and value names compare without regard to ASCII case.
// Thread-safe within a module; never called on the audio path.
#pragma once
#include "platform/com/Types.h"
#include <string>

struct RegKey;
using HKEY = RegKey*;
using REGSAM = DWORD;

extern const HKEY HKEY_CLASSES_ROOT;
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

// Win32 error codes the registry answers.
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_CANTWRITE = 1013;

constexpr DWORD REG_SZ = 1;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key (ERROR_FILE_NOT_FOUND when it does not exist). An
// empty or null subkey opens hKey itself again.
LONG RegOpenKeyExA(HKEY hKey, const char* pszSubKey, DWORD dwOptions, REGSAM samDesired,
                   HKEY* phkResult);
// Opens or creates a key and every missing key above it; *pdwDisposition
// (optional) tells which.
LONG RegCreateKeyExA(HKEY hKey, const char* pszSubKey, DWORD dwReserved, char* pszClass,
                     DWORD dwOptions, REGSAM samDesired, void* pSecurity, HKEY* phkResult,
                     DWORD* pdwDisposition);
LONG RegCloseKey(HKEY hKey);
// Sets a value (null or empty name: the default value). Only REG_SZ is
// stored; cbData counts the terminating 0, text ends at the first 0.
LONG RegSetValueExA(HKEY hKey, const char* pszValueName, DWORD dwReserved, DWORD dwType,
                    const BYTE* pData, DWORD cbData);
// Reads a value: *pdwType gets REG_SZ, *pcbData the size with its 0. A null
// pData asks for the size; a buffer too small gives ERROR_MORE_DATA.
LONG RegQueryValueExA(HKEY hKey, const char* pszValueName, DWORD* pdwReserved, DWORD* pdwType,
                      BYTE* pData, DWORD* pcbData);
LONG RegDeleteValueA(HKEY hKey, const char* pszValueName);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKeyA(HKEY hKey, const char* pszSubKey);
// The name of the subkey at dwIndex in name order; ERROR_NO_MORE_ITEMS past the end.
LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName);

// The file the registry is kept in, as the rules above choose it.
std::string RegistryFilePath();
