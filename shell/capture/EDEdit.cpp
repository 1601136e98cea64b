#include "shell/capture/EDEdit.h"

#include "shell/capture/EDListCtrl.h"
#include "shell/core/settings/ControlFilters.h"
#include "shell/core/capture/PositionListEdit.h"
#include "ui/FilteredPaste.h"

#include <wx/dcclient.h>
#include <wx/utils.h>

#include <optional>

namespace {

long AlignStyle(int format) {
    if (format == CEDListCtrl::LVCFMT_RIGHT)
        return wxTE_RIGHT;
    if (format == CEDListCtrl::LVCFMT_CENTER)
        return wxTE_CENTER;
    return wxTE_LEFT;
}

} // namespace

CEDEdit::CEDEdit(CEDListCtrl* list, int row, int column, const wxString& text, const wxRect& rect, int format)
    : wxTextCtrl(list, kControlId, text, rect.GetPosition(), rect.GetSize(),
                 wxBORDER_SIMPLE | AlignStyle(format) | wxTE_PROCESS_ENTER | wxTE_PROCESS_TAB),
      m_list(list), m_row(row), m_column(column) {
    SetFont(list->GetFont());
    // The keys that move or end the edit come here before the dialog sees them (Esc would close
    // it, Enter press its default button, Tab move the focus).
    Bind(wxEVT_CHAR_HOOK, &CEDEdit::OnCharHook, this);
    Bind(wxEVT_CHAR, &CEDEdit::OnChar, this);
    Bind(wxEVT_KEY_UP, &CEDEdit::OnKeyUp, this);
    Bind(wxEVT_KILL_FOCUS, &CEDEdit::OnKillFocus, this);
    Bind(wxEVT_TEXT, [this](wxCommandEvent&) { FitToText(); });
    ui::FilterPastes(this, this, [this](int ch) { return FilterChar(ch); });
    SetFocus();
    SelectAll();
}

bool CEDEdit::FilterChar(int ch) const {
    long from = 0, to = 0;
    GetSelection(&from, &to);
    // The stage edit's rule: digits, backspace, a minus at the start, one point.
    return StageEditAccepts(ch, GetValue().ToStdString(), static_cast<int>(from), static_cast<int>(to), true);
}

bool CEDEdit::TypeChar(int ch) {
    const bool taken = FilterChar(ch);
    if (taken) {
        if (ch == 8) {
            long from = 0, to = 0;
            GetSelection(&from, &to);
            if (from != to)
                Remove(from, to);
            else if (from > 0)
                Remove(from - 1, from);
        } else {
            WriteText(wxString(static_cast<wxChar>(ch)));
        }
    } else {
        wxBell();
    }
    FitToText();
    return taken;
}

void CEDEdit::FitToText() {
    if (m_ended)
        return;
    wxClientDC dc(this);
    dc.SetFont(m_list->GetFont());
    const int wanted = dc.GetTextExtent(GetValue()).x + 5;
    const wxRect r = GetRect();
    const int limit = m_list->GetClientSize().x - r.GetLeft();
    const int width = std::min(wanted, limit);
    if (width > r.GetWidth())
        SetSize(r.GetLeft(), r.GetTop(), width, r.GetHeight());
}

bool CEDEdit::HandleKey(int keyCode, bool shift, bool ctrl) {
    if (m_ended)
        return false;
    std::optional<EditMove> move;
    bool commitFirst = false;
    switch (keyCode) {
    case WXK_ESCAPE:
        m_cancelled = true;
        m_list->SetFocus();
        m_list->EndEdit(true);
        return true;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        move = EditMove::Enter;
        commitFirst = true;
        break;
    case WXK_TAB:
        move = shift ? EditMove::BackTab : EditMove::Tab;
        commitFirst = true;
        break;
    case WXK_UP:
        move = EditMove::Up;
        break;
    case WXK_DOWN:
        move = EditMove::Down;
        break;
    case WXK_PAGEUP:
        move = EditMove::PageUp;
        break;
    case WXK_PAGEDOWN:
        move = EditMove::PageDown;
        break;
    case WXK_HOME:
        if (!ctrl)
            return false;
        move = EditMove::First;
        break;
    case WXK_END:
        if (!ctrl)
            return false;
        move = EditMove::Last;
        break;
    default:
        return false;
    }
    // The rows an edit may move to: every row, or every row but the trailing one.
    const int count = m_list->GetItemCount();
    const int lastRow = m_list->PlainFirstColumn() ? count - 1 : count - 2;
    const auto target = NextEditCell(*move, m_row, m_column, lastRow, m_list->CountPerPage());
    CEDListCtrl* list = m_list; // this edit ends below
    if (target) {
        list->EditSubLabel(target->row, target->column); // ends this edit with its text
    } else if (commitFirst) {
        list->SetFocus();
        list->EndEdit();
    }
    return true;
}

void CEDEdit::OnCharHook(wxKeyEvent& ev) {
    const int code = ev.GetKeyCode();
    // Page Up and Page Down act on the key's release, like the list's own paging.
    if (code == WXK_PAGEUP || code == WXK_PAGEDOWN) {
        return;
    }
    if (!HandleKey(code, ev.ShiftDown(), ev.ControlDown()))
        ev.Skip();
}

void CEDEdit::OnKeyUp(wxKeyEvent& ev) {
    const int code = ev.GetKeyCode();
    if (code == WXK_PAGEUP || code == WXK_PAGEDOWN)
        HandleKey(code, false, false);
    else
        ev.Skip();
}

void CEDEdit::OnChar(wxKeyEvent& ev) {
    const int code = ev.GetKeyCode();
    // Movement, deletion and shortcut keys are no characters: the edit handles them itself.
    if (code != WXK_BACK &&
        (code < 32 || code == WXK_DELETE || code >= WXK_START || ev.ControlDown() || ev.AltDown())) {
        ev.Skip();
        return;
    }
    const int ch = code == WXK_BACK ? 8 : static_cast<int>(ev.GetUnicodeKey());
    if (FilterChar(ch))
        ev.Skip(); // the control inserts it; the text event widens the edit
    else
        wxBell();
}

void CEDEdit::OnKillFocus(wxFocusEvent& ev) {
    ev.Skip();
    if (!m_ended)
        m_list->EndEdit(m_cancelled);
}
