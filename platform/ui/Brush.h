// A solid brush for filling shapes; a null brush leaves the inside alone.
#pragma once
#include "platform/ui/UiTypes.h"

class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    void CreateSolidBrush(COLORREF color) {
        m_color = color;
        m_bNull = false;
    }
    bool IsNull() const { return m_bNull; }
    COLORREF Color() const { return m_color; }

private:
    COLORREF m_color = RGB(255, 255, 255);
    bool m_bNull = true;
};
