#include "devices/serial/gui/ZCtrlSetDlg.h"

#include "devices/serial/ControllerSettings.h"
#include "devices/serial/gui/ZCtrlComSetDlg.h"
#include "ids/VantorelIds.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/combobox.h>

namespace {
bool HasCoupler(int type) {
    return type == CTRL_MMC2 || type == CTRL_MSC2 || type == CTRL_QTCD1 || type == CTRL_QTCM2;
}

namespace ids = vtid::ZControllerDialog;
} // namespace

CZCtrlSetDlg::CZCtrlSetDlg(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::ZControllerDialog) {
    OnCommand(ids::ComSettings, &CZCtrlSetDlg::OnComSet);
    OnControl(ui::CBN_SELCHANGE, ids::Controller, &CZCtrlSetDlg::OnControllerChange);
}

bool CZCtrlSetDlg::OnInitDialog() {
    if (auto* combo = Item<wxComboBox>(ids::Controller)) {
        combo->Clear();
        for (UINT s = vtid::str::ControllerNone; s <= vtid::str::ControllerMii; ++s)
            combo->Append(ui::LoadResString(s));
    }
    TemplateDialog::OnInitDialog();
    OnControllerChange();
    return true;
}

void CZCtrlSetDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.ComboIndex(ids::Controller, m_nController);
    dx.Radio(ids::LensSide, m_nSide);
}

void CZCtrlSetDlg::OnControllerChange() {
    UpdateData(true);
    EnableItem(ids::ComSettings, m_nController > 0);
    if (m_nController >= 0)
        CommDefaultsForType(m_nController, &m_nBaud, &m_nData, &m_nParity, &m_nStop, &m_nFlow);
    bool coupler = HasCoupler(m_nController);
    for (int id : {ids::CouplerGroup, ids::LensSide, ids::StageSide})
        EnableItem(id, coupler);
    m_nZOnly = coupler ? 0 : 1;
    UpdateData(false);
}

void CZCtrlSetDlg::OnComSet() {
    if (!UpdateData(true))
        return;
    CZCtrlComSetDlg dlg(this, m_nController == CTRL_MII ? vtid::dlg::ComSettingsLensDialog
                                                        : vtid::dlg::ComSettingsDialog);
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
