// CEDEdit: the temporary in-place edit of a CEDListCtrl cell (control id 1001). It takes digits,
// backspace, one leading minus and one point; Enter, Tab, Shift+Tab, Up, Down, Page Up, Page Down,
// Ctrl+Home and Ctrl+End move the edit to another cell, Esc leaves the cell as it was. It widens to
// its text as the user types, up to the list's right edge, and ends when it loses the focus.
#pragma once

#include <wx/textctrl.h>

class CEDListCtrl;

class CEDEdit : public wxTextCtrl {
public:
    static constexpr int kControlId = 1001;

    CEDEdit(CEDListCtrl* list, int row, int column, const wxString& text, const wxRect& rect, int format);

    int Row() const { return m_row; }
    int Column() const { return m_column; }
    bool IsCancelled() const { return m_cancelled; }
    // Set by the list when it has taken (or dropped) the text; the edit then does nothing more.
    void MarkEnded() { m_ended = true; }
    bool IsEnded() const { return m_ended; }

    // Whether a typed character is taken at the current text and selection.
    bool FilterChar(int ch) const;
    // A key that moves or ends the edit, as the keyboard gives it; true when it was one of them.
    bool HandleKey(int keyCode, bool shift, bool ctrl);
    // A typed character as the keyboard gives it: inserted when the filter takes it, else a beep;
    // the edit then widens to its text. True when inserted.
    bool TypeChar(int ch);
    // Widens the edit to its text width plus 5 pixels, up to the list's right edge.
    void FitToText();

private:
    void OnCharHook(wxKeyEvent& ev);
    void OnChar(wxKeyEvent& ev);
    void OnKeyUp(wxKeyEvent& ev);
    void OnKillFocus(wxFocusEvent& ev);

    CEDListCtrl* m_list;
    int m_row;
    int m_column;
    bool m_cancelled = false;
    bool m_ended = false;
};
