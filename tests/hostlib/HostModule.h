// The instrument library as a host loads it: dlopen of the built pandrel.so
// and its four entry points; a temporary registry file for the test; a
// small float WAV file for content.
#pragma once
#include "platform/com/ClassFactory.h"
#include <string>

using PFN_DllRegisterServer = HRESULT (*)();

struct HostModule {
    explicit HostModule(const char* pszPath);
    ~HostModule(); // dlclose
    bool IsLoaded() const { return handle != nullptr && getClassObject != nullptr; }
    // The factory of a class, with one reference (null on failure).
    IClassFactory* Factory(REFCLSID clsid);

    void* handle = nullptr;
    PFN_DllGetClassObject getClassObject = nullptr;
    PFN_DllCanUnloadNow canUnloadNow = nullptr;
    PFN_DllRegisterServer registerServer = nullptr;
    PFN_DllRegisterServer unregisterServer = nullptr;
};

// Points PANDREL_REGISTRY at a fresh temporary file for its lifetime.
struct TempRegistry {
    TempRegistry();
    ~TempRegistry();
    std::string path;
};

// Writes a stereo 16-bit PCM WAV file of constant level; returns its path.
std::string WriteConstantWave(const std::string& path, DWORD dwFrames, DWORD dwRate, float fLevel);
