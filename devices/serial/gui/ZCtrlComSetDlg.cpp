#include "devices/serial/gui/ZCtrlComSetDlg.h"

#include "devices/serial/ControllerSettings.h"
#include "devices/serial/SerialPort.h"
#include "ids/VantorelIds.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/combobox.h>

namespace {
// The two templates (with and without the lens port) give their common controls the same ids.
namespace ids = vtid::ComSettingsDialog;
namespace lens = vtid::ComSettingsLensDialog;
static_assert(ids::Port == lens::Port && ids::BaudRate == lens::BaudRate && ids::Parity == lens::Parity &&
              ids::StopBits == lens::StopBits && ids::DataBits == lens::DataBits &&
              ids::FlowControl == lens::FlowControl && ids::Default == lens::Default);

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
    OnCommand(ids::Default, &CZCtrlComSetDlg::OnDefault);
}

bool CZCtrlComSetDlg::OnInitDialog() {
    FillPorts(*this, ids::Port);
    if (m_nTemplate == vtid::dlg::ComSettingsLensDialog)
        FillPorts(*this, lens::LensPort);
    // Every rate of the fifteen baud codes, so that a stored code 10-14 survives OK.
    if (auto* baud = Item<wxComboBox>(ids::BaudRate)) {
        baud->Clear();
        for (DWORD rate : kSerialBaudRates)
            baud->Append(wxString::Format("%u", static_cast<unsigned>(rate)));
    }
    FillFromStrings(*this, ids::Parity, vtid::str::ParityNone, vtid::str::ParityEven);
    FillFromStrings(*this, ids::StopBits, vtid::str::StopBits1, vtid::str::StopBits2);
    FillFromStrings(*this, ids::DataBits, vtid::str::DataBits7, vtid::str::DataBits8);
    FillFromStrings(*this, ids::FlowControl, vtid::str::FlowOff, vtid::str::FlowOn);
    return TemplateDialog::OnInitDialog();
}

void CZCtrlComSetDlg::DoDataExchange(ui::DataExchange& dx) {
    ExchangeComboKeeping(dx, ids::BaudRate, m_nBaud);
    ExchangeComboKeeping(dx, ids::DataBits, m_nData);
    ExchangeComboKeeping(dx, ids::Parity, m_nParity);
    ExchangeComboKeeping(dx, ids::Port, m_nPort);
    if (m_nTemplate == vtid::dlg::ComSettingsLensDialog)
        ExchangeComboKeeping(dx, lens::LensPort, m_nLensPort);
    ExchangeComboKeeping(dx, ids::StopBits, m_nStop);
    ExchangeComboKeeping(dx, ids::FlowControl, m_nFlow);
}

void CZCtrlComSetDlg::OnDefault() {
    if (!UpdateData(true))
        return;
    CommDefaultsForType(m_nController, &m_nBaud, &m_nData, &m_nParity, &m_nStop, &m_nFlow);
    UpdateData(false);
}
