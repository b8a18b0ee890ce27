#include "platform/com/TypeLibFile.h"

HRESULT LoadTypeLib(const WCHAR*, ITypeLib** pptlib) {
    if (pptlib == nullptr) return E_POINTER;
    *pptlib = nullptr;
    return TYPE_E_CANTLOADLIBRARY;
}
