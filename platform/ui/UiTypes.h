// Plain records of the user-interface layer: points, sizes, rectangles,
// colours and the message parameter types. Any thread may use them.
#pragma once
#include "platform/com/Types.h"
#include <algorithm>
#include <cstdint>

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using UINT_PTR = uintptr_t;
using COLORREF = uint32_t; // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return c & 0xFF; }
constexpr int GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }

struct POINT {
    LONG x = 0, y = 0;
    bool operator==(const POINT&) const = default;
};
struct SIZE {
    LONG cx = 0, cy = 0;
    bool operator==(const SIZE&) const = default;
};
// Left and top inclusive, right and bottom exclusive.
struct RECT {
    LONG left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const RECT&) const = default;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(POINT p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    RECT Offset(LONG dx, LONG dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    RECT Inflate(LONG dx, LONG dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    RECT Intersect(const RECT& o) const {
        RECT r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.IsEmpty() ? RECT{} : r;
    }
    bool Intersects(const RECT& o) const { return !Intersect(o).IsEmpty(); }
};
inline RECT RectXYWH(LONG x, LONG y, LONG w, LONG h) { return {x, y, x + w, y + h}; }

constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
    return static_cast<WPARAM>((static_cast<uint32_t>(lo) & 0xFFFF) |
                               ((static_cast<uint32_t>(hi) & 0xFFFF) << 16));
}
constexpr LPARAM MAKELPARAM(int lo, int hi) { return static_cast<LPARAM>(MAKEWPARAM(lo, hi)); }
// Pointer coordinates in a mouse message are signed 16-bit values.
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<int16_t>(LOWORD(l)); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<int16_t>(HIWORD(l)); }
inline POINT PointFromLParam(LPARAM l) { return {GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }
inline LPARAM LParamFromPoint(POINT p) { return MAKELPARAM(p.x, p.y); }
