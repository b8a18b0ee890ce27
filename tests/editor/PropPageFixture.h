// The editor page on the offscreen display, attached to a recording control
// interface, as a host shows it: created by its class's creation function,
// handed its object, activated in a window of its own.
#pragma once
#include "../ui/UiFixture.h"
#include "FakeControl.h"
#include "OpenPage.h"
#include "editor/VudivuVizezudPropPage.h"
#include "platform/ui/WindowManager.h"

class PropPageTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        OpenPage(&control, &page);
    }
    void TearDown() override {
        ClosePage(page);
        Wm().Script().Clear();
        UiTest::TearDown();
    }
    static CWindowManager& Wm() { return CWindowManager::Instance(); }
    // Clicks the middle of the control nID.
    void ClickControl(UINT nID) {
        const RECT r = page->Control(nID)->GetRectInParent();
        Screen().Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    const CEditorState& State() const { return page->State(); }
    bool Asked(const std::wstring& text) const {
        for (const std::wstring& a : Wm().Script().Asked())
            if (a == text) return true;
        return false;
    }

    FakeControl control;
    CVudivuVizezudPropPage* page = nullptr;
};
