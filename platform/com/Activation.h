// Creating objects by class identifier. Classes registered in this process
// (CoRegisterClassObject) come first; others are found in the registry under
// HKEY_CLASSES_ROOT "CLSID\{...}\InprocServer32", whose default value names
// the shared library to load; its DllGetClassObject hands out the factory.
// Loaded libraries stay loaded until CoFreeUnusedLibraries finds that their
// DllCanUnloadNow answers S_OK. Thread-safe; never on the audio path.
#pragma once
#include "platform/com/ClassFactory.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;

// COM needs no per-thread set-up here; these count calls so that pairs can be checked.
HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit);
HRESULT CoInitialize(void* pvReserved);
void CoUninitialize();

// REGDB_E_CLASSNOTREG when neither this process nor the registry knows the
// class; CO_E_DLLNOTFOUND when its library cannot be loaded; CO_E_ERRORINDLL
// when the library has no DllGetClassObject; else the factory's result.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         void** ppv);
// The class factory (or riid on it) of a class, found the same way.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved, REFIID riid,
                         void** ppv);

// Makes a class object known to this process; it is held with one reference
// until revoked. *pdwRegister gets the cookie for CoRevokeClassObject.
HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags,
                              DWORD* pdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);

// Unloads the libraries loaded by CoCreateInstance whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();
