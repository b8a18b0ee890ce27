// The Pad Editor's grains in each state, read back from the page's picture at
// scale 1 and 2: fill, dark bottom edge and light left edge of rectangles and
// tail tags, plain, selected and under a slice drag.
#include "PadEditorFixture.h"
#include "editor/PageTools.h"
#include "platform/ui/Bitmap.h"

namespace {
constexpr LONGLONG kBeat = kTicksPerBeat;

struct Expected {
    int nPad;
    LONG nGrain;
    int fill, dark, light;
};
} // namespace

class PadEditorDrawTest : public PadEditorTest, public ::testing::WithParamInterface<double> {
protected:
    // Pad 1's grains are tags (its Tails option on), pad 2's rectangles;
    // grain 1 of each is selected.
    void SetUp() override {
        PadEditorTest::SetUp();
        control.tails[0] = true;
        for (int p : {0, 1}) control.pads[size_t(p)] = {{0, kBeat}, {kBeat, 2 * kBeat}};
        Open(GetParam());
        State().m_grains.Add(0, 1);
        State().m_grains.Add(1, 1);
        Reload();
    }
    COLORREF At(POINT pt) {
        const CBitmap* b = Wm().BackBuffer(page);
        const double s = GetParam();
        return b->GetDevicePixel(static_cast<int>(pt.x * s), static_cast<int>(pt.y * s));
    }
    // Rows are 10 pixels: the grain spans its row's pixels 1 to 8.
    void Check(const Expected& e) {
        const LONGLONG t = control.pads[size_t(e.nPad)][size_t(e.nGrain)].nStart;
        const LONG x = Editor().XOfTick(t), top = Editor().RowTop(e.nPad);
        const std::string what =
            "pad " + std::to_string(e.nPad) + " grain " + std::to_string(e.nGrain);
        EXPECT_EQ(At({x + 5, top + 4}), CPageTools::Colour(e.fill)) << what << " fill";
        EXPECT_EQ(At({x + 5, top + 8}), CPageTools::Colour(e.dark)) << what << " bottom";
        EXPECT_EQ(At({x, top + 4}), CPageTools::Colour(e.light)) << what << " left";
        if (!control.tails[size_t(e.nPad)])
            EXPECT_EQ(At({x + 53, top + 4}), CPageTools::Colour(e.dark)) << what << " right";
    }
};

TEST_P(PadEditorDrawTest, EachStateHasItsFillAndEdges) {
    Check({0, 0, 3, 5, 4});
    Check({0, 1, 5, 0, 3});
    Check({1, 0, 6, 7, 8});
    Check({1, 1, 7, 0, 6});
    // Under a slice drag.
    State().m_slices.Add(0, 0);
    State().m_binDrag = {BinDrag::Kind::Slices, 0};
    Screen().MoveTo(Win(On(0, 0)));
    Wm().Pump();
    Check({0, 0, 4, 5, 2});
    Screen().MoveTo(Win(On(1, 0)));
    Wm().Pump();
    Check({1, 0, 8, 7, 2});
    Check({0, 0, 3, 5, 4});
}

TEST_P(PadEditorDrawTest, ADraggedGrainLeavesItsPlaceAndIsDrawnWhereItGoes) {
    const POINT at = On(1, 0);
    Screen().ButtonDown(Win(at));
    Screen().MoveTo(Win({at.x + 108, at.y + 30}));
    Wm().Pump();
    const LONG x = Editor().XOfTick(0);
    EXPECT_EQ(At({x + 20, Editor().RowTop(1) + 4}), CPageTools::Colour(1));
    EXPECT_EQ(At({x + 108 + 20, Editor().RowTop(4) + 4}), CPageTools::Colour(7));
    // With Ctrl a copy is coming: the grain shows at its place as well.
    Screen().MoveTo(Win({at.x + 108, at.y + 30}), MK_CONTROL);
    Wm().Pump();
    EXPECT_EQ(At({x + 20, Editor().RowTop(1) + 4}), CPageTools::Colour(7));
    Screen().Press(VK_ESCAPE);
    Screen().ButtonUp(Win({at.x + 108, at.y + 30}));
    Wm().Pump();
    EXPECT_EQ(At({x + 108 + 20, Editor().RowTop(4) + 4}), CPageTools::Colour(1));
}

INSTANTIATE_TEST_SUITE_P(Scales, PadEditorDrawTest, ::testing::Values(1.0, 2.0));
