#include "result/SetOutputAppDlg.h"

#include "ids/VantorelIds.h"
#include "platform/File.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"
#include "ui/Services.h"
#include "result/core/HandOver.h"

namespace ids = vtid::TransferProgramsDialog;

CSetOutputAppDlg::CSetOutputAppDlg(wxWindow* parent)
    : TemplateDialog(parent, vtid::dlg::TransferProgramsDialog), m_viewerPath(DefaultViewerPath()) {
    OnCommand(ids::BrowseThreeD,
              [this] { Browse(ids::ThreeDProgram, m_viewerPath, vtid::str::ChooseViewerTitle); });
    OnCommand(ids::BrowseAnalysis,
              [this] { Browse(ids::AnalysisProgram, m_analysisPath, vtid::str::ChooseAnalysisTitle); });
}

void CSetOutputAppDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(ids::ThreeDProgram, m_viewerPath);
    dx.MaxChars(ids::ThreeDProgram, m_viewerPath, kMaxPath);
    dx.Text(ids::AnalysisProgram, m_analysisPath);
    dx.MaxChars(ids::AnalysisProgram, m_analysisPath, kMaxPath);
}

bool CSetOutputAppDlg::ProgramFileOpens(const std::string& path) {
    return !path.empty() && RegularFileReadable(path);
}

void CSetOutputAppDlg::OnOK() {
    // The paths as typed decide, not the ones the dialog opened with.
    if (!UpdateData(true))
        return;
    m_analysisFound = ProgramFileOpens(m_analysisPath);
    m_viewerFound = ProgramFileOpens(m_viewerPath);
    EndDialog(IDOK);
}

void CSetOutputAppDlg::Browse(int editId, std::string& path, UINT titleId) {
    path = ui::ToUtf8(GetDlgItemText(editId));
    ui::FileDialogRequest req;
    req.open = true;
    req.title = ui::ToUtf8(ui::LoadResString(titleId));
    const size_t slash = path.rfind('/');
    req.folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    req.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    // Programs carry no extension here: the program entry shows every file, as the last one does.
    req.filter = ui::ToUtf8(ui::LoadResString(vtid::str::ProgramFilter)) + "|" +
                 ui::ToUtf8(ui::LoadResString(vtid::str::AnyFilePattern)) + "|すべてのファイル (*.*)|*";
    const ui::FileDialogResult r = ui::RunFileDialog(this, req);
    if (r.paths.empty())
        return;
    path = r.paths.front();
    SetDlgItemText(editId, wxString::FromUTF8(path));
}
