// CZCtrlSetDlg: the choice of the focus controller and its coupler side (dialog 286); its
// button opens the communication settings.
#pragma once

#include "ui/TemplateWindow.h"

class CZCtrlSetDlg : public ui::TemplateDialog {
public:
    explicit CZCtrlSetDlg(wxWindow* parent);

    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    int m_nController = -1;
    int m_nSide = -1;
    int m_nBaud = 6;
    int m_nData = 1;
    int m_nParity = 0;
    int m_nPort = 0;
    int m_nStop = 0;
    int m_nFlow = 0;
    int m_nZOnly = 1;
    int m_nLensPort = 1;

private:
    // On opening and on every change of the controller: defaults of the chosen controller,
    // the communication button and the coupler controls.
    void OnControllerChange();
    void OnComSet();
};
