// Settings dialogs of the 3D viewer: the general settings (dialog 104: the threshold above
// which .vv3 heights are dropped and whether it applies), the roughness filter settings
// (dialog 106: end effect and cut-off) and the About box (dialog 100).
#pragma once

#include "ui/TemplateWindow.h"

namespace brx {

class CGeneralSetDlg : public ui::TemplateDialog {
public:
    explicit CGeneralSetDlg(wxWindow* parent);
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    float threshold = 1000.0f;
    int option = 0;

private:
    double edit_ = 1000.0;
};

class CFilterSetDlg : public ui::TemplateDialog {
public:
    explicit CFilterSetDlg(wxWindow* parent);
    bool OnInitDialog() override;
    void OnOK() override;
    int endEffect = -1; // radio index, -1 until set
    double cutoff = 80.0;

private:
    void takeText(const wxString& text, size_t maxChars);
};

class CAboutDlg : public ui::TemplateDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
    bool OnInitDialog() override;
};

} // namespace brx
