#include "editor/KeyMapEditor.h"
#include "editor/PageTools.h"
#include "platform/ui/DC.h"
#include <algorithm>
#include <cmath>
#include <string>

namespace {
constexpr LONG kKeys = 128;
constexpr int kSlotsPerOctave = 14;
// The whole keyboard, keys 0 to 127, in slots.
constexpr double kKeyboardSlots = 149.75;
// Each key's slot within its octave; slots 5 and 13 are the gaps where an
// octave has no black key (E-F and B-C).
constexpr int kSlotOf[12] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12};

int SlotOfKey(LONG nKey) { return (nKey / 12) * kSlotsPerOctave + kSlotOf[nKey % 12]; }
bool IsBlack(LONG nKey) { return kSlotOf[nKey % 12] % 2 == 1; }
LONG Round(double d) { return static_cast<LONG>(std::lround(d)); }
LONG ClampKey(LONG n) { return std::clamp<LONG>(n, 0, kKeys - 1); }

// Fills and text colours by role: the unity key in the page's greens, keys in
// range bright, the rest muted; indexes into the editor's palette, or -1 for
// the page's green of the key's colour.
struct RoleColours {
    int nWhite, nBlack, nText;
};
constexpr RoleColours kRoles[3] = {{-1, -1, 0}, {2, 3, 1}, {4, 1, 1}};
constexpr int kOutline = 0;
constexpr int kMarker = 6;
} // namespace

const COLORREF CKeyMapEditor::kPalette[kColours] = {
    RGB(0, 0, 0),       RGB(37, 43, 52),  RGB(255, 255, 255), RGB(124, 144, 173),
    RGB(160, 172, 191), RGB(91, 99, 120), RGB(200, 200, 150),
};

CKeyMapEditor::CKeyMapEditor() {
    for (int i = 0; i < kColours; ++i) {
        m_pens[i].CreatePen(PS_SOLID, 1, kPalette[i]);
        m_brushes[i].CreateSolidBrush(kPalette[i]);
    }
}

double CKeyMapEditor::SlotWidth() {
    return static_cast<double>(kKeyboard.Width()) / (kOctaves * kSlotsPerOctave + 2);
}

double CKeyMapEditor::MaxScroll() {
    return std::max(0.0, kKeyboardSlots * SlotWidth() - kKeyboard.Width());
}

void CKeyMapEditor::SetScroll(double dScroll) { m_dScroll = std::clamp(dScroll, 0.0, MaxScroll()); }

void CKeyMapEditor::ScrollToShow(const PadKeyRange& range) {
    // Positions along the whole keyboard, independent of the scroll; a white
    // key's width of room is left beside the range when the view moves.
    const double margin = 2 * SlotWidth();
    const double width = static_cast<double>(kKeyboard.Width());
    const double left = KeyRect(range.nLowKey).left + m_dScroll - kKeyboard.left;
    const double right = KeyRect(range.nHighKey).right + m_dScroll - kKeyboard.left;
    if (right - left + 2 * margin > width) {
        const RECT unity = KeyRect(range.nRootKey);
        SetScroll((unity.left + unity.right) / 2.0 + m_dScroll - kKeyboard.left - width / 2);
    } else if (left - margin < m_dScroll) {
        SetScroll(left - margin);
    } else if (right + margin > m_dScroll + width) {
        SetScroll(right + margin - width);
    }
}

double CKeyMapEditor::SlotAt(LONG x) const {
    return (static_cast<double>(x - kKeyboard.left) + m_dScroll) / SlotWidth();
}

// A gap slot gives the white key on the side of the pointer.
LONG CKeyMapEditor::KeyAtSlot(double dSlot) {
    const double k0 = std::floor(dSlot);
    auto k = static_cast<long>(k0);
    const long inOctave = ((k % kSlotsPerOctave) + kSlotsPerOctave) % kSlotsPerOctave;
    if (inOctave == 5 || inOctave == 13) k += dSlot - k0 >= 0.5 ? 1 : -1;
    return ClampKey(static_cast<LONG>(std::trunc(static_cast<double>(k) * 12.0 / 14.0 + 0.8)));
}

// White keys span two slots and share their outline with the next one; a
// black key sits over its own slot, 60 % of the keyboard's height.
RECT CKeyMapEditor::KeyRect(LONG nKey) const {
    const double s = SlotWidth();
    const double origin = static_cast<double>(kKeyboard.left) - m_dScroll;
    nKey = ClampKey(nKey);
    const int slot = SlotOfKey(nKey);
    if (!IsBlack(nKey)) {
        const int w = slot / 2;
        return {Round(origin + w * 2 * s), kKeyboard.top, Round(origin + (w + 1) * 2 * s) + 1,
                kKeyboard.bottom};
    }
    LONG width = std::max<LONG>(3, static_cast<LONG>((2 * s + 1) / 2));
    if (width % 2 == 0) ++width;
    const LONG left = Round(origin + (slot + 0.5) * s) - width / 2;
    return {left, kKeyboard.top, left + width, kKeyboard.top + Round(kKeyboard.Height() * 0.6)};
}

CKeyMapEditor::Role CKeyMapEditor::RoleOf(LONG nKey, const PadKeyRange& range) {
    if (nKey == range.nRootKey) return Role::Unity;
    if (nKey >= range.nLowKey && nKey <= range.nHighKey) return Role::InRange;
    return Role::Other;
}

void CKeyMapEditor::Paint(CDC& dc, const PadKeyRange& range, CFont* pFont) {
    dc.SaveDC();
    dc.IntersectClipRect(Area());
    if (pFont != nullptr) dc.SelectObject(pFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&m_pens[kOutline]);
    CBrush whiteUnity(CPageTools::Colour(6)), blackUnity(CPageTools::Colour(7));
    auto visible = [](const RECT& rc) {
        return rc.right > kKeyboard.left && rc.left < kKeyboard.right;
    };
    for (int pass = 0; pass < 2; ++pass) {
        const bool bBlack = pass == 1;
        for (LONG key = 0; key < kKeys; ++key) {
            if (IsBlack(key) != bBlack) continue;
            const RECT rc = KeyRect(key);
            if (!visible(rc)) continue;
            const RoleColours& role = kRoles[static_cast<int>(RoleOf(key, range))];
            const int nFill = bBlack ? role.nBlack : role.nWhite;
            CBrush* unity = bBlack ? &blackUnity : &whiteUnity;
            dc.SelectObject(nFill < 0 ? unity : &m_brushes[nFill]);
            dc.Rectangle(rc);
            if (key % 12 != 0) continue;
            const int nOctave = key / 12;
            dc.SetTextColor(kPalette[role.nText]);
            dc.TextOut(rc.left + (nOctave >= 10 ? 1 : 3), kKeyboard.bottom - 13,
                       std::to_wstring(nOctave));
        }
    }
    dc.SelectObject(&m_brushes[kMarker]);
    dc.SelectObject(&m_pens[kMarker]);
    if (range.nLowKey >= 0 && range.nLowKey < kKeys) {
        const RECT rc = KeyRect(range.nLowKey);
        if (visible(rc)) PaintMarker(dc, rc.left);
    }
    if (range.nHighKey >= 0 && range.nHighKey < kKeys) {
        const RECT rc = KeyRect(range.nHighKey);
        if (visible(rc)) PaintMarker(dc, rc.right - 1);
    }
    dc.RestoreDC(-1);
}

// A triangle pointing down at x, its tip on the keyboard's top edge.
void CKeyMapEditor::PaintMarker(CDC& dc, LONG x) const {
    const LONG top = kKeyboard.top;
    const POINT pts[3] = {{x, top - 1}, {x - 3, top - kStripHeight}, {x + 3, top - kStripHeight}};
    dc.Polygon(pts, 3);
}

CKeyMapEditor::Drag CKeyMapEditor::Press(POINT pt, const PadKeyRange& range) {
    m_drag = Drag::None;
    m_bStripDrag = false;
    m_press = pt;
    m_dPressScroll = m_dScroll;
    const double slot = SlotAt(pt.x);
    if (kKeyboard.Contains(pt)) {
        const LONG key = KeyAtSlot(slot);
        if (key == range.nRootKey)
            m_drag = Drag::Unity;
        else if (key == range.nHighKey)
            m_drag = Drag::High;
        else if (key == range.nLowKey)
            m_drag = Drag::Low;
        else
            m_drag = Drag::Scroll;
    } else if (Area().Contains(pt)) {
        // The high marker sits on its key's right edge, the low one on the left.
        if (KeyAtSlot(slot - 1.5) == range.nHighKey)
            m_drag = Drag::High;
        else if (KeyAtSlot(slot) == range.nLowKey)
            m_drag = Drag::Low;
        m_bStripDrag = m_drag != Drag::None;
    }
    return m_drag;
}

bool CKeyMapEditor::Move(POINT pt, bool bShift, PadKeyRange& range) {
    if (m_drag == Drag::None) return false;
    if (m_drag == Drag::Scroll) {
        if (!bShift) SetScroll(m_dPressScroll + static_cast<double>(m_press.x - pt.x));
        return false;
    }
    const double slot = SlotAt(pt.x);
    LONG key = KeyAtSlot(slot - 0.5);
    if (m_bStripDrag) key = KeyAtSlot(m_drag == Drag::Low ? slot + 0.5 : slot - 1.5);
    LONG& field = m_drag == Drag::Unity ? range.nRootKey
                  : m_drag == Drag::Low ? range.nLowKey
                                        : range.nHighKey;
    range.nRootKey = ClampKey(range.nRootKey);
    range.nLowKey = ClampKey(range.nLowKey);
    range.nHighKey = ClampKey(range.nHighKey);
    if (bShift) {
        // The whole mapping moves, as far as its outermost key stays on the keyboard.
        const LONG lowest = std::min({range.nRootKey, range.nLowKey, range.nHighKey});
        const LONG highest = std::max({range.nRootKey, range.nLowKey, range.nHighKey});
        const LONG delta = std::clamp<LONG>(key - field, -lowest, kKeys - 1 - highest);
        range.nRootKey += delta;
        range.nLowKey += delta;
        range.nHighKey += delta;
    } else {
        field = key;
        // A range end dragged past the other one takes it along.
        if (m_drag == Drag::Low) range.nHighKey = std::max(range.nHighKey, key);
        if (m_drag == Drag::High) range.nLowKey = std::min(range.nLowKey, key);
    }
    return true;
}
