#include "resources/Cursors.h"
#include <cairo.h>
#include <cstring>
#include <cwchar>

namespace {
CCursor MakeDragCopy() {
    CBitmap img;
    img.Create(20, 20);
    cairo_t* cr = cairo_create(img.Surface());
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    // The arrow, white with a black rim, tip at (1, 1).
    cairo_move_to(cr, 1, 1);
    cairo_line_to(cr, 1, 14);
    cairo_line_to(cr, 4.5, 10.5);
    cairo_line_to(cr, 7, 16);
    cairo_line_to(cr, 9, 15);
    cairo_line_to(cr, 6.5, 9.5);
    cairo_line_to(cr, 11, 9.5);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // The plus in a small box: the copy.
    cairo_rectangle(cr, 11, 11, 8, 8);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_stroke(cr);
    cairo_rectangle(cr, 13, 14.5, 5, 1);
    cairo_rectangle(cr, 15, 12.5, 1, 5);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(img.Surface());
    return CCursor(std::move(img), {1, 1});
}
} // namespace

const CCursor* CCursors::Load(const wchar_t* name) {
    if (!name || std::wcscmp(name, L"DRAGCOPY") != 0) return nullptr;
    static const CCursor dragCopy = MakeDragCopy();
    return &dragCopy;
}
