// A device context: draws with pens, brushes and fonts onto a bitmap or a
// window's part of its back buffer, with GDI's pixel rules (right and bottom
// edges exclusive, lines without their last pixel). Coordinates are page
// pixels; a target of scale s (CBitmap) gets every shape, glyph and
// code-painted bitmap at s times the resolution, so a one-pixel line is s
// surface pixels wide and as sharp as at 1. UI thread.
#pragma once
#include "platform/ui/Brush.h"
#include "platform/ui/Pen.h"
#include "platform/ui/UiTypes.h"
#include <string>
#include <vector>

class CBitmap;
class CFont;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr UINT DT_LEFT = 0x00;
constexpr UINT DT_CENTER = 0x01;
constexpr UINT DT_RIGHT = 0x02;
constexpr UINT DT_VCENTER = 0x04;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_NOCLIP = 0x100;

class CDC {
public:
    // Draws on the whole of a bitmap (a memory device context).
    explicit CDC(CBitmap& target);
    // Draws on target with its client origin at origin, clipped to clip (client rects).
    CDC(cairo_surface_t* target, POINT origin, const std::vector<RECT>& clip);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    CFont* GetCurrentFont() const { return m_pFont; }
    COLORREF SetTextColor(COLORREF c);
    COLORREF SetBkColor(COLORREF c);
    int SetBkMode(int nMode);

    void FillSolidRect(const RECT& rc, COLORREF c);
    void FillRect(const RECT& rc, const CBrush* pBrush);
    void Rectangle(int l, int t, int r, int b);
    void Rectangle(const RECT& rc) { Rectangle(rc.left, rc.top, rc.right, rc.bottom); }
    void RoundRect(int l, int t, int r, int b, int cw, int ch);
    void Ellipse(int l, int t, int r, int b);
    void Polygon(const POINT* pts, int n);
    POINT MoveTo(int x, int y);
    void LineTo(int x, int y);
    void DrawFocusRect(const RECT& rc);

    void TextOut(int x, int y, const std::wstring& text);
    void DrawText(const std::wstring& text, const RECT& rc, UINT nFormat);
    SIZE GetTextExtent(const std::wstring& text) const;

    // Copies w x h pixels from pSrc's (sx, sy) to (x, y), replacing what was there.
    void BitBlt(int x, int y, int w, int h, CDC* pSrc, int sx, int sy);
    void DrawBitmap(const CBitmap& bmp, int x, int y, int w, int h, int sx, int sy);

    void IntersectClipRect(const RECT& rc);
    RECT GetClipBox() const { return m_clipBox; }
    int SaveDC();
    void RestoreDC(int nSaved);

    POINT Origin() const { return m_origin; }
    // The target's scale: surface pixels per page pixel (coordinates here are page pixels).
    double Scale() const { return m_dScale; }
    cairo_t* Cairo() const { return m_cr; }
    cairo_surface_t* Target() const { return m_pTarget; }

private:
    // A rectangle of surface pixels, right and bottom exclusive.
    struct PixelBox {
        int l, t, r, b;
    };
    struct State {
        CPen* pPen;
        CBrush* pBrush;
        CFont* pFont;
        COLORREF text, bk;
        int bkMode;
        RECT clipBox;
        std::vector<PixelBox> pixelClip;
    };
    // The surface pixels a rectangle of page pixels covers, rounded as cairo
    // rounds the edges of a rectangle filled without antialiasing.
    PixelBox ToPixels(const RECT& rc) const;
    void ClipPixels(const RECT& rc);
    void SetColor(COLORREF c) const;
    void PenPath(double l, double t, double r, double b) const;
    void FillBand(int l, int t, int r, int b, int w);
    void DotLine(int x0, int y0, int x1, int y1);
    void ApplyFont() const;

    cairo_t* m_cr = nullptr;
    cairo_surface_t* m_pTarget = nullptr;
    POINT m_origin{};
    double m_dScale = 1.0;
    RECT m_clipBox{};
    CPen* m_pPen;
    CBrush* m_pBrush;
    CFont* m_pFont;
    COLORREF m_text = RGB(0, 0, 0), m_bk = RGB(255, 255, 255);
    int m_bkMode = OPAQUE;
    POINT m_pos{};
    std::vector<State> m_saved;
    // The clip in surface pixels, kept beside cairo's so that solid rectangles
    // are written straight into an image surface's pixels (the page's paint
    // is thousands of them); m_bDirect when the target allows it.
    std::vector<PixelBox> m_pixelClip;
    bool m_bDirect = false;
    bool m_bWrote = false;
};
