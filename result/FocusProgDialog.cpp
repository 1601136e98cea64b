#include "result/FocusProgDialog.h"

#include "platform/ProgramHelpers.h"
#include "ui/DataExchange.h"

#include <algorithm>

CFocusProgDialog::CFocusProgDialog(wxWindow* parent)
    : TemplateDialog(parent, vtid::dlg::CompositionProgress) {}

void CFocusProgDialog::DoDataExchange(ui::DataExchange& dx) {
    m_Progress = dynamic_cast<wxGauge*>(dx.Item(IDC_FOCUS_PROGRESS_BAR));
}

void CFocusProgDialog::SetCancelable(BOOL cancelable) {
    if (!GetHandle())
        m_bCancelable = cancelable;
    m_bCancelled = FALSE;
}

void CFocusProgDialog::SetTitle(const wxString& title) {
    m_strTitle = title;
    if (GetHandle())
        TemplateDialog::SetTitle(title);
}

void CFocusProgDialog::SetMessage(const wxString& message) {
    m_strMessage = message;
    if (GetHandle())
        Refresh();
}

void CFocusProgDialog::SetRange(int upper) {
    m_nUpper = std::max(upper, 1);
    if (GetHandle() && m_Progress) {
        m_Progress->SetValue(0);
        m_Progress->SetRange(m_nUpper);
    }
}

void CFocusProgDialog::SetPos(int position) {
    PumpOneMessage(GetSafeHwnd());
    if (m_Progress)
        m_Progress->SetValue(std::clamp(position, 0, m_Progress->GetRange()));
}

int CFocusProgDialog::GetPos() const {
    return m_Progress ? m_Progress->GetValue() : 0;
}

void CFocusProgDialog::OnCancel() {
    ::PostMessage(ui::WindowHandle(GetParent()), m_nCancelMessage, 0, 0);
    if (m_bCancelable)
        m_bCancelled = TRUE;
}
