// The manual composition values (template 47, "マニュアル設定"): the unevenness size (0..20) and
// the smoothing strength (0..10), each on a slider with its bound edit, and presets for the three
// fixed composition types.
#pragma once

#include "ui/TemplateWindow.h"

class CLinkSlider;
class CSliderEdit;

class CSetManual : public ui::TemplateDialog {
public:
    explicit CSetManual(wxWindow* parent);
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    int m_size = 0;      // unevenness size
    int m_smoothing = 0; // smoothing strength
    int m_preset = 0;    // entry of the preset combo box

    CSliderEdit* SizeEdit() const { return m_sizeEdit; }
    CSliderEdit* SmoothingEdit() const { return m_smoothingEdit; }

private:
    void OnPreset();

    CLinkSlider* m_sizeSlider = nullptr;
    CSliderEdit* m_sizeEdit = nullptr;
    CLinkSlider* m_smoothingSlider = nullptr;
    CSliderEdit* m_smoothingEdit = nullptr;
};
