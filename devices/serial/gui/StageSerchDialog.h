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
    // Ends the wait cursor and destroys the window (the dialog's close, wxWindow::Close, stays
    // what it is for every dialog).
    void EndWaitAndDestroy();

private:
    std::unique_ptr<wxBusyCursor> m_wait;
};
