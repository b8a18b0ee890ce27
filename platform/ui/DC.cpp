#include "platform/ui/DC.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Font.h"
#include "platform/ui/ResourceBitmaps.h"
#include "platform/ui/Text.h"
#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {
// The stock objects a fresh device context starts with, as GDI's do.
CPen& StockPen() {
    static CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    return pen;
}
CBrush& StockBrush() {
    static CBrush brush(RGB(255, 255, 255));
    return brush;
}
CFont& StockFont() {
    static CFont font;
    if (!font.IsCreated()) font.CreateFont(14, L"Arial");
    return font;
}
} // namespace

CDC::CDC(CBitmap& target)
    : CDC(target.Surface(), POINT{}, {RECT{0, 0, target.Width(), target.Height()}}) {}

CDC::CDC(cairo_surface_t* target, POINT origin, const std::vector<RECT>& clip)
    : m_pTarget(target), m_origin(origin), m_pPen(&StockPen()), m_pBrush(&StockBrush()),
      m_pFont(&StockFont()) {
    m_cr = cairo_create(target);
    double sy = 1.0;
    cairo_surface_get_device_scale(target, &m_dScale, &sy);
    cairo_translate(m_cr, origin.x, origin.y);
    // Clip edges fall on whole surface pixels at any scale: sharp and cheap.
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    RECT box{};
    bool first = true;
    for (const RECT& rc : clip) {
        if (rc.IsEmpty()) continue;
        cairo_rectangle(m_cr, rc.left, rc.top, rc.Width(), rc.Height());
        box = first ? rc
                    : RECT{std::min(box.left, rc.left), std::min(box.top, rc.top),
                           std::max(box.right, rc.right), std::max(box.bottom, rc.bottom)};
        first = false;
    }
    if (first) cairo_rectangle(m_cr, 0, 0, 0, 0); // nothing to draw on
    cairo_clip(m_cr);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_DEFAULT);
    m_clipBox = box;
    const cairo_format_t format = cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE
                                      ? cairo_image_surface_get_format(target)
                                      : CAIRO_FORMAT_INVALID;
    m_bDirect = format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24;
    const PixelBox all{0, 0, m_bDirect ? cairo_image_surface_get_width(target) : 0,
                       m_bDirect ? cairo_image_surface_get_height(target) : 0};
    for (const RECT& rc : clip) {
        PixelBox p = ToPixels(rc);
        p = {std::max(p.l, all.l), std::max(p.t, all.t), std::min(p.r, all.r),
             std::min(p.b, all.b)};
        if (p.l < p.r && p.t < p.b) m_pixelClip.push_back(p);
    }
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(m_cr, fo);
    cairo_font_options_destroy(fo);
}

CDC::~CDC() {
    cairo_destroy(m_cr);
    cairo_surface_flush(m_pTarget);
    if (m_bWrote) cairo_surface_mark_dirty(m_pTarget);
}

namespace {
// cairo's rounding of an edge of a rectangle filled or clipped without
// antialiasing: to 1/256 of a pixel (nearest, ties to even), then half down.
int RoundEdge(double v) {
    const long f = std::lrint(v * 256.0);
    return static_cast<int>((f + 127) >> 8);
}
} // namespace

CDC::PixelBox CDC::ToPixels(const RECT& rc) const {
    const double s = m_dScale;
    return {RoundEdge((rc.left + m_origin.x) * s), RoundEdge((rc.top + m_origin.y) * s),
            RoundEdge((rc.right + m_origin.x) * s), RoundEdge((rc.bottom + m_origin.y) * s)};
}

void CDC::ClipPixels(const RECT& rc) {
    const PixelBox c = ToPixels(rc);
    std::vector<PixelBox> kept;
    for (const PixelBox& p : m_pixelClip) {
        const PixelBox q{std::max(p.l, c.l), std::max(p.t, c.t), std::min(p.r, c.r),
                         std::min(p.b, c.b)};
        if (q.l < q.r && q.t < q.b) kept.push_back(q);
    }
    m_pixelClip.swap(kept);
}

CPen* CDC::SelectObject(CPen* p) {
    CPen* old = m_pPen;
    m_pPen = p ? p : &StockPen();
    return old;
}
CBrush* CDC::SelectObject(CBrush* p) {
    CBrush* old = m_pBrush;
    m_pBrush = p ? p : &StockBrush();
    return old;
}
CFont* CDC::SelectObject(CFont* p) {
    CFont* old = m_pFont;
    m_pFont = (p && p->IsCreated()) ? p : &StockFont();
    return old;
}
COLORREF CDC::SetTextColor(COLORREF c) { return std::exchange(m_text, c); }
COLORREF CDC::SetBkColor(COLORREF c) { return std::exchange(m_bk, c); }
int CDC::SetBkMode(int n) { return std::exchange(m_bkMode, n); }

void CDC::SetColor(COLORREF c) const {
    cairo_set_source_rgb(m_cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void CDC::FillSolidRect(const RECT& rc, COLORREF c) {
    if (rc.IsEmpty()) return;
    if (m_bDirect) {
        // The pixels cairo would fill, written directly: opaque, so the same
        // in both pixel formats.
        const PixelBox r = ToPixels(rc);
        const uint32_t px = 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) |
                            (static_cast<uint32_t>(GetGValue(c)) << 8) |
                            static_cast<uint32_t>(GetBValue(c));
        unsigned char* data = nullptr;
        int stride = 0;
        for (const PixelBox& p : m_pixelClip) {
            const int l = std::max(p.l, r.l), t = std::max(p.t, r.t), rr = std::min(p.r, r.r),
                      b = std::min(p.b, r.b);
            if (l >= rr || t >= b) continue;
            if (data == nullptr) {
                cairo_surface_flush(m_pTarget);
                data = cairo_image_surface_get_data(m_pTarget);
                stride = cairo_image_surface_get_stride(m_pTarget);
                m_bWrote = true;
            }
            for (int y = t; y < b; ++y)
                std::fill_n(reinterpret_cast<uint32_t*>(data + y * stride) + l, rr - l, px);
        }
        return;
    }
    cairo_save(m_cr);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    SetColor(c);
    cairo_rectangle(m_cr, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CDC::FillRect(const RECT& rc, const CBrush* pBrush) {
    if (pBrush && !pBrush->IsNull()) FillSolidRect(rc, pBrush->Color());
}

// The pen's band of width w just inside [l, r) x [t, b).
void CDC::FillBand(int l, int t, int r, int b, int w) {
    if (r <= l || b <= t) return;
    cairo_save(m_cr);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
    SetColor(m_pPen->Color());
    cairo_rectangle(m_cr, l, t, r - l, b - t);
    if (r - l > 2 * w && b - t > 2 * w)
        cairo_rectangle(m_cr, l + w, t + w, r - l - 2 * w, b - t - 2 * w);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CDC::Rectangle(int l, int t, int r, int b) {
    if (!m_pBrush->IsNull()) FillSolidRect({l, t, r, b}, m_pBrush->Color());
    if (m_pPen->Style() == PS_NULL) return;
    if (m_pPen->Style() == PS_DOT) {
        DotLine(l, t, r - 1, t);
        DotLine(r - 1, t, r - 1, b - 1);
        DotLine(r - 1, b - 1, l, b - 1);
        DotLine(l, b - 1, l, t);
        return;
    }
    FillBand(l, t, r, b, m_pPen->Width());
}

// A path of the pen's centre line for a shape inside [l, r) x [t, b).
void CDC::PenPath(double l, double t, double r, double b) const {
    double h = m_pPen->Style() == PS_NULL ? 0.0 : m_pPen->Width() * 0.5;
    cairo_rectangle(m_cr, l + h, t + h, r - l - 2 * h, b - t - 2 * h);
}

void CDC::RoundRect(int l, int t, int r, int b, int cw, int ch) {
    if (r <= l || b <= t) return;
    double h = m_pPen->Style() == PS_NULL ? 0.0 : m_pPen->Width() * 0.5;
    double x0 = l + h, y0 = t + h, x1 = r - h, y1 = b - h;
    double rx = std::min(cw * 0.5, (x1 - x0) * 0.5), ry = std::min(ch * 0.5, (y1 - y0) * 0.5);
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    if (rx > 0 && ry > 0) {
        auto corner = [&](double cx, double cy, double a0) {
            cairo_save(m_cr);
            cairo_translate(m_cr, cx, cy);
            cairo_scale(m_cr, rx, ry);
            cairo_arc(m_cr, 0, 0, 1, a0, a0 + M_PI / 2);
            cairo_restore(m_cr);
        };
        corner(x1 - rx, y0 + ry, -M_PI / 2);
        corner(x1 - rx, y1 - ry, 0);
        corner(x0 + rx, y1 - ry, M_PI / 2);
        corner(x0 + rx, y0 + ry, M_PI);
        cairo_close_path(m_cr);
    } else {
        cairo_rectangle(m_cr, x0, y0, x1 - x0, y1 - y0);
    }
    if (!m_pBrush->IsNull()) {
        SetColor(m_pBrush->Color());
        cairo_fill_preserve(m_cr);
    }
    if (m_pPen->Style() != PS_NULL) {
        SetColor(m_pPen->Color());
        cairo_set_line_width(m_cr, m_pPen->Width());
        if (m_pPen->Style() == PS_DOT) {
            const double dash[] = {1.0, 1.0};
            cairo_set_dash(m_cr, dash, 2, 0);
        }
        cairo_stroke(m_cr);
    }
    cairo_new_path(m_cr);
    cairo_restore(m_cr);
}

void CDC::Ellipse(int l, int t, int r, int b) {
    if (r <= l || b <= t) return;
    double h = m_pPen->Style() == PS_NULL ? 0.0 : m_pPen->Width() * 0.5;
    double rx = (r - l) * 0.5 - h, ry = (b - t) * 0.5 - h;
    if (rx <= 0 || ry <= 0) return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_save(m_cr);
    cairo_translate(m_cr, (l + r) * 0.5, (t + b) * 0.5);
    cairo_scale(m_cr, rx, ry);
    cairo_arc(m_cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(m_cr);
    if (!m_pBrush->IsNull()) {
        SetColor(m_pBrush->Color());
        cairo_fill_preserve(m_cr);
    }
    if (m_pPen->Style() != PS_NULL) {
        SetColor(m_pPen->Color());
        cairo_set_line_width(m_cr, m_pPen->Width());
        cairo_stroke(m_cr);
    }
    cairo_new_path(m_cr);
    cairo_restore(m_cr);
}

void CDC::Polygon(const POINT* pts, int n) {
    if (!pts || n < 2) return;
    cairo_save(m_cr);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_new_path(m_cr);
    // Outline on pixel centres so a one-pixel pen covers whole pixels.
    for (int i = 0; i < n; ++i) cairo_line_to(m_cr, pts[i].x + 0.5, pts[i].y + 0.5);
    cairo_close_path(m_cr);
    if (!m_pBrush->IsNull()) {
        SetColor(m_pBrush->Color());
        cairo_fill_preserve(m_cr);
    }
    if (m_pPen->Style() != PS_NULL) {
        SetColor(m_pPen->Color());
        cairo_set_line_width(m_cr, m_pPen->Width());
        cairo_stroke(m_cr);
    }
    cairo_new_path(m_cr);
    cairo_restore(m_cr);
}

POINT CDC::MoveTo(int x, int y) { return std::exchange(m_pos, POINT{x, y}); }

// Every other pixel from (x0, y0) up to and including (x1, y1); in opaque mode
// the gaps take the background colour, as a dotted pen's do.
void CDC::DotLine(int x0, int y0, int x1, int y1) {
    int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= n; ++i) {
        int x = n ? x0 + (x1 - x0) * i / n : x0, y = n ? y0 + (y1 - y0) * i / n : y0;
        if (i % 2 == 0)
            FillSolidRect({x, y, x + 1, y + 1}, m_pPen->Color());
        else if (m_bkMode == OPAQUE)
            FillSolidRect({x, y, x + 1, y + 1}, m_bk);
    }
}

void CDC::LineTo(int x, int y) {
    POINT a = m_pos;
    m_pos = {x, y};
    if (m_pPen->Style() == PS_NULL || (a.x == x && a.y == y)) return;
    int w = m_pPen->Width();
    if (m_pPen->Style() == PS_DOT) {
        // The last pixel is left out, as with every line.
        int n = std::max(std::abs(x - a.x), std::abs(y - a.y));
        DotLine(a.x, a.y, a.x + (x - a.x) * (n - 1) / n, a.y + (y - a.y) * (n - 1) / n);
        return;
    }
    int lo = (w - 1) / 2;
    if (a.y == y) {
        int l = x > a.x ? a.x : x + 1, r = x > a.x ? x : a.x + 1;
        FillSolidRect({l, y - lo, r, y - lo + w}, m_pPen->Color());
    } else if (a.x == x) {
        int t = y > a.y ? a.y : y + 1, b = y > a.y ? y : a.y + 1;
        FillSolidRect({x - lo, t, x - lo + w, b}, m_pPen->Color());
    } else {
        cairo_save(m_cr);
        cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
        SetColor(m_pPen->Color());
        cairo_set_line_width(m_cr, w);
        cairo_move_to(m_cr, a.x + 0.5, a.y + 0.5);
        cairo_line_to(m_cr, x + 0.5, y + 0.5);
        cairo_stroke(m_cr);
        cairo_restore(m_cr);
    }
}

void CDC::DrawFocusRect(const RECT& rc) {
    CPen dot(PS_DOT, 1, RGB(255, 255, 255));
    CPen* old = SelectObject(&dot);
    int mode = SetBkMode(TRANSPARENT);
    DotLine(rc.left, rc.top, rc.right - 1, rc.top);
    DotLine(rc.right - 1, rc.top, rc.right - 1, rc.bottom - 1);
    DotLine(rc.right - 1, rc.bottom - 1, rc.left, rc.bottom - 1);
    DotLine(rc.left, rc.bottom - 1, rc.left, rc.top);
    SetBkMode(mode);
    SelectObject(old);
}

void CDC::ApplyFont() const {
    cairo_set_font_face(m_cr, m_pFont->Face());
    cairo_set_font_size(m_cr, m_pFont->EmSize());
}

SIZE CDC::GetTextExtent(const std::wstring& text) const {
    if (text.empty()) return {0, m_pFont->Height()};
    ApplyFont();
    cairo_text_extents_t te;
    std::string utf8 = Utf8ForCairo(text);
    cairo_text_extents(m_cr, utf8.c_str(), &te);
    return {static_cast<LONG>(std::lround(te.x_advance)), m_pFont->Height()};
}

void CDC::TextOut(int x, int y, const std::wstring& text) {
    SIZE sz = GetTextExtent(text);
    if (m_bkMode == OPAQUE) FillSolidRect({x, y, x + sz.cx, y + sz.cy}, m_bk);
    if (text.empty()) return;
    ApplyFont();
    SetColor(m_text);
    cairo_move_to(m_cr, x, y + m_pFont->Ascent());
    std::string utf8 = Utf8ForCairo(text);
    cairo_show_text(m_cr, utf8.c_str());
    cairo_new_path(m_cr);
}

void CDC::DrawText(const std::wstring& text, const RECT& rc, UINT nFormat) {
    SIZE sz = GetTextExtent(text);
    int x = rc.left, y = rc.top;
    if (nFormat & DT_CENTER)
        x = rc.left + (rc.Width() - sz.cx) / 2;
    else if (nFormat & DT_RIGHT)
        x = rc.right - sz.cx;
    if (nFormat & DT_VCENTER) y = rc.top + (rc.Height() - sz.cy) / 2;
    int saved = 0;
    if (!(nFormat & DT_NOCLIP)) {
        saved = SaveDC();
        IntersectClipRect(rc);
    }
    TextOut(x, y, text);
    if (!(nFormat & DT_NOCLIP)) RestoreDC(saved);
}

void CDC::BitBlt(int x, int y, int w, int h, CDC* pSrc, int sx, int sy) {
    if (!pSrc || w <= 0 || h <= 0) return;
    cairo_save(m_cr);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(m_cr, pSrc->m_pTarget, x - sx - pSrc->m_origin.x,
                             y - sy - pSrc->m_origin.y);
    cairo_rectangle(m_cr, x, y, w, h);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CDC::DrawBitmap(const CBitmap& picture, int x, int y, int w, int h, int sx, int sy) {
    if (!picture.IsCreated() || w <= 0 || h <= 0) return;
    // A picture painted by code is drawn from its copy painted at this scale.
    const CBitmap* pScaled = picture.Scale() == m_dScale || picture.ResourceId() == 0
                                 ? &picture
                                 : CResourceBitmaps::Load(picture.ResourceId(), m_dScale);
    const CBitmap& bmp =
        pScaled != nullptr && pScaled->GetSize() == picture.GetSize() ? *pScaled : picture;
    // Only the part of the request that lies on the bitmap is copied.
    RECT src = RECT{sx, sy, sx + w, sy + h}.Intersect({0, 0, bmp.Width(), bmp.Height()});
    if (src.IsEmpty()) return;
    cairo_save(m_cr);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    double ox = x - sx, oy = y - sy;
    if (bmp.Scale() == m_dScale) {
        // Pixels of the same scale are copied one to one: where a fractional
        // scale puts the picture between surface pixels, it moves to the pixel
        // the clipped rectangle's edge rounds to (half down, as cairo rounds it).
        ox = RoundEdge((ox + m_origin.x) * m_dScale) / m_dScale - m_origin.x;
        oy = RoundEdge((oy + m_origin.y) * m_dScale) / m_dScale - m_origin.y;
    }
    cairo_set_source_surface(m_cr, bmp.Surface(), ox, oy);
    if (bmp.Scale() == m_dScale) {
        cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(cairo_get_source(m_cr), CAIRO_EXTEND_PAD);
    }
    cairo_rectangle(m_cr, x + src.left - sx, y + src.top - sy, src.Width(), src.Height());
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CDC::IntersectClipRect(const RECT& rc) {
    const cairo_antialias_t aa = cairo_get_antialias(m_cr);
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(m_cr, rc.left, rc.top, std::max<LONG>(0, rc.Width()),
                    std::max<LONG>(0, rc.Height()));
    cairo_clip(m_cr);
    cairo_set_antialias(m_cr, aa);
    m_clipBox = m_clipBox.Intersect(rc);
    ClipPixels(rc);
}

int CDC::SaveDC() {
    cairo_save(m_cr);
    m_saved.push_back({m_pPen, m_pBrush, m_pFont, m_text, m_bk, m_bkMode, m_clipBox, m_pixelClip});
    return static_cast<int>(m_saved.size());
}

void CDC::RestoreDC(int nSaved) {
    if (nSaved < 0) nSaved = static_cast<int>(m_saved.size()) + 1 + nSaved;
    while (!m_saved.empty() && static_cast<int>(m_saved.size()) >= nSaved) {
        const State& s = m_saved.back();
        m_pPen = s.pPen;
        m_pBrush = s.pBrush;
        m_pFont = s.pFont;
        m_text = s.text;
        m_bk = s.bk;
        m_bkMode = s.bkMode;
        m_clipBox = s.clipBox;
        m_pixelClip = s.pixelClip;
        m_saved.pop_back();
        cairo_restore(m_cr);
    }
}
