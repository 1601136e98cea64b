#include "shell/OrsandelDoc.h"

#include "imaging/ProgramHelpers.h"
#include "shell/OrsandelApp.h"

COrsandelDoc::COrsandelDoc() = default;

COrsandelDoc::~COrsandelDoc() {
    if (COrsandelApp* app = COrsandelApp::GetApp())
        app->FreeLensTable();
    m_slots.clear();
    WriteExitSettings();
    FreeFrame();
}

bool COrsandelDoc::OnNewDocument() {
    ReadSettings();
    return true;
}

void COrsandelDoc::FreeFrame() {
    if (m_hFrame) {
        GlobalFree(m_hFrame);
        m_hFrame = nullptr;
    }
}

void COrsandelDoc::OnCloseDocument(bool haveThumbnailView, bool haveCaptureView) {
    if (haveThumbnailView) {
        CSingleLock lock(&GetProgramCriticalSection(), TRUE);
        m_imageMap.clear();
    }
    if (haveCaptureView)
        FreeFrame();
}
