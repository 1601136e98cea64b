#include "shell/core/capture/PositionListEdit.h"

#include <gtest/gtest.h>

namespace {

TEST(PositionListEdit, AddAppendsBeforeTheTrailingRowOrInsertsAtTheCurrentRow) {
    // Four positions and the trailing row.
    auto none = PlanAddRow(-1, 5);
    EXPECT_TRUE(none.appending);
    EXPECT_EQ(none.insertAt, 4);
    EXPECT_EQ(none.selectRow, 5); // the trailing row again
    auto onTrailing = PlanAddRow(4, 5);
    EXPECT_TRUE(onTrailing.appending);
    EXPECT_EQ(onTrailing.insertAt, 4);
    auto beyond = PlanAddRow(9, 5);
    EXPECT_EQ(beyond.insertAt, 4);
    auto inside = PlanAddRow(1, 5);
    EXPECT_FALSE(inside.appending);
    EXPECT_EQ(inside.insertAt, 1);
    EXPECT_EQ(inside.selectRow, 1);
    // Only the trailing row: the first position goes before it.
    auto empty = PlanAddRow(0, 1);
    EXPECT_TRUE(empty.appending);
    EXPECT_EQ(empty.insertAt, 0);
    EXPECT_EQ(empty.selectRow, 1);
}

TEST(PositionListEdit, DeleteRemovesSelectedPositionsButNeverTheTrailingRow) {
    auto some = PlanDeleteRows({false, true, true, false, true, true});
    EXPECT_EQ(some.deleted, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(some.selectRow, 2); // the row that followed the last removed one
    auto first = PlanDeleteRows({true, false, false});
    EXPECT_EQ(first.deleted, (std::vector<int>{0}));
    EXPECT_EQ(first.selectRow, 0);
    auto nothing = PlanDeleteRows({false, false, false});
    EXPECT_TRUE(nothing.deleted.empty());
    EXPECT_EQ(nothing.selectRow, 1);
    auto onlyTrailing = PlanDeleteRows({true});
    EXPECT_TRUE(onlyTrailing.deleted.empty());
    auto all = PlanDeleteRows({true, true, true, true});
    EXPECT_EQ(all.deleted, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(all.selectRow, 0);
}

TEST(PositionListEdit, KeysMoveTheEditWithinThePositionRows) {
    // Rows 0 .. 9 hold positions (the trailing row 10 is never edited), pages of 4 rows.
    using M = EditMove;
    EXPECT_EQ(NextEditCell(M::Up, 3, 1, 9, 4), (EditCell{2, 1}));
    EXPECT_EQ(NextEditCell(M::Up, 0, 1, 9, 4), std::nullopt);
    EXPECT_EQ(NextEditCell(M::Down, 3, 1, 9, 4), (EditCell{4, 1}));
    EXPECT_EQ(NextEditCell(M::Down, 9, 1, 9, 4), std::nullopt);
    EXPECT_EQ(NextEditCell(M::PageUp, 2, 1, 9, 4), (EditCell{0, 1}));
    EXPECT_EQ(NextEditCell(M::PageDown, 3, 1, 9, 4), (EditCell{7, 1}));
    EXPECT_EQ(NextEditCell(M::PageDown, 8, 1, 9, 4), (EditCell{9, 1}));
    EXPECT_EQ(NextEditCell(M::First, 6, 1, 9, 4), (EditCell{0, 1}));
    EXPECT_EQ(NextEditCell(M::Last, 2, 1, 9, 4), (EditCell{9, 1}));
    EXPECT_EQ(NextEditCell(M::Enter, 2, 1, 9, 4), (EditCell{3, 1}));
    EXPECT_EQ(NextEditCell(M::Enter, 9, 1, 9, 4), std::nullopt);
    // Tab and Shift+Tab walk the columns; the list refuses a column it does not have.
    EXPECT_EQ(NextEditCell(M::Tab, 2, 1, 9, 4), (EditCell{2, 2}));
    EXPECT_EQ(NextEditCell(M::Tab, 2, 2, 9, 4), (EditCell{3, 1}));
    EXPECT_EQ(NextEditCell(M::BackTab, 2, 1, 9, 4), (EditCell{2, 0}));
    EXPECT_EQ(NextEditCell(M::BackTab, 2, 0, 9, 4), (EditCell{1, 2}));
    EXPECT_EQ(NextEditCell(M::BackTab, 0, 0, 9, 4), std::nullopt);
    // No position rows at all: nothing to edit.
    EXPECT_EQ(NextEditCell(M::Last, 0, 1, -1, 4), std::nullopt);
}

TEST(PositionListEdit, CellsBecomePositionsWithinTheCoordinateRange) {
    EXPECT_EQ(PositionsFromCells({"1.5", "", "-999999", "999999"}),
              (std::vector<double>{1.5, 0, -999999, 999999}));
    EXPECT_EQ(PositionsFromCells({"1", "1000000"}), std::nullopt);
    EXPECT_EQ(PositionsFromCells({"-1000000"}), std::nullopt);
    EXPECT_EQ(PositionsFromCells({}), std::vector<double>{});
    EXPECT_EQ(MoveTargetFromCell("-12.5"), -12.5);
    EXPECT_EQ(MoveTargetFromCell(""), 0.0);
    EXPECT_EQ(MoveTargetFromCell("1000000"), std::nullopt);
}

} // namespace
