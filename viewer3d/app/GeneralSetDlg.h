// Settings dialogs of the 3D viewer: the general settings (GeneralSettingsDialog: the threshold
// above which .vv3 heights are dropped and whether it applies), the roughness filter settings
// (FilterSettingsDialog: end effect and cut-off) and the About box (AboutDialog).
#pragma once

#include "ui/TemplateWindow.h"

#include <functional>

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

namespace brx {

class CView3dDoc;

// Pseudo-colour settings (PseudoColorDialog): palette and wireframe divisions of a document, tried
// out on it while the dialog is open and put back on Cancel.
class CPseudoColorDlg : public ui::TemplateDialog {
public:
    // redraw repaints the 3D pane after a change; it may be empty.
    CPseudoColorDlg(wxWindow* parent, CView3dDoc* doc, std::function<void()> redraw);
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    int paletteIndex = -1;
    int divisions = 80;
    int lower = 10, upper = 100;

private:
    void apply();
    CView3dDoc* doc_;
    std::function<void()> redraw_;
    int startPalette_ = 0, startDivisions_ = 80;
    bool ready_ = false;
};

} // namespace brx
