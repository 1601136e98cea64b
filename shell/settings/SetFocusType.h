// The composition settings (template 314, "合成設定"): the composition type and automatic
// alignment, with the manual values and the alignment areas behind their "設定" buttons. The
// opener fills the fields from the document and takes them back after OK.
#pragma once

#include "shell/core/settings/SettingsDialogRules.h"
#include "ui/TemplateWindow.h"

class CSetFocusType : public ui::TemplateDialog {
public:
    explicit CSetFocusType(wxWindow* parent);
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    int m_scopeType = 0;    // the document's microscope type: non-zero has no alignment
    int m_size = 8;         // unevenness size
    int m_smoothing = 6;    // smoothing strength
    MatchPoints m_points{}; // matching-area centres in percent
    int m_countIndex = 2;   // 0, 1, 2 for 2, 3, 4 areas
    int m_type = -1;        // 0 fine, 1 normal, 2 smooth, 3 manual
    int m_autoPos = 0;      // automatic alignment

private:
    void OnType(int type);
    void OnAutoPosChanged();
    void OnManualSettings();
    void OnAutoPosSettings();
    void UpdateEnabling();
};
