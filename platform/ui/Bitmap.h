// An off-screen picture in 32-bit pixels (a cairo image surface): skin images,
// back buffers, and the source and target of blits. UI thread.
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

    // A new picture of cx x cy pixels, opaque black. Replaces any old one.
    bool Create(int cx, int cy);
    void Release();
    bool IsCreated() const { return m_pSurface != nullptr; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    SIZE GetSize() const { return {m_cx, m_cy}; }

    // The colour at (x, y), or CLR_INVALID outside the picture.
    COLORREF GetPixel(int x, int y) const;
    bool SavePng(const std::string& path) const;
    bool LoadPng(const std::string& path);
    cairo_surface_t* Surface() const { return m_pSurface; }

private:
    cairo_surface_t* m_pSurface = nullptr;
    int m_cx = 0, m_cy = 0;
};

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
