// The page drawn at a scale factor: input in window pixels lands on the
// controls at the page pixels it covers, the picture is the page size times
// the factor with the skin painted at that resolution, and the factor comes
// from the host, else PANDREL_UI_SCALE, else the display's Xft.dpi / 96, else 1.
#include "../ui/UiFixture.h"
#include "FakeControl.h"
#include "OpenPage.h"
#include "editor/BitmapKnobCtrl.h"
#include "editor/BitmapToggleCtrl.h"
#include "editor/PadGrid.h"
#include "editor/PageLayout.h"
#include "editor/VudivuVizezudPropPage.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/UiScale.h"
#include "platform/ui/WindowManager.h"
#include "resources/Palette.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {
// Sets or removes PANDREL_UI_SCALE for the life of the object.
class ScaleVariable {
public:
    explicit ScaleVariable(const char* pszValue) {
        if (const char* old = std::getenv(kUiScaleVariable)) m_old = old;
        if (pszValue)
            setenv(kUiScaleVariable, pszValue, 1);
        else
            unsetenv(kUiScaleVariable);
    }
    ~ScaleVariable() {
        if (m_old)
            setenv(kUiScaleVariable, m_old->c_str(), 1);
        else
            unsetenv(kUiScaleVariable);
    }

private:
    std::optional<std::string> m_old;
};

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
} // namespace

class ScaledPageTest : public UiTest {
protected:
    void TearDown() override {
        Close();
        UiTest::TearDown();
    }
    // Opens the page with the host's factor (0: none).
    void Open(double dHostScale) { OpenPage(&control, &page, dHostScale); }
    void Close() { ClosePage(page); }
    double Scale() {
        double s = 0;
        EXPECT_EQ(page->GetScale(&s), S_OK);
        return s;
    }
    // The first window pixel of page pixel pt at the page's scale.
    POINT Window(POINT pt) {
        const double s = Scale();
        return {static_cast<LONG>(std::ceil(pt.x * s)), static_cast<LONG>(std::ceil(pt.y * s))};
    }
    RECT ControlRect(UINT nID) { return page->Control(nID)->GetRectInParent(); }

    // Clicks on a pad image, a toggle, the Loop Bin list and drags a knob, all
    // in window pixels, and checks that each reached its control.
    void ClickEveryKindOfControl() {
        control.files = {"one.wav", "two.wav", "three.wav"};
        page->RefreshAll();

        const RECT cell = CPadGrid::ImageRect(5);
        Screen().Click(Window(Centre(cell)));
        EXPECT_EQ(page->State().m_nCurrentPad, 5);
        EXPECT_TRUE(control.Called("StartAudition(5,-1)"));
        EXPECT_TRUE(control.Called("StopAudition(5)"));

        auto* mute = dynamic_cast<CBitmapToggleCtrl*>(page->Control(PadMuteId(9)));
        ASSERT_NE(mute, nullptr);
        EXPECT_EQ(mute->m_nState, 0);
        Screen().Click(Window(Centre(ControlRect(PadMuteId(9)))));
        EXPECT_EQ(mute->m_nState, 1);

        // The third line of the Loop Bin: 15-pixel lines from its top.
        Screen().Click(Window({kLoopBinRect.left + 20, kLoopBinRect.top + 2 * 15 + 7}));
        EXPECT_EQ(page->State().m_nSelectedFile, 2);

        // A knob follows the pointer one unit per page pixel, whatever the scale.
        auto* knob = dynamic_cast<CBitmapKnobCtrl*>(page->Control(IDC_PAD_VOLUME + 3));
        ASSERT_NE(knob, nullptr);
        const int before = knob->GetValue();
        const POINT at = Centre(ControlRect(IDC_PAD_VOLUME + 3));
        Screen().ButtonDown(Window(at));
        Screen().MoveTo(Window({at.x, at.y - 10}));
        Screen().ButtonUp(Window(at));
        EXPECT_EQ(knob->GetValue(), before + 10);
        // The knob put the pointer back where it was pressed: it stays there.
        Screen().MoveTo(Window(at));
        EXPECT_EQ(knob->GetValue(), before + 10);
    }

    FakeControl control;
    CVudivuVizezudPropPage* page = nullptr;
    ScaleVariable m_env{nullptr};
};

TEST_F(ScaledPageTest, AtScaleTwoAClickAtTwiceThePointLandsOnTheControlThere) {
    Open(2.0);
    EXPECT_EQ(Scale(), 2.0);
    EXPECT_EQ(Window({10, 20}).x, 20);
    ClickEveryKindOfControl();
}

TEST_F(ScaledPageTest, AtOneAndAHalfAClickLandsOnTheControlUnderIt) {
    Open(1.5);
    EXPECT_EQ(Scale(), 1.5);
    ClickEveryKindOfControl();
    // Not only the first window pixel of a page pixel maps back to it: a
    // press a few window pixels inside pad 2's image selects pad 2.
    const RECT cell = CPadGrid::ImageRect(2);
    Screen().Click({static_cast<LONG>(std::floor(cell.left * 1.5)) + 8,
                    static_cast<LONG>(std::floor(cell.top * 1.5)) + 7});
    EXPECT_EQ(page->State().m_nCurrentPad, 2);
}

TEST_F(ScaledPageTest, ThePictureAtScaleTwoIsTwiceThePageSize) {
    Open(2.0);
    const std::string path = ::testing::TempDir() + "page-snapshot-2x.png";
    ASSERT_EQ(page->SavePicture(path.c_str()), S_OK);
    CBitmap picture;
    ASSERT_TRUE(picture.LoadPng(path));
    std::remove(path.c_str());
    EXPECT_EQ(picture.GetSize(), (SIZE{1200, 1106}));
    const CBitmap* buffer = CWindowManager::Instance().BackBuffer(page);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->GetSize(), (SIZE{600, 553}));
    EXPECT_EQ(buffer->PixelWidth(), 1200);
    EXPECT_EQ(buffer->PixelHeight(), 1106);
}

// The Pad Inspector's rule under Root is a one-pixel line of the skin at
// y = 77: at scale 2 it is rows 154 and 155 in its full colour, with the
// panel's colour right above and below (no blur into the neighbours).
TEST_F(ScaledPageTest, AOnePixelLineOfTheSkinIsTwoPixelsWideAndCrispAtScaleTwo) {
    const CBitmap* one = CSkin::Get(IDB_BACKGROUND);
    const CBitmap* two = CSkin::Get(IDB_BACKGROUND, 2.0);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->GetSize(), one->GetSize());
    EXPECT_EQ(two->PixelWidth(), 1200);
    EXPECT_EQ(one->GetPixel(550, 77), kSkinPanelHi);
    EXPECT_EQ(one->GetPixel(550, 76), kSkinPanel);
    EXPECT_EQ(one->GetPixel(550, 78), kSkinPanel);
    for (int x : {1010, 1011, 1100, 1101, 1180}) {
        EXPECT_EQ(two->GetDevicePixel(x, 153), kSkinPanel) << x;
        EXPECT_EQ(two->GetDevicePixel(x, 154), kSkinPanelHi) << x;
        EXPECT_EQ(two->GetDevicePixel(x, 155), kSkinPanelHi) << x;
        EXPECT_EQ(two->GetDevicePixel(x, 156), kSkinPanel) << x;
    }
    // The page shows the skin of its own scale: the same rows in its picture.
    Open(2.0);
    const CBitmap* buffer = CWindowManager::Instance().BackBuffer(page);
    ASSERT_NE(buffer, nullptr);
    for (int y : {153, 154, 155, 156})
        EXPECT_EQ(buffer->GetDevicePixel(1100, y), two->GetDevicePixel(1100, y)) << y;
}

TEST_F(ScaledPageTest, TheHostsFactorComesFirst) {
    ScaleVariable env("1.5");
    Screen().SetDisplayScale(2.0);
    Open(1.25);
    EXPECT_EQ(Scale(), 1.25);
}

TEST_F(ScaledPageTest, WithoutTheHostsFactorTheEnvironmentDecides) {
    ScaleVariable env("1.5");
    Screen().SetDisplayScale(2.0);
    Open(0.0);
    EXPECT_EQ(Scale(), 1.5);
}

TEST_F(ScaledPageTest, WithoutEitherTheDisplaysDpiDecides) {
    Screen().SetDisplayScale(144.0 / 96.0);
    Open(0.0);
    EXPECT_EQ(Scale(), 1.5);
}

TEST_F(ScaledPageTest, WithNoSourceThePageIsDrawnAtOne) {
    ScaleVariable env("not a number");
    Open(0.0);
    EXPECT_EQ(Scale(), 1.0);
    const CBitmap* buffer = CWindowManager::Instance().BackBuffer(page);
    EXPECT_EQ(buffer->PixelWidth(), 600);
}

TEST_F(ScaledPageTest, FactorsAreClampedToOneToThree) {
    Open(5.0);
    EXPECT_EQ(Scale(), 3.0);
    EXPECT_EQ(CWindowManager::Instance().BackBuffer(page)->PixelWidth(), 1800);
    Close();
    Open(0.5);
    EXPECT_EQ(Scale(), 1.0);
    Close();
    ScaleVariable env("7");
    Open(0.0);
    EXPECT_EQ(Scale(), 3.0);
    EXPECT_EQ(page->SetScale(-1.0), E_INVALIDARG);
    EXPECT_EQ(page->SetScale(std::nan("")), E_INVALIDARG);
}

TEST_F(ScaledPageTest, TheHostMayChangeTheFactorOfAnOpenPage) {
    Open(1.0);
    EXPECT_EQ(CWindowManager::Instance().BackBuffer(page)->PixelWidth(), 600);
    ASSERT_EQ(page->SetScale(2.0), S_OK);
    EXPECT_EQ(Scale(), 2.0);
    const CBitmap* buffer = CWindowManager::Instance().BackBuffer(page);
    EXPECT_EQ(buffer->PixelWidth(), 1200);
    ClickEveryKindOfControl();
    // Painted again at the new scale: the skin's line is two rows wide.
    CWindowManager::Instance().Pump();
    EXPECT_EQ(buffer->GetDevicePixel(1100, 154), kSkinPanelHi);
    EXPECT_EQ(buffer->GetDevicePixel(1100, 155), kSkinPanelHi);
}
