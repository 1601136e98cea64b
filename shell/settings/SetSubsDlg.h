// The stereo microscope details (template 264, "実体顕微鏡詳細設定"): whether the matching place
// is found automatically or by hand, and by hand which of the three feature areas of the picture
// (bitmap 274) is used.
#pragma once

#include "ui/TemplateWindow.h"

class CSetSubsDlg : public ui::TemplateDialog {
public:
    // Size in pixels of the picture of the feature areas.
    static constexpr int kPictureWidth = 141, kPictureHeight = 114;

    explicit CSetSubsDlg(wxWindow* parent);
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    void SetValues(int method, int area) {
        m_method = method;
        m_area = area;
    }

    int m_method = -1; // 0 automatic, 1 manual
    int m_area = -1;   // feature area 0..2

private:
    void OnMethod(int method);
    void UpdateEnabling();
    void PlaceAreaButtons();

    wxWindow* m_picture = nullptr;
};
