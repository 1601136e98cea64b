#include "shell/controls/StageEdit.h"

#include "shell/core/settings/ControlFilters.h"
#include "ui/FilteredPaste.h"

#include <wx/utils.h>

namespace {
// The key event's character for the filter: backspace and printable characters.
int CharOf(const wxKeyEvent& ev) {
    const int code = ev.GetKeyCode();
    if (code == WXK_BACK)
        return 8;
    const wxChar uc = ev.GetUnicodeKey();
    return uc != WXK_NONE ? static_cast<int>(uc) : -1;
}

bool IsEditingKey(const wxKeyEvent& ev) {
    const int code = ev.GetKeyCode();
    // Movement, deletion and shortcut keys are no characters: the edit handles them itself.
    return code != WXK_BACK && (code < 32 || code == WXK_DELETE || code >= WXK_START || ev.HasModifiers());
}
} // namespace

CStageEdit::CStageEdit(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxTextCtrl(parent, id, wxString(), pos, size) {
    Bind(wxEVT_CHAR, [this](wxKeyEvent& ev) {
        if (IsEditingKey(ev) || FilterChar(CharOf(ev)))
            ev.Skip();
        else
            wxBell();
    });
    ui::FilterPastes(this, this, [this](int ch) { return FilterChar(ch); });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& ev) {
        ev.Skip();
        const std::string text = GetValue().ToStdString();
        const std::string fixed = StageEditTextOnLeave(text);
        if (fixed != text)
            ChangeValue(fixed);
    });
}

bool CStageEdit::FilterChar(int ch) const {
    long from = 0, to = 0;
    GetSelection(&from, &to);
    return StageEditAccepts(ch, GetValue().ToStdString(), static_cast<int>(from), static_cast<int>(to),
                            m_bAllowMinus);
}

CStageComboBox::CStageComboBox(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxComboBox(parent, id, wxString(), pos, size) {
    Bind(wxEVT_CHAR, [this](wxKeyEvent& ev) {
        if (IsEditingKey(ev) || FilterChar(CharOf(ev)))
            ev.Skip();
        else
            wxBell();
    });
    ui::FilterPastes(this, this, [this](int ch) { return FilterChar(ch); });
}

bool CStageComboBox::FilterChar(int ch) const {
    long from = 0, to = 0;
    GetSelection(&from, &to);
    return StageEditAccepts(ch, GetValue().ToStdString(), static_cast<int>(from), static_cast<int>(to),
                            false);
}
