#include "shell/controls/StageEdit.h"

#include "shell/core/settings/ControlFilters.h"
#include "ui/Clipboard.h"

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
// A paste (Ctrl+V, Shift+Insert, the context menu) takes the clipboard's text as if it were
// typed at the caret, character by character through the key filter: what the filter refuses
// is left out, with the beep a refused key gives.
void PasteThroughFilter(wxTextEntry& entry, bool allowMinus) {
    long from = 0, to = 0;
    entry.GetSelection(&from, &to);
    std::string text = entry.GetValue().ToStdString();
    int at = static_cast<int>(from), end = static_cast<int>(to);
    std::string taken;
    bool refused = false;
    for (const wxUniChar c : ui::ClipboardText()) {
        const int ch = static_cast<int>(c.GetValue());
        // Only the characters a key may add; a pasted backspace or line end is no editing key.
        if (ch < 0x20 || ch >= 0x7f || !StageEditAccepts(ch, text, at, end, allowMinus)) {
            refused = true;
            continue;
        }
        text.replace(static_cast<size_t>(at), static_cast<size_t>(end - at), 1, static_cast<char>(ch));
        end = ++at;
        taken += static_cast<char>(ch);
    }
    if (!taken.empty())
        entry.Replace(from, to, taken);
    if (refused)
        wxBell();
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
    Bind(wxEVT_TEXT_PASTE, [this](wxClipboardTextEvent&) { PasteThroughFilter(*this, m_bAllowMinus); });
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
    Bind(wxEVT_TEXT_PASTE, [this](wxClipboardTextEvent&) { PasteThroughFilter(*this, false); });
}

bool CStageComboBox::FilterChar(int ch) const {
    long from = 0, to = 0;
    GetSelection(&from, &to);
    return StageEditAccepts(ch, GetValue().ToStdString(), static_cast<int>(from), static_cast<int>(to),
                            false);
}
