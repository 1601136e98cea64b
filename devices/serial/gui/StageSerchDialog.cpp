#include "devices/serial/gui/StageSerchDialog.h"

#include "ids/VantorelIds.h"

CStageSerchDialog::CStageSerchDialog(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::StageCheckNotice) {
    Create(true);
    Update();
    m_wait = std::make_unique<wxBusyCursor>();
}

CStageSerchDialog::~CStageSerchDialog() { m_wait.reset(); }

void CStageSerchDialog::EndWaitAndDestroy() {
    m_wait.reset();
    Destroy();
}
