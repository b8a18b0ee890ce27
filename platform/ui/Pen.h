// A pen for outlines and lines: solid of a width, or the one-pixel dotted pen.
#pragma once
#include "platform/ui/UiTypes.h"

constexpr int PS_SOLID = 0;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;

class CPen {
public:
    CPen() = default;
    CPen(int nStyle, int nWidth, COLORREF color) { CreatePen(nStyle, nWidth, color); }
    void CreatePen(int nStyle, int nWidth, COLORREF color) {
        m_nStyle = nStyle;
        m_nWidth = nWidth < 1 ? 1 : nWidth;
        m_color = color;
    }
    int Style() const { return m_nStyle; }
    int Width() const { return m_nWidth; }
    COLORREF Color() const { return m_color; }

private:
    int m_nStyle = PS_SOLID;
    int m_nWidth = 1;
    COLORREF m_color = RGB(0, 0, 0);
};
