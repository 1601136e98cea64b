#include "devices/serial/gui/XyTblSpeedDlg.h"

#include "devices/serial/XyTblCtrl.h"
#include "ids/VantorelIds.h"
#include "platform/MessageSink.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <string>

namespace {
namespace ids = vtid::MoveSpeedDialog;
// Low, high and rate of the high preset, then of the medium, then of the low one.
constexpr int kEdits[3][3] = {{ids::FastLow, ids::FastHigh, ids::FastRate},
                              {ids::MediumLow, ids::MediumHigh, ids::MediumRate},
                              {ids::SlowLow, ids::SlowHigh, ids::SlowRate}};
constexpr int kHeadings[] = {ids::LowHeading, ids::HighHeading, ids::RateHeading};
} // namespace

CXyTblSpeedDlg::CXyTblSpeedDlg(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::MoveSpeedDialog) {}

bool CXyTblSpeedDlg::OnInitDialog() {
    switch (m_nController) {
    case CTRL_MMC2:
    case CTRL_QTCD1:
    case CTRL_QTCM2:
    case CTRL_MII:
        m_nLowMin = 1, m_nLowMax = 50000, m_nHighMin = 1, m_nHighMax = 65000, m_nRateMin = 1, m_nRateMax = 8000;
        break;
    case CTRL_MSC2:
        m_nLowMin = 10, m_nLowMax = 50000, m_nHighMin = 10, m_nHighMax = 50000, m_nRateMin = 1, m_nRateMax = 1000;
        break;
    case CTRL_STM6:
        m_nHighMin = 0, m_nHighMax = 100, m_nRateMin = 0, m_nRateMax = 1000;
        break;
    case CTRL_CT7:
        m_nLowMin = 1, m_nHighMax = 5000000, m_nRateMin = 1, m_nRateMax = 65535;
        break;
    default: break;
    }
    if (m_nController == CTRL_SZX && m_nMode == 1)
        m_nMode = 0; // only high and low exist for that controller
    TemplateDialog::OnInitDialog();
    CentreOnParent();
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (auto* edit = Item<wxTextCtrl>(kEdits[row][col]))
                edit->SetMaxLength(col == 2 ? 5 : 7);
        }
    }
    const UINT rateHeading = m_nController == CTRL_STM6 ? vtid::str::RateHeading : vtid::str::RateTimeHeading;
    SetDlgItemText(ids::RateHeading, ui::LoadResString(rateHeading));
    if (m_nController == CTRL_STM6) {
        for (const auto& row : kEdits)
            EnableItem(row[0], false);
        EnableItem(ids::LowHeading, false);
    }
    if (m_nController == CTRL_SZX) {
        for (const auto& row : kEdits)
            for (int id : row)
                EnableItem(id, false);
        for (int id : kHeadings)
            EnableItem(id, false);
        EnableItem(ids::Medium, false);
    }
    return true;
}

void CXyTblSpeedDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(ids::Fast, m_nMode);
    int* values[9] = {&m_nHLow, &m_nHHigh, &m_nHRate, &m_nMLow, &m_nMHigh, &m_nMRate, &m_nLLow, &m_nLHigh, &m_nLRate};
    for (int i = 0; i < 9; ++i) {
        if (m_nController == CTRL_SZX)
            break; // no values for that controller
        // The STM6 has no low speeds: its disabled low edits show what was passed in and are
        // not read back.
        if (m_nController == CTRL_STM6 && i % 3 == 0 && dx.m_bSaveAndValidate)
            continue;
        dx.Text(kEdits[i / 3][i % 3], *values[i]);
    }
}

void CXyTblSpeedDlg::Refuse(int editId, UINT message, std::vector<std::string> args) {
    ShowMessage(message, MB_OK, std::move(args));
    if (editId > 0)
        if (wxWindow* edit = GetDlgItem(editId))
            edit->SetFocus();
}

bool CXyTblSpeedDlg::CheckRows() {
    const int rows[3][3] = {{m_nHLow, m_nHHigh, m_nHRate}, {m_nMLow, m_nMHigh, m_nMRate}, {m_nLLow, m_nLHigh, m_nLRate}};
    auto text = [](int v) { return std::to_string(v); };
    for (int r = 0; r < 3; ++r) {
        int low = rows[r][0], high = rows[r][1], rate = rows[r][2];
        const int lowId = kEdits[r][0], highId = kEdits[r][1], rateId = kEdits[r][2];
        if (m_nController == CTRL_CT7) {
            if (high < low)
                return Refuse(lowId, vtid::str::HighNotAboveLow, {}), false;
            if (low < m_nLowMin)
                return Refuse(lowId, vtid::str::LowSpeedMin, {text(m_nLowMin)}), false;
            if (high > m_nHighMax)
                return Refuse(highId, vtid::str::HighSpeedMax, {text(m_nHighMax)}), false;
            if (rate < m_nRateMin || rate > m_nRateMax)
                return Refuse(rateId, vtid::str::RateTimeRange, {text(m_nRateMin), text(m_nRateMax)}), false;
            continue;
        }
        if (m_nController != CTRL_STM6 && (low < m_nLowMin || low > m_nLowMax))
            return Refuse(lowId, vtid::str::LowSpeedRange, {text(m_nLowMin), text(m_nLowMax)}), false;
        if (high < m_nHighMin || high > m_nHighMax)
            return Refuse(highId, vtid::str::HighSpeedRange, {text(m_nHighMin), text(m_nHighMax)}), false;
        if (rate < m_nRateMin || rate > m_nRateMax)
            return Refuse(rateId,
                          m_nController == CTRL_STM6 ? vtid::str::RateRange : vtid::str::RateTimeRange,
                          {text(m_nRateMin), text(m_nRateMax)}),
                   false;
    }
    if (m_nController != CTRL_CT7) {
        for (int r = 0; r < 3; ++r) {
            if (rows[r][1] < rows[r][0])
                return Refuse(0, vtid::str::HighNotAboveLow, {}), false;
        }
    }
    return true;
}

void CXyTblSpeedDlg::OnOK() {
    if (!UpdateData(true))
        return;
    if (m_nController != CTRL_SZX && !CheckRows())
        return;
    EndDialog(IDOK);
}
