// CEDListCtrl: a report list drawn by the program itself, with in-place editing of its cells
// through a temporary CEDEdit. The list paints its header and rows (a numbered, framed first
// column and right-aligned values) and places the edit over a cell, which the toolkit's own list
// cannot do for a second column.
//
// By default the first column shows the row number in a framed cell and the last row is the
// trailing "EOD" row, which holds no value and is never edited. With the plain first column the
// first column shows each row's own text (a name) and every row's values may be edited. The first
// column itself is never edited.
#pragma once

#include <wx/string.h>
#include <wx/window.h>

#include <vector>

class CEDEdit;

class CEDListCtrl : public wxWindow {
public:
    enum ColumnFormat { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };

    CEDListCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                bool plainFirstColumn = false);
    ~CEDListCtrl() override;

    void SetPlainFirstColumn(bool plain);
    bool PlainFirstColumn() const { return m_plainFirstColumn; }

    // ---- columns ----
    int InsertColumn(int column, const wxString& title, int format, int width);
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    int GetColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // Fits a column to its title and to the widest of its texts.
    void AutoSizeColumn(int column);
    int GetColumnFormat(int column) const;

    // ---- rows ----
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    // Inserts a row (its first column's text) at row, or at the end when row is beyond; the index.
    int InsertItem(int row, const wxString& text);
    bool DeleteItem(int row);
    void DeleteAllItems();
    wxString GetItemText(int row, int column) const;
    void SetItemText(int row, int column, const wxString& text);
    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    int GetFocusedRow() const { return m_focusedRow; }
    void SetFocusedRow(int row);
    // The row of the last click (-1 outside the rows), or the one Add and Delete make current.
    int GetCurrentRow() const { return m_currentRow; }
    void SetCurrentRow(int row) { m_currentRow = row; }
    // The trailing row: the last row, unless the first column is plain.
    bool IsTrailingRow(int row) const;
    // Scrolls so that the row is shown; false for a row that does not exist.
    bool EnsureVisible(int row);
    int GetTopRow() const { return m_topRow; }
    // Rows that fit the client area below the header.
    int CountPerPage() const;

    // ---- geometry ----
    int HeaderHeight() const { return m_headerHeight; }
    int RowHeight() const { return m_rowHeight; }
    // The row's rectangle in client pixels (whole width of the columns).
    wxRect GetItemRect(int row) const;
    // Row and column under a client point; false (both -1) outside the cells.
    bool HitTestEx(const wxPoint& point, int* row, int* column) const;

    // ---- editing ----
    // Opens an edit over the cell (ending an open one first): null for a row or column that does
    // not exist, a column of 4 pixels or less, the first column, or the trailing row.
    CEDEdit* EditSubLabel(int row, int column);
    CEDEdit* GetEdit() const { return m_edit; }
    // Ends the open edit: its text goes into its cell unless cancel is set (or the edit was
    // cancelled with Esc). The edit window is removed once its own events are done.
    void EndEdit(bool cancel = false);
    // What a click on a cell does: current row := the row, the selection as a click makes it, and
    // an edit of column 1 when the cell may be edited. Public for the gui tests.
    void ClickAt(const wxPoint& point, bool ctrl, bool shift);

    // Draws the rows as the paint handler does (tests draw into a memory bitmap).
    void Draw(wxDC& dc);

private:
    struct Column {
        wxString title;
        int format = LVCFMT_LEFT;
        int width = 50;
    };
    struct Row {
        std::vector<wxString> texts;
        bool selected = false;
    };

    void OnPaint(wxPaintEvent& ev);
    void OnSize(wxSizeEvent& ev);
    void OnLeftDown(wxMouseEvent& ev);
    void OnWheel(wxMouseEvent& ev);
    void OnScrollWin(wxScrollWinEvent& ev);
    void OnKeyDown(wxKeyEvent& ev);
    void UpdateScrollbars();
    void ScrollToRow(int top);
    void ScrollToX(int x);
    int ColumnLeft(int column) const; // sum of the widths before it
    int TotalWidth() const;
    void DrawHeader(wxDC& dc);
    void DrawRow(wxDC& dc, int row, const wxRect& rect);
    void MeasureFont();

    bool m_plainFirstColumn;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    int m_currentRow = -1;
    int m_focusedRow = -1;
    int m_anchorRow = -1;
    int m_topRow = 0;
    int m_xOffset = 0;
    int m_headerHeight = 20;
    int m_rowHeight = 18;
    CEDEdit* m_edit = nullptr;
    std::vector<CEDEdit*> m_ended; // edits waiting to be removed
};
