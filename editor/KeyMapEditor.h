// The key map editor: a piano keyboard in the middle band that shows the
// current pad's key range and unity key and lets the pointer drag the range's
// ends, the unity key, the whole mapping (with Shift) or the keyboard itself.
// A drawing and hit-testing object owned by the middle band; it changes only
// the key-range record handed to it. Coordinates are page pixels. UI thread.
#pragma once
#include "interfaces/IVudivuVizezud.h"
#include "platform/ui/Brush.h"
#include "platform/ui/Pen.h"
#include "platform/ui/UiTypes.h"

class CDC;
class CFont;

class CKeyMapEditor {
public:
    enum class Drag { None, Unity, Low, High, Scroll };

    static constexpr RECT kKeyboard{51, 267, 571, 322};
    static constexpr LONG kStripHeight = 6; // the marker strip right above the keys
    static constexpr int kOctaves = 6;      // octaves across the keyboard's width

    CKeyMapEditor();
    virtual ~CKeyMapEditor() = default;

    // The keyboard and its marker strip: everything the editor draws.
    static RECT Area() {
        return {kKeyboard.left, kKeyboard.top - kStripHeight, kKeyboard.right, kKeyboard.bottom};
    }
    // Draws the keyboard with range's unity key, keys in range and markers.
    void Paint(CDC& dc, const PadKeyRange& range, CFont* pFont);
    // A left-button press at pt: which drag it starts (None outside the keys
    // and the strip, or in the strip away from both markers).
    Drag Press(POINT pt, const PadKeyRange& range);
    // A pointer move during a drag; true when range was changed (its keys
    // are then within 0..127 and low <= high), false for a scroll.
    bool Move(POINT pt, bool bShift, PadKeyRange& range);
    void Release() { m_drag = Drag::None; }
    Drag Dragging() const { return m_drag; }

    // Geometry: slots of the keyboard (two per white key), the key at a slot
    // position, the slot position of a page x and the rectangle of a key.
    static double SlotWidth();
    static LONG KeyAtSlot(double dSlot);
    double SlotAt(LONG x) const;
    RECT KeyRect(LONG nKey) const;
    double Scroll() const { return m_dScroll; }
    // Clamped to 0 .. MaxScroll(), so the keys never leave the keyboard.
    void SetScroll(double dScroll);
    static double MaxScroll();
    // Scrolls the least distance that shows range's low to high keys, or, when
    // they are wider than the keyboard, centres its unity key.
    void ScrollToShow(const PadKeyRange& range);

    // The editor's own palette.
    static constexpr int kColours = 7;
    static const COLORREF kPalette[kColours];

private:
    enum class Role { Unity, InRange, Other };
    static Role RoleOf(LONG nKey, const PadKeyRange& range);
    void PaintMarker(CDC& dc, LONG x) const;

    CPen m_pens[kColours];
    CBrush m_brushes[kColours];
    double m_dScroll = 0.0; // pixels of the keyboard scrolled off to the left
    double m_dPressScroll = 0.0;
    POINT m_press{};
    Drag m_drag = Drag::None;
    bool m_bStripDrag = false; // the drag began in the marker strip
};
