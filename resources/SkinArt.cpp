#include "resources/SkinArt.h"
#include "platform/ui/Font.h"
#include "platform/ui/Text.h"
#include <cairo.h>
#include <cmath>

namespace {
const std::string& Family(bool bold) {
    static CFont regular, heavy;
    CFont& f = bold ? heavy : regular;
    if (!f.IsCreated()) f.CreateFont(12, L"Arial", bold ? FW_BOLD : FW_NORMAL);
    return f.ResolvedFamily();
}
} // namespace

COLORREF Mix(COLORREF a, COLORREF b, double t) {
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return RGB(m(GetRValue(a), GetRValue(b)), m(GetGValue(a), GetGValue(b)),
               m(GetBValue(a), GetBValue(b)));
}

CSkinArt::CSkinArt(CBitmap& target) : m_cr(cairo_create(target.Surface())) {}
CSkinArt::~CSkinArt() {
    cairo_surface_t* s = cairo_get_target(m_cr);
    cairo_destroy(m_cr);
    cairo_surface_flush(s);
}

void CSkinArt::SetColor(COLORREF c, double alpha) const {
    cairo_set_source_rgba(m_cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0,
                          alpha);
}

void CSkinArt::Fill(COLORREF c) {
    SetColor(c);
    cairo_paint(m_cr);
}

void CSkinArt::Rect(double x, double y, double w, double h, COLORREF c) {
    SetColor(c);
    cairo_rectangle(m_cr, x, y, w, h);
    cairo_fill(m_cr);
}

void CSkinArt::RoundPath(double x, double y, double w, double h, double r) const {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(m_cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(m_cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(m_cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(m_cr);
}

void CSkinArt::Round(double x, double y, double w, double h, double r, COLORREF top,
                     COLORREF bottom) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(g, 0, GetRValue(top) / 255.0, GetGValue(top) / 255.0,
                                     GetBValue(top) / 255.0);
    cairo_pattern_add_color_stop_rgb(g, 1, GetRValue(bottom) / 255.0, GetGValue(bottom) / 255.0,
                                     GetBValue(bottom) / 255.0);
    RoundPath(x, y, w, h, r);
    cairo_set_source(m_cr, g);
    cairo_fill(m_cr);
    cairo_pattern_destroy(g);
}

void CSkinArt::RoundOutline(double x, double y, double w, double h, double r, COLORREF c,
                            double width) {
    RoundPath(x + width / 2, y + width / 2, w - width, h - width, r);
    SetColor(c);
    cairo_set_line_width(m_cr, width);
    cairo_stroke(m_cr);
}

void CSkinArt::Line(double x0, double y0, double x1, double y1, COLORREF c, double width) {
    SetColor(c);
    cairo_set_line_width(m_cr, width);
    cairo_move_to(m_cr, x0, y0);
    cairo_line_to(m_cr, x1, y1);
    cairo_stroke(m_cr);
}

void CSkinArt::Text(double x, double y, const std::wstring& s, double px, COLORREF c, bool bold,
                    int align) {
    cairo_select_font_face(m_cr, Family(bold).c_str(), CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_cr, px);
    std::string u = Utf8ForCairo(s);
    cairo_text_extents_t te;
    cairo_text_extents(m_cr, u.c_str(), &te);
    double dx = align == 1 ? -te.x_advance / 2 : align == 2 ? -te.x_advance : 0;
    SetColor(c);
    // y is the top of the capitals.
    cairo_move_to(m_cr, x + dx, y + px * 0.716);
    cairo_show_text(m_cr, u.c_str());
    cairo_new_path(m_cr);
}

void CSkinArt::TextUp(double cx, double cy, const std::wstring& s, double px, COLORREF c,
                      bool bold) {
    cairo_save(m_cr);
    cairo_translate(m_cr, cx, cy);
    cairo_rotate(m_cr, -M_PI / 2);
    Text(0, -px * 0.36, s, px, c, bold, 1);
    cairo_restore(m_cr);
}
