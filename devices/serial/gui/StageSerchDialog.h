// CStageSerchDialog: the modeless box shown while the controller is checked (dialog 254), with
// the wait cursor.
#pragma once

#include "ui/TemplateWindow.h"

#include <memory>
#include <wx/utils.h>

class CStageSerchDialog : public ui::TemplateDialog {
public:
    explicit CStageSerchDialog(wxWindow* parent);
    ~CStageSerchDialog() override;
    // Destroys the window and ends the wait cursor.
    void Close();

private:
    std::unique_ptr<wxBusyCursor> m_wait;
};
