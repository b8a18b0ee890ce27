#include "files/Instrument.h"
#include "platform/com/TaskMem.h"
#include "platform/kernel/TextConvert.h"
#include <cstring>
#include <new>

namespace {
constexpr LONG kMaxBank = 16383;
constexpr LONG kMaxPatch = 127;

bool BankInRange(LONG lBank) { return lBank >= -1 && lBank <= kMaxBank; }
} // namespace

CInstrument::CInstrument(const wchar_t* pszName) : m_strName(pszName != nullptr ? pszName : L"") {
    // The UTF-8 form of the name, without the 260-byte limit of the shared buffers.
    std::string text(m_strName.size() * 4 + 1, '\0');
    size_t n = WideToMultiByte(m_strName.c_str(), text.data(), text.size());
    text.resize(n);
    m_strNameUtf8 = std::move(text);
}

CInstrument::~CInstrument() {
    for (CStringMap* p : {m_pControllers, m_pRpns, m_pNrpns})
        if (p != nullptr) p->Release();
    for (auto& entry : m_patchLists) entry.second->Release();
    for (auto& entry : m_noteLists) entry.second->Release();
}

HRESULT CInstrument::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMfxInstrument) {
        *ppv = static_cast<IMfxInstrument*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CInstrument::AddRef() { return ++m_cRef; }

ULONG CInstrument::Release() {
    ULONG c = --m_cRef;
    if (c == 0) delete this;
    return c;
}

HRESULT CInstrument::GetInstrumentName(char* pszName, LONG lSize) {
    // The name never changes, so this needs no lock.
    LONGLONG needed = static_cast<LONGLONG>(m_strNameUtf8.size()) + 1;
    if (pszName == nullptr || lSize < needed) return E_POINTER;
    std::memcpy(pszName, m_strNameUtf8.c_str(), static_cast<size_t>(needed));
    pszName[lSize - 1] = 0;
    return S_OK;
}

HRESULT CInstrument::GetBankList(LONG** ppBanks, LONG* plCount) {
    CAutoLock lock(&m_lock);
    if (ppBanks == nullptr || plCount == nullptr) return E_POINTER;
    LONG* pBanks = static_cast<LONG*>(CoTaskMemAlloc(sizeof(LONG)));
    if (pBanks == nullptr) {
        *ppBanks = nullptr;
        *plCount = 0;
        return E_OUTOFMEMORY;
    }
    pBanks[0] = 0;
    *ppBanks = pBanks;
    *plCount = 1;
    return S_OK;
}

HRESULT CInstrument::QueryPatchFlag(LONG lBank, LONG lPatch) {
    CAutoLock lock(&m_lock);
    if (!BankInRange(lBank) || lPatch < -1 || lPatch > kMaxPatch) return E_INVALIDARG;
    return S_FALSE;
}

HRESULT CInstrument::ValidatePatch(LONG lBank, LONG lPatch) {
    CAutoLock lock(&m_lock);
    if (!BankInRange(lBank) || lPatch < -1 || lPatch > kMaxPatch) return E_INVALIDARG;
    return S_OK;
}

HRESULT CInstrument::GetPatchNames(LONG lBank, IMfxNameList** ppList) {
    CAutoLock lock(&m_lock);
    if (ppList == nullptr) return E_POINTER;
    *ppList = nullptr;
    if (!BankInRange(lBank)) return E_INVALIDARG;
    if (m_patchLists.find(lBank) == m_patchLists.end()) CreatePatchNames(lBank);
    auto it = m_patchLists.find(lBank);
    return HandOut(it != m_patchLists.end() ? it->second : nullptr, ppList, S_OK);
}

HRESULT CInstrument::GetNoteNames(LONG lBank, LONG lPatch, IMfxNameList** ppList) {
    CAutoLock lock(&m_lock);
    if (ppList == nullptr) return E_POINTER;
    *ppList = nullptr;
    if (!BankInRange(lBank)) return E_INVALIDARG;
    LONG lKey = NoteKey(lBank, lPatch);
    if (m_noteLists.find(lKey) == m_noteLists.end()) CreateNoteNames(lBank, lPatch);
    auto it = m_noteLists.find(lKey);
    // Hosts get S_FALSE for a note list that was found.
    return HandOut(it != m_noteLists.end() ? it->second : nullptr, ppList, S_FALSE);
}

HRESULT CInstrument::GetControllerNames(IMfxNameList** ppList) {
    CAutoLock lock(&m_lock);
    if (ppList == nullptr) return E_POINTER;
    *ppList = nullptr;
    if (m_pControllers == nullptr) CreateControllerNames();
    return HandOut(m_pControllers, ppList, S_OK);
}

HRESULT CInstrument::GetRpnNames(IMfxNameList** ppList) {
    CAutoLock lock(&m_lock);
    if (ppList == nullptr) return E_POINTER;
    *ppList = nullptr;
    if (m_pRpns == nullptr) CreateRpnNames();
    return HandOut(m_pRpns, ppList, S_OK);
}

HRESULT CInstrument::GetNrpnNames(IMfxNameList** ppList) {
    CAutoLock lock(&m_lock);
    if (ppList == nullptr) return E_POINTER;
    *ppList = nullptr;
    if (m_pNrpns == nullptr) CreateNrpnNames();
    return HandOut(m_pNrpns, ppList, S_OK);
}

HRESULT CInstrument::CreatePatchNames(LONG lBank) {
    CAutoLock lock(&m_lock);
    return CreateInMap(m_patchLists, lBank, L" Patches");
}

HRESULT CInstrument::CreateNoteNames(LONG lBank, LONG lPatch) {
    CAutoLock lock(&m_lock);
    return CreateInMap(m_noteLists, NoteKey(lBank, lPatch), L" Notes");
}

HRESULT CInstrument::CreateControllerNames() {
    CAutoLock lock(&m_lock);
    if (m_pControllers != nullptr) return S_OK;
    return CreateList(&m_pControllers, L" Controllers", kNameListCapacity);
}

HRESULT CInstrument::CreateRpnNames() {
    CAutoLock lock(&m_lock);
    if (m_pRpns != nullptr) return S_OK;
    return CreateList(&m_pRpns, L" RPNs", kParameterListCapacity);
}

HRESULT CInstrument::CreateNrpnNames() {
    CAutoLock lock(&m_lock);
    if (m_pNrpns != nullptr) return S_OK;
    return CreateList(&m_pNrpns, L" NRPNs", kParameterListCapacity);
}

LONG CInstrument::NoteKey(LONG lBank, LONG lPatch) {
    // Unsigned arithmetic: bank -1 gives 0xFFFF0000 | patch without overflow.
    DWORD key = (static_cast<DWORD>(lBank) << 16) | (static_cast<DWORD>(lPatch) & 0xFFFF);
    return static_cast<LONG>(key);
}

HRESULT CInstrument::CreateList(CStringMap** ppList, const wchar_t* pszSuffix, LONG lCapacity) {
    try {
        std::wstring title = m_strName + pszSuffix;
        CStringMap* p = new CStringMap(title.c_str(), lCapacity);
        p->AddRef();
        *ppList = p;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CInstrument::CreateInMap(ListMap& map, LONG lKey, const wchar_t* pszSuffix) {
    if (map.find(lKey) != map.end()) return S_OK;
    CStringMap* p = nullptr;
    HRESULT hr = CreateList(&p, pszSuffix, kNameListCapacity);
    if (FAILED(hr)) return hr;
    try {
        map.emplace(lKey, p);
    } catch (const std::bad_alloc&) {
        p->Release();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CInstrument::HandOut(CStringMap* pList, IMfxNameList** ppList, HRESULT hrFound) {
    if (pList == nullptr) return E_FAIL;
    pList->AddRef();
    *ppList = pList;
    return hrFound;
}
