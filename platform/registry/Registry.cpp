#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

struct RegKey {
    std::string path; // lower-case full path
    bool bWrite;
    bool bPredefined;
};

namespace {
RegKey g_root[3] = {{"hkcr", true, true}, {"hkcu", true, true}, {"hklm", true, true}};

std::mutex& Mutex() {
    static std::mutex m;
    return m;
}

bool Writable(REGSAM sam) { return (sam & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0; }

// Joins a subkey onto a key's path; false for a malformed subkey (empty parts).
bool Join(const RegKey* pKey, const char* pszSubKey, std::string* pOut) {
    *pOut = pKey->path;
    if (pszSubKey == nullptr || *pszSubKey == 0) return true;
    std::string sub = CRegistryStore::Lower(pszSubKey);
    if (sub.front() == '\\' || sub.back() == '\\' || sub.find("\\\\") != std::string::npos ||
        sub.find_first_of("\r\n") != std::string::npos)
        return false;
    *pOut += "\\" + sub;
    return true;
}

void MakeDirs(const std::string& file) {
    for (size_t s = file.find('/', 1); s != std::string::npos; s = file.find('/', s + 1))
        mkdir(file.substr(0, s).c_str(), 0755);
}

bool LoadStore(CRegistryStore& store) { return store.Load(RegistryFilePath()); }

bool SaveStore(const CRegistryStore& store) {
    const std::string path = RegistryFilePath();
    MakeDirs(path);
    return store.Save(path);
}
} // namespace

const HKEY HKEY_CLASSES_ROOT = &g_root[0];
const HKEY HKEY_CURRENT_USER = &g_root[1];
const HKEY HKEY_LOCAL_MACHINE = &g_root[2];

std::string RegistryFilePath() {
    if (const char* p = std::getenv("PANDREL_REGISTRY"); p != nullptr && *p != 0) return p;
    if (const char* p = std::getenv("XDG_CONFIG_HOME"); p != nullptr && *p != 0)
        return std::string(p) + "/pandrel/registry";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/pandrel/registry";
}

LONG RegOpenKeyExA(HKEY hKey, const char* pszSubKey, DWORD, REGSAM samDesired, HKEY* phkResult) {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    std::string path;
    if (!Join(hKey, pszSubKey, &path)) return ERROR_FILE_NOT_FOUND;
    std::lock_guard<std::mutex> lock(Mutex());
    CRegistryStore store;
    if (!LoadStore(store)) return ERROR_ACCESS_DENIED;
    if (!store.Exists(path)) return ERROR_FILE_NOT_FOUND;
    *phkResult = new RegKey{path, Writable(samDesired), false};
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, const char* pszSubKey, DWORD, char*, DWORD, REGSAM samDesired,
                     void*, HKEY* phkResult, DWORD* pdwDisposition) {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    std::string path;
    if (!Join(hKey, pszSubKey, &path)) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(Mutex());
    CRegistryStore store;
    if (!LoadStore(store)) return ERROR_ACCESS_DENIED;
    const bool bExists = store.Exists(path);
    if (!bExists) {
        if (!hKey->bWrite) return ERROR_ACCESS_DENIED;
        // Every missing key on the way is created, with the case it was given.
        const std::string given =
            hKey->path + (pszSubKey != nullptr && *pszSubKey ? std::string("\\") + pszSubKey : "");
        for (size_t s = hKey->path.size(); s != std::string::npos;) {
            const size_t e = path.find('\\', s + 1);
            const std::string prefix = path.substr(0, e);
            if (!store.Exists(prefix)) {
                const size_t from = s + 1;
                store.keys[prefix].name = given.substr(from, e == std::string::npos ? e : e - from);
            }
            s = e;
        }
        if (!SaveStore(store)) return ERROR_CANTWRITE;
    }
    if (pdwDisposition != nullptr)
        *pdwDisposition = bExists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *phkResult = new RegKey{path, Writable(samDesired), false};
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    if (!hKey->bPredefined) delete hKey;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, const char* pszValueName, DWORD, DWORD dwType, const BYTE* pData,
                    DWORD cbData) {
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    if (!hKey->bWrite) return ERROR_ACCESS_DENIED;
    if (dwType != REG_SZ || (pData == nullptr && cbData != 0)) return ERROR_INVALID_PARAMETER;
    const char* p = reinterpret_cast<const char*>(pData);
    const std::string text = p != nullptr ? std::string(p, strnlen(p, cbData)) : std::string();
    const std::string name = pszValueName != nullptr ? pszValueName : "";
    std::lock_guard<std::mutex> lock(Mutex());
    CRegistryStore store;
    if (!LoadStore(store)) return ERROR_ACCESS_DENIED;
    if (!store.Exists(hKey->path) || CRegistryStore::IsRoot(hKey->path))
        return ERROR_FILE_NOT_FOUND;
    store.keys[hKey->path].values[CRegistryStore::Lower(name)] = {name, text};
    return SaveStore(store) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LONG RegQueryValueExA(HKEY hKey, const char* pszValueName, DWORD*, DWORD* pdwType, BYTE* pData,
                      DWORD* pcbData) {
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    if (pData != nullptr && pcbData == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(Mutex());
    CRegistryStore store;
    if (!LoadStore(store)) return ERROR_ACCESS_DENIED;
    auto key = store.keys.find(hKey->path);
    if (key == store.keys.end()) return ERROR_FILE_NOT_FOUND;
    auto value =
        key->second.values.find(CRegistryStore::Lower(pszValueName != nullptr ? pszValueName : ""));
    if (value == key->second.values.end()) return ERROR_FILE_NOT_FOUND;
    const std::string& text = value->second.second;
    const DWORD cbNeeded = static_cast<DWORD>(text.size() + 1);
    if (pdwType != nullptr) *pdwType = REG_SZ;
    if (pData == nullptr) {
        if (pcbData != nullptr) *pcbData = cbNeeded;
        return ERROR_SUCCESS;
    }
    const DWORD cbBuffer = *pcbData;
    *pcbData = cbNeeded;
    if (cbBuffer < cbNeeded) return ERROR_MORE_DATA;
    std::memcpy(pData, text.c_str(), cbNeeded);
    return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY hKey, const char* pszValueName) {
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    if (!hKey->bWrite) return ERROR_ACCESS_DENIED;
    std::lock_guard<std::mutex> lock(Mutex());
    CRegistryStore store;
    if (!LoadStore(store)) return ERROR_ACCESS_DENIED;
    auto key = store.keys.find(hKey->path);
    if (key == store.keys.end()) return ERROR_FILE_NOT_FOUND;
    if (key->second.values.erase(
            CRegistryStore::Lower(pszValueName != nullptr ? pszValueName : "")) == 0)
        return ERROR_FILE_NOT_FOUND;
    return SaveStore(store) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LONG RegDeleteKeyA(HKEY hKey, const char* pszSubKey) {
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    std::string path;
    if (pszSubKey == nullptr || *pszSubKey == 0 || !Join(hKey, pszSubKey, &path))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(Mutex());
    CRegistryStore store;
    if (!LoadStore(store)) return ERROR_ACCESS_DENIED;
    if (store.keys.count(path) == 0) return ERROR_FILE_NOT_FOUND;
    if (store.HasSubkeys(path)) return ERROR_ACCESS_DENIED;
    store.keys.erase(path);
    return SaveStore(store) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, char* pszName, DWORD cchName) {
    if (hKey == nullptr) return ERROR_INVALID_HANDLE;
    if (pszName == nullptr || cchName == 0) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(Mutex());
    CRegistryStore store;
    if (!LoadStore(store)) return ERROR_ACCESS_DENIED;
    if (!store.Exists(hKey->path)) return ERROR_FILE_NOT_FOUND;
    const std::string prefix = hKey->path + "\\";
    DWORD n = 0;
    for (auto it = store.keys.lower_bound(prefix); it != store.keys.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue; // deeper
        if (n++ != dwIndex) continue;
        if (it->second.name.size() + 1 > cchName) return ERROR_MORE_DATA;
        std::memcpy(pszName, it->second.name.c_str(), it->second.name.size() + 1);
        return ERROR_SUCCESS;
    }
    return ERROR_NO_MORE_ITEMS;
}
