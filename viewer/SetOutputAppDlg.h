// The programs a result is handed to (template 281): the 3D viewer's path and the analysis
// program's path, each with a browse button.
#pragma once

#include "ui/TemplateWindow.h"

#include <string>

constexpr int IDD_SET_OUTPUT_APP = 281;

class CSetOutputAppDlg : public ui::TemplateDialog {
public:
    explicit CSetOutputAppDlg(wxWindow* parent);
    void DoDataExchange(ui::DataExchange& dx) override;

    std::string m_viewerPath;
    std::string m_analysisPath;

private:
    void Browse(int editId, std::string& path, const char* title);
};
