// An off-screen picture in 32-bit pixels (a cairo image surface): skin images,
// back buffers, and the source and target of blits. A picture has a size in
// page pixels and a scale: its surface holds size x scale pixels and carries
// the scale as cairo's device scale, so everything drawn on it in page pixels
// lands at the scale's resolution. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <string>

typedef struct _cairo_surface cairo_surface_t;

class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    CBitmap(CBitmap&& o) noexcept;
    CBitmap& operator=(CBitmap&& o) noexcept;

    // A new picture of cx x cy page pixels at the scale (its surface has
    // ceil(cx x scale) x ceil(cy x scale) pixels), opaque black. Replaces any old one.
    bool Create(int cx, int cy, double scale = 1.0);
    void Release();
    bool IsCreated() const { return m_pSurface != nullptr; }
    // The size in page pixels.
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    SIZE GetSize() const { return {m_cx, m_cy}; }
    double Scale() const { return m_dScale; }
    // The size of the surface in its own pixels.
    int PixelWidth() const;
    int PixelHeight() const;

    // The colour at page pixel (x, y) (the surface pixel under its centre), or
    // CLR_INVALID outside the picture.
    COLORREF GetPixel(int x, int y) const;
    // The colour at surface pixel (px, py), or CLR_INVALID outside.
    COLORREF GetDevicePixel(int px, int py) const;
    // The resource id of a picture painted by code (0: none); a device
    // context that draws it at another scale asks CResourceBitmaps for the
    // picture of that id painted at its own scale.
    void SetResourceId(UINT nID) { m_nResourceId = nID; }
    UINT ResourceId() const { return m_nResourceId; }
    // Writes the surface's pixels (size x scale).
    bool SavePng(const std::string& path) const;
    bool LoadPng(const std::string& path);
    cairo_surface_t* Surface() const { return m_pSurface; }

private:
    cairo_surface_t* m_pSurface = nullptr;
    int m_cx = 0, m_cy = 0;
    double m_dScale = 1.0;
    UINT m_nResourceId = 0;
};

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
