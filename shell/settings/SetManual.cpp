#include "shell/settings/SetManual.h"

#include "shell/controls/SliderEdit.h"
#include "shell/core/settings/SettingsDialogRules.h"
#include "ui/DataExchange.h"
#include "ids/VantorelIds.h"

#include <wx/combobox.h>

namespace ids = vtid::ManualSettingsDialog;

CSetManual::CSetManual(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::ManualSettingsDialog) {
    auto slider = [](CLinkSlider*& out) {
        return [&out](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
            // No tick marks: GTK's marks would hold the thumb on each one during a drag.
            out = new CLinkSlider(p, c.id, r.GetPosition(), r.GetSize(), wxSL_HORIZONTAL);
            return static_cast<wxWindow*>(out);
        };
    };
    auto edit = [](CSliderEdit*& out) {
        return [&out](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
            out = new CSliderEdit(p, c.id, r.GetPosition(), r.GetSize());
            return static_cast<wxWindow*>(out);
        };
    };
    ReplaceControl(ids::SizeSlider, slider(m_sizeSlider));
    ReplaceControl(ids::SizeValue, edit(m_sizeEdit));
    ReplaceControl(ids::SmoothingSlider, slider(m_smoothingSlider));
    ReplaceControl(ids::SmoothingValue, edit(m_smoothingEdit));
    OnControl(ui::EN_CHANGE, ids::SizeValue, [this] { m_size = m_sizeSlider->GetValue(); });
    OnControl(ui::EN_CHANGE, ids::SmoothingValue, [this] { m_smoothing = m_smoothingSlider->GetValue(); });
    OnControl(ui::CBN_SELCHANGE, ids::Preset, &CSetManual::OnPreset);
}

void CSetManual::DoDataExchange(ui::DataExchange& dx) {
    dx.ComboIndex(ids::Preset, m_preset);
}

bool CSetManual::OnInitDialog() {
    if (auto* combo = Item<wxComboBox>(ids::Preset)) {
        combo->Clear();
        for (const char* text : {"細かい", "通常", "滑らか"})
            combo->Append(wxString::FromUTF8(text));
    }
    TemplateDialog::OnInitDialog();
    m_sizeEdit->BindSlider(this, ids::SizeSlider);
    m_sizeEdit->SetRange(0, 20, 5);
    m_sizeEdit->SetStep(1);
    m_smoothingEdit->BindSlider(this, ids::SmoothingSlider);
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
