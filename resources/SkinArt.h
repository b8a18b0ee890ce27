// Anti-aliased drawing helpers with which the skin bitmaps are painted: rounded
// keys with soft gradients, glyph paths and labels. UI thread.
#pragma once
#include "platform/ui/Bitmap.h"
#include "platform/ui/UiTypes.h"
#include <string>

typedef struct _cairo cairo_t;

class CSkinArt {
public:
    explicit CSkinArt(CBitmap& target);
    ~CSkinArt();
    CSkinArt(const CSkinArt&) = delete;
    CSkinArt& operator=(const CSkinArt&) = delete;

    void Fill(COLORREF c);
    void Rect(double x, double y, double w, double h, COLORREF c);
    // A rounded rectangle filled with a vertical gradient from top to bottom.
    void Round(double x, double y, double w, double h, double r, COLORREF top, COLORREF bottom);
    void RoundOutline(double x, double y, double w, double h, double r, COLORREF c,
                      double width = 1.0);
    void Line(double x0, double y0, double x1, double y1, COLORREF c, double width = 1.0);
    // A label in the Arial-metric face; align 0 left, 1 centre, 2 right of x.
    void Text(double x, double y, const std::wstring& s, double px, COLORREF c, bool bold = false,
              int align = 0);
    // Text turned a quarter anticlockwise, centred on (cx, cy).
    void TextUp(double cx, double cy, const std::wstring& s, double px, COLORREF c,
                bool bold = false);

    cairo_t* Cr() const { return m_cr; }
    void SetColor(COLORREF c, double alpha = 1.0) const;
    void RoundPath(double x, double y, double w, double h, double r) const;

private:
    cairo_t* m_cr;
};

COLORREF Mix(COLORREF a, COLORREF b, double t);
