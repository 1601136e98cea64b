#include "shell/core/settings/ControlFilters.h"

#include <gtest/gtest.h>

namespace {

TEST(StageEdit, MinusOnlyAtTheStartAndOnce) {
    EXPECT_TRUE(StageEditAccepts('-', "12", 0, 0, true));
    EXPECT_FALSE(StageEditAccepts('-', "12", 2, 2, true));
    EXPECT_FALSE(StageEditAccepts('-', "-12", 0, 0, true));
    EXPECT_TRUE(StageEditAccepts('-', "-12", 0, 1, true)); // replaces the selected sign
    EXPECT_FALSE(StageEditAccepts('-', "12", 0, 0, false));
}

TEST(StageEdit, PointOnceUnlessTheSelectionHoldsIt) {
    EXPECT_TRUE(StageEditAccepts('.', "12", 2, 2, true));
    EXPECT_FALSE(StageEditAccepts('.', "1.2", 3, 3, true));
    EXPECT_FALSE(StageEditAccepts('.', "1.2", 0, 1, true));
    EXPECT_TRUE(StageEditAccepts('.', "1.2", 0, 2, true));
    EXPECT_TRUE(StageEditAccepts('.', "1.2", 3, 1, true)); // selection made backwards
    EXPECT_TRUE(StageEditAccepts('7', "", 0, 0, false));
    EXPECT_TRUE(StageEditAccepts(8, "1", 1, 1, false));
    for (int ch : {int('a'), int('E'), int(' '), int('+'), int(','), 0xE3})
        EXPECT_FALSE(StageEditAccepts(ch, "1", 1, 1, true)) << ch;
}

TEST(StageEdit, LeavingCompletesThePoint) {
    EXPECT_EQ(StageEditTextOnLeave(".5"), "0.5");
    EXPECT_EQ(StageEditTextOnLeave("5."), "5");
    EXPECT_EQ(StageEditTextOnLeave("."), "0.");
    EXPECT_EQ(StageEditTextOnLeave(""), "");
    EXPECT_EQ(StageEditTextOnLeave("-1.5"), "-1.5");
}

TEST(SliderEdit, CharacterClassesOfTheRange) {
    const unsigned signedRange = SliderEditClassesForRange(-5);
    const unsigned plainRange = SliderEditClassesForRange(0);
    EXPECT_TRUE(SliderEditAccepts('-', signedRange));
    EXPECT_TRUE(SliderEditAccepts('3', signedRange));
    EXPECT_FALSE(SliderEditAccepts('-', plainRange));
    EXPECT_FALSE(SliderEditAccepts('a', plainRange));
    EXPECT_FALSE(SliderEditAccepts('e', signedRange));
    EXPECT_FALSE(SliderEditAccepts('.', plainRange));
    EXPECT_TRUE(SliderEditAccepts('9', plainRange));
    EXPECT_TRUE(SliderEditAccepts(8, plainRange)); // backspace
    EXPECT_EQ(SliderEditCharClass('_'), 0x28u);
    EXPECT_EQ(SliderEditCharClass('#'), 8u);
}

TEST(SliderEdit, TypedValuesAreClamped) {
    ClampedValue v = SliderEditValue("25", 0, 20);
    EXPECT_EQ(v.value, 20);
    EXPECT_TRUE(v.clamped);
    v = SliderEditValue("-3", 0, 20);
    EXPECT_EQ(v.value, 0);
    EXPECT_TRUE(v.clamped);
    v = SliderEditValue("12", 0, 20);
    EXPECT_EQ(v.value, 12);
    EXPECT_FALSE(v.clamped);
    EXPECT_EQ(SliderEditValue("", 10, 400).value, 10);
}

TEST(LinkSlider, ThumbSnapsUpOrDownToTheStep) {
    for (auto [minimum, up, down] : {std::tuple{0, 15, 10}, std::tuple{1, 14, 9}}) {
        LinkSliderState s;
        s.minimum = minimum;
        s.maximum = 100;
        s.step = 5;
        s.previous = 5;
        ASSERT_TRUE(LinkSliderHorizontal(s, SliderCode::ThumbTrack, 12, 12));
        EXPECT_EQ(s.value, up) << minimum;
        s.previous = 20;
        LinkSliderHorizontal(s, SliderCode::ThumbTrack, 12, 12);
        EXPECT_EQ(s.value, down) << minimum;
        EXPECT_EQ(s.previous, down);
    }
    LinkSliderState s;
    s.minimum = 10;
    s.maximum = 400;
    s.step = 10;
    s.previous = 390;
    LinkSliderHorizontal(s, SliderCode::ThumbTrack, 398, 398);
    EXPECT_EQ(s.value, 400); // clamped at the maximum
    EXPECT_FALSE(LinkSliderHorizontal(s, SliderCode::Other, 0, 0));
    s.step = 0; // no snapping, no division
    EXPECT_TRUE(LinkSliderHorizontal(s, SliderCode::LineDown, 33, 0));
    EXPECT_EQ(s.value, 33);
}

TEST(LinkSlider, VerticalPositionsAreReversed) {
    LinkSliderState s;
    s.minimum = 10;
    s.maximum = 400;
    ASSERT_TRUE(LinkSliderVertical(s, SliderCode::ThumbTrack, 0, 10));
    EXPECT_EQ(s.value, 400);
    LinkSliderVertical(s, SliderCode::PageDown, 300, 0);
    EXPECT_EQ(s.value, 110);
    EXPECT_FALSE(LinkSliderVertical(s, SliderCode::ThumbPosition, 1, 1));
}

} // namespace
