// The start dialog (template 146): one button per start mode, the do-not-show-again box and
// the exit button. Its end code is the chosen mode (2 for exit).
#pragma once

#include "ui/TemplateWindow.h"

class CStartDialog : public ui::TemplateDialog {
public:
    explicit CStartDialog(wxWindow* parent);
    bool OnInitDialog() override;

private:
    void OnVossa();
    void OnNoStartDisplay();
};
