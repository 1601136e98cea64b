#include "browser/ThumbnailView.h"

#include "browser/core/ThumbnailCache.h"
#include "ids/VantorelIds.h"
#include "platform/MessageSink.h"
#include "ui/Document.h"
#include "ui/PrivateMessages.h"
#include "ui/ResourceWidgets.h"

#include <wx/stattext.h>

#include <cstdio>

namespace ids = vtid::ThumbnailForm;

CThumbnailView::CThumbnailView() : ui::FormView(vtid::dlg::ThumbnailForm) {
    ReplaceControl(ids::ThumbnailList,
                   [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) -> wxWindow* {
                       m_list = new CThumbnailListCtrl(parent, c.id, r.GetPosition(), r.GetSize());
                       return m_list;
                   });
    OnCommand(vtid::cmd::DeleteImageFile, [this] { OnDeleteImageFile(); });
    Bind(wxEVT_SIZE, &CThumbnailView::onSize, this);
}

void CThumbnailView::OnInitialUpdate() {
    ui::FormView::OnInitialUpdate();
    SetBackgroundColour(wxColour(0xFF, 0xFF, 0x00));
    if (auto* guide = Item<wxStaticText>(ids::Guide)) {
        guide->SetFont(wxFont(wxFontInfo(9).Bold()));
        guide->SetLabel(ui::LoadResString(vtid::str::FocusBoxGuide));
    }
    if (auto* label = Item<wxStaticText>(ids::FolderLabel))
        label->SetFont(wxFont(wxFontInfo(9)));
    ::SendMessage(m_list->GetSafeHwnd(), WM_LIST_SET_LINK,
                  WPARAM(ui::WindowHandle(GetDlgItem(ids::FolderLabel))), 0);
    if (auto* doc = dynamic_cast<BrowserDocument*>(GetDocument())) {
        BrowserContext& ctx = doc->Browser();
        ctx.thumbnailList = m_list;
        m_list->SetContext(&ctx);
    }
    m_list->SetBackgroundColour(*wxBLACK);
    m_list->SetOptionA(false);
    m_list->SetOptionB(false);
    wxSizeEvent ev(GetSize());
    onSize(ev);
}

void CThumbnailView::OnUpdate(ui::View* sender, LPARAM hint, CObject* hintObject) {
    if (hint != HINT_FOLDER_SELECTED || !sender)
        return;
    auto* folder = dynamic_cast<CFolderHint*>(hintObject);
    if (!folder)
        return;
    SetFolder(folder->m_folder);
    if (!folder->m_folder.empty() && m_list && m_list->Context())
        ::SendMessage(m_list->GetSafeHwnd(), WM_LIST_FILL, WPARAM(m_folder.c_str()), 0);
}

void CThumbnailView::SetFolder(const std::string& path) {
    m_folder = path;
    if (m_folder.empty() || m_folder.back() != '/')
        m_folder += '/';
    if (HasControl(ids::FolderLabel) && GetDlgItem(ids::FolderLabel)) {
        GetDlgItem(ids::FolderLabel)->SetLabel(wxString::FromUTF8(path));
        GetDlgItem(ids::FolderLabel)->Refresh();
    }
}

void CThumbnailView::OnDeleteImageFile() {
    if (!m_list)
        return;
    int index = -1;
    for (int i = 0; i < m_list->GetItemCount(); ++i)
        if (m_list->GetItem(i)->m_selected) {
            index = i;
            break;
        }
    if (index < 0)
        return;
    if (ShowMessage(vtid::str::AskDeleteImageFile, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) != IDYES)
        return;
    CFileInfoStruc* item = m_list->GetItem(index);
    if (!item->m_record)
        return;
    m_list->StopLoader();
    const std::string path = item->m_path;
    // The file goes first; the thumbnail and the cache only once it is gone.
    if (std::remove(path.c_str()) != 0) {
        ShowMessage(vtid::str::CannotDelete, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    {
        CSingleLock lock(&ImageDataLock(), TRUE);
        item->m_record->SetThumbnail(nullptr);
        item->m_drawnInThumbList = 0;
    }
    RemoveThumbnailCache(path);
    m_list->DeleteItem(index);
}

void CThumbnailView::onSize(wxSizeEvent& ev) {
    ev.Skip();
    wxWindow* frame = HasControl(ids::ListFrame) ? GetDlgItem(ids::ListFrame) : nullptr;
    if (!frame || !m_list)
        return;
    const wxSize client = GetClientSize();
    const wxRect f = frame->GetRect();
    frame->SetSize(0, f.y, client.x, f.height);
    for (int id : {ids::Guide, ids::FolderLabel}) {
        wxWindow* w = GetDlgItem(id);
        const wxRect r = w->GetRect();
        w->SetSize(r.x, r.y, std::max(1, client.x - r.x), r.height);
    }
    m_list->SetSize(0, f.GetBottom() + 1, client.x, std::max(1, client.y - f.GetBottom() - 1));
}
