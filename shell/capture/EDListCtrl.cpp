#include "shell/capture/EDListCtrl.h"

#include "shell/capture/EDEdit.h"
#include "ui/CommandRouting.h"
#include "ui/WindowBase.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>

namespace {

const wxColour kSelectedText(255, 0, 0);
const wxColour kSelectedTextBack(0, 0, 255);
const wxColour kGrid(192, 192, 192);

// A one-pixel inner edge: light on the top and left and dark on the bottom and right (raised), or
// the other way round (sunken); the middle filled with the face colour.
void DrawInnerEdge(wxDC& dc, const wxRect& r, bool sunken) {
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
    const wxColour dark = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(face));
    dc.DrawRectangle(r);
    const wxColour& topLeft = sunken ? dark : light;
    const wxColour& bottomRight = sunken ? light : dark;
    dc.SetPen(wxPen(topLeft));
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetLeft(), r.GetTop());
    dc.DrawLine(r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetTop());
    dc.SetPen(wxPen(bottomRight));
    dc.DrawLine(r.GetLeft(), r.GetBottom(), r.GetRight() + 1, r.GetBottom());
    dc.DrawLine(r.GetRight(), r.GetTop(), r.GetRight(), r.GetBottom());
}

// Text within [left, right) of a row, aligned by the column format, clipped to the cell.
void DrawCellText(wxDC& dc, const wxString& text, int left, int right, const wxRect& row, int format) {
    if (right <= left)
        return;
    const wxRect cell(left, row.GetTop(), right - left, row.GetHeight());
    int align = wxALIGN_LEFT;
    if (format == CEDListCtrl::LVCFMT_RIGHT)
        align = wxALIGN_RIGHT;
    else if (format == CEDListCtrl::LVCFMT_CENTER)
        align = wxALIGN_CENTER_HORIZONTAL;
    wxDCClipper clip(dc, cell);
    dc.DrawLabel(text, cell, align | wxALIGN_CENTER_VERTICAL);
}

} // namespace

CEDListCtrl::CEDListCtrl(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                         bool plainFirstColumn)
    : wxWindow(parent, id, pos, size, wxBORDER_SUNKEN | wxVSCROLL | wxHSCROLL),
      m_plainFirstColumn(plainFirstColumn) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(*wxWHITE);
    MeasureFont();
    Bind(wxEVT_PAINT, &CEDListCtrl::OnPaint, this);
    Bind(wxEVT_SIZE, &CEDListCtrl::OnSize, this);
    Bind(wxEVT_LEFT_DOWN, &CEDListCtrl::OnLeftDown, this);
    Bind(wxEVT_MOUSEWHEEL, &CEDListCtrl::OnWheel, this);
    Bind(wxEVT_KEY_DOWN, &CEDListCtrl::OnKeyDown, this);
    for (auto type : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
                      wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
                      wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
        Bind(type, &CEDListCtrl::OnScrollWin, this);
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& ev) {
        ev.Skip();
        Refresh(false);
    });
    UpdateScrollbars();
}

CEDListCtrl::~CEDListCtrl() {
    // The edits are children and go with the list.
    m_edit = nullptr;
    m_ended.clear();
}

void CEDListCtrl::MeasureFont() {
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    const int h = dc.GetCharHeight();
    m_rowHeight = h + 4;
    m_headerHeight = h + 6;
}

void CEDListCtrl::SetPlainFirstColumn(bool plain) {
    m_plainFirstColumn = plain;
    Refresh(false);
}

// ---- columns ----

int CEDListCtrl::InsertColumn(int column, const wxString& title, int format, int width) {
    column = std::clamp(column, 0, GetColumnCount());
    m_columns.insert(m_columns.begin() + column, Column{title, format, width});
    for (Row& r : m_rows)
        if (static_cast<int>(r.texts.size()) > column)
            r.texts.insert(r.texts.begin() + column, wxString());
    UpdateScrollbars();
    Refresh(false);
    return column;
}

int CEDListCtrl::GetColumnWidth(int column) const {
    return column >= 0 && column < GetColumnCount() ? m_columns[static_cast<size_t>(column)].width : 0;
}

void CEDListCtrl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnCount())
        return;
    m_columns[static_cast<size_t>(column)].width = std::max(0, width);
    UpdateScrollbars();
    Refresh(false);
}

void CEDListCtrl::AutoSizeColumn(int column) {
    if (column < 0 || column >= GetColumnCount())
        return;
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    int width = dc.GetTextExtent(m_columns[static_cast<size_t>(column)].title).x + 12;
    for (const Row& r : m_rows)
        if (static_cast<size_t>(column) < r.texts.size())
            width = std::max(width, dc.GetTextExtent(r.texts[static_cast<size_t>(column)]).x + 12);
    SetColumnWidth(column, width);
}

int CEDListCtrl::GetColumnFormat(int column) const {
    return column >= 0 && column < GetColumnCount() ? m_columns[static_cast<size_t>(column)].format
                                                    : LVCFMT_LEFT;
}

int CEDListCtrl::ColumnLeft(int column) const {
    int x = 0;
    for (int c = 0; c < column && c < GetColumnCount(); ++c)
        x += m_columns[static_cast<size_t>(c)].width;
    return x;
}

int CEDListCtrl::TotalWidth() const {
    return ColumnLeft(GetColumnCount());
}

// ---- rows ----

int CEDListCtrl::InsertItem(int row, const wxString& text) {
    EndEdit();
    row = std::clamp(row, 0, GetItemCount());
    Row r;
    r.texts.assign(std::max<size_t>(1, m_columns.size()), wxString());
    r.texts[0] = text;
    m_rows.insert(m_rows.begin() + row, std::move(r));
    if (m_currentRow >= row)
        ++m_currentRow;
    if (m_focusedRow >= row)
        ++m_focusedRow;
    UpdateScrollbars();
    Refresh(false);
    return row;
}

bool CEDListCtrl::DeleteItem(int row) {
    if (row < 0 || row >= GetItemCount())
        return false;
    EndEdit();
    m_rows.erase(m_rows.begin() + row);
    for (int* r : {&m_currentRow, &m_focusedRow, &m_anchorRow}) {
        if (*r == row)
            *r = -1;
        else if (*r > row)
            --*r;
    }
    UpdateScrollbars();
    Refresh(false);
    return true;
}

void CEDListCtrl::DeleteAllItems() {
    EndEdit(true);
    m_rows.clear();
    m_currentRow = m_focusedRow = m_anchorRow = -1;
    m_topRow = 0;
    UpdateScrollbars();
    Refresh(false);
}

wxString CEDListCtrl::GetItemText(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0)
        return {};
    const Row& r = m_rows[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < r.texts.size() ? r.texts[static_cast<size_t>(column)] : wxString();
}

void CEDListCtrl::SetItemText(int row, int column, const wxString& text) {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= std::max(1, GetColumnCount()))
        return;
    Row& r = m_rows[static_cast<size_t>(row)];
    if (r.texts.size() <= static_cast<size_t>(column))
        r.texts.resize(static_cast<size_t>(column) + 1);
    r.texts[static_cast<size_t>(column)] = text;
    RefreshRect(GetItemRect(row), false);
}

bool CEDListCtrl::IsSelected(int row) const {
    return row >= 0 && row < GetItemCount() && m_rows[static_cast<size_t>(row)].selected;
}

void CEDListCtrl::SetSelected(int row, bool selected) {
    if (row < 0 || row >= GetItemCount())
        return;
    m_rows[static_cast<size_t>(row)].selected = selected;
    RefreshRect(GetItemRect(row), false);
}

void CEDListCtrl::SetFocusedRow(int row) {
    m_focusedRow = row >= 0 && row < GetItemCount() ? row : -1;
    Refresh(false);
}

bool CEDListCtrl::IsTrailingRow(int row) const {
    return !m_plainFirstColumn && row >= 0 && row == GetItemCount() - 1;
}

int CEDListCtrl::CountPerPage() const {
    const int h = GetClientSize().y - m_headerHeight;
    return std::max(1, h / std::max(1, m_rowHeight));
}

bool CEDListCtrl::EnsureVisible(int row) {
    if (row < 0 || row >= GetItemCount())
        return false;
    const int page = CountPerPage();
    if (row < m_topRow)
        ScrollToRow(row);
    else if (row >= m_topRow + page)
        ScrollToRow(row - page + 1);
    return true;
}

// ---- scrolling ----

void CEDListCtrl::UpdateScrollbars() {
    const int page = CountPerPage();
    const int count = GetItemCount();
    m_topRow = std::clamp(m_topRow, 0, std::max(0, count - page));
    SetScrollbar(wxVERTICAL, m_topRow, page, count);
    const int clientWidth = GetClientSize().x;
    const int total = TotalWidth();
    m_xOffset = std::clamp(m_xOffset, 0, std::max(0, total - clientWidth));
    SetScrollbar(wxHORIZONTAL, m_xOffset, clientWidth, total);
}

void CEDListCtrl::ScrollToRow(int top) {
    const int limit = std::max(0, GetItemCount() - CountPerPage());
    top = std::clamp(top, 0, limit);
    if (top == m_topRow)
        return;
    m_topRow = top;
    SetScrollPos(wxVERTICAL, m_topRow);
    Refresh(false);
}

void CEDListCtrl::ScrollToX(int x) {
    x = std::clamp(x, 0, std::max(0, TotalWidth() - GetClientSize().x));
    if (x == m_xOffset)
        return;
    m_xOffset = x;
    SetScrollPos(wxHORIZONTAL, m_xOffset);
    Refresh(false);
}

void CEDListCtrl::OnScrollWin(wxScrollWinEvent& ev) {
    // Scrolling ends an edit: the cell under it moves away.
    EndEdit();
    const bool vertical = ev.GetOrientation() == wxVERTICAL;
    const int pos = vertical ? m_topRow : m_xOffset;
    const int line = vertical ? 1 : 10;
    const int page = vertical ? CountPerPage() : GetClientSize().x;
    int to = pos;
    const wxEventType t = ev.GetEventType();
    if (t == wxEVT_SCROLLWIN_TOP)
        to = 0;
    else if (t == wxEVT_SCROLLWIN_BOTTOM)
        to = 1 << 30;
    else if (t == wxEVT_SCROLLWIN_LINEUP)
        to = pos - line;
    else if (t == wxEVT_SCROLLWIN_LINEDOWN)
        to = pos + line;
    else if (t == wxEVT_SCROLLWIN_PAGEUP)
        to = pos - page;
    else if (t == wxEVT_SCROLLWIN_PAGEDOWN)
        to = pos + page;
    else
        to = ev.GetPosition();
    if (vertical)
        ScrollToRow(to);
    else
        ScrollToX(to);
}

void CEDListCtrl::OnWheel(wxMouseEvent& ev) {
    EndEdit();
    const int lines = ev.GetWheelRotation() / std::max(1, ev.GetWheelDelta()) * ev.GetLinesPerAction();
    ScrollToRow(m_topRow - lines);
}

void CEDListCtrl::OnSize(wxSizeEvent& ev) {
    ev.Skip();
    UpdateScrollbars();
    Refresh(false);
}

// ---- geometry ----

wxRect CEDListCtrl::GetItemRect(int row) const {
    return wxRect(-m_xOffset, m_headerHeight + (row - m_topRow) * m_rowHeight, std::max(TotalWidth(), 1),
                  m_rowHeight);
}

bool CEDListCtrl::HitTestEx(const wxPoint& point, int* row, int* column) const {
    *row = *column = -1;
    if (point.y < m_headerHeight)
        return false;
    const int r = m_topRow + (point.y - m_headerHeight) / std::max(1, m_rowHeight);
    if (r < 0 || r >= GetItemCount())
        return false;
    const int x = point.x + m_xOffset;
    int left = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
        const int w = m_columns[static_cast<size_t>(c)].width;
        if (x >= left && x < left + w) {
            *row = r;
            *column = c;
            return true;
        }
        left += w;
    }
    *row = r; // on the row, right of the last column
    return false;
}

// ---- clicks and keys ----

void CEDListCtrl::OnLeftDown(wxMouseEvent& ev) {
    SetFocus(); // ends an open edit through its lost focus
    EndEdit();
    ClickAt(ev.GetPosition(), ev.ControlDown(), ev.ShiftDown());
}

void CEDListCtrl::ClickAt(const wxPoint& point, bool ctrl, bool shift) {
    EndEdit();
    int row = -1, column = -1;
    HitTestEx(point, &row, &column);
    m_currentRow = row;
    if (row < 0) {
        if (!ctrl && !shift)
            for (int i = 0; i < GetItemCount(); ++i)
                SetSelected(i, false);
        return;
    }
    if (shift && m_anchorRow >= 0) {
        const int lo = std::min(m_anchorRow, row), hi = std::max(m_anchorRow, row);
        for (int i = 0; i < GetItemCount(); ++i)
            SetSelected(i, (ctrl && IsSelected(i)) || (i >= lo && i <= hi));
    } else if (ctrl) {
        SetSelected(row, !IsSelected(row));
        m_anchorRow = row;
    } else {
        for (int i = 0; i < GetItemCount(); ++i)
            SetSelected(i, i == row);
        m_anchorRow = row;
    }
    SetFocusedRow(row);
    if (column == 1 && !IsTrailingRow(row))
        EditSubLabel(row, 1);
}

void CEDListCtrl::OnKeyDown(wxKeyEvent& ev) {
    const int count = GetItemCount();
    int to = -1;
    switch (ev.GetKeyCode()) {
    case WXK_UP:
        to = std::max(0, m_focusedRow - 1);
        break;
    case WXK_DOWN:
        to = std::min(count - 1, m_focusedRow + 1);
        break;
    case WXK_HOME:
        to = 0;
        break;
    case WXK_END:
        to = count - 1;
        break;
    case WXK_PAGEUP:
        to = std::max(0, m_focusedRow - CountPerPage());
        break;
    case WXK_PAGEDOWN:
        to = std::min(count - 1, m_focusedRow + CountPerPage());
        break;
    default:
        ev.Skip();
        return;
    }
    if (count == 0 || to < 0)
        return;
    for (int i = 0; i < count; ++i)
        SetSelected(i, i == to);
    m_anchorRow = m_currentRow = to;
    SetFocusedRow(to);
    EnsureVisible(to);
}

// ---- editing ----

CEDEdit* CEDListCtrl::EditSubLabel(int row, int column) {
    EndEdit();
    if (!EnsureVisible(row))
        return nullptr;
    SetSelected(row, false);
    if (column < 0 || column >= GetColumnCount() || GetColumnWidth(column) <= 4)
        return nullptr;
    // The first column names the row (its number, or the row's own text when plain) and the
    // trailing row holds nothing: neither is edited.
    if (column == 0 || IsTrailingRow(row))
        return nullptr;
    const int offset = ColumnLeft(column);
    const int width = GetColumnWidth(column);
    const int clientWidth = GetClientSize().x;
    if (offset < m_xOffset || offset + width > m_xOffset + clientWidth)
        ScrollToX(offset);
    const wxRect item = GetItemRect(row);
    wxRect r;
    r.SetLeft(item.GetLeft() + offset + 1);
    r.SetRight(std::min(r.GetLeft() + width, clientWidth) - 1);
    r.SetTop(item.GetTop() - 3 + 2);
    r.SetBottom(item.GetBottom() + 2);
    m_edit = new CEDEdit(this, row, column, GetItemText(row, column), r, GetColumnFormat(column));
    return m_edit;
}

void CEDListCtrl::EndEdit(bool cancel) {
    CEDEdit* edit = m_edit;
    if (!edit || edit->IsEnded())
        return;
    m_edit = nullptr;
    edit->MarkEnded();
    const bool cancelled = cancel || edit->IsCancelled();
    const wxString text = edit->GetValue();
    if (!cancelled)
        SetItemText(edit->Row(), edit->Column(), text);
    // The part of the list under the edit, with a margin above and below.
    wxRect dirty = edit->GetRect();
    dirty.Inflate(0, 15);
    RefreshRect(dirty, false);
    edit->Hide();
    // The edit may be in the middle of its own event: it goes once that is done.
    m_ended.push_back(edit);
    CallAfter([this] {
        for (CEDEdit* e : m_ended)
            e->Destroy();
        m_ended.clear();
    });
    ui::Notification n;
    n.code = ui::LVN_ENDLABELEDIT;
    n.id = GetId();
    n.control = this;
    n.item = edit->Row();
    n.column = edit->Column();
    n.editCancelled = cancelled;
    n.text = cancelled ? wxString() : text;
    ui::WindowBase::SendUp(this, n);
}

// ---- drawing ----

void CEDListCtrl::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Draw(dc);
}

void CEDListCtrl::Draw(wxDC& dc) {
    dc.SetFont(GetFont());
    const wxSize client = GetClientSize();
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    const int last = std::min(GetItemCount(), m_topRow + CountPerPage() + 1);
    for (int row = m_topRow; row < last; ++row)
        DrawRow(dc, row, GetItemRect(row));
    // Grid lines between the rows and after each column.
    dc.SetPen(wxPen(kGrid));
    const int bottom = m_headerHeight + (last - m_topRow) * m_rowHeight;
    for (int row = m_topRow; row < last; ++row) {
        const int y = GetItemRect(row).GetBottom();
        dc.DrawLine(-m_xOffset, y, TotalWidth() - m_xOffset, y);
    }
    for (int c = 1; c <= GetColumnCount(); ++c) {
        const int x = ColumnLeft(c) - m_xOffset - 1;
        dc.DrawLine(x, m_headerHeight, x, std::max(bottom, client.y));
    }
    DrawHeader(dc);
}

void CEDListCtrl::DrawHeader(wxDC& dc) {
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(face));
    dc.DrawRectangle(0, 0, GetClientSize().x, m_headerHeight);
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    for (int c = 0; c < GetColumnCount(); ++c) {
        const Column& col = m_columns[static_cast<size_t>(c)];
        const wxRect r(ColumnLeft(c) - m_xOffset, 0, col.width, m_headerHeight);
        DrawInnerEdge(dc, r, false);
        DrawCellText(dc, col.title, r.GetLeft() + 6, r.GetRight() - 5, r, col.format);
    }
}

void CEDListCtrl::DrawRow(wxDC& dc, int row, const wxRect& rect) {
    const bool selected = IsSelected(row);
    const int x0 = rect.GetLeft();
    const int col0 = GetColumnWidth(0);
    if (!selected) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(*wxWHITE_BRUSH);
        dc.DrawRectangle(rect);
    }
    // The first cell's box: sunken when selected, raised (2 pixels narrower) when not.
    if (!m_plainFirstColumn) {
        const int right = selected ? col0 - 1 : col0 - 3;
        const wxRect box(x0 + 1, rect.GetTop(), std::max(0, right - 1), rect.GetHeight() - 1);
        DrawInnerEdge(dc, box, selected);
    }
    if (selected) {
        dc.SetTextForeground(kSelectedText);
        dc.SetTextBackground(kSelectedTextBack);
        dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    } else {
        dc.SetTextForeground(*wxBLACK);
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    }
    wxString first;
    int firstFormat = LVCFMT_RIGHT;
    if (m_plainFirstColumn) {
        first = GetItemText(row, 0);
        firstFormat = LVCFMT_LEFT;
    } else {
        first = IsTrailingRow(row) ? wxString("EOD") : wxString::Format("%d", row + 1);
    }
    DrawCellText(dc, first, x0 + 2, x0 + col0 - 2, rect, firstFormat);
    int left = x0 + col0 + 2;
    for (int c = 1; c < GetColumnCount(); ++c) {
        const int w = GetColumnWidth(c);
        DrawCellText(dc, GetItemText(row, c), left, left + w - 6, rect,
                     c == 1 ? LVCFMT_RIGHT : GetColumnFormat(c));
        left += w;
    }
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
}
