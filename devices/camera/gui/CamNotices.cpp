#include "devices/camera/gui/CamNotices.h"

#include <wx/app.h>
#include <wx/utils.h>

CCamNotice::CCamNotice(int templateId) {
    m_dialog = new ui::TemplateDialog(nullptr, templateId);
    if (!m_dialog->Create(true)) {
        m_dialog->Destroy();
        m_dialog = nullptr;
    } else {
        m_dialog->CentreOnScreen();
        // The loader's next step blocks the user interface thread: let the notice be drawn first
        // (drawing and sizing only, no user input).
        if (wxTheApp)
            wxTheApp->SafeYieldFor(nullptr, wxEVT_CATEGORY_UI);
        m_dialog->Update();
    }
    wxBeginBusyCursor();
    m_busy = true;
}

CCamNotice::~CCamNotice() {
    Close();
}

void CCamNotice::Close() {
    if (m_dialog) {
        m_dialog->Destroy();
        m_dialog = nullptr;
    }
    if (m_busy) {
        wxEndBusyCursor();
        m_busy = false;
    }
}

CDeviceSeachDialog::CDeviceSeachDialog(wxWindow*) : CCamNotice(kTemplateId) {}
CDeviceWaitDialog::CDeviceWaitDialog(wxWindow*) : CCamNotice(kTemplateId) {}

void CCamDllNotices::BeginSearchNotice() {
    m_search = std::make_unique<CDeviceSeachDialog>();
}
void CCamDllNotices::EndSearchNotice() {
    m_search.reset();
}
void CCamDllNotices::BeginWaitNotice() {
    m_wait = std::make_unique<CDeviceWaitDialog>();
}
void CCamDllNotices::EndWaitNotice() {
    m_wait.reset();
}
