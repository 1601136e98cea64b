#include "ui/Services.h"

#include "ui/DialogPlacement.h"
#include "ui/ResourceWidgets.h"
#include "ui/resources/ResourceRegistry.h"

#include "ids/CommonIds.h"

#include <wx/colordlg.h>
#include <wx/filedlg.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

namespace ui {

namespace {

constexpr const char* kDefaultExtensionKey = "vt-default-extension";

// Before a save chooser with a default extension takes a name, a name typed without an
// extension gets it, so that the chooser's own overwrite question is asked for the file that
// will be written.
gboolean addDefaultExtension(GSignalInvocationHint*, guint count, const GValue* values, gpointer) {
    if (count < 2)
        return TRUE;
    GObject* dialog = static_cast<GObject*>(g_value_get_object(&values[0]));
    const auto* ext =
        static_cast<const char*>(dialog ? g_object_get_data(dialog, kDefaultExtensionKey) : nullptr);
    if (!ext || g_value_get_int(&values[1]) != GTK_RESPONSE_ACCEPT || !GTK_IS_FILE_CHOOSER(dialog))
        return TRUE;
    gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dialog));
    const std::string typed = name ? name : "";
    g_free(name);
    if (!typed.empty() && typed.find('.') == std::string::npos && typed.find('/') == std::string::npos)
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), (typed + "." + ext).c_str());
    return TRUE; // stays hooked
}

void hookDefaultExtension(wxFileDialog& dlg, const std::string& ext) {
    static const gulong hook = g_signal_add_emission_hook(g_signal_lookup("response", GTK_TYPE_DIALOG), 0,
                                                          addDefaultExtension, nullptr, nullptr);
    (void)hook;
    if (GtkWidget* widget = dlg.GetHandle(); widget && !ext.empty())
        g_object_set_data_full(G_OBJECT(widget), kDefaultExtensionKey, g_strdup(ext.c_str()), g_free);
}

// Return in the name field of a save chooser accepts the name, as the accepting button does.
// The chooser greys that button while it looks at a name just typed, and a Return in that
// moment went nowhere: it now accepts as soon as the button takes it again. Another key
// before then drops the pending Return.
struct PendingReturn {
    GtkWidget* accept = nullptr;
    bool pending = false;
};

void acceptWhenSensitive(GtkWidget* button, GtkStateFlags, gpointer data) {
    auto* state = static_cast<PendingReturn*>(data);
    if (state->pending && gtk_widget_is_sensitive(button)) {
        state->pending = false;
        gtk_widget_activate(button);
    }
}

gboolean returnInNameField(GtkWidget* dialog, GdkEventKey* key, gpointer data) {
    auto* state = static_cast<PendingReturn*>(data);
    state->pending = false;
    const bool enter = key->keyval == GDK_KEY_Return || key->keyval == GDK_KEY_KP_Enter;
    const guint modifiers = key->state & gtk_accelerator_get_default_mod_mask();
    if (!enter || modifiers != 0 || !GTK_IS_FILE_CHOOSER(dialog) ||
        gtk_file_chooser_get_action(GTK_FILE_CHOOSER(dialog)) != GTK_FILE_CHOOSER_ACTION_SAVE)
        return FALSE;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(dialog));
    GtkWidget* accept = gtk_window_get_default_widget(GTK_WINDOW(dialog));
    if (!focus || !GTK_IS_ENTRY(focus) || !accept || gtk_widget_is_sensitive(accept) ||
        gtk_entry_get_text_length(GTK_ENTRY(focus)) == 0)
        return FALSE; // the chooser's own Return
    if (state->accept != accept) {
        state->accept = accept;
        g_signal_connect(accept, "state-flags-changed", G_CALLBACK(acceptWhenSensitive), state);
    }
    state->pending = true;
    return TRUE;
}

void acceptOnReturn(wxWindow* dialog) {
    GtkWidget* widget = dialog->GetHandle();
    if (!widget || !GTK_IS_FILE_CHOOSER(widget))
        return;
    auto* state = new PendingReturn;
    g_object_set_data_full(G_OBJECT(widget), "vt-pending-return", state,
                           [](gpointer p) { delete static_cast<PendingReturn*>(p); });
    g_signal_connect(widget, "key-press-event", G_CALLBACK(returnInNameField), state);
}

FileDialogResult realFileDialog(wxWindow* parent, const FileDialogRequest& r) {
    long style = r.open ? wxFD_OPEN | wxFD_FILE_MUST_EXIST : wxFD_SAVE;
    if (r.open && r.multiple)
        style |= wxFD_MULTIPLE;
    if (!r.open && r.confirmOverwrite)
        style |= wxFD_OVERWRITE_PROMPT;
    // A caller that gives no title gets the toolkit's own.
    const wxString title = r.title.empty() ? wxGetTranslation(wxFileSelectorPromptStr) : FromUtf8(r.title);
    wxFileDialog dlg(parent, title, FromUtf8(r.folder), FromUtf8(r.fileName), FromUtf8(r.filter), style);
    dlg.SetFilterIndex(r.filterIndex);
    if (!r.open)
        hookDefaultExtension(dlg, r.defaultExtension);
    FileDialogResult result;
    if (ShowFileDialog(dlg, parent) != wxID_OK)
        return result;
    wxArrayString paths;
    if (r.open && r.multiple)
        dlg.GetPaths(paths);
    else
        paths.Add(dlg.GetPath());
    for (const auto& p : paths)
        result.paths.push_back(ToUtf8(p));
    result.filterIndex = dlg.GetFilterIndex();
    return result;
}

std::optional<COLORREF> realColourDialog(wxWindow* parent, COLORREF initial,
                                         const std::vector<COLORREF>& custom = {}) {
    wxColourData data;
    data.SetColour(wxColour(GetRValue(initial), GetGValue(initial), GetBValue(initial)));
    for (size_t i = 0; i < custom.size() && i < size_t(wxColourData::NUM_CUSTOM); ++i)
        data.SetCustomColour(int(i),
                             wxColour(GetRValue(custom[i]), GetGValue(custom[i]), GetBValue(custom[i])));
    wxColourDialog dlg(parent, &data);
    if (dlg.ShowModal() != wxID_OK)
        return std::nullopt;
    wxColour c = dlg.GetColourData().GetColour();
    return RGB(c.Red(), c.Green(), c.Blue());
}

SHORT realKeyState(int vk) {
    if (!wxThread::IsMain())
        return 0;
    bool down = false;
    switch (vk) {
    case 0x1B:
        down = wxGetKeyState(WXK_ESCAPE);
        break;
    case 0x02:
        down = wxGetMouseState().RightIsDown();
        break;
    case 0x01:
        down = wxGetMouseState().LeftIsDown();
        break;
    default:
        break;
    }
    return down ? static_cast<SHORT>(0x8000) : 0;
}

FileDialogService fileService;
ColourDialogService colourService;
CustomColourDialogService customColourService;
KeyStateService keyService;

template <class F> F swapIn(F& slot, F fresh) {
    F old = std::move(slot);
    slot = std::move(fresh);
    return old;
}

} // namespace

int ShowFileDialog(wxFileDialog& dialog, wxWindow* owner) {
    acceptOnReturn(&dialog);
    KeepInWorkArea(&dialog, owner);
    KeepAboveOwner above(&dialog, owner);
    return dialog.ShowModal();
}

FileDialogService SetFileDialogService(FileDialogService s) {
    return swapIn(fileService, std::move(s));
}
ColourDialogService SetColourDialogService(ColourDialogService s) {
    return swapIn(colourService, std::move(s));
}
CustomColourDialogService SetCustomColourDialogService(CustomColourDialogService s) {
    return swapIn(customColourService, std::move(s));
}
KeyStateService SetKeyStateService(KeyStateService s) {
    return swapIn(keyService, std::move(s));
}

FileDialogResult RunFileDialog(wxWindow* parent, const FileDialogRequest& r) {
    // A dialog without a title of its own is titled as the program's open and save dialogs are,
    // in the program's language (the toolkit's default stays where the bundle has none).
    FileDialogRequest titled = r;
    if (titled.title.empty())
        titled.title = Resources().LoadString(r.open ? uiid::str::OpenFileTitle : uiid::str::SaveAsTitle);
    return fileService ? fileService(parent, titled) : realFileDialog(parent, titled);
}
std::optional<COLORREF> ChooseColour(wxWindow* parent, COLORREF initial) {
    return colourService ? colourService(parent, initial) : realColourDialog(parent, initial);
}
std::optional<COLORREF> ChooseColour(wxWindow* parent, COLORREF initial,
                                     const std::vector<COLORREF>& custom) {
    if (customColourService)
        return customColourService(parent, initial, custom);
    return colourService ? colourService(parent, initial) : realColourDialog(parent, initial, custom);
}
SHORT AsyncKeyState(int vk) {
    return keyService ? keyService(vk) : realKeyState(vk);
}
bool AbortRequested() {
    return AsyncKeyState(0x1B) != 0 || AsyncKeyState(0x02) != 0;
}

} // namespace ui
