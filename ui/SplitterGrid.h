// A static grid of panes (rows × columns) on nested wxSplitterWindows. The pane windows are
// created as children of PaneParent(row, column), handed over with SetPane, and Finish splits.
//
//   ui::SplitterGrid grid(frame, 1, 2);
//   auto* tree = new CDirTreeView(grid.PaneParent(0, 0));
//   auto* thumbs = new CThumbnailView(grid.PaneParent(0, 1));
//   grid.SetPane(0, 0, tree); grid.SetPane(0, 1, thumbs);
//   grid.Finish(wxSize(230, 230));
#pragma once

#include <wx/splitter.h>

#include <vector>

namespace ui {

class SplitterGrid {
public:
    SplitterGrid(wxWindow* parent, int rows, int columns);
    int Rows() const { return rows_; }
    int Columns() const { return columns_; }

    wxWindow* PaneParent(int row, int column) const;
    void SetPane(int row, int column, wxWindow* pane);
    wxWindow* GetPane(int row, int column) const;
    // Splits with every pane initialPane large (pixels); false while a pane is missing.
    bool Finish(const wxSize& initialPane);
    // The outermost window: what the frame places, shows and hides (the single pane of 1 × 1).
    wxWindow* Window() const;
    void Show(bool show);

private:
    wxWindow* rowParent(int row) const;
    wxWindow* rowTop(int row) const;
    int rows_, columns_;
    wxWindow* parent_;
    std::vector<wxSplitterWindow*> rowSplitters_;                 // rows - 1, nested
    std::vector<std::vector<wxSplitterWindow*>> columnSplitters_; // per row, columns - 1, nested
    std::vector<wxWindow*> panes_;
};

} // namespace ui
