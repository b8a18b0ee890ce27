#include "files/StringMap.h"
#include "platform/kernel/TextConvert.h"
#include <new>

namespace {
// Copies text into a caller's buffer of lSize bytes (lSize >= 1) as UTF-8; the
// last byte is always 0.
void CopyOut(const std::wstring& text, char* psz, LONG lSize) {
    WideToMultiByte(text.c_str(), psz, static_cast<size_t>(lSize));
    psz[lSize - 1] = 0;
}
} // namespace

CStringMap::CStringMap(const wchar_t* pszTitle, LONG lCapacity)
    : m_strTitle(pszTitle != nullptr ? pszTitle : L""), m_lCapacity(lCapacity) {
    m_itCursor = m_names.cbegin();
}

CStringMap::~CStringMap() = default;

HRESULT CStringMap::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMfxNameList || riid == IID_IMfxNameList2) {
        *ppv = static_cast<IMfxNameList2*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CStringMap::AddRef() { return ++m_cRef; }

ULONG CStringMap::Release() {
    ULONG c = --m_cRef;
    if (c == 0) delete this;
    return c;
}

HRESULT CStringMap::GetTitle(char* pszTitle, LONG lSize) {
    if (pszTitle == nullptr) return E_POINTER;
    if (lSize < 1) return S_OK;
    CopyOut(m_strTitle, pszTitle, lSize);
    return S_OK;
}

HRESULT CStringMap::GetCapacity(LONG* plCapacity) {
    if (plCapacity == nullptr) return E_POINTER;
    *plCapacity = m_lCapacity;
    return S_OK;
}

HRESULT CStringMap::GetName(LONG lNumber, char* pszName, LONG lSize) {
    if (pszName == nullptr && lSize >= 1) return E_POINTER;
    if (lNumber < 0 || lNumber >= m_lCapacity) return E_INVALIDARG;
    if (pszName == nullptr || lSize < 1) return S_OK;
    auto it = m_names.find(lNumber);
    if (it == m_names.end()) {
        pszName[0] = 0;
        pszName[lSize - 1] = 0;
    } else {
        CopyOut(it->second, pszName, lSize);
    }
    return S_OK;
}

HRESULT CStringMap::GetCount(LONG* plCount) {
    if (plCount == nullptr) return E_POINTER;
    *plCount = static_cast<LONG>(m_names.size());
    return S_OK;
}

HRESULT CStringMap::GetFirstPosition(void** ppPos) {
    if (ppPos == nullptr) return E_POINTER;
    m_itCursor = m_names.cbegin();
    *ppPos = &m_itCursor;
    return S_OK;
}

HRESULT CStringMap::GetNextName(void** ppPos, LONG* plNumber, char* pszName, LONG lSize) {
    if (ppPos == nullptr || (pszName == nullptr && lSize >= 1)) return E_POINTER;
    // Only this list's own cursor is a valid position.
    if (*ppPos != &m_itCursor || m_itCursor == m_names.cend()) return S_FALSE;
    if (plNumber != nullptr) *plNumber = m_itCursor->first;
    if (pszName != nullptr && lSize >= 1) CopyOut(m_itCursor->second, pszName, lSize);
    ++m_itCursor;
    return S_OK;
}

HRESULT CStringMap::LookupName(LONG lNumber, char* pszName, LONG lSize) {
    if (pszName == nullptr && lSize >= 1) return E_POINTER;
    auto it = m_names.find(lNumber);
    if (it == m_names.end()) return S_FALSE;
    if (pszName != nullptr && lSize >= 1) CopyOut(it->second, pszName, lSize);
    return S_OK;
}

HRESULT CStringMap::SetName(LONG lNumber, const wchar_t* pszName) {
    if (lNumber < 0 || lNumber >= m_lCapacity) return E_INVALIDARG;
    try {
        m_names[lNumber] = pszName != nullptr ? pszName : L"";
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
