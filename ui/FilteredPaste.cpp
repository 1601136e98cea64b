#include "ui/FilteredPaste.h"

#include "ui/Clipboard.h"

#include <wx/clntdata.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <utility>

namespace ui {

namespace {

struct PasteFilter : wxClientData {
    explicit PasteFilter(CharFilter f) : accepts(std::move(f)) {}
    CharFilter accepts;
};

// Whether the desktop lets the middle button paste (GTK's "gtk-enable-primary-paste").
bool MiddleButtonPastes() {
    gboolean enabled = TRUE;
    if (GtkSettings* settings = gtk_settings_get_default())
        g_object_get(settings, "gtk-enable-primary-paste", &enabled, nullptr);
    return enabled != FALSE;
}

// The toolkit's entry of a text field or of a combo box's edit.
GtkEntry* EntryOf(wxWindow* field) {
    auto* widget = static_cast<GtkWidget*>(field->GetHandle());
    if (widget && GTK_IS_COMBO_BOX(widget))
        widget = gtk_bin_get_child(GTK_BIN(widget));
    return widget && GTK_IS_ENTRY(widget) ? GTK_ENTRY(widget) : nullptr;
}

// The text position under a client point of the field, else its caret.
long PositionAt(wxWindow* field, wxTextEntry* entry, wxPoint at) {
    long pos = entry->GetInsertionPoint();
    if (auto* text = dynamic_cast<wxTextCtrl*>(field)) {
        long hit = 0;
        if (text->HitTest(at, &hit) != wxTE_HT_UNKNOWN)
            pos = std::clamp(hit, 0L, text->GetLastPosition());
    }
    return pos;
}

void PastePrimary(wxWindow* field, wxTextEntry* entry, wxPoint at, const CharFilter& accepts) {
    // Read first: the field may own the primary selection, which it gives up when its own
    // selection is cleared below.
    const wxString text = PrimarySelectionText();
    const long pos = PositionAt(field, entry, at);
    long from = 0, to = 0;
    entry->GetSelection(&from, &to);
    const bool focused = wxWindow::FindFocus() == field;
    // Focused as the toolkit's press does: without selecting the whole text, which would take
    // the primary selection from its owner.
    if (!focused) {
        if (GtkEntry* gtkEntry = EntryOf(field))
            gtk_entry_grab_focus_without_selecting(gtkEntry);
        else
            field->SetFocus();
    }
    // Pressed on the selection of the focused field, the text replaces it; elsewhere it goes in
    // at the press.
    if (!(focused && from < to && from <= pos && pos <= to))
        entry->SetSelection(pos, pos);
    TypeThroughFilter(*entry, text, accepts);
}

} // namespace

void TypeThroughFilter(wxTextEntry& entry, const wxString& text, const CharFilter& accepts) {
    bool refused = false;
    for (const wxUniChar c : text) {
        const int ch = static_cast<int>(c.GetValue());
        if (ch < 0x20 || ch >= 0x7f || !accepts(ch)) {
            refused = true;
            continue;
        }
        entry.WriteText(wxString(c));
    }
    if (refused)
        wxBell();
}

void FilterPastes(wxWindow* field, wxTextEntry* entry, CharFilter accepts) {
    if (auto* known = dynamic_cast<PasteFilter*>(field->GetClientObject())) {
        known->accepts = std::move(accepts);
        return;
    }
    field->SetClientObject(new PasteFilter(std::move(accepts)));
    auto filterOf = [field]() -> const CharFilter* {
        auto* known = dynamic_cast<PasteFilter*>(field->GetClientObject());
        return known ? &known->accepts : nullptr;
    };
    field->Bind(wxEVT_TEXT_PASTE, [entry, filterOf](wxClipboardTextEvent& ev) {
        if (const CharFilter* accepts = filterOf())
            TypeThroughFilter(*entry, ClipboardText(), *accepts);
        else
            ev.Skip();
    });
    // GTK pastes the primary selection on the middle button's press without a paste event:
    // the press is taken here instead.
    field->Bind(wxEVT_MIDDLE_DOWN, [field, entry, filterOf](wxMouseEvent& ev) {
        const CharFilter* accepts = filterOf();
        if (!accepts || !field->IsEnabled() || !entry->IsEditable() || !MiddleButtonPastes()) {
            ev.Skip();
            return;
        }
        PastePrimary(field, entry, ev.GetPosition(), *accepts);
    });
}

} // namespace ui
