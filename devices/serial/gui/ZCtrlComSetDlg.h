// CZCtrlComSetDlg: the communication settings of the focus controller (dialog 287; 288 adds the
// lens port of the MⅡ controller).
#pragma once

#include "ui/TemplateWindow.h"

class CZCtrlComSetDlg : public ui::TemplateDialog {
public:
    CZCtrlComSetDlg(wxWindow* parent, int templateId);

    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    int m_nBaud = -1;
    int m_nData = -1;
    int m_nParity = -1;
    int m_nPort = -1;
    int m_nLensPort = -1;
    int m_nStop = -1;
    int m_nFlow = -1;
    int m_nController = 0;
    int m_nTemplate;

private:
    void OnDefault();
};

// Exchanges a combo box index; a combo without a selection keeps the field's value (a code
// that the list does not show is not lost).
void ExchangeComboKeeping(ui::DataExchange& dx, int id, int& value);
