// The editor page as a host shows it: created by its class's creation
// function, scaled when asked, handed its object and activated in a window of
// its own; and closed again.
#pragma once
#include "editor/VudivuVizezudPropPage.h"
#include "platform/ui/WindowManager.h"
#include <gtest/gtest.h>
#include <optional>

inline void OpenPage(IUnknown* pObject, CVudivuVizezudPropPage** ppPage,
                     std::optional<double> scale = std::nullopt) {
    HRESULT hr = S_OK;
    INonDelegatingUnknown* p = CVudivuVizezudPropPage::CreateInstance(nullptr, &hr);
    ASSERT_NE(p, nullptr);
    p->NonDelegatingAddRef();
    *ppPage = dynamic_cast<CVudivuVizezudPropPage*>(p);
    if (scale) ASSERT_EQ((*ppPage)->SetScale(*scale), S_OK);
    IUnknown* objects[] = {pObject};
    ASSERT_EQ((*ppPage)->SetObjects(1, objects), S_OK);
    const RECTL rc{0, 0, 600, 553};
    ASSERT_EQ((*ppPage)->Activate(0, &rc, FALSE), S_OK);
    CWindowManager::Instance().Pump();
}

inline void ClosePage(CVudivuVizezudPropPage*& pPage) {
    if (pPage == nullptr) return;
    pPage->Deactivate();
    pPage->Release();
    pPage = nullptr;
}
