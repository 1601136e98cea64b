// The microscope settings (template 263, "顕微鏡設定"): an ordinary, stereo or confocal
// microscope; a stereo microscope has details ("詳細設定...") for its drift matching.
#pragma once

#include "ui/TemplateWindow.h"

class CSetScopeDlg : public ui::TemplateDialog {
public:
    explicit CSetScopeDlg(wxWindow* parent);
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    void SetValues(int type, int method, int area) {
        m_type = type;
        m_method = method;
        m_area = area;
    }

    int m_type = -1;  // 0 ordinary, 1 stereo, 2 confocal
    int m_method = 0; // stereo matching: 0 automatic, 1 manual
    int m_area = 0;   // stereo feature area 0..2

private:
    void OnType(int type);
    void OnDetails();
};
