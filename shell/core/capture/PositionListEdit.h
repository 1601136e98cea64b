// The rules of the capture-position list editor that need no window: where Add puts a row, which
// rows Delete removes and what it selects after, which cell a key of the in-place edit moves to,
// and how the typed cells become positions. Rows are the positions followed by one trailing row
// ("EOD") that holds none.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct AddRowPlan {
    int insertAt = 0;  // the new row's index
    int selectRow = 0; // the row selected, focused and made current afterwards
    bool appending = false;
};

// Add with the current row (-1 none) in a list of rowCount rows (the trailing row included): a row
// before the current one, or before the trailing row when there is no current row, it is the
// trailing row or beyond, or the list holds at most one row. Appending selects the trailing row
// (so the next Add appends again), else the new row.
AddRowPlan PlanAddRow(int currentRow, int rowCount);

struct DeletePlan {
    std::vector<int> deleted; // original indices of the rows removed, ascending
    int selectRow = 1;        // index (after the removal) of the row selected and focused
};

// Delete with the selection of each row (the trailing row included, never removed): every
// selected position row goes; the row that followed the last removed one is selected (row 1 when
// nothing was removed).
DeletePlan PlanDeleteRows(const std::vector<bool>& selected);

// Keys of the in-place edit that move to another cell.
enum class EditMove { Up, Down, PageUp, PageDown, First, Last, Tab, BackTab, Enter };

struct EditCell {
    int row = 0;
    int column = 0;
    bool operator==(const EditCell&) const = default;
};

// The cell a key asks to edit next from (row, column), or none. lastRow is the last row that may
// be edited (the trailing row is never one); page is the number of rows a page shows.
//   Up, Down: the row above or below; PageUp, PageDown: a page up or down, kept within the rows;
//   First, Last (Ctrl+Home, Ctrl+End): the same column of row 0 or of the last row;
//   Tab: column 1 of the next row from a column above 1, else the next column of the row;
//   BackTab: the previous column, from column 0 column 2 of the row above; Enter: column 1 of the
//   next row. A target outside the rows is none; columns are checked by the list.
std::optional<EditCell> NextEditCell(EditMove move, int row, int column, int lastRow, int page);

// The positions of the list's value cells (the trailing row excluded) in row order; none when a
// cell holds a number outside ±999999 (message 903: the list is not taken). An empty cell is 0.
std::optional<std::vector<double>> PositionsFromCells(const std::vector<std::string>& cells);

// The target of Move for a cell's text; none when it lies outside ±999999 (message 902).
std::optional<double> MoveTargetFromCell(const std::string& text);
