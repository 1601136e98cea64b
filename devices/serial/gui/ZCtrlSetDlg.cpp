#include "devices/serial/gui/ZCtrlSetDlg.h"

#include "devices/serial/ControllerSettings.h"
#include "devices/serial/gui/ZCtrlComSetDlg.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/combobox.h>

namespace {
bool HasCoupler(int type) {
    return type == CTRL_MMC2 || type == CTRL_MSC2 || type == CTRL_QTCD1 || type == CTRL_QTCM2;
}
} // namespace

CZCtrlSetDlg::CZCtrlSetDlg(wxWindow* parent) : TemplateDialog(parent, 286) {
    OnCommand(1257, &CZCtrlSetDlg::OnComSet);
    OnControl(ui::CBN_SELCHANGE, 1256, &CZCtrlSetDlg::OnControllerChange);
}

bool CZCtrlSetDlg::OnInitDialog() {
    if (auto* combo = Item<wxComboBox>(1256)) {
        combo->Clear();
        for (UINT s = 524; s <= 533; ++s)
            combo->Append(ui::LoadResString(s));
    }
    TemplateDialog::OnInitDialog();
    OnControllerChange();
    return true;
}

void CZCtrlSetDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.ComboIndex(1256, m_nController);
    dx.Radio(1275, m_nSide);
}

void CZCtrlSetDlg::OnControllerChange() {
    UpdateData(true);
    EnableItem(1257, m_nController > 0);
    if (m_nController >= 0)
        CommDefaultsForType(m_nController, &m_nBaud, &m_nData, &m_nParity, &m_nStop, &m_nFlow);
    bool coupler = HasCoupler(m_nController);
    for (int id = 1274; id <= 1276; ++id)
        EnableItem(id, coupler);
    m_nZOnly = coupler ? 0 : 1;
    UpdateData(false);
}

void CZCtrlSetDlg::OnComSet() {
    if (!UpdateData(true))
        return;
    CZCtrlComSetDlg dlg(this, m_nController == CTRL_MII ? 288 : 287);
    dlg.m_nBaud = m_nBaud;
    dlg.m_nData = m_nData;
    dlg.m_nParity = m_nParity;
    dlg.m_nPort = m_nPort;
    dlg.m_nStop = m_nStop;
    dlg.m_nFlow = m_nFlow;
    dlg.m_nController = m_nController;
    dlg.m_nLensPort = m_nLensPort;
    if (dlg.DoModal() != IDOK)
        return;
    m_nBaud = dlg.m_nBaud;
    m_nData = dlg.m_nData;
    m_nParity = dlg.m_nParity;
    m_nPort = dlg.m_nPort;
    m_nStop = dlg.m_nStop;
    m_nFlow = dlg.m_nFlow;
    m_nLensPort = dlg.m_nLensPort;
}
