#include "shell/SetManual.h"

#include "shell/SliderEdit.h"
#include "shell/core/SettingsDialogRules.h"
#include "ui/DataExchange.h"

#include <wx/combobox.h>

CSetManual::CSetManual(wxWindow* parent) : TemplateDialog(parent, 47) {
    auto slider = [](CLinkSlider*& out) {
        return [&out](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
            long style = wxSL_HORIZONTAL | wxSL_AUTOTICKS;
            out = new CLinkSlider(p, c.id, r.GetPosition(), r.GetSize(), style);
            return static_cast<wxWindow*>(out);
        };
    };
    auto edit = [](CSliderEdit*& out) {
        return [&out](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
            out = new CSliderEdit(p, c.id, r.GetPosition(), r.GetSize());
            return static_cast<wxWindow*>(out);
        };
    };
    ReplaceControl(1295, slider(m_sizeSlider));
    ReplaceControl(1296, edit(m_sizeEdit));
    ReplaceControl(1297, slider(m_smoothingSlider));
    ReplaceControl(1298, edit(m_smoothingEdit));
    OnControl(ui::EN_CHANGE, 1296, [this] { m_size = m_sizeSlider->GetValue(); });
    OnControl(ui::EN_CHANGE, 1298, [this] { m_smoothing = m_smoothingSlider->GetValue(); });
    OnControl(ui::CBN_SELCHANGE, 1362, &CSetManual::OnPreset);
}

void CSetManual::DoDataExchange(ui::DataExchange& dx) {
    dx.ComboIndex(1362, m_preset);
}

bool CSetManual::OnInitDialog() {
    if (auto* combo = Item<wxComboBox>(1362)) {
        combo->Clear();
        for (const char* text : {"細かい", "通常", "滑らか"})
            combo->Append(wxString::FromUTF8(text));
    }
    TemplateDialog::OnInitDialog();
    m_sizeEdit->BindSlider(this, 1295);
    m_sizeEdit->SetRange(0, 20, 5);
    m_sizeEdit->SetStep(1);
    m_smoothingEdit->BindSlider(this, 1297);
    m_smoothingEdit->SetRange(0, 10, 10);
    m_smoothingEdit->SetStep(1);
    // The values shown move the sliders; a value outside its range is not shown and stays as it
    // is until the user sets one.
    m_sizeEdit->SetValue(m_size);
    m_smoothingEdit->SetValue(m_smoothing);
    return true;
}

void CSetManual::OnPreset() {
    UpdateData(true);
    if (const auto values = ManualPreset(m_preset)) {
        m_sizeEdit->SetValue(values->size);
        m_smoothingEdit->SetValue(values->smoothing);
        m_size = values->size;
        m_smoothing = values->smoothing;
    }
}
