// Construction and the IDispatch slots of the dual interface: type
// information comes from the type library registered for the instrument,
// loaded on first use and kept for the life of the library.
#include "files/ControlInterface.h"
#include "platform/com/TypeLib.h"
#include <mutex>

namespace {
std::mutex g_typeInfoLock;
ITypeInfo* g_pTypeInfo = nullptr; // one reference, kept until the library unloads

// The interface's type information, or null when no library is registered.
ITypeInfo* TypeInfo() {
    std::lock_guard<std::mutex> lock(g_typeInfoLock);
    if (g_pTypeInfo != nullptr) return g_pTypeInfo;
    ITypeLib* pLib = nullptr;
    if (FAILED(LoadRegTypeLib(LIBID_Pandrel, kPandrelTypeLibMajor, kPandrelTypeLibMinor, 0, &pLib)))
        return nullptr;
    ITypeInfo* pInfo = nullptr;
    if (SUCCEEDED(pLib->GetTypeInfoOfGuid(IID_IVudivuVizezud, &pInfo))) g_pTypeInfo = pInfo;
    pLib->Release();
    return g_pTypeInfo;
}
} // namespace

CControlInterface::CControlInterface(CDXiSynthContext* pContext)
    : CDXi(pContext), CVudivuVizezud(pContext) {}

CControlInterface::~CControlInterface() = default;

HRESULT CControlInterface::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = TypeInfo() != nullptr ? 1 : 0;
    return S_OK;
}

HRESULT CControlInterface::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo == nullptr) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return E_INVALIDARG;
    ITypeInfo* pInfo = TypeInfo();
    if (pInfo == nullptr) return E_NOTIMPL;
    pInfo->AddRef();
    *ppTInfo = pInfo;
    return S_OK;
}

HRESULT CControlInterface::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                         DISPID* rgDispId) {
    ITypeInfo* pInfo = TypeInfo();
    if (pInfo == nullptr) return E_NOTIMPL;
    return pInfo->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

HRESULT CControlInterface::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                  DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                  EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* pInfo = TypeInfo();
    if (pInfo == nullptr) return E_NOTIMPL;
    return pInfo->Invoke(static_cast<IVudivuVizezud*>(this), dispIdMember, wFlags, pDispParams,
                         pVarResult, pExcepInfo, puArgErr);
}
