#include "viewer/SetOutputAppDlg.h"

#include "ui/DataExchange.h"
#include "ui/Services.h"
#include "viewer/core/HandOver.h"

CSetOutputAppDlg::CSetOutputAppDlg(wxWindow* parent)
    : TemplateDialog(parent, IDD_SET_OUTPUT_APP), m_viewerPath(DefaultViewerPath()) {
    OnCommand(1253, [this] { Browse(1254, m_viewerPath, "Brelvoxa指定"); });
    OnCommand(1251, [this] { Browse(1252, m_analysisPath, "Palvint指定"); });
}

void CSetOutputAppDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(1254, m_viewerPath);
    dx.Text(1252, m_analysisPath);
}

void CSetOutputAppDlg::Browse(int editId, std::string& path, const char* title) {
    UpdateData(true);
    ui::FileDialogRequest req;
    req.open = true;
    req.title = title;
    const size_t slash = path.rfind('/');
    req.folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    req.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    req.filter = "ｱﾌﾟﾘｹｰｼｮﾝﾌｧｲﾙ|*|すべてのファイル (*.*)|*";
    const ui::FileDialogResult r = ui::RunFileDialog(this, req);
    if (r.paths.empty())
        return;
    path = r.paths.front();
    SetDlgItemText(editId, wxString::FromUTF8(path));
}
