#include "host/RegKeyBase.h"
#include <vector>

CRegKeyBase::CRegKeyBase(const char* pszKey, const char* pszSubKey, BOOL bWrite, DWORD dwRoot)
    : m_bWrite(bWrite) {
    HKEY hRoot = nullptr;
    switch (dwRoot) {
    case kRegRootLocalMachine: hRoot = HKEY_LOCAL_MACHINE; break;
    case kRegRootCurrentUser: hRoot = HKEY_CURRENT_USER; break;
    case kRegRootClassesRoot: hRoot = HKEY_CLASSES_ROOT; break;
    default: return;
    }
    std::string path = pszKey != nullptr ? pszKey : "";
    if (pszSubKey != nullptr && *pszSubKey != 0) path += std::string("\\") + pszSubKey;
    const REGSAM sam = bWrite ? KEY_ALL_ACCESS : KEY_READ;
    if (RegOpenKeyExA(hRoot, path.c_str(), 0, sam, &m_hKey) == ERROR_SUCCESS) return;
    m_hKey = nullptr;
    if (bWrite == 1 && RegCreateKeyExA(hRoot, path.c_str(), 0, nullptr, 0, sam, nullptr, &m_hKey,
                                       nullptr) != ERROR_SUCCESS)
        m_hKey = nullptr;
}

CRegKeyBase::~CRegKeyBase() {
    if (m_hKey != nullptr) RegCloseKey(m_hKey);
}

void CRegKeyBase::GetString(const char* pszName, const char* pszDefault, std::string* pOut) const {
    if (pOut == nullptr) return;
    *pOut = pszDefault != nullptr ? pszDefault : "";
    if (m_hKey == nullptr) return;
    DWORD type = 0;
    DWORD cb = 0;
    if (RegQueryValueExA(m_hKey, pszName, nullptr, &type, nullptr, &cb) != ERROR_SUCCESS ||
        type != REG_SZ || cb == 0)
        return;
    std::vector<char> text(cb + 1, 0);
    if (RegQueryValueExA(m_hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &cb) != ERROR_SUCCESS)
        return;
    *pOut = text.data(); // one zero byte reads as empty
}
