#include "shell/core/capture/PositionListEdit.h"

#include "shell/core/capture/CapturePositions.h"

#include <algorithm>

AddRowPlan PlanAddRow(int currentRow, int rowCount) {
    const int last = std::max(0, rowCount - 1);
    int r = currentRow;
    if (r < 0 || r > last)
        r = last;
    AddRowPlan plan;
    plan.appending = r == last || rowCount <= 1;
    plan.insertAt = plan.appending ? last : r;
    plan.selectRow = plan.appending ? plan.insertAt + 1 : plan.insertAt;
    return plan;
}

DeletePlan PlanDeleteRows(const std::vector<bool>& selected) {
    DeletePlan plan;
    std::vector<int> original(selected.size());
    for (size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<int>(i);
    std::vector<bool> sel = selected;
    int remembered = 0;
    // Rows 0 .. count - 2 of the list as it shrinks: the trailing row is never removed.
    for (int i = 0; i + 1 < static_cast<int>(sel.size()); ++i) {
        if (!sel[static_cast<size_t>(i)])
            continue;
        plan.deleted.push_back(original[static_cast<size_t>(i)]);
        sel.erase(sel.begin() + i);
        original.erase(original.begin() + i);
        --i;
        remembered = i;
    }
    plan.selectRow = remembered + 1;
    return plan;
}

std::optional<EditCell> NextEditCell(EditMove move, int row, int column, int lastRow, int page) {
    EditCell c{row, column};
    switch (move) {
    case EditMove::Up:
        c.row = row - 1;
        break;
    case EditMove::Down:
        c.row = row + 1;
        break;
    case EditMove::PageUp:
        c.row = std::max(0, row - std::max(1, page));
        break;
    case EditMove::PageDown:
        c.row = std::min(lastRow, row + std::max(1, page));
        break;
    case EditMove::First:
        c.row = 0;
        break;
    case EditMove::Last:
        c.row = lastRow;
        break;
    case EditMove::Tab:
        c = column > 1 ? EditCell{row + 1, 1} : EditCell{row, column + 1};
        break;
    case EditMove::BackTab:
        c = column == 0 ? EditCell{row - 1, 2} : EditCell{row, column - 1};
        break;
    case EditMove::Enter:
        c = {row + 1, 1};
        break;
    }
    if (c.row < 0 || c.row > lastRow)
        return std::nullopt;
    return c;
}

std::optional<std::vector<double>> PositionsFromCells(const std::vector<std::string>& cells) {
    std::vector<double> out;
    out.reserve(cells.size());
    for (const std::string& text : cells) {
        const double v = ParseCellNumber(text);
        if (!IsCaptureCoordinate(v))
            return std::nullopt;
        out.push_back(v);
    }
    return out;
}

std::optional<double> MoveTargetFromCell(const std::string& text) {
    const double v = ParseCellNumber(text);
    if (!IsCaptureCoordinate(v))
        return std::nullopt;
    return v;
}
