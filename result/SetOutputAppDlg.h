// The programs a result is handed to (template 281): the 3D viewer's path and the analysis
// program's path, each with a browse button. OK takes the typed paths over and then tests that
// each one opens for reading, as the result window's hand-over buttons do.
#pragma once

#include "ui/TemplateWindow.h"

#include <string>

class CSetOutputAppDlg : public ui::TemplateDialog {
public:
    static constexpr size_t kMaxPath = 256;

    explicit CSetOutputAppDlg(wxWindow* parent);
    void DoDataExchange(ui::DataExchange& dx) override;
    void OnOK() override;

    // Whether a program file opens for reading at the path.
    static bool ProgramFileOpens(const std::string& path);

    std::string m_viewerPath;
    std::string m_analysisPath;
    // What OK found at the paths it took over: the 3D viewer (91) and the analysis program (90).
    bool m_viewerFound = false;
    bool m_analysisFound = false;

private:
    void Browse(int editId, std::string& path, UINT titleId);
};
