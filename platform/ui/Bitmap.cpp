#include "platform/ui/Bitmap.h"
#include "platform/ui/UiScale.h"
#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <utility>

CBitmap::~CBitmap() { Release(); }

CBitmap::CBitmap(CBitmap&& o) noexcept
    : m_pSurface(std::exchange(o.m_pSurface, nullptr)), m_cx(o.m_cx), m_cy(o.m_cy),
      m_dScale(o.m_dScale), m_nResourceId(o.m_nResourceId) {}

CBitmap& CBitmap::operator=(CBitmap&& o) noexcept {
    if (this != &o) {
        Release();
        m_pSurface = std::exchange(o.m_pSurface, nullptr);
        m_cx = o.m_cx;
        m_cy = o.m_cy;
        m_dScale = o.m_dScale;
        m_nResourceId = o.m_nResourceId;
    }
    return *this;
}

void CBitmap::Release() {
    if (m_pSurface) cairo_surface_destroy(m_pSurface);
    m_pSurface = nullptr;
    m_cx = m_cy = 0;
    m_dScale = 1.0;
}

bool CBitmap::Create(int cx, int cy, double scale) {
    Release();
    if (cx <= 0 || cy <= 0 || !(scale > 0.0)) return false;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, ScaledPixels(cx, scale),
                                                    ScaledPixels(cy, scale));
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return false;
    }
    cairo_surface_set_device_scale(s, scale, scale);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    m_pSurface = s;
    m_cx = cx;
    m_cy = cy;
    m_dScale = scale;
    return true;
}

int CBitmap::PixelWidth() const {
    return m_pSurface ? cairo_image_surface_get_width(m_pSurface) : 0;
}
int CBitmap::PixelHeight() const {
    return m_pSurface ? cairo_image_surface_get_height(m_pSurface) : 0;
}

COLORREF CBitmap::GetPixel(int x, int y) const {
    if (!m_pSurface || x < 0 || y < 0 || x >= m_cx || y >= m_cy) return CLR_INVALID;
    return GetDevicePixel(static_cast<int>((x + 0.5) * m_dScale),
                          static_cast<int>((y + 0.5) * m_dScale));
}

COLORREF CBitmap::GetDevicePixel(int x, int y) const {
    if (!m_pSurface || x < 0 || y < 0 || x >= PixelWidth() || y >= PixelHeight())
        return CLR_INVALID;
    cairo_surface_flush(m_pSurface);
    const unsigned char* data = cairo_image_surface_get_data(m_pSurface);
    int stride = cairo_image_surface_get_stride(m_pSurface);
    uint32_t px = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
    // Pixels are premultiplied; the skin and buffers are opaque, so no division.
    return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

bool CBitmap::SavePng(const std::string& path) const {
    return m_pSurface &&
           cairo_surface_write_to_png(m_pSurface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool CBitmap::LoadPng(const std::string& path) {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        return false;
    }
    int cx = cairo_image_surface_get_width(png), cy = cairo_image_surface_get_height(png);
    if (!Create(cx, cy)) {
        cairo_surface_destroy(png);
        return false;
    }
    cairo_t* cr = cairo_create(m_pSurface);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(png);
    return true;
}
