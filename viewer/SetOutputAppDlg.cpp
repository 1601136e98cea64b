#include "viewer/SetOutputAppDlg.h"

#include "platform/File.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"
#include "ui/Services.h"
#include "viewer/core/HandOver.h"

namespace {
constexpr UINT kIdsProgramFilter = 518; // "ｱﾌﾟﾘｹｰｼｮﾝﾌｧｲﾙ(*.exe)"
constexpr UINT kIdsProgramPattern = 519;
constexpr UINT kIdsViewerTitle = 520;   // "Brelvoxa指定"
constexpr UINT kIdsAnalysisTitle = 521; // "Palvint指定"
} // namespace

CSetOutputAppDlg::CSetOutputAppDlg(wxWindow* parent)
    : TemplateDialog(parent, IDD_SET_OUTPUT_APP), m_viewerPath(DefaultViewerPath()) {
    OnCommand(1253, [this] { Browse(1254, m_viewerPath, kIdsViewerTitle); });
    OnCommand(1251, [this] { Browse(1252, m_analysisPath, kIdsAnalysisTitle); });
}

void CSetOutputAppDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(1254, m_viewerPath);
    dx.MaxChars(1254, m_viewerPath, kMaxPath);
    dx.Text(1252, m_analysisPath);
    dx.MaxChars(1252, m_analysisPath, kMaxPath);
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
    req.filter = ui::ToUtf8(ui::LoadResString(kIdsProgramFilter)) + "|" +
                 ui::ToUtf8(ui::LoadResString(kIdsProgramPattern)) + "|すべてのファイル (*.*)|*";
    const ui::FileDialogResult r = ui::RunFileDialog(this, req);
    if (r.paths.empty())
        return;
    path = r.paths.front();
    SetDlgItemText(editId, wxString::FromUTF8(path));
}
