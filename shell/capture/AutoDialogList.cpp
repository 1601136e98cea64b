// The automatic panel's position list: the position files, the list editor, the settings keys
// of the range and list, and the series' first file.
#include "shell/capture/AutoDialog.h"

#include "platform/File.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "shell/core/capture/AutoFocusSettings.h"
#include "shell/core/capture/CapturePositionFile.h"
#include "shell/core/capture/CapturePositions.h"
#include "shell/capture/CaptureHost.h"
#include "shell/core/settings/InitialSettings.h"
#include "shell/app/OrsandelApp.h"
#include "ui/Services.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <cstdio>

namespace {
std::string StringOf(UINT id) {
    return ui::Resources().LoadString(id);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The default extension of a dialog ("*.dat" → ".dat") when the chosen name has none.
std::string WithExtension(const std::string& path, const std::string& pattern) {
    const std::string name = GetFileNamePart(path);
    if (name.find('.') != std::string::npos)
        return path;
    const size_t dot = pattern.find('.');
    return dot == std::string::npos ? path : path + pattern.substr(dot);
}
} // namespace

void CAutoDialog::OnEditor() {
    WriteRangeSettings(m_dStart, m_dEnd, m_dInterval, m_nCount);
    if (!m_pHost || m_pHost->StageBusyOwner() || m_bCapturing)
        return;
    if (!m_pEditor) {
        m_pEditor = new CAutoEditDialog(this, this);
        if (!m_pEditor->Create(false)) {
            m_pEditor->Destroy();
            m_pEditor = nullptr;
            return;
        }
    }
    m_pHost->SetStageBusyOwner(m_pEditor);
    m_pEditor->LoadPositions(m_positions);
    EnableListControls(false);
    m_pEditor->Show();
    m_pEditor->Raise();
}

void CAutoDialog::OnSaveList() {
    if (!m_pHost || m_pHost->StageBusyOwner() || m_bCapturing)
        return;
    if (m_positions.empty()) {
        ShowMessage(vtid::str::NothingToSave, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ui::FileDialogRequest request;
    request.open = false;
    request.folder = ReadPositionFileFolder();
    request.filter = StringOf(vtid::str::PositionFileFilter);
    request.confirmOverwrite = true; // an existing file is replaced only after the user's yes
    const ui::FileDialogResult result = ui::RunFileDialog(this, request);
    if (result.paths.empty())
        return;
    const std::string path = WithExtension(result.paths.front(), StringOf(vtid::str::PositionFileExtension));
    WritePositionFileFolder(FolderOf(path));
    CapturePositionFile data;
    data.start = m_dStart;
    data.end = m_dEnd;
    data.interval = m_dInterval;
    data.count = m_nCount;
    data.positions = m_positions;
    // The chosen full path: no current folder is involved.
    // A save that failed names its cause where a message has one.
    CFileException error;
    if (!data.Save(path, &error)) {
        const FileFailure cause = FileFailureOf(error);
        ShowMessage(cause == FileFailure::AccessDenied ? vtid::str::CannotCreateFile
                    : cause == FileFailure::DiskFull   ? vtid::str::CannotSaveFile
                                                       : vtid::str::PathMissing,
                    MB_OK);
    }
}

void CAutoDialog::OnLoadList() {
    if (!m_pHost || m_pHost->StageBusyOwner() || m_bCapturing)
        return;
    ui::FileDialogRequest request;
    request.open = true;
    request.folder = ReadPositionFileFolder();
    request.filter = StringOf(vtid::str::PositionFileFilter);
    const ui::FileDialogResult result = ui::RunFileDialog(this, request);
    if (result.paths.empty())
        return;
    const std::string& path = result.paths.front();
    WritePositionFileFolder(FolderOf(path));
    CapturePositionFile data;
    if (!data.Load(path)) {
        ShowMessage(vtid::str::CannotReadData, MB_OK); // nothing changes
        return;
    }
    m_dStart = data.start;
    m_dEnd = data.end;
    m_dInterval = data.interval;
    m_nCount = data.count;
    m_positions = data.positions;
    WriteRangeSettings(m_dStart, m_dEnd, m_dInterval, m_nCount);
    WritePositionListSetting(m_positions);
    m_nListMode = 0;
    // The edits show the loaded range, so that a later transfer keeps it.
    m_bInitialised = false;
    UpdateData(false);
    m_bInitialised = true;
    SetDlgItemText(vtid::AutoPanel::PictureCount, RangeCountText(m_nCount));
    InvalidateDiagram();
    ShowRangeControls(false);
}

void CAutoDialog::OnSelectPath() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!app || m_bCapturing)
        return;
    ui::FileDialogRequest request;
    // The series' first file is yet to be written: the name is typed in a save dialog, and the
    // overwrite question is the series' own (asked once per run of existing names).
    request.open = false;
    request.confirmOverwrite = false;
    request.title = StringOf(vtid::str::SavePathTitle);
    request.folder = app->m_strAutoDir;
    request.fileName = GetFileNamePart(app->m_strAutoPath);
    request.filter = StringOf(vtid::str::ImageFilesFilter) + "|" + StringOf(vtid::str::ImagePatterns) + "|" +
                     StringOf(vtid::str::BmpFilesFilter) + "|" + StringOf(vtid::str::BmpPattern) + "|" +
                     StringOf(vtid::str::DibFilesFilter) + "|" + StringOf(vtid::str::DibPattern) + "|" +
                     StringOf(vtid::str::TiffFilesFilter) + "|" + StringOf(vtid::str::TifPattern) + "|" +
                     StringOf(vtid::str::JpegFilesFilter) + "|" + StringOf(vtid::str::JpgPattern) + "|" +
                     StringOf(vtid::str::AllFilesFilter) + "|*.*";
    const ui::FileDialogResult result = ui::RunFileDialog(this, request);
    if (result.paths.empty())
        return;
    m_strPath = WithExtension(result.paths.front(), "*.bmp");
    app->m_strAutoDir = FolderOf(m_strPath);
    app->m_strAutoPath = m_strPath;
    app->m_strImagePath = app->m_strAutoDir;
    UpdatePathDisplay();
}
