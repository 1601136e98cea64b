#include "ui/FilteredPaste.h"

#include "ui/Clipboard.h"

#include <wx/clntdata.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

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

// The paste of a middle-button press: the primary selection goes in at the field's caret,
// replacing its selection, as a Ctrl+V would. False when the field does not take it.
bool PastePrimaryOnPress(wxWindow* field, wxTextEntry* entry) {
    auto* known = dynamic_cast<PasteFilter*>(field->GetClientObject());
    if (!known || !field->IsEnabled() || !entry->IsEditable() || !MiddleButtonPastes())
        return false;
    const wxString text = PrimarySelectionText();
    // Focused as the toolkit's press does: without selecting the whole text, which would take
    // the primary selection from its owner.
    if (wxWindow::FindFocus() != field) {
        if (GtkEntry* gtkEntry = EntryOf(field))
            gtk_entry_grab_focus_without_selecting(gtkEntry);
        else
            field->SetFocus();
    }
    TypeThroughFilter(*entry, text, known->accepts);
    return true;
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
    field->Bind(wxEVT_TEXT_PASTE, [field, entry](wxClipboardTextEvent& ev) {
        if (auto* known = dynamic_cast<PasteFilter*>(field->GetClientObject()))
            TypeThroughFilter(*entry, ClipboardText(), known->accepts);
        else
            ev.Skip();
    });
    // GTK pastes the primary selection on the middle button's press without a paste event:
    // the press is taken here instead.
    field->Bind(wxEVT_MIDDLE_DOWN, [field, entry](wxMouseEvent& ev) {
        if (!PastePrimaryOnPress(field, entry))
            ev.Skip();
    });
}

} // namespace ui
