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

TEST(KeyMapEditor, SixOctavesAndTwoSlotsFillTheKeyboard) {
    EXPECT_DOUBLE_EQ(CKeyMapEditor::SlotWidth(), 520.0 / 86.0);
    EXPECT_NEAR(CKeyMapEditor::MaxScroll(), 149.75 * 520.0 / 86.0 - 520.0, 1e-9);
}

// Slots 5 and 13 of an octave have no black key: each half gives the white
// key on its side.
TEST(KeyMapEditor, AGapSlotGivesTheWhiteKeyOnThePointersSide) {
    for (LONG octave : {0, 3, 9}) {
        const double o = 14.0 * static_cast<double>(octave);
        const LONG c = 12 * octave;
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 5.0), c + 4) << octave; // E
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 5.49), c + 4) << octave;
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 5.5), c + 5) << octave; // F
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 5.99), c + 5) << octave;
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 13.2), c + 11) << octave; // B
        EXPECT_EQ(CKeyMapEditor::KeyAtSlot(o + 13.5), c + 12) << octave; // next C
    }
    // Every other slot is its own key: C, C#, D, D#, E, F, F#, ... B.
    const LONG expected[14] = {0, 1, 2, 3, 4, -1, 5, 6, 7, 8, 9, 10, 11, -1};
    for (int k = 0; k < 14; ++k) {
        if (expected[k] >= 0) {
            EXPECT_EQ(CKeyMapEditor::KeyAtSlot(k + 0.5), expected[k]) << k;
        }
    }
    // Beyond either end the nearest key of 0..127.
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(-3.7), 0);
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(149.5), 127);
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(400.0), 127);
}

TEST(KeyMapEditor, ThePointerAtAGapSlotOnThePage) {
    CKeyMapEditor keys;
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(keys.SlotAt(XOfSlot(5.1))), 4);
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(keys.SlotAt(XOfSlot(5.6))), 5);
    keys.SetScroll(14.0 * CKeyMapEditor::SlotWidth()); // one octave on
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(keys.SlotAt(XOfSlot(13.1))), 23);
    EXPECT_EQ(CKeyMapEditor::KeyAtSlot(keys.SlotAt(XOfSlot(13.6))), 24);
}

TEST(KeyMapEditor, TheScrollStaysBetweenZeroAndTheEndOfKey127) {
    CKeyMapEditor keys;
    keys.SetScroll(-20.0);
    EXPECT_EQ(keys.Scroll(), 0.0);
    keys.SetScroll(5000.0);
    EXPECT_EQ(keys.Scroll(), CKeyMapEditor::MaxScroll());
    // Scrolled to its end, key 127 ends at the keyboard's right edge.
    const RECT last = keys.KeyRect(127);
    EXPECT_LT(last.left, kKeys.right);
    EXPECT_GE(last.right, kKeys.right);
    EXPECT_LE(last.right, kKeys.right + 3);
}

TEST(KeyMapEditor, APressOnAKeyChoosesUnityThenHighThenLowElseScrolls) {
    CKeyMapEditor keys;
    const LONG x = XOfSlot(2.5); // D, key 2
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(2, 2, 2)), Drag::Unity);
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(2, 2, 7)), Drag::High);
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(2, 9, 7)), Drag::Low);
    EXPECT_EQ(keys.Press({x, kInKeys}, Range(0, 9, 7)), Drag::Scroll);
    EXPECT_EQ(keys.Press({x, kKeys.bottom + 2}, Range(0, 9, 7)), Drag::None);
    EXPECT_EQ(keys.Press({kKeys.left - 4, kInKeys}, Range(0, 9, 7)), Drag::None);
}

// The low marker stands on its key's left edge, the high one on the right.
TEST(KeyMapEditor, InTheMarkerStripOnlyTheMarkersStartADrag) {
    CKeyMapEditor keys;
    const PadKeyRange range = Range(2, 4, 3); // D to E
    EXPECT_EQ(keys.Press({XOfSlot(2.2), kInStrip}, range), Drag::Low);
    EXPECT_EQ(keys.Press({XOfSlot(6.1), kInStrip}, range), Drag::High);
    EXPECT_EQ(keys.Press({XOfSlot(9.0), kInStrip}, range), Drag::None);
    EXPECT_EQ(keys.Dragging(), Drag::None);
    PadKeyRange moved = range;
    EXPECT_FALSE(keys.Move({XOfSlot(12.0), kInStrip}, false, moved));
}

TEST(KeyMapEditor, AMarkerDraggedInTheStripFollowsItsEdge) {
    CKeyMapEditor keys;
    PadKeyRange range = Range(2, 4, 3);
    ASSERT_EQ(keys.Press({XOfSlot(2.2), kInStrip}, range), Drag::Low);
    // The key at slot position + 0.5: the pointer just left of F's left edge.
    EXPECT_TRUE(keys.Move({XOfSlot(5.6), kInStrip}, false, range));
    EXPECT_EQ(range.nLowKey, 5);
    range = Range(2, 4, 3);
    ASSERT_EQ(keys.Press({XOfSlot(6.1), kInStrip}, range), Drag::High);
    // The key one slot left of slot position - 0.5: at G's right edge, G.
    EXPECT_TRUE(keys.Move({XOfSlot(10.1), kInStrip}, false, range));
    EXPECT_EQ(range.nHighKey, 7);
    EXPECT_EQ(range.nLowKey, 2);
    EXPECT_EQ(range.nRootKey, 3);
}

TEST(KeyMapEditor, ARangeEndDraggedPastTheOtherTakesItAlong) {
    CKeyMapEditor keys;
    PadKeyRange range = Range(2, 4, 3);
    ASSERT_EQ(keys.Press({XOfSlot(2.5), kInKeys}, range), Drag::Low);
    keys.Move({XOfSlot(10.6), kInKeys}, false, range); // the key at slot 10.1: A
    EXPECT_EQ(range.nLowKey, 9);
    EXPECT_EQ(range.nHighKey, 9);
    keys.Move({XOfSlot(1.0), kInKeys}, false, range); // back to C; high stays
    EXPECT_EQ(range.nLowKey, 0);
    EXPECT_EQ(range.nHighKey, 9);
    EXPECT_EQ(range.nRootKey, 3);
}

TEST(KeyMapEditor, AShiftMoveKeepsTheWholeMappingOnTheKeyboard) {
    CKeyMapEditor keys;
    keys.SetScroll(CKeyMapEditor::MaxScroll());
    PadKeyRange range = Range(120, 126, 124);
    const LONG x = keys.KeyRect(124).left + 2; // E10
    ASSERT_EQ(keys.Press({x, kInKeys}, range), Drag::Unity);
    EXPECT_TRUE(keys.Move({kKeys.right + 80, kInKeys}, true, range));
    EXPECT_EQ(range.nLowKey, 121); // only one step was left above 126
    EXPECT_EQ(range.nHighKey, 127);
    EXPECT_EQ(range.nRootKey, 125);
    keys.SetScroll(0.0);
    range = Range(3, 9, 5);
    ASSERT_EQ(keys.Press({XOfSlot(6.5), kInKeys}, range), Drag::Unity);
    EXPECT_TRUE(keys.Move({kKeys.left - 300, kInKeys}, true, range));
    EXPECT_EQ(range.nLowKey, 0);
    EXPECT_EQ(range.nHighKey, 6);
    EXPECT_EQ(range.nRootKey, 2);
}

TEST(KeyMapEditor, KeysOutsideTheKeyboardAreClampedBeforeTheyAreSent) {
    CKeyMapEditor keys;
    PadKeyRange range = Range(-4, 140, 2);
    ASSERT_EQ(keys.Press({XOfSlot(2.5), kInKeys}, range), Drag::Unity);
    EXPECT_TRUE(keys.Move({XOfSlot(2.9), kInKeys}, true, range));
    EXPECT_EQ(range.nLowKey, 0);
    EXPECT_EQ(range.nHighKey, 127);
    EXPECT_EQ(range.nRootKey, 2);
}

TEST(KeyMapEditor, AScrollDragFollowsThePointerExceptWithShift) {
    CKeyMapEditor keys;
    PadKeyRange range = Range(60, 60, 60);
    ASSERT_EQ(keys.Press({300, kInKeys}, range), Drag::Scroll);
    EXPECT_FALSE(keys.Move({260, kInKeys}, false, range));
    EXPECT_EQ(keys.Scroll(), 40.0);
    EXPECT_FALSE(keys.Move({200, kInKeys}, true, range));
    EXPECT_EQ(keys.Scroll(), 40.0);
    EXPECT_FALSE(keys.Move({310, kInKeys}, false, range));
    EXPECT_EQ(keys.Scroll(), 0.0);
    keys.Release();
    EXPECT_EQ(keys.Dragging(), Drag::None);
    EXPECT_FALSE(keys.Move({100, kInKeys}, false, range));
    EXPECT_EQ(keys.Scroll(), 0.0);
}
