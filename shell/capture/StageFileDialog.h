// The program's file dialog for the capture panels: picks a file name in an existing folder,
// in the system's file chooser whose accepting button reads string 841 ("設定(&S)"); a file
// dialog service installed in the window layer (tests) answers in its place. An "open" dialog
// that must also take the name of a file yet to be written (the first picture of a series)
// runs as a save dialog without the overwrite question: the capture asks that itself.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class wxWindow;

// Flags of the dialog (the values of the common file dialog).
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

class CStageFileDialog {
public:
    // filter: pairs of description and pattern separated by '|' ("BMP (*.bmp)|*.bmp|..."),
    // optionally ending in "||".
    CStageFileDialog(bool open, const std::string& defaultExtension, const std::string& fileName, DWORD flags,
                     const std::string& filter, wxWindow* parent);

    // IDOK with a path, IDCANCEL.
    int DoModal();
    // The chosen path; without an extension it gets the default one.
    std::string GetPathName() const { return m_path; }
    // The folder of the chosen path (up to its last '/').
    std::string GetFolderPath() const;

    std::string m_title;      // empty: the dialog's own title
    std::string m_initialDir; // start folder; empty: the folder of the file name
    int m_filterIndex = 0;

private:
    bool m_open;
    std::string m_defExt, m_fileName, m_filter;
    DWORD m_flags;
    wxWindow* m_parent;
    std::string m_path;
};
