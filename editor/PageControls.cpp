#include "editor/PageControls.h"
#include "editor/FxComboBox.h"
#include "editor/FxEdit.h"
#include "editor/PageTools.h"
#include "editor/PlugInFilterControl.h"
#include "editor/ZoomButton.h"
#include "platform/ui/Static.h"
#include "resources/ComboLists.h"

namespace {
using WrappedToggle = CPlugInFilterControl<CBitmapToggleCtrl>;
using WrappedKnob = CPlugInFilterControl<CBitmapKnobCtrl>;
using WrappedButton = CPlugInFilterControl<CBitmapButton>;
using WrappedZoom = CPlugInFilterControl<CZoomButton>;

template <class T> std::unique_ptr<T> Wrapped(CPlugInFilterCallback* pCallback) {
    auto p = std::make_unique<T>();
    p->m_pCallback = pCallback;
    return p;
}
} // namespace

bool CPageControls::Create(CWnd* pPage, CPlugInFilterCallback* pCallback, CPageTools& tools) {
    bool ok = true;
    for (const PageCtrlInfo& info : CPageLayout::Controls())
        ok = Add(pPage, info, pCallback, tools) && ok;
    for (const PageCtrlInfo& info : CPageLayout::PadCells())
        ok = Add(pPage, info, pCallback, tools) && ok;
    return ok;
}

bool CPageControls::Add(CWnd* pPage, const PageCtrlInfo& info, CPlugInFilterCallback* pCallback,
                        CPageTools& tools) {
    std::unique_ptr<CWnd> ctrl;
    bool loaded = true;
    switch (info.kind) {
    case PageCtrlKind::Toggle: {
        auto t = Wrapped<WrappedToggle>(pCallback);
        if (!t->Create(pPage, info.rc, info.nID)) return false;
        loaded = t->Load(info.nUp, info.nDown, 0, 0, FALSE, TRUE);
        ctrl = std::move(t);
        break;
    }
    case PageCtrlKind::Button:
    case PageCtrlKind::Zoom: {
        std::unique_ptr<CBitmapButton> b;
        if (info.kind == PageCtrlKind::Zoom)
            b = Wrapped<WrappedZoom>(pCallback);
        else
            b = Wrapped<WrappedButton>(pCallback);
        if (!b->Create(pPage, info.rc, info.nID)) return false;
        loaded = b->LoadBitmaps(info.nUp, info.nDown);
        ctrl = std::move(b);
        break;
    }
    case PageCtrlKind::Knob: {
        auto k = Wrapped<WrappedKnob>(pCallback);
        if (!k->Create(pPage, info.rc, info.nID)) return false;
        loaded = k->Initialize(info.nUp, 17, 17, 0.5f, FALSE, nullptr);
        k->SetPosition(0.5f);
        ctrl = std::move(k);
        break;
    }
    case PageCtrlKind::Edit: {
        auto e = std::make_unique<CFxEdit>();
        if (!e->Create(pPage, info.rc, info.nID)) return false;
        e->SetColors(CPageTools::Colour(4), CPageTools::Colour(1));
        ctrl = std::move(e);
        break;
    }
    case PageCtrlKind::Combo: {
        auto c = std::make_unique<CFxComboBox>();
        if (!c->Create(pPage, info.rc, info.nID)) return false;
        c->SetColors(CPageTools::Colour(4), CPageTools::Colour(1));
        for (const std::wstring& s : CComboLists::For(info.nID)) c->AddString(s);
        ctrl = std::move(c);
        break;
    }
    case PageCtrlKind::Static: {
        auto s = std::make_unique<CStatic>();
        if (!s->Create(pPage, info.rc, info.nID)) return false;
        s->SetColors(CPageTools::Colour(1), CPageTools::Colour(3));
        ctrl = std::move(s);
        break;
    }
    }
    if (info.kind == PageCtrlKind::Edit || info.kind == PageCtrlKind::Combo ||
        info.kind == PageCtrlKind::Static)
        ctrl->SetFont(tools.Font12());
    m_controls[info.nID] = std::move(ctrl);
    return loaded;
}

void CPageControls::Destroy() { m_controls.clear(); }

CWnd* CPageControls::Get(UINT nID) const {
    auto it = m_controls.find(nID);
    return it == m_controls.end() ? nullptr : it->second.get();
}

CBitmapToggleCtrl* CPageControls::Toggle(UINT nID) const {
    return dynamic_cast<CBitmapToggleCtrl*>(Get(nID));
}

CBitmapKnobCtrl* CPageControls::Knob(UINT nID) const {
    return dynamic_cast<CBitmapKnobCtrl*>(Get(nID));
}

bool CPageControls::HasCallback(const CWnd* pCtrl) const {
    return dynamic_cast<const CBitmapButton*>(pCtrl) != nullptr ||
           dynamic_cast<const CBitmapKnobCtrl*>(pCtrl) != nullptr;
}

void CPageControls::SetToggle(UINT nID, BOOL bOn) const {
    if (CBitmapToggleCtrl* t = Toggle(nID)) {
        t->m_nState = bOn ? 1 : 0;
        t->Invalidate();
    }
}
