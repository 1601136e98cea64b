#include "browser/ThumbnailListCtrl.h"

#include "browser/CellDrawing.h"
#include "browser/SelListCtrl.h"
#include "ids/VantorelIds.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "ui/ResourceWidgets.h"

#include <wx/dcmemory.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstring>
#include <strings.h>

CThumbnailListCtrl::CThumbnailListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                       const wxSize& size)
    : CSListCtrl(parent, id, pos, size) {
    OnMessage(WM_LIST_FILL,
              [this](WPARAM w, LPARAM) { return FillFromFolder(reinterpret_cast<const char*>(w)); });
    OnMessage(WM_LIST_GET_FOLDER, [this](WPARAM w, LPARAM l) -> LRESULT {
        char* buffer = reinterpret_cast<char*>(w);
        if (buffer && l > 0) {
            std::strncpy(buffer, m_currentFolder.c_str(), size_t(l) - 1);
            buffer[l - 1] = '\0';
        }
        return 0;
    });
    OnMessage(WM_LIST_SET_LINK, [this](WPARAM w, LPARAM) -> LRESULT {
        m_link = int(w);
        return 0;
    });
    OnMessage(WM_LIST_GET_LINK, [this](WPARAM, LPARAM) -> LRESULT { return m_link; });
    OnMessage(WM_LIST_REDRAW_ITEM, [this](WPARAM w, LPARAM l) -> LRESULT {
        auto* item = reinterpret_cast<CFileInfoStruc*>(w);
        if (IndexOf(item) < 0)
            return -1;
        RedrawItem(item, l == 0);
        return 0;
    });
    OnCommand(vtid::cmd::SelectAll, [this] { SelectAll(); });
    for (int command : {vtid::cmd::ImageInfo, vtid::cmd::AddToFocusBox})
        OnCommand(command, [this, command] {
            if (m_ctx && m_ctx->runCommand)
                m_ctx->runCommand(command);
        });
    // The Delete key deletes the selected image file as the menu's 32795 does: the command goes
    // up to the thumbnail view.
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& ev) {
        if (ev.GetKeyCode() != WXK_DELETE || ev.HasAnyModifiers()) {
            ev.Skip();
            return;
        }
        wxCommandEvent command(wxEVT_MENU, vtid::cmd::DeleteImageFile);
        command.SetEventObject(this);
        ProcessWindowEvent(command);
    });
}

CThumbnailListCtrl::~CThumbnailListCtrl() = default; // the base stops and joins the loader

wxSize CThumbnailListCtrl::CellSize() const {
    const int s = m_ctx ? m_ctx->thumbSize : 192;
    return wxSize(s + 10, s + 20);
}

wxSize CThumbnailListCtrl::IconSpacing() const {
    const int s = m_ctx ? m_ctx->thumbSize : 192;
    const int m = m_ctx ? m_ctx->textLineUnit : 5;
    return wxSize(s + 4 * m, s + 7 * m);
}

LRESULT CThumbnailListCtrl::FillFromFolder(const char* folderArg) {
    StopLoaderAndJoin();
    std::string folder = folderArg ? std::string(folderArg) : m_currentFolder;
    if (folder.empty())
        return 0;
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();

    {
        // Records of other folders go, unless the focus image box still shows them.
        CSingleLock lock(&ImageDataLock(), TRUE);
        auto inBox = [this](const CMyImageData* record) {
            if (!m_ctx->focusBox)
                return false;
            for (const auto& f : m_ctx->focusBox->Items())
                if (f->m_record == record || f->m_path == record->m_path)
                    return true;
            return false;
        };
        for (auto it = m_ctx->imageMap->begin(); it != m_ctx->imageMap->end();) {
            const CMyImageData& r = *it->second;
            const auto slash = r.m_path.rfind('/');
            const std::string recordFolder =
                slash == std::string::npos ? std::string() : r.m_path.substr(0, slash);
            const bool otherFolder = ::strcasecmp(recordFolder.c_str(), folder.c_str()) != 0;
            if (r.m_state == 0 && r.m_path != kPlaceholderPath &&
                (otherFolder || m_ctx->thumbnailRefreshFlag) && !inBox(&r)) {
                for (auto& item : m_items)
                    if (item->m_record == &r)
                        item->m_record = nullptr;
                it = m_ctx->imageMap->erase(it);
            } else {
                ++it;
            }
        }
    }
    m_items.clear();
    m_cells.clear();
    m_pictures.clear();
    m_anchor = -1;
    m_currentFolder = folder;
    m_fileCounter = 0;
    for (const char* p : {"*.bmp", "*.dib", "*.jpg", "*.tif"})
        AddFileItem(folder + "/" + p);
    SortThumbnailItems(m_items, m_ctx->sortCommand);
    Scroll(0, 0);
    ItemsChanged();
    if (m_items.empty()) {
        m_busy = false;
        return 0;
    }
    m_busy = true;
    std::vector<int> all(m_items.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    StartLoader(all);
    return 1;
}

CFileInfoStruc* CThumbnailListCtrl::AddFileItem(const std::string& pattern) {
    return AddMatchingFiles(pattern, kMaxItems, [this](std::unique_ptr<CFileInfoStruc> item) {
        CFileInfoStruc* raw = item.get();
        m_items.push_back(std::move(item));
        return raw;
    });
}

void CThumbnailListCtrl::SortItems() {
    if (!m_ctx)
        return;
    // The loader's positions would no longer name the same items: it starts again.
    const bool wasBusy = IsBusy();
    StopLoaderAndJoin();
    if (SortThumbnailItems(m_items, m_ctx->sortCommand))
        Refresh(false);
    if (wasBusy && !m_items.empty()) {
        m_busy = true;
        std::vector<int> all(m_items.size());
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = int(i);
        StartLoader(all);
    }
}

void CThumbnailListCtrl::FinishPass(bool stopped) {
    if (!stopped) {
        // Files that gave no thumbnail leave the list.
        std::vector<int> failed = m_failedPositions;
        std::sort(failed.rbegin(), failed.rend());
        for (int p : failed)
            if (GetItem(p) && !GetItem(p)->IsPlaceholder())
                m_items.erase(m_items.begin() + p);
        if (!failed.empty())
            ItemsChanged();
    }
    m_busy = false;
    if (m_ctx)
        m_ctx->thumbnailRefreshFlag = false;
}

void CThumbnailListCtrl::DeleteItem(int i) {
    if (!GetItem(i))
        return;
    StopLoaderAndJoin();
    m_cells.erase(m_items[i].get());
    m_pictures.erase(m_items[i].get());
    m_items.erase(m_items.begin() + i);
    m_anchor = -1;
    ItemsChanged();
}

wxBitmap CThumbnailListCtrl::DrawCell(CFileInfoStruc& item) {
    const wxSize size = CellSize();
    wxBitmap bmp(size.x, size.y, 24);
    wxMemoryDC dc(bmp);
    const wxRect cell(wxPoint(0, 0), size);
    const wxRect pic = cell_drawing::DrawCellFrame(dc, cell, 20);
    bool inBox = false;
    {
        CSingleLock lock(&ImageDataLock(), TRUE);
        CMyImageData* record = item.m_record;
        CMyThumbnl* thumb = record ? record->GetThumbnail() : nullptr;
        if (record)
            inBox = record->m_state != 0;
        if (thumb && !m_pictures.count(&item)) {
            const wxRect fit = cell_drawing::FitRect(pic, int(thumb->GetWidth()), int(thumb->GetHeight()));
            wxImage img = cell_drawing::ThumbToImage(*thumb);
            if (img.IsOk()) {
                m_pictures[&item] = wxBitmap(img.Scale(fit.width, fit.height, wxIMAGE_QUALITY_BOX_AVERAGE));
                item.m_drawnInThumbList = 1;
                // The list keeps the picture; the record's thumbnail is needed again only in the box.
                if (!inBox)
                    record->SetThumbnail(nullptr);
            }
        }
    }
    auto it = m_pictures.find(&item);
    if (it != m_pictures.end()) {
        const wxRect fit = cell_drawing::FitRect(pic, it->second.GetWidth(), it->second.GetHeight());
        dc.DrawBitmap(it->second, fit.GetTopLeft());
    }
    if (item.m_selected)
        cell_drawing::DrawSelection(dc, cell);
    dc.SetFont(cell_drawing::CaptionFont());
    dc.SetTextForeground(inBox ? wxColour(255, 0, 0) : *wxBLACK);
    dc.SetTextBackground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    const wxRect band(cell.x + 4, pic.GetBottom() + 2, cell.width - 8,
                      cell.GetBottom() - pic.GetBottom() - 3);
    wxString name = wxString::FromUTF8(GetFileNamePart(item.m_path));
    while (name.size() > 3 && dc.GetTextExtent(name).x > band.width)
        name = name.Left(name.size() - 4) + "...";
    dc.DrawLabel(name, band, wxALIGN_CENTER);
    dc.SelectObject(wxNullBitmap);
    return bmp;
}

// ---- selection ----

void CThumbnailListCtrl::OnLeftDown(wxMouseEvent& ev) {
    const int hit = HitTestItem(ev.GetX(), ev.GetY());
    m_plainClick = -1;
    if (hit >= 0) {
        m_emptyClick = false;
        m_pressOnItem = true;
        m_pressPoint = ev.GetPosition();
        if (ev.ShiftDown() && m_anchor >= 0) {
            for (int i = std::min(m_anchor, hit); i <= std::max(m_anchor, hit); ++i)
                if (!m_items[i]->m_selected) {
                    m_items[i]->m_selected = 1;
                    RedrawItem(m_items[i].get(), true);
                }
            m_anchor = hit;
        } else if (ev.ControlDown()) {
            CFileInfoStruc* item = m_items[hit].get();
            item->m_selected = !item->m_selected;
            m_anchor = item->m_selected ? hit : -1;
            RedrawItem(item, true);
        } else if (!m_items[hit]->m_selected) {
            clearSelection();
            m_items[hit]->m_selected = 1;
            m_anchor = hit;
            RedrawItem(m_items[hit].get(), true);
        } else {
            m_plainClick = hit; // the others are cleared on release unless a drag starts
        }
        return;
    }
    m_emptyClick = true;
    if (!ev.ControlDown()) {
        m_anchor = -1;
        clearSelection();
    }
    m_marquee = true;
    m_marqueeStart = m_marqueeEnd = ev.GetPosition();
    CaptureMouse();
}

void CThumbnailListCtrl::OnLeftUp(wxMouseEvent& ev) {
    const bool wasDragging = IsDragSource();
    const int plain = m_plainClick;
    m_plainClick = -1;
    CSListCtrl::OnLeftUp(ev);
    if (!wasDragging && plain >= 0 && GetItem(plain)) {
        clearSelection();
        m_items[plain]->m_selected = 1;
        m_anchor = plain;
        RedrawItem(m_items[plain].get(), true);
    }
}

void CThumbnailListCtrl::OnMarquee(const wxRect& rect, bool ctrl) {
    for (int i = 0; i < GetItemCount(); ++i) {
        const bool hit = GetCellRect(i).Intersects(rect);
        CFileInfoStruc* item = m_items[i].get();
        if (hit && !item->m_selected) {
            item->m_selected = 1;
            RedrawItem(item, true);
        } else if (!hit && !ctrl && item->m_selected) {
            item->m_selected = 0;
            RedrawItem(item, true);
        }
    }
}

void CThumbnailListCtrl::SelectAll() {
    m_emptyClick = false;
    for (auto& f : m_items) {
        f->m_selected = 1;
        RedrawItem(f.get(), true);
    }
}

void CThumbnailListCtrl::ShowItemMenu(const wxPoint& point) {
    const int hit = HitTestItem(point.x, point.y);
    if (hit < 0)
        return;
    clearSelection();
    m_items[hit]->m_selected = 1;
    m_anchor = hit;
    RedrawItem(m_items[hit].get(), true);
    // The menu's commands act on this list: it is the focused list before the menu's items are
    // enabled, not only once the toolkit reports the focus.
    SetFocus();
    if (m_ctx && m_ctx->setFocusedList)
        m_ctx->setFocusedList(this);
    if (wxMenu* menu = ui::BuildPopupMenu(vtid::menu::ThumbnailListMenu, 0)) {
        PopupMenu(menu, point);
        delete menu;
    }
}

bool CThumbnailListCtrl::CanOpenOnDoubleClick(int hit) {
    CMyImageData* record = m_items[hit]->m_record;
    if (!record)
        return false; // its thumbnail has not been made yet
    const int type = record->m_cacheValue1;
    if (type != 0 && type != 3) {
        ShowMessage(vtid::str::GreyOrColourOnly, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CThumbnailListCtrl::HandleDrop(CSListCtrl*, uint32_t kind, const std::vector<int>&, int) {
    // Images dragged out of the box are removed by the box when it sees the move; the list
    // takes nothing from itself.
    return kind == 1;
}

std::string CThumbnailListCtrl::BeginDrag(int hit, int x, int y) {
    if (m_ctx && m_ctx->focusBox)
        m_ctx->focusBox->SetAppendMode(false);
    return CSListCtrl::BeginDrag(hit, x, y);
}

void CThumbnailListCtrl::EndDrag(int effect) {
    if (effect & DROPEFFECT_COPY)
        clearSelection();
    CSListCtrl::EndDrag(effect);
}
