// The editor's palette and the skin's panel tones derived from it.
#pragma once
#include "platform/ui/UiTypes.h"

constexpr COLORREF kPalette[9] = {
    RGB(0, 0, 0),       RGB(37, 43, 52),    RGB(255, 255, 255),
    RGB(124, 144, 173), RGB(160, 172, 191), RGB(91, 99, 120),
    RGB(152, 214, 147), RGB(90, 128, 88),   RGB(206, 255, 202),
};
// Panels sit between the page frame (darker than colour 1) and colour 5; the
// wells (lists, edits, the Pad Editor) are colour 1, so they read as recessed.
constexpr COLORREF kSkinFrame = RGB(24, 28, 35);
constexpr COLORREF kSkinPanel = RGB(50, 58, 71);
constexpr COLORREF kSkinPanelHi = RGB(62, 71, 86);
constexpr COLORREF kSkinKey = RGB(70, 79, 97);
