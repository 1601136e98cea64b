#include "devices/camera/gui/RadioRows.h"

#include <wx/radiobut.h>

void CRadioRows::Attach(wxWindow* parent, const int (&ids)[kRows]) {
    for (int row = 0; row < kRows; ++row)
        m_rows[row] = dynamic_cast<wxRadioButton*>(parent->FindWindow(ids[row]));
    m_none = new wxRadioButton(parent, wxID_ANY, wxString());
    m_none->Hide();
}

void CRadioRows::Select(int row) {
    if (row >= 0 && row < kRows && m_rows[row]) {
        m_rows[row]->SetValue(true);
        return;
    }
    if (m_none)
        m_none->SetValue(true);
    for (wxRadioButton* r : m_rows)
        if (r)
            r->SetValue(false);
}
