// The page's drawing tools: the palette of nine colours with one solid pen and
// one solid brush per colour, the dotted white pen, and the 12 and 14 pixel
// fonts of the string table's face. Made once when the page opens. UI thread.
#pragma once
#include "platform/ui/Brush.h"
#include "platform/ui/Font.h"
#include "platform/ui/Pen.h"

class CPageTools {
public:
    static constexpr int kColours = 9;

    // Creates the pens, brushes and fonts; false when a font cannot be made.
    bool Create();

    static COLORREF Colour(int i);
    CPen* Pen(int i) { return &m_pens[Index(i)]; }
    CBrush* Brush(int i) { return &m_brushes[Index(i)]; }
    CPen* DottedPen() { return &m_dotted; }
    CFont* Font12() { return &m_font12; }
    CFont* Font14() { return &m_font14; }

private:
    static int Index(int i) { return i < 0 ? 0 : i >= kColours ? kColours - 1 : i; }

    CPen m_pens[kColours];
    CBrush m_brushes[kColours];
    CPen m_dotted;
    CFont m_font12, m_font14;
};
