// The page as a COM object: identity, the property-page contract and the
// display extension through which a host lends it time.
#include "editor/VudivuVizezudPropPage.h"
#include "editor/LoopBinList.h"
#include "editor/MiddleBand.h"
#include "editor/PadEditor.h"
#include "editor/PadGrid.h"
#include "editor/PadSettings.h"
#include "editor/PageHelp.h"
#include "editor/SliceSettings.h"
#include "platform/com/TaskMem.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/OffscreenBackend.h"
#include "platform/ui/ResourceBitmaps.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/X11Backend.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include "resources/StringTable.h"
#include <cstring>
#include <new>

namespace {
CWindowManager& Wm() { return CWindowManager::Instance(); }

// Pages that run on a display they made themselves; the last one closes it.
int g_nOwnBackendPages = 0;

LPOLESTR TaskString(const std::wstring& s) {
    auto* p = static_cast<WCHAR*>(CoTaskMemAlloc((s.size() + 1) * sizeof(WCHAR)));
    if (p != nullptr) std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(WCHAR));
    return p;
}
} // namespace

INonDelegatingUnknown* CVudivuVizezudPropPage::CreateInstance(IUnknown* pUnkOuter, HRESULT* phr) {
    if (pUnkOuter != nullptr) {
        *phr = CLASS_E_NOAGGREGATION;
        return nullptr;
    }
    auto* p = new (std::nothrow) CVudivuVizezudPropPage();
    if (p == nullptr) *phr = E_OUTOFMEMORY;
    return p;
}

CVudivuVizezudPropPage::CVudivuVizezudPropPage() {
    m_state.m_pWnd = this;
    m_state.m_onSelectPad = [this](int nPad) { SelectPad(nPad); };
    m_state.m_onKeyRangeChanged = [this](const PadKeyRange& r) { ShowKeyRange(r); };
    m_state.m_playOn = [this] {
        const CBitmapToggleCtrl* play = m_controls.Toggle(IDC_PLAY);
        return play != nullptr && play->m_nState != 0;
    };
    m_pLoopBin = std::make_unique<CLoopBinList>(m_state);
    m_pPadGrid = std::make_unique<CPadGrid>(m_state);
    m_pBand = std::make_unique<CMiddleBand>(m_state);
    m_pPadEditor = std::make_unique<CPadEditor>(m_state);
    m_pPadSettings = std::make_unique<CPadSettings>(m_state, m_controls);
    m_pSliceSettings = std::make_unique<CSliceSettings>(m_state, m_controls);
    m_regions = {m_pBand.get(), m_pPadGrid.get(), m_pLoopBin.get(), m_pPadEditor.get()};
}

CVudivuVizezudPropPage::~CVudivuVizezudPropPage() { Deactivate(); }

HRESULT CVudivuVizezudPropPage::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyPage)
        *ppv = static_cast<IPropertyPage*>(this);
    else if (riid == IID_IPropertyPageDisplay)
        *ppv = static_cast<IPropertyPageDisplay*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    NonDelegatingAddRef();
    return S_OK;
}

ULONG CVudivuVizezudPropPage::NonDelegatingRelease() {
    const ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
}

HRESULT CVudivuVizezudPropPage::SetPageSite(IPropertyPageSite* pPageSite) {
    m_pSite = pPageSite;
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::GetPageInfo(PROPPAGEINFO* pPageInfo) {
    if (pPageInfo == nullptr) return E_POINTER;
    *pPageInfo = {};
    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->pszTitle = TaskString(CStringTable::Load(IDS_CAPTION));
    pPageInfo->size = {kPageSize.cx, kPageSize.cy};
    return pPageInfo->pszTitle != nullptr ? S_OK : E_OUTOFMEMORY;
}

// Keeps the first object that answers the control interface.
HRESULT CVudivuVizezudPropPage::SetObjects(ULONG cObjects, IUnknown** ppUnk) {
    if (cObjects > 0 && ppUnk == nullptr) return E_POINTER;
    m_state.m_pControl = nullptr;
    for (ULONG i = 0; i < cObjects && !m_state.m_pControl; ++i)
        m_state.m_pControl = Query<IVudivuVizezud>(ppUnk[i], IID_IVudivuVizezud);
    if (m_state.m_pControl && IsWindow()) Attached();
    return S_OK;
}

void CVudivuVizezudPropPage::Attached() {
    m_state.ClearSelections();
    m_state.m_nSelectedFile = -1;
    m_state.m_bDirty = false;
    RefreshAll();
}

HRESULT CVudivuVizezudPropPage::Activate(HWND hWndParent, const RECTL*, BOOL) {
    if (IsWindow()) return E_UNEXPECTED;
    if (Wm().Backend() == nullptr) {
        std::unique_ptr<IUiBackend> backend;
        if (m_bOffscreen)
            backend = std::make_unique<COffscreenBackend>();
        else
            backend = CX11Backend::Open();
        if (!backend) return E_FAIL;
        Wm().SetBackend(std::move(backend));
        m_bOwnBackend = true;
    } else if (g_nOwnBackendPages > 0) {
        m_bOwnBackend = true; // another page made it; the last one closes it
    }
    if (m_bOwnBackend) ++g_nOwnBackendPages;
    CResourceBitmaps::SetLoader(&CSkin::Get);
    if (!CreateTopLevel(CStringTable::Load(IDS_CAPTION), kPageSize, hWndParent, m_dHostScale) ||
        !OnInitDialog()) {
        Deactivate();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::Deactivate() {
    DestroyWindow();
    if (m_bOwnBackend) {
        m_bOwnBackend = false;
        if (--g_nOwnBackendPages == 0 && Wm().TopLevels().empty()) Wm().SetBackend(nullptr);
    }
    m_bCloseAsked = false;
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::Show(UINT nCmdShow) {
    if (!IsWindow()) return E_UNEXPECTED;
    ShowWindow(nCmdShow != SW_HIDE);
    // Each showing sizes the window to the background, where it is.
    if (nCmdShow != SW_HIDE) MoveWindow(RectXYWH(0, 0, kPageSize.cx, kPageSize.cy));
    return S_OK;
}

// The page has a fixed size; only where it sits is the host's.
HRESULT CVudivuVizezudPropPage::Move(const RECTL* pRect) {
    if (pRect == nullptr) return E_POINTER;
    return IsWindow() ? S_OK : E_UNEXPECTED;
}

HRESULT CVudivuVizezudPropPage::Help(LPCOLESTR) {
    ShowHelp();
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::UseOffscreen() {
    if (IsWindow()) return E_UNEXPECTED;
    m_bOffscreen = true;
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::Idle(LONG nMaxWaitMs) {
    if (!IsWindow()) return S_FALSE;
    CWindowManager& wm = Wm();
    wm.Pump();
    if (IUiBackend* b = wm.Backend(); b != nullptr && b->IsInteractive()) {
        const uint64_t next = wm.NextTimerDue(), now = wm.Now();
        LONG wait = next == UINT64_MAX ? -1 : static_cast<LONG>(next > now ? next - now : 0);
        if (nMaxWaitMs >= 0 && (wait < 0 || wait > nMaxWaitMs)) wait = nMaxWaitMs;
        if (!b->WaitEvents(wait)) return S_FALSE; // the display is gone
    }
    wm.FireDueTimers();
    wm.Pump();
    if (m_bCloseAsked || !IsWindow()) {
        m_bCloseAsked = false;
        return S_FALSE;
    }
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::SetScale(double dScale) {
    if (!(dScale >= 0.0)) return E_INVALIDARG; // negative or NaN
    m_dHostScale = dScale;
    if (IsWindow()) Wm().SetTopLevelScale(this, dScale);
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::GetScale(double* pdScale) {
    if (pdScale == nullptr) return E_POINTER;
    if (!IsWindow()) return E_UNEXPECTED;
    *pdScale = Wm().ScaleOf(this);
    return S_OK;
}

HRESULT CVudivuVizezudPropPage::SavePicture(const char* pszPath) {
    if (pszPath == nullptr) return E_POINTER;
    if (!IsWindow()) return E_UNEXPECTED;
    Wm().Pump();
    UpdateWindow();
    const CBitmap* picture = Wm().BackBuffer(this);
    return picture != nullptr && picture->SavePng(pszPath) ? S_OK : E_FAIL;
}
