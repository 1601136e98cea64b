#include "shell/OrsandelDoc.h"

#include "imaging/ProgramHelpers.h"
#include "shell/LeftView.h"
#include "shell/MultiView.h"
#include "shell/OrsandelApp.h"

COrsandelDoc::COrsandelDoc() = default;

COrsandelDoc::~COrsandelDoc() {
    if (COrsandelApp* app = COrsandelApp::GetApp()) {
        app->FreeLensTable();
        if (app->m_pDocument == this)
            app->m_pDocument = nullptr;
    }
    m_slots.clear();
    WriteExitSettings();
    FreeFrame();
}

bool COrsandelDoc::OnNewDocument() {
    if (!ui::Document::OnNewDocument())
        return false;
    ReadSettings();
    return true;
}

void COrsandelDoc::FreeFrame() {
    if (m_hFrame) {
        GlobalFree(m_hFrame);
        m_hFrame = nullptr;
    }
}

void COrsandelDoc::OnCloseDocument() {
    CSDIWinApp* sdi = CSDIWinApp::Get();
    if (sdi && sdi->FindTemplateByViewClass<CThumbnailPane>()) {
        CSingleLock lock(&GetProgramCriticalSection(), TRUE);
        m_imageMap.clear();
    }
    if (sdi && sdi->FindTemplateByViewClass<CMultiView>())
        FreeFrame();
    ui::Document::OnCloseDocument();
}
