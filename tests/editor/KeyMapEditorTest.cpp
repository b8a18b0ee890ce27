// The key map editor's keyboard geometry and its drags, on the record alone.
#include "editor/KeyMapEditor.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {
using Drag = CKeyMapEditor::Drag;
constexpr RECT kKeys = CKeyMapEditor::kKeyboard;
constexpr LONG kInKeys = (kKeys.top + kKeys.bottom) / 2;
constexpr LONG kInStrip = kKeys.top - 3;

// The page x whose slot position is dSlot (at scroll 0, rounded up).
LONG XOfSlot(double dSlot) {
    return kKeys.left + static_cast<LONG>(std::ceil(dSlot * CKeyMapEditor::SlotWidth()));
}
PadKeyRange Range(LONG nLow, LONG nHigh, LONG nRoot) { return {0, nLow, nHigh, nRoot, 0, 127}; }
} // namespace

// Slots 5 and 13 of an octave have no black key: each half gives the white
// key on its side.
TEST(KeyMapEditor, AGapSlotGivesTheWhiteKeyOnThePointersSide) {
    for (LONG octave : {0, 3, 9}) {
        const double o = 14.0 * static_cast<double>(octave);
        const LONG c = 12 * octave;
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 5.49), c + 4) << octave;  // E
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 5.5), c + 5) << octave;   // F
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 13.2), c + 11) << octave; // B
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 13.5), c + 12) << octave; // next C
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 12.5), c + 11) << octave;
    }
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(-3.7), 0);
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(149.5), 127);
    // Through the pointer, one octave scrolled on.
    CKeyMapEditor keys;
    keys.SetScroll(14.0 * CKeyMapEditor::SlotWidth());
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(keys.SlotAt(XOfSlot(13.1))), 23);
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(keys.SlotAt(XOfSlot(13.6))), 24);
}

TEST(KeyMapEditor, APressChoosesUnityThenHighThenLowElseScrolls) {
    CKeyMapEditor keys;
    const LONG x = XOfSlot(2.5); // D, key 2
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(2, 2, 2)), Drag::Unity);
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(2, 2, 7)), Drag::High);
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(2, 9, 7)), Drag::Low);
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(0, 9, 7)), Drag::Scroll);
    EXPECT_EQ(keys.Press({x, kKeys.bottom + 2}, Range(0, 9, 7)), Drag::None);
}

// The low marker stands on its key's left edge, the high one on the right.
TEST(KeyMapEditor, AMarkerDraggedInTheStripFollowsItsEdge) {
    CKeyMapEditor keys;
    PadKeyRange range = Range(2, 4, 3); // D to E
    EXPECT_EQ(keys.Press({XOfSlot(9.0), kInStrip}, range), Drag::None);
    ASSERT_EQ(keys.Press({XOfSlot(2.2), kInStrip}, range), Drag::Low);
    EXPECT_TRUE(keys.Move({XOfSlot(5.6), kInStrip}, false, range)); // just left of F
    EXPECT_EQ(range.nLowKey, 5);
    range = Range(2, 4, 3);
    ASSERT_EQ(keys.Press({XOfSlot(6.1), kInStrip}, range), Drag::High);
    EXPECT_TRUE(keys.Move({XOfSlot(10.1), kInStrip}, false, range)); // G's right edge
    EXPECT_EQ(range.nHighKey, 7);
    EXPECT_EQ(range.nLowKey, 2);
}

TEST(KeyMapEditor, ARangeEndDraggedPastTheOtherTakesItAlong) {
    CKeyMapEditor keys;
    PadKeyRange range = Range(2, 4, 3);
    ASSERT_EQ(keys.Press({XOfSlot(2.5), kInKeys}, range), Drag::Low);
    keys.Move({XOfSlot(10.6), kInKeys}, false, range); // A
    EXPECT_EQ(range.nHighKey, 9);
    keys.Move({XOfSlot(1.0), kInKeys}, false, range); // back to C; high stays
    EXPECT_EQ(range.nLowKey, 0);
    EXPECT_EQ(range.nHighKey, 9);
    EXPECT_EQ(range.nRootKey, 3);
}

// A Shift move stops where the mapping's outermost key reaches 0 or 127, and
// keys out of range are clamped before anything is sent.
TEST(KeyMapEditor, AShiftMoveKeepsTheWholeMappingOnTheKeyboard) {
    CKeyMapEditor keys;
    keys.SetScroll(CKeyMapEditor::MaxScroll());
    PadKeyRange range = Range(120, 126, 124);
    ASSERT_EQ(keys.Press({keys.KeyRect(124).left + 2, kInKeys}, range), Drag::Unity);
    EXPECT_TRUE(keys.Move({kKeys.right + 80, kInKeys}, true, range));
    EXPECT_EQ(range.nLowKey, 121);
    EXPECT_EQ(range.nHighKey, 127);
    EXPECT_EQ(range.nRootKey, 125);
    keys.SetScroll(0.0);
    range = Range(-4, 140, 5);
    ASSERT_EQ(keys.Press({XOfSlot(6.5), kInKeys}, range), Drag::Unity);
    EXPECT_TRUE(keys.Move({kKeys.left - 300, kInKeys}, true, range));
    EXPECT_EQ(range.nLowKey, 0);
    EXPECT_EQ(range.nHighKey, 127);
    EXPECT_EQ(range.nRootKey, 5);
}
