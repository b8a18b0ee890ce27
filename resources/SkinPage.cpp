// Painters of the large skin pieces: the page background with its labels, the
// middle band with its two tabs, and the pad grid.
#include "interfaces/PandrelConstants.h"
#include "resources/Palette.h"
#include "resources/SkinArt.h"
#include "resources/SkinPainters.h"
#include <cairo.h>
#include <string>

namespace {
constexpr COLORREF kLabel = kPalette[4], kHeader = kPalette[6], kWell = kPalette[1];

void Panel(CSkinArt& a, double x, double y, double w, double h) {
    a.Round(x, y, w, h, 5, kSkinPanel, kSkinPanel);
    a.Line(x + 4, y + 0.5, x + w - 4, y + 0.5, kSkinPanelHi, 1.0);
}

// A recessed area: the well colour with a dark rim above and a light one below.
void Well(CSkinArt& a, double x, double y, double w, double h) {
    a.Rect(x - 1, y - 1, w + 2, h + 2, kSkinFrame);
    a.Rect(x, y, w, h, kWell);
    a.Line(x - 1, y + h + 0.5, x + w + 1, y + h + 0.5, kSkinPanelHi, 1.0);
}

void Header(CSkinArt& a, double x, double y, const std::wstring& s) {
    a.Text(x, y, s, 11, kHeader, true);
}
void Label(CSkinArt& a, double x, double y, const std::wstring& s) { a.Text(x, y, s, 9.5, kLabel); }

void Blit(CSkinArt& a, const CBitmap& b, double x, double y) {
    cairo_set_source_surface(a.Cr(), b.Surface(), x, y);
    cairo_paint(a.Cr());
}
} // namespace

void PaintPadGrid(CBitmap& bmp) {
    CSkinArt a(bmp);
    a.Fill(kSkinFrame);
    for (int p = 0; p < kPadCount; ++p) {
        double x = 3 + 89 * (p % 4), y = 3 + 57 * (p / 4);
        a.Round(x, y, 87, 55, 4, kSkinPanel, kSkinPanel);
        a.Line(x + 3, y + 0.5, x + 84, y + 0.5, kSkinPanelHi, 1.0);
        a.Text(x + 66, y + 6, L"Vol", 9, kLabel);
        a.Text(x + 63, y + 27, L"Pan", 9, kLabel, false, 2);
    }
}

void PaintBand(CBitmap& bmp, bool bKeyMapTab) {
    CSkinArt a(bmp);
    a.Fill(kSkinFrame);
    Panel(a, 1, 1, kBandWidth - 2, kBandHeight - 2);
    a.Text(37, 4, bKeyMapTab ? L"Key Map" : L"Slice View", 11, kHeader, true);
    Well(a, 36, 16, 544, 79);
    // The chosen tab joins the panel in a lighter tone; the other one recedes.
    auto tab = [&](double y, const std::wstring& s, bool chosen) {
        if (chosen)
            a.Round(5, y, 22, 51, 3, Mix(kPalette[5], kPalette[3], 0.25), kPalette[5]);
        else
            a.Round(5, y, 22, 51, 3, kSkinFrame, Mix(kSkinFrame, kSkinPanel, 0.5));
        a.TextUp(16, y + 25.5, s, 10, chosen ? kPalette[8] : kPalette[3], chosen);
    };
    tab(2, L"Keys", bKeyMapTab);
    tab(54, L"Slices", !bKeyMapTab);
}

void PaintPageBackground(CBitmap& bmp) {
    CSkinArt a(bmp);
    a.Fill(kSkinFrame);

    // Top left: title, transport and the Loop Bin.
    Panel(a, 2, 2, 131, 229);
    a.Text(10, 8, L"PANDREL", 13, kPalette[8], true);
    Header(a, 14, 55, L"Loop Bin");
    Well(a, 14, 69, 105, 149);

    // Right: the Pad Inspector.
    Panel(a, 497, 2, 101, 229);
    Header(a, 501, 7, L"Pad Inspector");
    Label(a, 501, 25, L"Output");
    a.Text(500, 43, L"MIDI In", 8.8, kLabel);
    Label(a, 501, 61, L"Root");
    a.Line(501, 77.5, 594, 77.5, kSkinPanelHi);
    Label(a, 501, 84, L"Vel Low");
    Label(a, 501, 101, L"Vel High");
    a.Line(501, 116.5, 594, 116.5, kSkinPanelHi);
    Label(a, 501, 123, L"Key Unity");
    Label(a, 501, 140, L"Key Low");
    Label(a, 501, 157, L"Key High");
    a.Line(501, 171.5, 594, 171.5, kSkinPanelHi);
    Label(a, 512, 176, L"Tails");
    Label(a, 560, 176, L"Latch");
    Label(a, 512, 190, L"Pitch Markers");
    a.Line(501, 201.5, 594, 201.5, kSkinPanelHi);
    Label(a, 504, 205, L"Vol (dB)");
    Label(a, 554, 205, L"Pan");
    for (double y : {82.0, 99.0, 121.0, 138.0, 155.0}) Well(a, 554, y, 34, 12);
    for (double y : {22.0, 40.0, 58.0}) Well(a, 534, y, 60, 14);

    // The pad grid and the middle band, as the page shows them at first.
    CBitmap grid, band;
    grid.Create(360, 232, bmp.Scale());
    PaintPadGrid(grid);
    Blit(a, grid, 135, 2);
    band.Create(kBandWidth, kBandHeight, bmp.Scale());
    PaintBand(band, false);
    Blit(a, band, 1, 232);

    // Bottom left: the Slice Inspector and the Pad Editor's snap.
    Panel(a, 2, 341, 97, 210);
    Header(a, 8, 350, L"Slice Inspector");
    Label(a, 10, 384, L"Pitch (semitone)");
    Label(a, 10, 423, L"Gain (db)");
    Label(a, 10, 462, L"Pan (%)");
    for (double y : {399.0, 438.0, 477.0}) Well(a, 43, y, 30, 12);
    a.Line(8, 496.5, 93, 496.5, kSkinPanelHi);
    Header(a, 8, 501, L"Pad Editor");
    Label(a, 21, 537, L"Snap");
    Well(a, 21, 515, 60, 14);

    // Bottom right: the Pad Editor's timeline and scroll bars.
    Panel(a, 100, 341, 497, 210);
    Well(a, 101, 348, 482, 180);
    a.Rect(585, 350, 8, 154, kPalette[3]);
    a.Rect(100, 537, 453, 8, kPalette[3]);
}
