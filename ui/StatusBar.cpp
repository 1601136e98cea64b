#include "ui/StatusBar.h"

#include "ui/ResourceWidgets.h"
#include "ui/WindowBase.h"

#include <wx/utils.h>

namespace ui {

StatusBar::StatusBar(wxWindow* frame, wxWindowID id) : wxStatusBar(frame, id) {}

bool StatusBar::SetIndicators(const std::vector<UINT>& ids, const ResourceRegistry& reg) {
    std::vector<wxString> texts;
    std::vector<int> widths;
    for (UINT id : ids) {
        if (id == ID_SEPARATOR) {
            texts.emplace_back();
            widths.push_back(-1);
            continue;
        }
        const std::string* s = reg.FindString(id);
        if (!s)
            return false;
        texts.push_back(FromUtf8(*s));
        widths.push_back(GetTextExtent(texts.back()).x + 12);
    }
    ids_ = ids;
    texts_ = texts;
    SetFieldsCount(static_cast<int>(ids_.size()), widths.data());
    for (size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] != ID_SEPARATOR)
            SetStatusText(wxString(), static_cast<int>(i));
    return true;
}

int StatusBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] == id)
            return static_cast<int>(i);
    return -1;
}

static bool keyIndicatorOn(UINT id) {
    switch (id) {
    case ID_INDICATOR_CAPS:
        return wxGetKeyState(WXK_CAPITAL);
    case ID_INDICATOR_NUM:
        return wxGetKeyState(WXK_NUMLOCK);
    case ID_INDICATOR_SCRL:
        return wxGetKeyState(WXK_SCROLL);
    default:
        return false;
    }
}

void StatusBar::UpdateWindowUI(long flags) {
    WindowBase* frame = WindowBaseOf(GetParent());
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] == ID_SEPARATOR)
            continue;
        CmdUI ui(static_cast<int>(ids_[i]));
        bool known = frame && frame->UpdateCmdUI(ui);
        bool on = known ? ui.enabled.value_or(true) : keyIndicatorOn(ids_[i]);
        wxString text = on ? ui.label.value_or(texts_[i]) : wxString();
        if (GetStatusText(static_cast<int>(i)) != text)
            SetStatusText(text, static_cast<int>(i));
    }
    wxStatusBar::UpdateWindowUI(flags);
}

} // namespace ui
