#include "result/ScaleColorDialog.h"

#include "ui/Services.h"

CScaleColorDialog::CScaleColorDialog(COLORREF initial, wxWindow* parent)
    : m_colour(initial), m_parent(parent) {}

int CScaleColorDialog::DoModal() {
    const std::optional<COLORREF> chosen = ui::ChooseColour(m_parent, m_colour);
    if (!chosen)
        return IDCANCEL;
    m_colour = *chosen;
    return IDOK;
}
