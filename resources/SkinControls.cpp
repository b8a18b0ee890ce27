// Painters of the small skin pieces: keys with glyphs, check boxes, the knob
// filmstrip and the pad images. All sit on the panel tone, since the page
// copies them opaquely onto its panels.
#include "resources/Palette.h"
#include "resources/ResourceIds.h"
#include "resources/SkinArt.h"
#include "resources/SkinPainters.h"
#include <cairo.h>
#include <cmath>
#include <string>

namespace {
constexpr COLORREF kInk = kPalette[4], kInkLit = kPalette[8], kGreen = kPalette[6],
                   kGreenDark = kPalette[7];

void Key(CSkinArt& a, int w, int h, bool lit) {
    a.Fill(kSkinPanel);
    a.Round(0, 0, w, h, 3, kSkinFrame, kSkinFrame); // the key's shadow rim
    if (lit) {
        a.Round(1, 1, w - 2, h - 2, 2.5, Mix(kGreenDark, kGreen, 0.35),
                Mix(kGreenDark, kSkinFrame, 0.3));
        a.Line(2.5, 1.5, w - 2.5, 1.5, kGreen, 1.0);
    } else {
        a.Round(1, 1, w - 2, h - 2, 2.5, Mix(kSkinKey, kPalette[5], 0.5),
                Mix(kSkinKey, kSkinFrame, 0.35));
        a.Line(2.5, 1.5, w - 2.5, 1.5, Mix(kPalette[5], kPalette[3], 0.35), 1.0);
    }
}

void Folder(CSkinArt& a, double cx, double cy, COLORREF c) {
    cairo_t* cr = a.Cr();
    a.SetColor(c);
    cairo_move_to(cr, cx - 4.5, cy - 3);
    cairo_line_to(cr, cx - 1.5, cy - 3);
    cairo_line_to(cr, cx - 0.5, cy - 2);
    cairo_line_to(cr, cx + 4.5, cy - 2);
    cairo_line_to(cr, cx + 4.5, cy + 3.5);
    cairo_line_to(cr, cx - 4.5, cy + 3.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Triangle(CSkinArt& a, double x0, double y0, double x1, double y1, double x2, double y2,
              COLORREF c) {
    cairo_t* cr = a.Cr();
    a.SetColor(c);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Glyph(CSkinArt& a, UINT id, int w, int h, COLORREF c) {
    double cx = w / 2.0, cy = h / 2.0;
    cairo_t* cr = a.Cr();
    switch (id) {
    case IDB_OPEN_UP:
    case IDB_OPEN_DOWN: Folder(a, cx, cy, c); break;
    case IDB_SAVE_UP:
    case IDB_SAVE_DOWN: // an arrow into a tray
        a.Line(cx, cy - 4, cx, cy + 1, c, 1.6);
        Triangle(a, cx - 3, cy, cx + 3, cy, cx, cy + 3, c);
        a.Line(cx - 4.5, cy + 4, cx + 4.5, cy + 4, c, 1.2);
        break;
    case IDB_CLEAR_UP:
    case IDB_CLEAR_DOWN: // a page with a cross
        a.RoundOutline(cx - 4, cy - 5, 8, 10, 1, c, 1.2);
        a.Line(cx - 2, cy - 2, cx + 2, cy + 2, c, 1.3);
        a.Line(cx + 2, cy - 2, cx - 2, cy + 2, c, 1.3);
        break;
    case IDB_PLAY_ON:
    case IDB_PLAY_OFF: Triangle(a, cx - 3, cy - 4.5, cx - 3, cy + 4.5, cx + 4.5, cy, c); break;
    case IDB_STOP: a.Rect(cx - 3.5, cy - 3.5, 7, 7, c); break;
    case IDB_AUDITION_OFF:
    case IDB_AUDITION_ON: // a speaker with a wave
        a.Rect(cx - 5.5, cy - 2, 3, 4, c);
        Triangle(a, cx - 3, cy - 2, cx + 0.5, cy - 5, cx + 0.5, cy + 5, c);
        Triangle(a, cx - 3, cy + 2, cx - 3, cy - 2, cx + 0.5, cy + 5, c);
        a.SetColor(c);
        cairo_set_line_width(cr, 1.2);
        cairo_arc(cr, cx + 0.5, cy, 3.5, -0.9, 0.9);
        cairo_stroke(cr);
        cairo_arc(cr, cx + 0.5, cy, 6, -0.8, 0.8);
        cairo_stroke(cr);
        break;
    case IDB_DELETE_ON:
    case IDB_DELETE_OFF: a.Line(cx - 3.5, cy, cx + 3.5, cy, c, 2.0); break;
    case IDB_MUTE_OFF:
    case IDB_MUTE_ON: a.Text(cx, cy - 4, L"M", 10, c, true, 1); break;
    case IDB_SOLO_OFF:
    case IDB_SOLO_ON: a.Text(cx, cy - 4, L"S", 10, c, true, 1); break;
    case IDB_SYNCED_OFF:
    case IDB_SYNCED_ON: // a metronome
        Triangle(a, cx - 4, cy + 4.5, cx + 4, cy + 4.5, cx, cy - 5, c);
        a.Line(cx, cy + 2, cx + 4, cy - 4, id == IDB_SYNCED_ON ? kGreenDark : kSkinKey, 1.3);
        break;
    case IDB_LOOPING_OFF:
    case IDB_LOOPING_ON: // a circular arrow
        a.SetColor(c);
        cairo_set_line_width(cr, 1.5);
        cairo_arc(cr, cx, cy, 4, 0.5, 2 * M_PI - 0.3);
        cairo_stroke(cr);
        Triangle(a, cx + 1.5, cy - 6.5, cx + 6, cy - 3.5, cx + 1.5, cy - 1, c);
        break;
    case IDB_ZOOM_H_IN_UP:
    case IDB_ZOOM_H_IN_DOWN:
    case IDB_ZOOM_V_IN_UP:
    case IDB_ZOOM_V_IN_DOWN:
        a.Line(cx - 2.5, cy, cx + 2.5, cy, c, 1.2);
        a.Line(cx, cy - 2.5, cx, cy + 2.5, c, 1.2);
        break;
    default: a.Line(cx - 2.5, cy, cx + 2.5, cy, c, 1.2); break; // the zoom-out minus
    }
}
} // namespace

void PaintKey(CBitmap& bmp, UINT id, bool bLit) {
    CSkinArt a(bmp);
    Key(a, bmp.Width(), bmp.Height(), bLit);
    Glyph(a, id, bmp.Width(), bmp.Height(), bLit ? kInkLit : kInk);
}

void PaintCheckBox(CBitmap& bmp, bool bChecked) {
    CSkinArt a(bmp);
    a.Fill(kSkinPanel);
    a.Round(0, 0, 9, 9, 2, kSkinFrame, kSkinFrame);
    if (bChecked) {
        a.Round(1, 1, 7, 7, 1.5, kGreen, kGreenDark);
        cairo_t* cr = a.Cr();
        a.SetColor(kPalette[1]);
        cairo_set_line_width(cr, 1.3);
        cairo_move_to(cr, 2.2, 4.6);
        cairo_line_to(cr, 3.9, 6.3);
        cairo_line_to(cr, 6.9, 2.6);
        cairo_stroke(cr);
    } else {
        a.Round(1, 1, 7, 7, 1.5, kPalette[1], Mix(kPalette[1], kSkinKey, 0.5));
    }
}

void PaintKnobStrip(CBitmap& bmp) {
    CSkinArt a(bmp);
    a.Fill(kSkinPanel);
    cairo_t* cr = a.Cr();
    const double start = 0.75 * M_PI, sweep = 1.5 * M_PI;
    for (int f = 0; f < 64; ++f) {
        double cx = f * 17 + 8.5, cy = 8.5, angle = start + sweep * f / 63.0;
        // The track, then the value arc over it.
        cairo_set_line_width(cr, 1.6);
        a.SetColor(kSkinFrame);
        cairo_arc(cr, cx, cy, 7.2, start, start + sweep);
        cairo_stroke(cr);
        if (f > 0) {
            a.SetColor(kGreen);
            cairo_arc(cr, cx, cy, 7.2, start, angle);
            cairo_stroke(cr);
        }
        cairo_pattern_t* g = cairo_pattern_create_radial(cx - 1.5, cy - 2, 0.5, cx, cy, 5.5);
        cairo_pattern_add_color_stop_rgb(g, 0, 0.47, 0.52, 0.62);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.20, 0.23, 0.28);
        cairo_arc(cr, cx, cy, 5.2, 0, 2 * M_PI);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        a.Line(cx + 1.2 * std::cos(angle), cy + 1.2 * std::sin(angle), cx + 4.6 * std::cos(angle),
               cy + 4.6 * std::sin(angle), kInkLit, 1.5);
    }
}

void PaintPad(CBitmap& bmp, int nPad, bool bLit) {
    CSkinArt a(bmp);
    a.Fill(kSkinPanel);
    a.Round(0, 0, 44, 38, 5, kSkinFrame, kSkinFrame);
    std::wstring label = std::to_wstring(nPad + 1);
    if (bLit) {
        a.Round(1, 1, 42, 36, 4, kPalette[8], kGreen);
        cairo_t* cr = a.Cr();
        cairo_pattern_t* g = cairo_pattern_create_radial(22, 19, 2, 22, 19, 24);
        cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 0.35);
        cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 1, 0.0);
        a.RoundPath(1, 1, 42, 36, 4);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        a.Text(22, 13, label, 13, kPalette[1], true, 1);
    } else {
        a.Round(1, 1, 42, 36, 4, Mix(kSkinKey, kPalette[5], 0.4), Mix(kSkinKey, kSkinFrame, 0.45));
        a.Line(3, 1.5, 41, 1.5, Mix(kPalette[5], kPalette[3], 0.3), 1.0);
        a.Text(22, 13, label, 13, kPalette[3], true, 1);
    }
}
