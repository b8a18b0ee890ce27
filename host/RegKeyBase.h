// A registry key held open for reading settings (the editor reads its help
// folder through it): the key under one of three roots chosen by selector,
// opened for writing or reading, closed on destruction. Instances share
// nothing; any thread.
#pragma once
#include "platform/registry/Registry.h"

constexpr DWORD kRegRootLocalMachine = 0xFFFFFFFF;
constexpr DWORD kRegRootCurrentUser = 0xFFFFFFFE;
constexpr DWORD kRegRootClassesRoot = 0xFFFFFFFD;

class CRegKeyBase {
public:
    // pszSubKey, when given and not empty, is appended after a "\". With
    // bWrite the key is opened with full access and created when missing;
    // else opened for reading. Any other selector leaves it without a key.
    CRegKeyBase(const char* pszKey, const char* pszSubKey, BOOL bWrite, DWORD dwRoot);
    virtual ~CRegKeyBase();
    CRegKeyBase(const CRegKeyBase&) = delete;
    CRegKeyBase& operator=(const CRegKeyBase&) = delete;

    // The value's text when the key is open and it is a REG_SZ of nonzero
    // size; else the default. A null out does nothing.
    void GetString(const char* pszName, const char* pszDefault, std::string* pOut) const;
    bool HasKey() const { return m_hKey != nullptr; }
    BOOL IsWritable() const { return m_bWrite; }

private:
    HKEY m_hKey = nullptr;
    BOOL m_bWrite;
};

// The instrument's settings key; adds nothing.
class CPluginRegKey : public CRegKeyBase {
public:
    using CRegKeyBase::CRegKeyBase;
};
