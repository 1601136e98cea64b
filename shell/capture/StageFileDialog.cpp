#include "shell/capture/StageFileDialog.h"

#include "platform/MessageSink.h"
#include "ui/Services.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <wx/filedlg.h>

#include <gtk/gtk.h>
#include <sys/stat.h>

namespace {
// The file chooser itself, its accepting button labelled "設定(&S)".
ui::FileDialogResult RunChooser(wxWindow* parent, const ui::FileDialogRequest& r) {
    const long style = r.open ? wxFD_OPEN | wxFD_FILE_MUST_EXIST : wxFD_SAVE;
    wxFileDialog dlg(parent, wxString::FromUTF8(r.title), wxString::FromUTF8(r.folder),
                     wxString::FromUTF8(r.fileName), wxString::FromUTF8(r.filter), style);
    dlg.SetFilterIndex(r.filterIndex);
    std::string label = ui::Resources().LoadString(vtid::str::SetButton);
    for (char& c : label)
        if (c == '&')
            c = '_';
    if (!label.empty())
        if (GtkWidget* chooser = static_cast<GtkWidget*>(dlg.GetHandle()); chooser && GTK_IS_DIALOG(chooser))
            if (GtkWidget* accept =
                    gtk_dialog_get_widget_for_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
                accept && GTK_IS_BUTTON(accept)) {
                gtk_button_set_label(GTK_BUTTON(accept), label.c_str());
                gtk_button_set_use_underline(GTK_BUTTON(accept), TRUE);
            }
    ui::FileDialogResult result;
    if (ui::ShowFileDialog(dlg, parent) != wxID_OK)
        return result;
    result.paths.push_back(dlg.GetPath().ToStdString(wxConvUTF8));
    result.filterIndex = dlg.GetFilterIndex();
    return result;
}
} // namespace

CStageFileDialog::CStageFileDialog(bool open, const std::string& defaultExtension,
                                   const std::string& fileName, DWORD flags, const std::string& filter,
                                   wxWindow* parent)
    : m_open(open), m_defExt(defaultExtension), m_fileName(fileName), m_filter(filter), m_flags(flags),
      m_parent(parent) {
    // The framework's filter ends in "||"; the service takes the pairs alone.
    while (!m_filter.empty() && m_filter.back() == '|')
        m_filter.pop_back();
}

std::string CStageFileDialog::GetFolderPath() const {
    const size_t slash = m_path.find_last_of('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : m_path.substr(0, slash);
}

int CStageFileDialog::DoModal() {
    ui::FileDialogRequest request;
    // A name that need not exist yet is typed in a save dialog; the overwrite question belongs to
    // whoever writes the file.
    request.open = m_open && (m_flags & OFN_FILEMUSTEXIST) != 0;
    request.confirmOverwrite = false;
    request.title = m_title;
    const size_t slash = m_fileName.find_last_of('/');
    request.fileName = slash == std::string::npos ? m_fileName : m_fileName.substr(slash + 1);
    request.folder = !m_initialDir.empty()        ? m_initialDir
                     : slash != std::string::npos ? m_fileName.substr(0, slash)
                                                  : std::string();
    request.filter = m_filter;
    request.filterIndex = m_filterIndex;
    // A file dialog service that stands in for the dialog (tests) answers; else the chooser.
    ui::FileDialogService service = ui::SetFileDialogService({});
    ui::SetFileDialogService(service);
    const ui::FileDialogResult result =
        service ? ui::RunFileDialog(m_parent, request) : RunChooser(m_parent, request);
    if (result.paths.empty())
        return IDCANCEL;
    std::string path = result.paths.front();
    m_filterIndex = result.filterIndex;
    const size_t last = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (!m_defExt.empty() && (dot == std::string::npos || (last != std::string::npos && dot < last)))
        path += "." + m_defExt;
    m_path = path;
    if ((m_flags & OFN_PATHMUSTEXIST) == 0)
        return IDOK;
    // A name in a folder that is not there is not taken.
    struct stat st {};
    const std::string folder = GetFolderPath();
    if (!folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return IDOK;
    m_path.clear();
    return IDCANCEL;
}
