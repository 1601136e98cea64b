// The main frame's side of the image browser: the program's actions handed to the browser's
// lists, and the commands on the thumbnail list and the focus image box (adding, removing,
// moving and ordering box entries, sorting and sizing the thumbnails, selection and refresh).
#include "browser/DirTreeView.h"
#include "browser/SelListCtrl.h"
#include "browser/ThumbnailView.h"
#include "browser/core/ThumbnailLoader.h"
#include "imaging/bitmaps/MyImageData.h"
#include "platform/MessageSink.h"
#include "shell/frame/MainFrame.h"

#include "result/PicInfoDialog.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/capture/SelectedBox.h"
#include "ui/StageControlBar.h"
#include "shell/frame/TopMenuDialog.h"
#include "ui/Timers.h"
#include "ids/VantorelIds.h"

#include <wx/settings.h>

#include <algorithm>

namespace {
constexpr int kSortCommands[] = {vtid::cmd::SortByName, vtid::cmd::SortByType, vtid::cmd::SortBySize,
                                 vtid::cmd::SortByCreated, vtid::cmd::SortByModified};
// Each thumbnail size command and its size in pixels.
constexpr int kSizeCommands[][2] = {
    {vtid::cmd::LargeThumbnails, 192}, {vtid::cmd::MediumThumbnails, 128}, {vtid::cmd::SmallThumbnails, 64}};

// What the adding compares, read under the image data lock.
struct ImageKind {
    int type = -1, width = 0, height = 0, inBox = 0;
    bool Same(const ImageKind& o) const { return type == o.type && width == o.width && height == o.height; }
};

ImageKind KindOf(const CMyImageData* record) {
    ImageKind k;
    if (!record)
        return k;
    CSingleLock lock(&ImageDataLock(), TRUE);
    k.type = record->m_cacheValue1;
    k.width = record->m_cacheValue2;
    k.height = record->m_cacheValue3;
    k.inBox = record->m_state;
    return k;
}

template <class V> V* ViewOf() {
    CSDIWinApp* sdi = CSDIWinApp::Get();
    CSDIDocTemplate* t = sdi ? sdi->FindTemplateByViewClass<V>() : nullptr;
    return t ? dynamic_cast<V*>(t->m_pView) : nullptr;
}
} // namespace

CDirTreeView* CMainFrame::FolderTree() const {
    return ViewOf<CDirTreeView>();
}

CThumbnailView* CMainFrame::ThumbnailView() const {
    return ViewOf<CThumbnailView>();
}

CThumbnailListCtrl* CMainFrame::ThumbnailList() const {
    CThumbnailView* view = ThumbnailView();
    return view ? view->List() : nullptr;
}

CSelListCtrl* CMainFrame::FocusBoxList() const {
    return m_pBox ? m_pBox->List() : nullptr;
}

void CMainFrame::RegisterBrowserCommands() {
    auto boxHasImages = [this](ui::CmdUI& c) {
        CSelListCtrl* box = FocusBoxList();
        c.Enable(box && box->GetItemCount() > 1);
    };
    OnCommand(vtid::cmd::AddToFocusBox, [this] { OnAddToFocusBox(false); });
    OnCommand(vtid::cmd::AddAllToFocusBox, [this] { OnAddToFocusBox(true); });
    OnUpdateUI(vtid::cmd::AddAllToFocusBox, [this](ui::CmdUI& c) {
        CThumbnailListCtrl* list = ThumbnailList();
        c.Enable(!list || !list->IsBusy());
    });
    OnCommand(vtid::cmd::RemoveFromFocusBox, [this] {
        ui::WaitCursor wait;
        RemoveFromFocusBox(false);
    });
    OnCommand(vtid::cmd::RemoveAllFromFocusBox, [this] {
        ui::WaitCursor wait;
        RemoveFromFocusBox(true);
    });
    OnCommand(vtid::cmd::MoveUpInFocusBox, [this] { OnMoveInFocusBox(-1); });
    OnCommand(vtid::cmd::MoveDownInFocusBox, [this] { OnMoveInFocusBox(1); });
    for (int id :
         {vtid::cmd::RemoveFromFocusBox, vtid::cmd::RemoveAllFromFocusBox, vtid::cmd::MoveUpInFocusBox,
          vtid::cmd::MoveDownInFocusBox, vtid::cmd::SortFocusBoxByHeight, vtid::cmd::SortFocusBoxAscending,
          vtid::cmd::SortFocusBoxDescending})
        OnUpdateUI(id, boxHasImages);
    for (int id : {vtid::cmd::SortFocusBoxByHeight, vtid::cmd::SortFocusBoxAscending,
                   vtid::cmd::SortFocusBoxDescending})
        OnCommand(id, [this, id] { OnFocusBoxOrder(id); });
    for (int id : kSortCommands) {
        OnCommand(id, [this, id] { OnSortThumbnails(id); });
        OnUpdateUI(id,
                   [this, id](ui::CmdUI& c) { c.SetRadio(m_pDoc && m_pDoc->Browser().sortCommand == id); });
    }
    for (const auto& [id, size] : kSizeCommands) {
        OnCommand(id, [this, size] { OnThumbnailSize(size); });
        OnUpdateUI(id, [this, size](ui::CmdUI& c) {
            if (!m_pDoc)
                return;
            const BrowserContext& ctx = m_pDoc->Browser();
            CSelListCtrl* box = FocusBoxList();
            if (box && m_pFocusedList == box)
                c.SetRadio(ctx.selThumbSize == size);
            else if (m_pTopMenu && m_pTopMenu->IsPressed(vtid::TopMenuBar::Thumbnails))
                c.SetRadio(ctx.thumbSize == size);
        });
    }
    OnCommand(vtid::cmd::SelectAll, [this] { OnSelectAll(); });
    OnCommand(vtid::cmd::SelectNone, [this] { OnSelectNone(); });
    OnCommand(vtid::cmd::ImageInfo, [this] { OnImageInfo(); });
    OnUpdateUI(vtid::cmd::ImageInfo, [this](ui::CmdUI& c) {
        auto* list = dynamic_cast<CSListCtrl*>(m_pFocusedList);
        c.Enable(list && list->GetItemCount() > 0);
    });
    OnCommand(vtid::cmd::Refresh, [this] { OnRefresh(); });
    OnUpdateUI(vtid::cmd::Refresh, [this](ui::CmdUI& c) { c.Enable(!IsComposing()); });
}

void CMainFrame::JoinBrowser() {
    if (!m_pDoc)
        return;
    BrowserContext& ctx = m_pDoc->Browser();
    ctx.openImage = [](const std::string& path) {
        COrsandelApp* app = COrsandelApp::GetApp();
        return app && app->OpenDocumentFile(path) != nullptr;
    };
    ctx.runCommand = [this](int command) { RouteCommandId(command); };
    ctx.removeSelectedFromBox = [this] { RemoveFromFocusBox(false); };
    ctx.setFocusedList = [this](void* list) { SetFocusedList(static_cast<CSListCtrl*>(list)); };
    if (CDirTreeView* tree = FolderTree()) {
        tree->topMenuEdges = [this](int& right825, int& right829, int& left954) {
            if (!m_pTopMenu)
                return false;
            wxWindow* a = m_pTopMenu->GetDlgItem(vtid::TopMenuBar::FolderPaneBand);
            wxWindow* b = m_pTopMenu->GetDlgItem(vtid::TopMenuBar::Thumbnails);
            wxWindow* c = m_pTopMenu->GetDlgItem(vtid::TopMenuBar::Picture);
            if (!a || !b || !c)
                return false;
            right825 = a->GetRect().GetRight() + 1;
            right829 = b->GetRect().GetRight() + 1;
            left954 = c->GetRect().GetLeft();
            return true;
        };
        tree->relayoutTopMenu = [this] {
            if (m_pTopMenu)
                m_pTopMenu->RecalcLayout();
        };
    }
}

void CMainFrame::FolderUp() {
    if (CDirTreeView* tree = FolderTree())
        tree->SelectParentFolder();
}

void CMainFrame::SetFocusedList(wxWindow* list) {
    m_pFocusedList = list;
}

void CMainFrame::OnAddToFocusBox(bool all) {
    CThumbnailListCtrl* thumbs = ThumbnailList();
    CSelListCtrl* box = FocusBoxList();
    if (!thumbs || !box)
        return;
    ui::WaitCursor wait;
    if (all && m_pFocusCmdBar)
        m_pFocusCmdBar->EnableItem(vtid::FocusBoxCommandBar::AddAll, false);
    box->m_captureBusy = 0;
    // A copy of the entry list: adding redraws the thumbnail list.
    std::vector<CFileInfoStruc*> items;
    for (const auto& f : thumbs->Items())
        items.push_back(f.get());
    auto loaded = [](const CFileInfoStruc* f) { return f->m_record && f->m_drawnInThumbList; };

    const CMyImageData* referenceRecord = nullptr;
    const CFileInfoStruc* firstBox = box->GetItem(0);
    const bool boxEmpty = box->GetItemCount() < 2;
    if (!boxEmpty && firstBox) {
        referenceRecord = firstBox->m_record;
    } else if (all) {
        if (!items.empty())
            referenceRecord = items.front()->m_record;
    } else {
        for (const CFileInfoStruc* f : items)
            if (f->m_selected && loaded(f)) {
                referenceRecord = f->m_record;
                break;
            }
    }
    ImageKind reference = KindOf(referenceRecord);
    // An image the box cannot take is no reference: the first image it takes becomes one.
    if (reference.type != 0 && reference.type != 3) {
        referenceRecord = nullptr;
        reference = ImageKind{};
    }

    bool warned = false;
    int added = 0;
    for (CFileInfoStruc* item : items) {
        if (all ? !item->m_record : !(item->m_selected && loaded(item)))
            continue;
        const ImageKind kind = KindOf(item->m_record);
        if (box->GetItemCount() >= 2 && referenceRecord && !kind.Same(reference)) {
            if (!warned)
                ShowMessage(vtid::str::MixedImages, MB_OK | MB_ICONEXCLAMATION);
            warned = true;
            continue;
        }
        if (kind.type != 0 && kind.type != 3) {
            if (!warned)
                ShowMessage(vtid::str::GreyOrColourOnly, MB_OK | MB_ICONEXCLAMATION);
            warned = true;
            continue;
        }
        if (kind.inBox == 0) {
            if (box->GetItemCount() >= CSelListCtrl::kMaxItems) {
                box->AddFile(item->m_path); // tells the user the box is full
                break;
            }
            CFileInfoStruc* entry = box->AddFile(item->m_path);
            if (entry) {
                entry->m_record = item->m_record;
                {
                    CSingleLock lock(&ImageDataLock(), TRUE);
                    item->m_record->m_state = 1;
                }
                if (!referenceRecord) {
                    referenceRecord = item->m_record;
                    reference = kind;
                }
                box->RedrawItem(entry, true);
                thumbs->RedrawItem(item, true); // its caption shows it is in the box
                ++added;
            }
        }
        if (!all || item->m_selected) {
            item->m_selected = 0;
            thumbs->RedrawItem(item, true);
        }
    }
    if (added > 0)
        box->FillFromFolder(nullptr, false);
    if (all && m_pFocusCmdBar)
        m_pFocusCmdBar->EnableItem(vtid::FocusBoxCommandBar::AddAll, true);
}

void CMainFrame::RemoveFromFocusBox(bool all) {
    CSelListCtrl* box = FocusBoxList();
    if (!box)
        return;
    int first = -1;
    if (!all)
        for (int i = 0; i < box->GetItemCount(); ++i)
            if (box->GetItem(i)->m_selected && !box->GetItem(i)->IsPlaceholder()) {
                first = i;
                break;
            }
    box->RemoveItems(all);
    if (all)
        box->ResetList();
    else if (CFileInfoStruc* now = box->GetItem(first)) {
        now->m_selected = 1;
        box->RedrawItem(now, true);
    }
    box->UpdateCountText();
}

void CMainFrame::OnMoveInFocusBox(int direction) {
    if (CSelListCtrl* box = FocusBoxList())
        box->MoveSelected(direction);
}

void CMainFrame::OnFocusBoxOrder(int command) {
    CSelListCtrl* box = FocusBoxList();
    if (!m_pDoc || !box || !ThumbnailList())
        return;
    m_pDoc->Browser().boxSortKey = command;
    m_pDoc->m_sortParam = command;
    box->SortItems();
    box->Refresh();
}

void CMainFrame::OnSortThumbnails(int command) {
    CThumbnailListCtrl* list = ThumbnailList();
    if (!m_pDoc || !list)
        return;
    m_pDoc->Browser().sortCommand = command;
    m_pDoc->m_sort = command;
    list->SortItems();
    list->Refresh();
}

void CMainFrame::OnThumbnailSize(int size) {
    if (!m_pDoc)
        return;
    BrowserContext& ctx = m_pDoc->Browser();
    ctx.thumbSize = size;
    ctx.selThumbSize = size;
    m_pDoc->m_thumbSize = size;
    m_pDoc->m_selThumbSize = size;
    if (CSelListCtrl* box = FocusBoxList()) {
        for (const auto& f : box->Items())
            f->m_drawnInBox = 0;
        box->FillFromFolder(nullptr, false);
    }
    if (m_pBox && m_bars) {
        const int width = std::max(size + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X) + 6 * ctx.cellMargin,
                                   m_pBox->MinimumWidth());
        CStageControlBar::SetExtent(*m_bars, "CusControlBar", width);
        m_bars->Update();
    }
    // The thumbnails are made again at the new size from the folder the list shows.
    if (CThumbnailListCtrl* list = ThumbnailList())
        if (!list->CurrentFolder().empty() && list->GetItemCount() > 0)
            list->FillFromFolder(nullptr);
}

void CMainFrame::OnSelectAll() {
    if (CThumbnailListCtrl* list = ThumbnailList())
        list->SelectAll();
}

void CMainFrame::OnSelectNone() {
    CThumbnailListCtrl* list = ThumbnailList();
    if (!list)
        return;
    for (const auto& f : list->Items()) {
        f->m_selected = 0;
        list->RedrawItem(f.get(), true);
    }
}

void CMainFrame::OnImageInfo() {
    auto* list = dynamic_cast<CSListCtrl*>(m_pFocusedList);
    if (!list)
        return;
    // The box's "Last Position" placeholder names no file.
    std::vector<PicInfoRecord> records;
    for (const auto& item : list->Items())
        if (!item->IsPlaceholder())
            records.push_back(PicInfoRecord{item->m_path, item->m_size,
                                            static_cast<std::time_t>(item->m_creationTime / 1000000000),
                                            item->m_selected != 0});
    CPicInfoDialog::RunForList(this, records);
}

void CMainFrame::OnRefresh() {
    if (!m_pTopMenu || !m_pTopMenu->IsPressed(vtid::TopMenuBar::Thumbnails))
        return;
    if (CDirTreeView* tree = FolderTree())
        tree->Refresh32783();
}
