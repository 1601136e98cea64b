#include "ui/SplitterGrid.h"

#include <algorithm>

namespace ui {

static wxSplitterWindow* newSplitter(wxWindow* parent) {
    auto* s = new wxSplitterWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                   wxSP_LIVE_UPDATE | wxSP_3DSASH);
    s->SetMinimumPaneSize(20);
    return s;
}

SplitterGrid::SplitterGrid(wxWindow* parent, int rows, int columns)
    : rows_(std::max(1, rows)), columns_(std::max(1, columns)), parent_(parent),
      panes_(static_cast<size_t>(rows_ * columns_), nullptr) {
    wxWindow* p = parent;
    for (int r = 0; r + 1 < rows_; ++r) {
        rowSplitters_.push_back(newSplitter(p));
        p = rowSplitters_.back();
    }
    columnSplitters_.resize(static_cast<size_t>(rows_));
    for (int r = 0; r < rows_; ++r) {
        wxWindow* q = rowParent(r);
        for (int c = 0; c + 1 < columns_; ++c) {
            columnSplitters_[r].push_back(newSplitter(q));
            q = columnSplitters_[r].back();
        }
    }
}

wxWindow* SplitterGrid::rowParent(int row) const {
    if (rows_ == 1)
        return parent_;
    return rowSplitters_[static_cast<size_t>(std::min(row, rows_ - 2))];
}

wxWindow* SplitterGrid::PaneParent(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_)
        return nullptr;
    if (columns_ == 1)
        return rowParent(row);
    return columnSplitters_[row][static_cast<size_t>(std::min(column, columns_ - 2))];
}

void SplitterGrid::SetPane(int row, int column, wxWindow* pane) {
    if (row >= 0 && row < rows_ && column >= 0 && column < columns_)
        panes_[static_cast<size_t>(row * columns_ + column)] = pane;
}

wxWindow* SplitterGrid::GetPane(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_)
        return nullptr;
    return panes_[static_cast<size_t>(row * columns_ + column)];
}

wxWindow* SplitterGrid::rowTop(int row) const {
    return columns_ == 1 ? GetPane(row, 0) : columnSplitters_[row][0];
}

bool SplitterGrid::Finish(const wxSize& initialPane) {
    if (std::find(panes_.begin(), panes_.end(), nullptr) != panes_.end())
        return false;
    for (int r = 0; r < rows_; ++r) {
        for (int c = columns_ - 2; c >= 0; --c) {
            wxWindow* right = c == columns_ - 2 ? GetPane(r, columns_ - 1) : columnSplitters_[r][c + 1];
            columnSplitters_[r][c]->SplitVertically(GetPane(r, c), right, initialPane.x);
        }
    }
    for (int r = rows_ - 2; r >= 0; --r) {
        wxWindow* below = r == rows_ - 2 ? rowTop(rows_ - 1) : rowSplitters_[r + 1];
        rowSplitters_[r]->SplitHorizontally(rowTop(r), below, initialPane.y);
    }
    return true;
}

wxWindow* SplitterGrid::Window() const {
    if (rows_ > 1)
        return rowSplitters_[0];
    return rowTop(0);
}

void SplitterGrid::Show(bool show) {
    if (wxWindow* w = Window())
        w->Show(show);
}

} // namespace ui
