#include "shell/app/OrsandelDoc.h"

#include "browser/SelListCtrl.h"
#include "browser/ThumbnailListCtrl.h"
#include "browser/ThumbnailView.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelApp.h"

COrsandelDoc::COrsandelDoc() {
    m_browser.imageMap = &m_imageMap;
    SettingsToBrowser();
}

void COrsandelDoc::SettingsToBrowser() {
    m_browser.thumbSize = m_thumbSize;
    m_browser.selThumbSize = m_selThumbSize;
    m_browser.sortCommand = m_sort;
    m_browser.boxSortKey = m_sortParam;
}

void COrsandelDoc::BrowserToSettings() {
    m_thumbSize = m_browser.thumbSize;
    m_selThumbSize = m_browser.selThumbSize;
    m_sort = m_browser.sortCommand;
    m_sortParam = m_browser.boxSortKey;
}

COrsandelDoc::~COrsandelDoc() {
    if (COrsandelApp* app = COrsandelApp::GetApp()) {
        app->FreeLensTable();
        if (app->m_pDocument == this)
            app->m_pDocument = nullptr;
    }
    m_slots.clear();
    BrowserToSettings();
    WriteExitSettings();
    FreeFrame();
}

bool COrsandelDoc::OnNewDocument() {
    if (!ui::Document::OnNewDocument())
        return false;
    ReadSettings();
    SettingsToBrowser();
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
    if (sdi && sdi->FindTemplateByViewClass<CThumbnailView>()) {
        // The lists' loaders work on the map: they end before it is emptied.
        if (m_browser.thumbnailList)
            m_browser.thumbnailList->StopLoader();
        if (m_browser.focusBox)
            m_browser.focusBox->StopLoader();
        CSingleLock lock(&ImageDataLock(), TRUE);
        m_imageMap.clear();
    }
    if (sdi && sdi->FindTemplateByViewClass<CMultiView>())
        FreeFrame();
    ui::Document::OnCloseDocument();
}
