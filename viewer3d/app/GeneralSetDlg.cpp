#include "viewer3d/app/GeneralSetDlg.h"

#include "platform/MessageSink.h"
#include "ui/DataExchange.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>

#include <cstdio>
#include <cstdlib>

namespace brx {

namespace {
constexpr UINT kMsgCutoffNotPositive = 9271;
}

CGeneralSetDlg::CGeneralSetDlg(wxWindow* parent) : ui::TemplateDialog(parent, 104) {
    OnCommand(1202, [this] { EnableItem(1201, Item<wxCheckBox>(1202)->GetValue()); });
}

bool CGeneralSetDlg::OnInitDialog() {
    edit_ = threshold;
    ui::TemplateDialog::OnInitDialog();
    CentreOnParent();
    EnableItem(1201, option != 0);
    return true;
}

void CGeneralSetDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(1201, edit_);
    dx.MinMax(1201, edit_, 0.0, 100000.0);
    dx.Check(1202, option);
    if (dx.m_bSaveAndValidate && !dx.Failed())
        threshold = static_cast<float>(edit_);
}

CFilterSetDlg::CFilterSetDlg(wxWindow* parent) : ui::TemplateDialog(parent, 106) {
    OnControl(ui::CBN_SELCHANGE, 1233, [this] {
        auto* combo = Item<wxComboBox>(1233);
        if (combo && combo->GetSelection() >= 0)
            takeText(combo->GetString(combo->GetSelection()), 64);
    });
    OnControl(ui::CBN_EDITCHANGE, 1233, [this] { takeText(GetDlgItemText(1233), 9); });
}

void CFilterSetDlg::takeText(const wxString& text, size_t maxChars) {
    if (text.empty())
        return;
    cutoff = std::strtod(text.Left(maxChars).utf8_string().c_str(), nullptr);
}

bool CFilterSetDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    CentreOnParent();
    if (!(cutoff > 0.0))
        cutoff = 80.0;
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", cutoff);
    if (auto* combo = Item<wxComboBox>(1233)) {
        for (const char* item : {"80", "250", "800", "2500", "8000"})
            combo->Append(item);
        combo->ChangeValue(text);
    }
    Item<wxRadioButton>(endEffect == 1 ? 1232 : 1231)->SetValue(true);
    return true;
}

void CFilterSetDlg::OnOK() {
    endEffect = Item<wxRadioButton>(1232)->GetValue() ? 1 : 0;
    if (cutoff > 0.0) {
        EndDialog(IDOK);
        return;
    }
    ShowMessage(kMsgCutoffNotPositive, MB_OK | MB_ICONEXCLAMATION);
}

CAboutDlg::CAboutDlg(wxWindow* parent) : ui::TemplateDialog(parent, 100) {}

bool CAboutDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    const auto& r = ui::Resources();
    SetDlgItemText(1221, wxString::FromUTF8(r.LoadString(9001) + " " + r.LoadString(9002)));
    return true;
}

} // namespace brx
