// CXyTblSpeedDlg: the three move-speed presets of the focus controller (dialog 25440), with the
// limits of the chosen controller type.
#pragma once

#include "ui/TemplateWindow.h"

class CXyTblSpeedDlg : public ui::TemplateDialog {
public:
    explicit CXyTblSpeedDlg(wxWindow* parent);

    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    void OnOK() override;

    int m_nController = 0;
    int m_nMode = 1; // 0 high, 1 medium, 2 low
    // Low speed, high speed and rate of the high, medium and low presets.
    int m_nHLow = 0, m_nHHigh = 0, m_nHRate = 0;
    int m_nMLow = 0, m_nMHigh = 0, m_nMRate = 0;
    int m_nLLow = 0, m_nLHigh = 0, m_nLRate = 0;
    int m_nLowMin = 1, m_nLowMax = 50000;
    int m_nHighMin = 1, m_nHighMax = 65000;
    int m_nRateMin = 1, m_nRateMax = 8000;

private:
    // The first failing check shows its message and puts the focus on the edit; false then.
    bool CheckRows();
    void Refuse(int editId, UINT message, std::vector<std::string> args);
};
