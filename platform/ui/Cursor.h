// A pointer shape: the standard arrow, or a custom picture with a hot spot
// (the editor's "DRAGCOPY"). UI thread.
#pragma once
#include "platform/ui/Bitmap.h"
#include "platform/ui/UiTypes.h"

class CCursor {
public:
    // The standard arrow, shared by everyone.
    static const CCursor* Arrow();
    // A custom cursor from a picture: opaque pixels show, transparent ones do not.
    CCursor(CBitmap&& image, POINT hotSpot) : m_image(std::move(image)), m_hotSpot(hotSpot) {}

    bool IsArrow() const { return !m_image.IsCreated(); }
    const CBitmap& Image() const { return m_image; }
    POINT HotSpot() const { return m_hotSpot; }

private:
    CCursor() = default;
    CBitmap m_image;
    POINT m_hotSpot{};
};
using HCURSOR = const CCursor*;
