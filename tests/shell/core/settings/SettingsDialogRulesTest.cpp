// The rules of the composition settings dialogs: enabling, presets, the matching areas' default
// places and drag, and the heights of a series.
#include "shell/core/settings/SettingsDialogRules.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingsDialogRules, EnablingFollowsTypeAlignmentAndMicroscope) {
    for (int type = 0; type < 4; ++type) {
        const FocusTypeEnabling e = FocusTypeEnablingFor(type, 0, 0);
        EXPECT_EQ(e.manualSettings, type == 3) << type;
        EXPECT_TRUE(e.autoPosCheck);
        EXPECT_FALSE(e.autoPosSettings);
    }
    EXPECT_TRUE(FocusTypeEnablingFor(1, 1, 0).autoPosSettings);
    // A stereo or confocal microscope has no alignment, checked or not.
    for (int scope : {1, 2}) {
        const FocusTypeEnabling e = FocusTypeEnablingFor(3, 1, scope);
        EXPECT_TRUE(e.manualSettings);
        EXPECT_FALSE(e.autoPosCheck);
        EXPECT_FALSE(e.autoPosSettings);
    }
}

TEST(SettingsDialogRules, PresetsAndDefaultPlaces) {
    EXPECT_EQ(ManualPreset(0)->size, 1);
    EXPECT_EQ(ManualPreset(0)->smoothing, 8);
    EXPECT_EQ(ManualPreset(1)->size, 8);
    EXPECT_EQ(ManualPreset(2)->size, 15);
    EXPECT_EQ(ManualPreset(2)->smoothing, 6);
    EXPECT_FALSE(ManualPreset(3));
    EXPECT_FALSE(ManualPreset(-1));

    const MatchPoint unused{};
    EXPECT_EQ(DefaultMatchPoints(0), (MatchPoints{MatchPoint{25, 50}, {75, 50}, unused, unused}));
    EXPECT_EQ(DefaultMatchPoints(1), (MatchPoints{MatchPoint{50, 25}, {75, 75}, {25, 75}, unused}));
    EXPECT_EQ(DefaultMatchPoints(2), (MatchPoints{MatchPoint{50, 25}, {75, 50}, {50, 75}, {25, 50}}));
    EXPECT_EQ(DefaultMatchPoints(5), (MatchPoints{unused, unused, unused, unused}));
}

// Frame at (10, 20), 200 x 100 pixels; the pointer is given 5 pixels up and left of the place
// it stands for.
TEST(SettingsDialogRules, DragMovesTheNearestPointAndKeepsItsSquareInside) {
    MatchPoints p = DefaultMatchPoints(1); // (50,25) (75,75) (25,75)
    auto move = [&](int dx, int dy, bool dragging) {
        return MoveOverMatchFrame(p, 10 + dx - 5, 20 + dy - 5, 10, 20, 200, 100, dragging);
    };
    // Hovering near point 1 (100, 25 in pixels) shows the drag cursor without moving it.
    MatchDragResult r = move(108, 30, false);
    EXPECT_TRUE(r.overPoint);
    EXPECT_EQ(r.point, 0);
    EXPECT_FALSE(r.moved);
    EXPECT_EQ(p[0], (MatchPoint{50, 25}));
    // Dragging moves it to the pointer, truncated to percent.
    r = move(109, 30, true);
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(p[0], (MatchPoint{54, 30}));
    // Farther than the half size from every point: nothing.
    r = move(160, 40, true);
    EXPECT_FALSE(r.overPoint);
    // A square that would touch the edge (dy - 13 == 0) leaves the point where it was.
    p[0] = {50, 14}; // 14 pixels from the top
    r = move(100, 13, true);
    EXPECT_TRUE(r.overPoint);
    EXPECT_FALSE(r.moved);
    EXPECT_EQ(p[0], (MatchPoint{50, 14}));
    r = move(100, 14, true);
    EXPECT_FALSE(r.moved);   // already there
    r = move(187, 75, true); // point 2 at (150, 75): 37 pixels away, not over it
    EXPECT_FALSE(r.overPoint);
    // Outside the frame (after the shift) nothing is looked at.
    EXPECT_FALSE(MoveOverMatchFrame(p, 10 + 196, 20 + 50, 10, 20, 200, 100, true).overPoint);
    EXPECT_TRUE(PointerInMatchFrame(10 + 195, 20 + 95, 10, 20, 200, 100)); // edges included
}

TEST(SettingsDialogRules, UnusedPointsAreNeitherFoundNorMovedAndTiesKeepTheFirst) {
    MatchPoints p{MatchPoint{50, 50}, MatchPoint{50, 50}, MatchPoint{}, MatchPoint{}};
    MatchDragResult r = MoveOverMatchFrame(p, 100 - 5, 50 - 5, 0, 0, 200, 100, true);
    EXPECT_EQ(r.point, 0);
    // The fourth area of three is not in use: the place where it would be finds nothing.
    p = DefaultMatchPoints(1);
    r = MoveOverMatchFrame(p, 100 - 5, 50 - 5, 0, 0, 200, 100, true);
    EXPECT_FALSE(r.overPoint);
    EXPECT_FALSE(p[3].InUse());
}

TEST(SettingsDialogRules, HeightSequenceAndRanges) {
    const auto h = DepthSequence(100, -2.5, 4);
    ASSERT_TRUE(h);
    EXPECT_EQ(*h, (std::vector<double>{100, 97.5, 95, 92.5}));
    EXPECT_FALSE(DepthSequence(1000000, 1, 3));
    EXPECT_FALSE(DepthSequence(0, -1000000, 3));
    EXPECT_TRUE(DepthSequence(-999999, 999999, 0));
    EXPECT_EQ(FirstDepthOutOfRange({1, -999999, 999999}), -1);
    EXPECT_EQ(FirstDepthOutOfRange({1, 999999.5, -1e7}), 1);
    EXPECT_EQ(ParseDepthText("12.5um"), 12.5);
    EXPECT_EQ(ParseDepthText("abc"), 0.0);
    EXPECT_FALSE(DepthInRange(std::numeric_limits<double>::quiet_NaN()));
}

} // namespace
