// The scale factor's sources in their order and its clamping, and drawing on
// a picture of scale 2: shapes and lines land on whole pixels, twice as wide.
#include "platform/ui/UiScale.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include <cairo.h>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

TEST(UiScale, TheHostsFactorComesFirstThenTheEnvironmentThenTheDisplayThenOne) {
    EXPECT_EQ(ResolveUiScale(1.25, "2", 1.5), 1.25);
    EXPECT_EQ(ResolveUiScale(0.0, "2", 1.5), 2.0);
    EXPECT_EQ(ResolveUiScale(0.0, nullptr, 1.5), 1.5);
    EXPECT_EQ(ResolveUiScale(0.0, "", 1.5), 1.5);
    EXPECT_EQ(ResolveUiScale(0.0, nullptr, 0.0), 1.0);
    // A variable that is no number is no source.
    EXPECT_EQ(ResolveUiScale(0.0, "big", 1.5), 1.5);
    EXPECT_EQ(ResolveUiScale(0.0, "2x", 0.0), 1.0);
    EXPECT_EQ(ResolveUiScale(0.0, "-2", 0.0), 1.0);
}

TEST(UiScale, EveryFactorIsClampedToOneToThree) {
    EXPECT_EQ(ResolveUiScale(0.5, nullptr, 0.0), 1.0);
    EXPECT_EQ(ResolveUiScale(4.0, nullptr, 0.0), 3.0);
    EXPECT_EQ(ResolveUiScale(0.0, "0.75", 0.0), 1.0);
    EXPECT_EQ(ResolveUiScale(0.0, "10", 0.0), 3.0);
    EXPECT_EQ(ResolveUiScale(0.0, nullptr, 0.9), 1.0);
    EXPECT_EQ(ResolveUiScale(0.0, nullptr, 4.0), 3.0);
    EXPECT_EQ(ResolveUiScale(0.0, "1.75", 0.0), 1.75); // any value between
    EXPECT_EQ(ClampUiScale(std::nan("")), 1.0);
    EXPECT_EQ(ClampUiScale(INFINITY), 3.0);
}

TEST(UiScale, TheDisplaysFactorIsXftDpiOverNinetySix) {
    EXPECT_EQ(ScaleFromXResources("Xft.dpi:\t192\nXft.antialias:\t1\n"), 2.0);
    EXPECT_EQ(ScaleFromXResources("Xcursor.size:\t24\nXft.dpi:\t144"), 1.5);
    EXPECT_EQ(ScaleFromXResources("Xft.dpi:\t96\n"), 1.0);
    EXPECT_EQ(ScaleFromXResources("Xft.antialias:\t1\n"), 0.0);
    EXPECT_EQ(ScaleFromXResources("*Xft.dpi:\t192\n"), 0.0); // another resource's name
    EXPECT_EQ(ScaleFromXResources(""), 0.0);
    EXPECT_EQ(ScaleFromXResources(nullptr), 0.0);
}

TEST(UiScale, APictureOfScaleTwoHasTwiceThePixels) {
    CBitmap b;
    ASSERT_TRUE(b.Create(15, 14, 2.0));
    EXPECT_EQ(b.GetSize(), (SIZE{15, 14}));
    EXPECT_EQ(b.PixelWidth(), 30);
    EXPECT_EQ(b.PixelHeight(), 28);
    ASSERT_TRUE(b.Create(600, 553, 1.5));
    EXPECT_EQ(b.PixelWidth(), 900);
    EXPECT_EQ(b.PixelHeight(), 830); // 829.5 rounded up
}

TEST(UiScale, AOnePixelPenDrawsTwoCrispPixelsAtScaleTwo) {
    CBitmap b;
    ASSERT_TRUE(b.Create(20, 20, 2.0));
    {
        CDC dc(b);
        EXPECT_EQ(dc.Scale(), 2.0);
        dc.FillSolidRect({0, 0, 20, 20}, RGB(0, 0, 0));
        CPen pen(PS_SOLID, 1, RGB(255, 255, 255));
        dc.SelectObject(&pen);
        dc.MoveTo(2, 5);
        dc.LineTo(15, 5); // page row 5: surface rows 10 and 11
        dc.MoveTo(7, 8);
        dc.LineTo(12, 13); // a diagonal: whole pixels, no grey
        CBrush none;
        dc.SelectObject(&none);
        dc.Rectangle(1, 14, 10, 19); // a one-pixel frame: columns 2, 3 and 18, 19
    }
    for (int x = 4; x < 30; ++x) {
        EXPECT_EQ(b.GetDevicePixel(x, 9), RGB(0, 0, 0)) << x;
        EXPECT_EQ(b.GetDevicePixel(x, 10), RGB(255, 255, 255)) << x;
        EXPECT_EQ(b.GetDevicePixel(x, 11), RGB(255, 255, 255)) << x;
        EXPECT_EQ(b.GetDevicePixel(x, 12), RGB(0, 0, 0)) << x;
    }
    for (int y = 30; y < 36; ++y) { // between the top and bottom edges (rows 28, 29 and 36, 37)
        EXPECT_EQ(b.GetDevicePixel(1, y), RGB(0, 0, 0)) << y;
        EXPECT_EQ(b.GetDevicePixel(2, y), RGB(255, 255, 255)) << y;
        EXPECT_EQ(b.GetDevicePixel(3, y), RGB(255, 255, 255)) << y;
        EXPECT_EQ(b.GetDevicePixel(4, y), RGB(0, 0, 0)) << y;
    }
    for (int y = 16; y < 26; ++y)
        for (int x = 14; x < 24; ++x) {
            const COLORREF c = b.GetDevicePixel(x, y);
            EXPECT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 255, 255)) << x << "," << y;
        }
    // Page pixels read through the scale.
    EXPECT_EQ(b.GetPixel(8, 5), RGB(255, 255, 255));
    EXPECT_EQ(b.GetPixel(8, 4), RGB(0, 0, 0));
}

// Solid rectangles are written straight into the pixels; they must be the
// pixels cairo fills for them (no antialiasing, same clip) at every scale.
TEST(UiScale, SolidRectanglesCoverThePixelsCairoWouldFill) {
    for (double s : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        CBitmap mine, ref;
        ASSERT_TRUE(mine.Create(41, 31, s));
        ASSERT_TRUE(ref.Create(41, 31, s));
        const POINT origin{3, 1};
        const std::vector<RECT> clip{{0, 0, 17, 13}, {19, 2, 33, 27}};
        const RECT rects[] = {{1, 1, 9, 5}, {5, 3, 30, 22}, {-2, 11, 3, 40}, {20, 20, 21, 21}};
        {
            CDC dc(mine.Surface(), origin, clip);
            for (const RECT& r : rects) dc.FillSolidRect(r, RGB(200, 100, 50));
            dc.IntersectClipRect({2, 2, 25, 18});
            dc.FillSolidRect({0, 0, 40, 30}, RGB(10, 220, 30));
        }
        cairo_t* cr = cairo_create(ref.Surface());
        cairo_translate(cr, origin.x, origin.y);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        for (const RECT& c : clip) cairo_rectangle(cr, c.left, c.top, c.Width(), c.Height());
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 200 / 255.0, 100 / 255.0, 50 / 255.0);
        for (const RECT& r : rects) cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
        cairo_fill(cr);
        cairo_rectangle(cr, 2, 2, 23, 16);
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 10 / 255.0, 220 / 255.0, 30 / 255.0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(ref.Surface());
        int differ = 0;
        for (int y = 0; y < ref.PixelHeight(); ++y)
            for (int x = 0; x < ref.PixelWidth(); ++x)
                differ += mine.GetDevicePixel(x, y) != ref.GetDevicePixel(x, y);
        EXPECT_EQ(differ, 0) << "scale " << s;
    }
}
