#include "devices/camera/gui/InpImgDlg.h"

#include "devices/camera/CamDll.h"

#include <wx/combobox.h>
#include <wx/utils.h>

CInpImgDlg::CInpImgDlg(wxWindow* parent, const CProcParameter* params)
    : TemplateDialog(parent, kTemplateId), m_parent(parent), m_params(params) {}

bool CInpImgDlg::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    wxBusyCursor wait;
    auto* combo = Item<wxComboBox>(kDeviceCombo);
    if (!combo)
        return true;
    combo->Clear();
    const std::vector<std::string>* list = m_params ? m_params->ModuleList() : nullptr;
    if (list && !list->empty()) {
        // Every module is loaded once more to be asked its name: the list shows the last search.
        std::vector<std::string> names = CamModuleDisplayNames(*list);
        for (const std::string& name : names)
            combo->Append(wxString::FromUTF8(name));
        combo->Enable(true);
        int first = CamFindNamePrefix(names, m_params->DeviceName());
        if (first >= 0)
            combo->SetSelection(first);
    } else {
        combo->Enable(false);
    }
    return true;
}

void CInpImgDlg::OnOK() {
    auto* combo = Item<wxComboBox>(kDeviceCombo);
    int sel = combo ? combo->GetSelection() : wxNOT_FOUND;
    m_deviceName = sel == wxNOT_FOUND ? std::string() : combo->GetString(sel).utf8_string();
    EndDialog(IDOK);
}
