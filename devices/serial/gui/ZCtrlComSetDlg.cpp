#include "devices/serial/gui/ZCtrlComSetDlg.h"

#include "devices/serial/ControllerSettings.h"
#include "devices/serial/SerialPort.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/combobox.h>

namespace {
void FillFromStrings(ui::TemplateHost& host, int id, UINT first, UINT last) {
    auto* combo = host.Item<wxComboBox>(id);
    if (!combo)
        return;
    combo->Clear();
    for (UINT s = first; s <= last; ++s)
        combo->Append(ui::LoadResString(s));
}

void FillPorts(ui::TemplateHost& host, int id) {
    auto* combo = host.Item<wxComboBox>(id);
    if (!combo)
        return;
    combo->Clear();
    for (int i = 1; i <= 9; ++i)
        combo->Append(wxString::Format("COM%d", i));
}
} // namespace

void ExchangeComboKeeping(ui::DataExchange& dx, int id, int& value) {
    int index = value;
    dx.ComboIndex(id, index);
    if (dx.m_bSaveAndValidate && index >= 0)
        value = index;
}

CZCtrlComSetDlg::CZCtrlComSetDlg(wxWindow* parent, int templateId)
    : TemplateDialog(parent, templateId), m_nTemplate(templateId) {
    OnCommand(1271, &CZCtrlComSetDlg::OnDefault);
}

bool CZCtrlComSetDlg::OnInitDialog() {
    FillPorts(*this, 1259);
    if (m_nTemplate == 288)
        FillPorts(*this, 1277);
    // Every rate of the fifteen baud codes, so that a stored code 10-14 survives OK.
    if (auto* baud = Item<wxComboBox>(1263)) {
        baud->Clear();
        for (DWORD rate : kSerialBaudRates)
            baud->Append(wxString::Format("%u", static_cast<unsigned>(rate)));
    }
    FillFromStrings(*this, 1265, 5001, 5003);
    FillFromStrings(*this, 1267, 5004, 5006);
    FillFromStrings(*this, 1268, 5007, 5008);
    FillFromStrings(*this, 1270, 5009, 5010);
    return TemplateDialog::OnInitDialog();
}

void CZCtrlComSetDlg::DoDataExchange(ui::DataExchange& dx) {
    ExchangeComboKeeping(dx, 1263, m_nBaud);
    ExchangeComboKeeping(dx, 1268, m_nData);
    ExchangeComboKeeping(dx, 1265, m_nParity);
    ExchangeComboKeeping(dx, 1259, m_nPort);
    if (m_nTemplate == 288)
        ExchangeComboKeeping(dx, 1277, m_nLensPort);
    ExchangeComboKeeping(dx, 1267, m_nStop);
    ExchangeComboKeeping(dx, 1270, m_nFlow);
}

void CZCtrlComSetDlg::OnDefault() {
    if (!UpdateData(true))
        return;
    CommDefaultsForType(m_nController, &m_nBaud, &m_nData, &m_nParity, &m_nStop, &m_nFlow);
    UpdateData(false);
}
