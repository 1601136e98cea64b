#include "browser/SelListCtrl.h"

#include "browser/CellDrawing.h"
#include "browser/ThumbnailListCtrl.h"
#include "ids/VantorelIds.h"
#include "imaging/files/ImageFile.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "platform/Settings.h"
#include "ui/PrivateMessages.h"

#include <wx/dcmemory.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

CSelListCtrl::CSelListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : CSListCtrl(parent, id, pos, size) {
    OnMessage(WM_LIST_FILL, [this](WPARAM w, LPARAM l) {
        return FillFromFolder(reinterpret_cast<const char*>(w), l != 0);
    });
    OnMessage(WM_LIST_GET_FOLDER, [this](WPARAM w, LPARAM l) -> LRESULT {
        char* buffer = reinterpret_cast<char*>(w);
        if (buffer && l > 0) {
            std::strncpy(buffer, m_currentFolder.c_str(), size_t(l) - 1);
            buffer[l - 1] = '\0';
        }
        return 0;
    });
    OnMessage(WM_LIST_SET_LINK, [this](WPARAM w, LPARAM) -> LRESULT {
        m_countStatic = ui::WindowFromHandle(reinterpret_cast<HWND>(w));
        return 0;
    });
    OnMessage(WM_LIST_REDRAW_ITEM, [this](WPARAM w, LPARAM l) -> LRESULT {
        auto* item = reinterpret_cast<CFileInfoStruc*>(w);
        if (IndexOf(item) < 0)
            return -1;
        RedrawItem(item, l == 0);
        return 0;
    });
}

CSelListCtrl::~CSelListCtrl() = default; // the base stops and joins the loader

wxSize CSelListCtrl::CellSize() const {
    const int b = m_ctx ? m_ctx->selThumbSize : 128;
    const int m = m_ctx ? m_ctx->cellMargin : 5;
    return wxSize(b + 2 * m, b + 5 * m);
}

wxSize CSelListCtrl::IconSpacing() const {
    const wxSize c = CellSize();
    return wxSize(c.x + 4, c.y + 4);
}

void CSelListCtrl::keepPlaceholderLast() {
    auto it = std::find_if(m_items.begin(), m_items.end(), [](const auto& f) { return f->IsPlaceholder(); });
    if (it == m_items.end()) {
        m_items.push_back(CFileInfoStruc::MakePlaceholder());
    } else if (it + 1 != m_items.end()) {
        auto p = std::move(*it);
        m_items.erase(it);
        m_items.push_back(std::move(p));
    }
    m_insertPos = std::clamp(m_insertPos < 0 ? GetItemCount() - 1 : m_insertPos, 0, GetItemCount() - 1);
}

void CSelListCtrl::ResetList() {
    StopLoaderAndJoin();
    m_items.clear();
    m_cells.clear();
    m_items.push_back(CFileInfoStruc::MakePlaceholder());
    FillFromFolder(nullptr, false);
    m_insertPos = 0;
    m_fileCounter = 1;
}

CFileInfoStruc* CSelListCtrl::insertRecord(std::unique_ptr<CFileInfoStruc> record) {
    keepPlaceholderLast();
    record->m_boxIndex = GetItemCount();
    CFileInfoStruc* raw = record.get();
    m_items.insert(m_items.begin() + m_insertPos, std::move(record));
    ++m_insertPos;
    return raw;
}

CFileInfoStruc* CSelListCtrl::AddFileItem(const std::string& pattern) {
    return AddMatchingFiles(pattern, kMaxItems,
                            [this](std::unique_ptr<CFileInfoStruc> record) { return insertRecord(std::move(record)); });
}

CFileInfoStruc* CSelListCtrl::AddFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return nullptr;
    if (GetItemCount() >= kMaxItems) {
        ShowMessage(vtid::str::TooManyThumbnails, MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    StopLoaderAndJoin();
    auto record = CFileInfoStruc::FromFile(path, m_fileCounter++);
    if (!record)
        return nullptr;
    m_insertPos = GetItemCount() - 1; // just before the last item
    CFileInfoStruc* raw = insertRecord(std::move(record));
    ItemsChanged();
    UpdateCountText();
    return raw;
}

LRESULT CSelListCtrl::FillFromFolder(const char* folderArg, bool noRestart) {
    if (IsBusy() && noRestart)
        return 1;
    StopLoaderAndJoin();
    std::string folder = folderArg ? std::string(folderArg) : m_currentFolder;
    if (folder.empty())
        return 0;
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folderArg) {
        m_items.clear();
        m_cells.clear();
        m_currentFolder = folder;
        m_fileCounter = 0;
        m_insertPos = -1;
        m_items.push_back(CFileInfoStruc::MakePlaceholder());
        for (const char* p : {"*.bmp", "*.dib", "*.jpg", "*.tif"})
            AddFileItem(folder + "/" + p);
    }
    keepPlaceholderLast();
    ItemsChanged();
    std::vector<int> positions;
    const int n = GetItemCount();
    for (int i = m_appendMode ? std::max(0, n - 2) : 0; i < n; ++i)
        positions.push_back(i);
    m_busy = true;
    StartLoader(positions);
    if (!noRestart)
        UpdateCountText();
    return 1;
}

void CSelListCtrl::WaitForLoader(wxWindow*) {
    for (int round = 0; round < 2; ++round) {
        while (IsBusy())
            WaitForPassEnd();
        if (round == 0)
            FillFromFolder(nullptr, false);
    }
}

void CSelListCtrl::FinishPass(bool stopped) {
    m_busy = false;
    if (stopped)
        return;
    UpdateCountText();
    if (m_insertPos < 0)
        m_insertPos = 0;
    if (m_insertPos > GetItemCount() - 1)
        m_insertPos = GetItemCount() - 1;
    if (CFileInfoStruc* item = GetItem(m_insertPos)) {
        item->m_selected = 1;
        RedrawItem(item, true);
    }
    m_cells.clear();
    Refresh();
}

void CSelListCtrl::SortItems() {
    if (!m_ctx)
        return;
    // The loader's positions would no longer name the same items: it starts again.
    const bool wasBusy = IsBusy();
    StopLoaderAndJoin();
    if (SortBoxItems(m_items, m_ctx->boxSortKey)) {
        m_cells.clear();
        Refresh(false);
    }
    if (wasBusy)
        FillFromFolder(nullptr, false);
}

void CSelListCtrl::UpdateCountText() {
    char text[16];
    std::snprintf(text, sizeof text, "%3d", std::max(0, GetItemCount() - 1));
    if (auto* label = dynamic_cast<wxStaticText*>(m_countStatic)) {
        label->SetLabel(text);
        label->Refresh();
    } else if (m_countStatic) {
        m_countStatic->SetLabel(text);
    }
}

wxBitmap CSelListCtrl::DrawCell(CFileInfoStruc& item) {
    const wxSize size = CellSize();
    wxBitmap bmp(size.x, size.y, 24);
    wxMemoryDC dc(bmp);
    const wxRect cell(wxPoint(0, 0), size);
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    if (item.IsPlaceholder()) {
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        if (item.m_selected)
            cell_drawing::DrawSelection(dc, cell);
        dc.SetPen(wxPen(face, 1, wxPENSTYLE_DOT));
        dc.SetBrush(*wxBLACK_BRUSH);
        dc.DrawRectangle(wxRect(cell).Deflate(3));
        item.m_drawnInBox = 1;
        dc.SelectObject(wxNullBitmap);
        return bmp;
    }
    const wxRect pic = cell_drawing::DrawCellFrame(dc, cell, 30);
    {
        CSingleLock lock(&ImageDataLock(), TRUE);
        CMyThumbnl* thumb = item.m_record ? item.m_record->GetThumbnail() : nullptr;
        if (thumb) {
            const wxRect fit = cell_drawing::FitRect(pic, int(thumb->GetWidth()), int(thumb->GetHeight()));
            wxImage img = cell_drawing::ThumbToImage(*thumb);
            if (img.IsOk()) {
                dc.DrawBitmap(wxBitmap(img.Scale(fit.width, fit.height, wxIMAGE_QUALITY_BOX_AVERAGE)),
                              fit.GetTopLeft());
                item.m_drawnInBox = 1;
            }
        }
    }
    if (item.m_selected)
        cell_drawing::DrawSelection(dc, cell);
    dc.SetFont(cell_drawing::CaptionFont());
    dc.SetTextForeground(*wxBLACK);
    const int lineHeight = dc.GetCharHeight();
    const wxRect line1(cell.x + 4, pic.GetBottom() + 3, cell.width - 8, lineHeight);
    const wxRect line2(cell.x + 4, line1.GetBottom() + 1, cell.width - 8, lineHeight);
    wxString name = wxString::FromUTF8(GetFileNamePart(item.m_path));
    while (name.size() > 3 && dc.GetTextExtent(name).x > line1.width)
        name = name.Left(name.size() - 4) + "...";
    dc.DrawLabel(name, line1, wxALIGN_CENTER);
    const std::string position = FormatDoubleText(item.m_position) + (item.m_noUnit ? "" : "um");
    dc.DrawLabel(wxString::FromUTF8(position), line2, wxALIGN_CENTER);
    dc.SelectObject(wxNullBitmap);
    return bmp;
}

bool CSelListCtrl::CanOpenOnDoubleClick(int hit) {
    if (GetItemCount() <= 1 || hit == GetItemCount() - 1)
        return false;
    if (!m_items[hit]->m_record || !m_items[hit]->m_drawnInBox) {
        ShowMessage(vtid::str::CannotReadData, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

// ---- selection ----

void CSelListCtrl::OnLeftDown(wxMouseEvent& ev) {
    const int hit = HitTestItem(ev.GetX(), ev.GetY());
    if (hit >= 0) {
        m_emptyClick = false;
        m_pressOnItem = true;
        m_pressPoint = ev.GetPosition();
        CFileInfoStruc* item = m_items[hit].get();
        if (ev.ShiftDown() && m_insertPos >= 0) {
            for (int i = std::min(m_insertPos, hit); i <= std::max(m_insertPos, hit); ++i)
                if (!m_items[i]->m_selected) {
                    m_items[i]->m_selected = 1;
                    RedrawItem(m_items[i].get(), true);
                }
        } else if (ev.ControlDown()) {
            item->m_selected = !item->m_selected;
            RedrawItem(item, true);
        } else if (!item->m_selected) {
            clearSelection();
            item->m_selected = 1;
            RedrawItem(item, true);
        }
        m_insertPos = hit;
        return;
    }
    // A press beside every item clears the position and every selection, Ctrl or not.
    m_emptyClick = true;
    m_insertPos = -1;
    clearSelection();
    m_marquee = true;
    m_marqueeStart = m_marqueeEnd = ev.GetPosition();
    CaptureMouse();
}

void CSelListCtrl::OnMarquee(const wxRect& rect, bool) {
    for (int i = 0; i < GetItemCount(); ++i) {
        CFileInfoStruc* item = m_items[i].get();
        const bool hit = !item->IsPlaceholder() && GetCellRect(i).Intersects(rect);
        if (hit != bool(item->m_selected)) {
            item->m_selected = hit;
            RedrawItem(item, true);
        }
    }
}

// ---- drag and drop ----

namespace {
void TellOnce(bool& told, UINT message) {
    if (!told)
        ShowMessage(message, MB_OK | MB_ICONEXCLAMATION);
    told = true;
}
} // namespace

bool CSelListCtrl::HandleDrop(CSListCtrl* source, uint32_t kind, const std::vector<int>& positions, int) {
    if (kind == 1)
        return true; // out of the box and back: the box removes the images on a move
    if (kind != 0 || !source)
        return false;
    StopLoaderAndJoin();
    // The reference every image must match: the box's first image with a record, else the first
    // image this drop puts into the box (an image the box refuses is no reference).
    const CMyImageData* reference = nullptr;
    for (const auto& f : m_items)
        if (!f->IsPlaceholder() && f->m_record) {
            reference = f->m_record;
            break;
        }
    // A refusal is told once per drop; the later images that match still go in.
    bool told = false;
    int added = 0;
    for (int p : positions) {
        CFileInfoStruc* item = source->GetItem(p);
        if (!item || !item->m_record || !item->m_drawnInThumbList)
            continue;
        CMyImageData* record = item->m_record;
        const bool same = !reference || (record->m_cacheValue1 == reference->m_cacheValue1 &&
                                         record->m_cacheValue2 == reference->m_cacheValue2 &&
                                         record->m_cacheValue3 == reference->m_cacheValue3);
        if (!same) {
            TellOnce(told, vtid::str::MixedImages);
            continue;
        }
        if (record->m_cacheValue1 != 0 && record->m_cacheValue1 != 3) {
            TellOnce(told, vtid::str::GreyOrColourOnly);
            continue;
        }
        if (record->m_state != 0)
            continue; // already in the box
        if (GetItemCount() >= kMaxItems) {
            ShowMessage(vtid::str::TooManyThumbnails, MB_OK | MB_ICONEXCLAMATION);
            break;
        }
        auto entry = CFileInfoStruc::FromFile(item->m_path, m_fileCounter);
        if (!entry)
            continue;
        ++m_fileCounter;
        entry->m_record = record;
        insertRecord(std::move(entry));
        record->m_state = 1; // set only once the box took it
        if (!reference)
            reference = record;
        source->RedrawItem(item, true);
        ++added;
    }
    if (added > 0)
        FillFromFolder(nullptr, false);
    ItemsChanged();
    return true;
}

void CSelListCtrl::EndDrag(int effect) {
    if ((effect & DROPEFFECT_MOVE) && m_ctx && m_ctx->removeSelectedFromBox)
        m_ctx->removeSelectedFromBox();
    CSListCtrl::EndDrag(effect);
}

void CSelListCtrl::RemoveItems(bool all) {
    StopLoaderAndJoin();
    std::vector<CMyImageData*> released;
    for (auto it = m_items.begin(); it != m_items.end();) {
        CFileInfoStruc* f = it->get();
        if (!f->IsPlaceholder() && (all || f->m_selected)) {
            if (f->m_record)
                released.push_back(f->m_record);
            m_cells.erase(f);
            it = m_items.erase(it);
        } else {
            ++it;
        }
    }
    {
        CSingleLock lock(&ImageDataLock(), TRUE);
        for (CMyImageData* r : released) {
            r->m_state = 0;
            r->SetThumbnail(nullptr); // the thumbnail list keeps its drawn picture
        }
    }
    keepPlaceholderLast();
    if (m_ctx && m_ctx->thumbnailList)
        for (const auto& f : m_ctx->thumbnailList->Items())
            for (CMyImageData* r : released)
                if (f->m_record == r)
                    m_ctx->thumbnailList->RedrawItem(f.get(), true);
    ItemsChanged();
    UpdateCountText();
}

int CSelListCtrl::MoveSelected(int direction) {
    const bool wasBusy = IsBusy();
    StopLoaderAndJoin();
    const int count = GetItemCount();
    auto movable = [this](int i) { return m_items[i]->m_selected && !m_items[i]->IsPlaceholder(); };
    int moved = -1;
    if (direction < 0) {
        for (int i = 0; i < count; ++i) {
            if (!movable(i))
                continue;
            if (i == 0)
                break;
            std::swap(m_items[i], m_items[i - 1]);
            moved = i - 1;
        }
    } else {
        for (int i = count - 2; i >= 0; --i) {
            if (!movable(i))
                continue;
            if (i == count - 2)
                break;
            std::swap(m_items[i], m_items[i + 1]);
            moved = i + 1;
        }
    }
    if (moved >= 0) {
        m_insertPos = std::clamp(m_insertPos + (direction < 0 ? -1 : 1), 0, count - 1);
        EnsureVisible(moved);
        Refresh(false);
    }
    if (wasBusy)
        FillFromFolder(nullptr, false);
    return moved;
}
