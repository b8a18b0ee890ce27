#include "HostModule.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>
#include <vector>

HostModule::HostModule(const char* pszPath) {
    handle = dlopen(pszPath, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return;
    getClassObject = reinterpret_cast<PFN_DllGetClassObject>(dlsym(handle, "DllGetClassObject"));
    canUnloadNow = reinterpret_cast<PFN_DllCanUnloadNow>(dlsym(handle, "DllCanUnloadNow"));
    registerServer = reinterpret_cast<PFN_DllRegisterServer>(dlsym(handle, "DllRegisterServer"));
    unregisterServer =
        reinterpret_cast<PFN_DllRegisterServer>(dlsym(handle, "DllUnregisterServer"));
}

HostModule::~HostModule() {
    if (handle != nullptr) dlclose(handle);
}

IClassFactory* HostModule::Factory(REFCLSID clsid) {
    void* pv = nullptr;
    if (getClassObject == nullptr || FAILED(getClassObject(clsid, IID_IClassFactory, &pv)))
        return nullptr;
    return static_cast<IClassFactory*>(pv);
}

TempRegistry::TempRegistry() {
    char name[] = "/tmp/pandrel-registry-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    path = name;
    setenv("PANDREL_REGISTRY", path.c_str(), 1);
}

TempRegistry::~TempRegistry() { std::remove(path.c_str()); }

namespace {
void Put(std::vector<unsigned char>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void Tag(std::vector<unsigned char>& b, const char* t) { b.insert(b.end(), t, t + 4); }
} // namespace

std::string WriteConstantWave(const std::string& path, DWORD dwFrames, DWORD dwRate, float fLevel) {
    std::vector<unsigned char> b;
    const uint32_t data = dwFrames * 4;
    Tag(b, "RIFF");
    Put(b, 4 + 8 + 16 + 8 + data, 4);
    Tag(b, "WAVE");
    Tag(b, "fmt ");
    Put(b, 16, 4);
    Put(b, 1, 2); // 16-bit PCM, stereo
    Put(b, 2, 2);
    Put(b, dwRate, 4);
    Put(b, dwRate * 4, 4);
    Put(b, 4, 2);
    Put(b, 16, 2);
    Tag(b, "data");
    Put(b, data, 4);
    const auto sample = static_cast<uint16_t>(static_cast<int16_t>(fLevel * 32767.0f));
    for (DWORD i = 0; i < dwFrames * 2; ++i) Put(b, sample, 2);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return {};
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}
