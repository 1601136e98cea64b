#include "devices/camera/gui/LensCalibTxtDlg.h"

#include "devices/camera/CalibrationSettings.h"
#include "devices/camera/XYCalibValues.h"
#include "platform/MessageSink.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/scrolbar.h>

#include <cstdio>

namespace {
wxString Fixed6(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}
} // namespace

CLensCalibTxtDlg::CLensCalibTxtDlg(LensTable* table) : ui::TemplatePanel(kTemplateId), m_table(table) {
    ReplaceControl(kScrollBar, [](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
        return static_cast<wxWindow*>(
            new wxScrollBar(parent, c.id, r.GetPosition(), r.GetSize(), wxSB_VERTICAL));
    });
    for (int row = 0; row < kRows; ++row)
        OnCommand(kRadio[row], [this, row] { OnRowRadio(row); });
    OnCommand(kRegister, &CLensCalibTxtDlg::OnRegister);
    OnCommand(kDefault, &CLensCalibTxtDlg::OnDefault);
    OnMessage(ui::WM_VSCROLL, &CLensCalibTxtDlg::OnVScroll);
}

bool CLensCalibTxtDlg::OnInitDialog() {
    m_radios.Attach(this, kRadio);
    ui::TemplatePanel::OnInitDialog();
    const int count = m_table ? m_table->Count() : 0;
    m_pager.Init(count, m_table ? m_table->IndexOf(m_strCurrentLens) : -1);
    Fill();
    return true;
}

void CLensCalibTxtDlg::Fill() {
    if (auto* bar = Item<wxScrollBar>(kScrollBar))
        bar->SetScrollbar(m_pager.Top() - 1, 1, std::max(m_pager.Count(), 1), kRows);
    const int selRow = m_pager.SelectedRow();
    for (int row = 0; row < kRows; ++row) {
        const CMLens* lens = m_table ? m_table->At(m_pager.LensAtRow(row)) : nullptr;
        const int ids[] = {kRadio[row],     kLensName[row], kRegName[row], kCalib[row],
                           kCalibUnit[row], kGap[row],      kGapUnit[row]};
        for (int id : ids)
            ShowItem(id, lens != nullptr);
        if (!lens)
            continue;
        SetDlgItemText(kLensName[row], ui::FromUtf8(lens->GetName()));
        SetDlgItemText(kRegName[row], ui::FromUtf8(CutToChars(lens->GetRegName(), kRegNameChars)));
        SetDlgItemText(kCalib[row], Fixed6(lens->m_calib));
        SetDlgItemText(kGap[row], Fixed6(lens->m_gap));
    }
    // The radios show the selected row; a selection that is scrolled away shows none.
    m_radios.Select(selRow);
}

LRESULT CLensCalibTxtDlg::OnVScroll(WPARAM wParam, LPARAM) {
    const int code = static_cast<int>(wParam & 0xFFFF);
    // The bar's positions count from 0, the list's top position from 1.
    const int thumb = static_cast<int>((wParam >> 16) & 0xFFFF) + 1;
    if (code == ui::SB_ENDSCROLL)
        return 0;
    m_pager.Scroll(code, thumb);
    Fill();
    return 0;
}

void CLensCalibTxtDlg::OnRowRadio(int row) {
    m_pager.SelectRow(row);
}

const char* CLensCalibTxtDlg::GetSelLensName() const {
    const CMLens* lens = GetSelLens();
    return lens ? lens->GetName().c_str() : nullptr;
}

CMLens* CLensCalibTxtDlg::GetSelLens() const {
    return m_table && m_pager.SelectedLens() >= 0 ? m_table->At(m_pager.SelectedLens()) : nullptr;
}

bool CLensCalibTxtDlg::WriteLensCalibration(const CMLens& lens) {
    return WriteLensCalibrationSection(lens);
}

void CLensCalibTxtDlg::OnRegister() {
    if (m_pager.SelectedLens() < 0)
        return;
    // The lens-selection dialog turns the command into a calibration request for the lens.
    for (wxWindow* w = GetParent(); w; w = w->GetParent())
        if (ui::WindowBase* holder = ui::WindowBaseOf(w)) {
            holder->RouteCommandId(kRegister);
            return;
        }
}

void CLensCalibTxtDlg::OnDefault() {
    if (ShowMessage(kMsgDefault, MB_YESNO | MB_ICONQUESTION) != IDYES || !m_table)
        return;
    if (!m_table->ReloadFileValues())
        return;
    for (int i = 0; i < m_table->Count(); ++i)
        if (const CMLens* lens = m_table->At(i))
            WriteLensCalibration(*lens);
    if (m_table->Count() != m_pager.Count())
        m_pager.Init(m_table->Count(), m_pager.SelectedLens());
    Fill();
}
