// Drawing on cairo with the pixel rules the page relies on.
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "platform/ui/Font.h"
#include <gtest/gtest.h>

namespace {
constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

struct Canvas {
    CBitmap bmp;
    Canvas(int w = 40, int h = 30) { bmp.Create(w, h); }
    COLORREF At(int x, int y) const { return bmp.GetPixel(x, y); }
};
} // namespace

TEST(Drawing, RectangleFillsInsideExclusiveEdgesAndOutlinesWithPen) {
    Canvas c;
    CDC dc(c.bmp);
    CPen pen(PS_SOLID, 2, kRed);
    CBrush brush(kBlue);
    dc.SelectObject(&pen);
    dc.SelectObject(&brush);
    dc.Rectangle(5, 5, 15, 12);
    EXPECT_EQ(c.At(5, 5), kRed);
    EXPECT_EQ(c.At(6, 6), kRed);   // two pixels of pen
    EXPECT_EQ(c.At(7, 7), kBlue);  // then the fill
    EXPECT_EQ(c.At(14, 11), kRed); // last pixel inside
    EXPECT_EQ(c.At(15, 11), 0u);   // right edge exclusive
    EXPECT_EQ(c.At(14, 12), 0u);   // bottom edge exclusive
}

TEST(Drawing, LinesLeaveOutTheirLastPixelAndDottedPenAlternates) {
    Canvas c;
    CDC dc(c.bmp);
    CPen pen(PS_SOLID, 1, kWhite);
    dc.SelectObject(&pen);
    dc.MoveTo(2, 3);
    dc.LineTo(10, 3);
    EXPECT_EQ(c.At(2, 3), kWhite);
    EXPECT_EQ(c.At(9, 3), kWhite);
    EXPECT_EQ(c.At(10, 3), 0u);
    dc.MoveTo(20, 10);
    dc.LineTo(20, 2); // upward: (20, 10) down to (20, 3)
    EXPECT_EQ(c.At(20, 10), kWhite);
    EXPECT_EQ(c.At(20, 3), kWhite);
    EXPECT_EQ(c.At(20, 2), 0u);

    CPen dot(PS_DOT, 1, kWhite);
    dc.SelectObject(&dot);
    dc.SetBkColor(kRed); // opaque gaps take the background colour
    dc.MoveTo(30, 0);
    dc.LineTo(30, 6);
    EXPECT_EQ(c.At(30, 0), kWhite);
    EXPECT_EQ(c.At(30, 1), kRed);
    EXPECT_EQ(c.At(30, 4), kWhite);
    EXPECT_EQ(c.At(30, 6), 0u);
}

TEST(Drawing, ClippingLimitsEveryCallAndRestores) {
    Canvas c;
    CDC dc(c.bmp);
    int saved = dc.SaveDC();
    dc.IntersectClipRect({10, 10, 20, 20});
    EXPECT_EQ(dc.GetClipBox(), (RECT{10, 10, 20, 20}));
    dc.FillSolidRect({0, 0, 40, 30}, kRed);
    EXPECT_EQ(c.At(9, 15), 0u);
    EXPECT_EQ(c.At(10, 10), kRed);
    EXPECT_EQ(c.At(20, 15), 0u);
    dc.RestoreDC(saved);
    EXPECT_EQ(dc.GetClipBox(), (RECT{0, 0, 40, 30}));
    dc.FillSolidRect({0, 0, 2, 2}, kBlue);
    EXPECT_EQ(c.At(0, 0), kBlue);
}

TEST(Drawing, BlitsCopyBetweenBitmapsAndStopAtTheSourceEdge) {
    CBitmap strip;
    strip.Create(6, 2);
    {
        CDC s(strip);
        s.FillSolidRect({0, 0, 3, 2}, kRed);
        s.FillSolidRect({3, 0, 6, 2}, kBlue);
    }
    Canvas c(10, 10);
    CDC dc(c.bmp);
    dc.FillSolidRect({0, 0, 10, 10}, kWhite);
    dc.DrawBitmap(strip, 1, 1, 3, 2, 3, 0); // the second frame
    EXPECT_EQ(c.At(1, 1), kBlue);
    EXPECT_EQ(c.At(4, 1), kWhite);
    dc.DrawBitmap(strip, 5, 5, 3, 2, 6, 0); // a frame beyond the strip draws nothing
    EXPECT_EQ(c.At(5, 5), kWhite);
    CDC src(strip);
    dc.BitBlt(0, 8, 2, 2, &src, 2, 0);
    EXPECT_EQ(c.At(0, 8), kRed);
    EXPECT_EQ(c.At(1, 8), kBlue);
}

TEST(Drawing, ArialResolvesToAnArialMetricFontWithCellHeights) {
    CFont f12, f14;
    ASSERT_TRUE(f12.CreateFont(12, L"Arial"));
    ASSERT_TRUE(f14.CreateFont(14, L"Arial"));
    EXPECT_EQ(f12.ResolvedFamily(), "Liberation Sans");
    Canvas c;
    CDC dc(c.bmp);
    dc.SelectObject(&f12);
    // Arial advances (units of 2048 per em): P 1366, a d 1 6 1139, space 569;
    // the cell is 2288 units, so the 12-pixel cell has an em of 12 * 2048 / 2288.
    SIZE s12 = dc.GetTextExtent(L"Pad 16");
    EXPECT_EQ(s12.cy, 12);
    EXPECT_EQ(s12.cx, 34); // 6491 / 2288 * 12 = 34.04
    dc.SelectObject(&f14);
    SIZE s14 = dc.GetTextExtent(L"Pad 16");
    EXPECT_EQ(s14.cy, 14);
    EXPECT_EQ(s14.cx, 40); // 39.72
    EXPECT_EQ(dc.GetTextExtent(L"").cx, 0);
}

TEST(Drawing, OpaqueTextFillsItsCellTransparentTextDoesNot) {
    CFont f;
    f.CreateFont(12, L"Arial");
    Canvas c(60, 20);
    CDC dc(c.bmp);
    dc.SelectObject(&f);
    dc.SetBkColor(kBlue);
    dc.SetTextColor(kWhite);
    dc.TextOut(2, 2, L"Mix");
    EXPECT_EQ(c.At(2, 2), kBlue); // top-left corner of the cell: background
    EXPECT_EQ(c.At(2, 13), kBlue);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(30, 2, L"Mix");
    EXPECT_EQ(c.At(30, 2), 0u);
}

TEST(Drawing, ShapesFillWithTheBrushAndKeepInsideTheirRectangle) {
    Canvas c(40, 30);
    CDC dc(c.bmp);
    CPen pen(PS_SOLID, 1, kWhite);
    CBrush brush(kBlue);
    dc.SelectObject(&pen);
    dc.SelectObject(&brush);
    POINT tri[3] = {{2, 2}, {20, 2}, {2, 20}};
    dc.Polygon(tri, 3);
    EXPECT_EQ(c.At(5, 5), kBlue);
    EXPECT_EQ(c.At(2, 10), kWhite); // on the outline
    EXPECT_EQ(c.At(18, 18), 0u);
    dc.Ellipse(24, 4, 36, 16);
    EXPECT_EQ(c.At(30, 10), kBlue);
    EXPECT_EQ(c.At(24, 4), 0u); // the corner lies outside the ellipse
    EXPECT_EQ(c.At(36, 10), 0u);
    CBrush none;
    dc.SelectObject(&none);
    dc.FillSolidRect({0, 22, 40, 30}, kRed);
    dc.RoundRect(4, 22, 30, 30, 5, 5);
    EXPECT_EQ(c.At(15, 26), kRed); // a null brush leaves the inside alone
    EXPECT_EQ(c.At(15, 22), kWhite);
}
