#include "browser/SListCtrl.h"

#include "browser/ScreenWindows.h"
#include "ids/VantorelIds.h"
#include "platform/MessageSink.h"
#include "platform/WindowMessages.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace {
CSListCtrl* g_dragSource = nullptr;

void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(char((v >> (8 * i)) & 0xFF));
}
// The list that the screen shows at the point: a window of the program that lies behind another
// one there, or is minimised, is no target.
CSListCtrl* ListShownAt(const wxPoint& screen) {
    CSListCtrl* list = nullptr;
    for (wxWindow* w = WindowShownAt(screen); w && !list && !w->IsTopLevel(); w = w->GetParent())
        list = dynamic_cast<CSListCtrl*>(w);
    return list;
}
uint32_t Get32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
    return v;
}
} // namespace

namespace browser_drag {
std::string Encode(uint32_t kind, const std::vector<int>& positions) {
    std::string s;
    Put32(s, kind);
    Put32(s, uint32_t(positions.size()));
    for (int p : positions)
        Put32(s, uint32_t(p));
    return s;
}

bool Decode(const std::string& bytes, uint32_t& kind, std::vector<int>& positions) {
    if (bytes.size() < 8)
        return false;
    kind = Get32(bytes, 0);
    const uint64_t n = Get32(bytes, 4);
    if (uint64_t(bytes.size()) != 8 + 4 * n)
        return false;
    positions.clear();
    for (uint64_t i = 0; i < n; ++i)
        positions.push_back(int(Get32(bytes, size_t(8 + 4 * i))));
    return true;
}
} // namespace browser_drag

// Posts the loader's messages to the list's handle; the window layer drops them when the list
// is gone.
class CSListCtrl::Sink : public ThumbLoaderSink {
public:
    explicit Sink(HWND hwnd) : hwnd_(hwnd) {}
    void Post(UINT message, WPARAM wParam, LPARAM lParam) override {
        ::PostMessage(hwnd_, message, wParam, lParam);
    }

private:
    HWND hwnd_;
};

CSListCtrl::CSListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxScrolledCanvas(parent, id, pos, size, wxVSCROLL | wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      ui::WindowBase(this), m_scrollTimer(this, 1) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(*wxBLACK);
    SetScrollRate(0, 10);
    m_sink = std::make_unique<Sink>(GetSafeHwnd());
    m_loader = std::make_unique<CThumbnailLoader>(*m_sink);
    OnMessage(WM_THUMB_READY, &CSListCtrl::OnThumbReady);
    OnMessage(WM_THUMB_PASS_DONE, [this](WPARAM, LPARAM l) { return OnPassEnd(0, l); });
    OnMessage(WM_THUMB_PASS_STOPPED, [this](WPARAM, LPARAM l) { return OnPassEnd(1, l); });
    Bind(wxEVT_PAINT, &CSListCtrl::onPaint, this);
    Bind(wxEVT_SIZE, &CSListCtrl::onSize, this);
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& ev) {
        SetFocus();
        OnLeftDown(ev);
    });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& ev) { OnLeftUp(ev); });
    Bind(wxEVT_LEFT_DCLICK, &CSListCtrl::OnDoubleClick, this);
    Bind(wxEVT_MOTION, &CSListCtrl::onMotion, this);
    Bind(wxEVT_RIGHT_UP, &CSListCtrl::onRightUp, this);
    Bind(wxEVT_CONTEXT_MENU, &CSListCtrl::onContextMenu, this);
    Bind(wxEVT_TIMER, &CSListCtrl::onTimer, this, 1);
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& ev) {
        ev.Skip();
        if (m_ctx && m_ctx->setFocusedList)
            m_ctx->setFocusedList(this);
    });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
        m_marquee = false;
        m_dragging = false;
    });
}

CSListCtrl::~CSListCtrl() {
    if (g_dragSource == this)
        g_dragSource = nullptr;
    m_loader->Stop();
}

int CSListCtrl::IndexOf(const CFileInfoStruc* item) const {
    for (int i = 0; i < GetItemCount(); ++i)
        if (m_items[i].get() == item)
            return i;
    return -1;
}

int CSListCtrl::CountSelected() const {
    return int(
        std::count_if(m_items.begin(), m_items.end(), [](const auto& f) { return f->m_selected != 0; }));
}

// ---- geometry ----

wxRect CSListCtrl::GetCellRect(int i) const {
    const wxSize spacing = IconSpacing(), cell = CellSize();
    const int columns = std::max(1, GetClientSize().x / std::max(1, spacing.x));
    int sx = 0, sy = 0;
    GetViewStart(&sx, &sy);
    int ux = 0, uy = 0;
    GetScrollPixelsPerUnit(&ux, &uy);
    const int x = (i % columns) * spacing.x + std::max(0, (spacing.x - cell.x) / 2);
    const int y = (i / columns) * spacing.y + 2 - sy * uy;
    return wxRect(x, y, cell.x, cell.y);
}

int CSListCtrl::HitTestItem(int x, int y) const {
    const int first = std::max(0, GetFirstVisibleItem());
    const int last = std::min(GetItemCount(), first + CountPerPage() + IconSpacing().x);
    for (int i = first; i < last; ++i)
        if (GetCellRect(i).Contains(x, y))
            return i;
    return -1;
}

int CSListCtrl::GetFirstVisibleItem() const {
    const wxRect client(wxPoint(0, 0), GetClientSize());
    const wxSize spacing = IconSpacing();
    const int columns = std::max(1, GetClientSize().x / std::max(1, spacing.x));
    int sx = 0, sy = 0, ux = 0, uy = 0;
    GetViewStart(&sx, &sy);
    GetScrollPixelsPerUnit(&ux, &uy);
    const int row = std::max(0, (sy * uy) / std::max(1, spacing.y) - 1);
    for (int i = row * columns; i < GetItemCount(); ++i)
        if (GetCellRect(i).Intersects(client))
            return i;
    return -1;
}

int CSListCtrl::CountPerPage() const {
    const wxSize spacing = IconSpacing();
    const int columns = std::max(1, GetClientSize().x / std::max(1, spacing.x));
    const int rows = std::max(1, (GetClientSize().y + spacing.y - 1) / std::max(1, spacing.y) + 1);
    return columns * rows;
}

void CSListCtrl::EnsureVisible(int i) {
    const wxRect r = GetCellRect(i);
    if (r.y >= 0 && r.GetBottom() < GetClientSize().y)
        return;
    int sx = 0, sy = 0, ux = 0, uy = 0;
    GetViewStart(&sx, &sy);
    GetScrollPixelsPerUnit(&ux, &uy);
    Scroll(-1, std::max(0, (r.y + sy * uy) / std::max(1, uy)));
}

void CSListCtrl::ItemsChanged() {
    const wxSize spacing = IconSpacing();
    const int columns = std::max(1, GetClientSize().x / std::max(1, spacing.x));
    const int rows = (GetItemCount() + columns - 1) / columns;
    SetVirtualSize(GetClientSize().x, rows * spacing.y + 4);
    // Cells of records that are gone are dropped.
    for (auto it = m_cells.begin(); it != m_cells.end();)
        it = IndexOf(it->first) < 0 ? m_cells.erase(it) : std::next(it);
    Refresh(false);
}

void CSListCtrl::InvalidateCell(const CFileInfoStruc* item) {
    const int i = IndexOf(item);
    if (i >= 0)
        InvalidateItem(i);
}

void CSListCtrl::InvalidateItem(int i) {
    const wxRect r = GetCellRect(i);
    if (r.Intersects(wxRect(wxPoint(0, 0), GetClientSize())))
        RefreshRect(r, false);
}

// ---- painting ----

void CSListCtrl::onPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    const int first = GetFirstVisibleItem();
    if (first < 0)
        return;
    const wxRect client(wxPoint(0, 0), GetClientSize());
    for (int i = first; i < GetItemCount(); ++i) {
        const wxRect r = GetCellRect(i);
        if (r.y > client.GetBottom())
            break;
        CFileInfoStruc* item = m_items[i].get();
        auto it = m_cells.find(item);
        if (it == m_cells.end())
            it = m_cells.emplace(item, DrawCell(*item)).first; // drawn when it comes into view
        dc.DrawBitmap(it->second, r.GetTopLeft());
        if (i == m_dropHighlight) {
            dc.SetPen(wxPen(wxColour(0, 120, 215), 3));
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            dc.DrawRectangle(r);
        }
    }
    if (m_marquee) {
        dc.SetPen(wxPen(*wxWHITE, 1, wxPENSTYLE_DOT));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(wxRect(m_marqueeStart, m_marqueeEnd));
    }
}

void CSListCtrl::onSize(wxSizeEvent& ev) {
    ItemsChanged();
    ev.Skip();
}

// ---- loader ----

void CSListCtrl::RedrawItem(CFileInfoStruc* item, bool invalidate) {
    if (IndexOf(item) < 0)
        return;
    m_cells[item] = DrawCell(*item);
    if (invalidate)
        InvalidateCell(item);
}

void CSListCtrl::clearSelection() {
    for (auto& f : m_items)
        if (f->m_selected) {
            f->m_selected = 0;
            RedrawItem(f.get(), true);
        }
}

CFileInfoStruc*
CSListCtrl::AddMatchingFiles(const std::string& pattern, int maxItems,
                             const std::function<CFileInfoStruc*(std::unique_ptr<CFileInfoStruc>)>& place) {
    CFileInfoStruc* last = nullptr;
    for (const std::string& path : MatchFiles(pattern)) {
        if (GetItemCount() >= maxItems) {
            ShowMessage(vtid::str::TooManyThumbnails, MB_OK | MB_ICONEXCLAMATION);
            break;
        }
        auto record = CFileInfoStruc::FromFile(path, m_fileCounter);
        if (!record)
            continue;
        ++m_fileCounter;
        last = place(std::move(record));
    }
    return last;
}

std::vector<std::string> CSListCtrl::MatchFiles(const std::string& pattern) {
    std::vector<std::string> out;
    const auto slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash);
    const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return out;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || ::fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        out.push_back(path);
    }
    ::closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

void CSListCtrl::StopLoaderAndJoin() {
    if (!m_loader->IsRunning() && !m_busy)
        return;
    m_loader->Stop();
    ++m_generation; // messages of the stopped pass are ignored
    if (m_busy) {
        LinkRecords();
        m_busy = false;
    }
}

void CSListCtrl::StartLoader(const std::vector<int>& positions) {
    m_loader->Stop();
    LoaderPass pass;
    pass.map = m_ctx->imageMap;
    pass.generation = ++m_generation;
    pass.ignoreCache = m_ctx->thumbnailRefreshFlag;
    for (int p : positions)
        pass.items.push_back({m_items[p]->m_path, p, m_items[p]->IsPlaceholder()});
    m_passPositions = positions;
    m_failedPositions.clear();
    m_loader->Start(std::move(pass));
}

void CSListCtrl::LinkRecords() {
    CSingleLock lock(&ImageDataLock(), TRUE);
    for (int p : m_passPositions) {
        CFileInfoStruc* item = GetItem(p);
        if (!item || item->IsPlaceholder())
            continue;
        if (std::find(m_failedPositions.begin(), m_failedPositions.end(), p) != m_failedPositions.end()) {
            item->m_record = nullptr;
            continue;
        }
        auto it = m_ctx->imageMap->find(item->m_path);
        item->m_record = it == m_ctx->imageMap->end() ? nullptr : it->second.get();
    }
}

LRESULT CSListCtrl::OnThumbReady(WPARAM position, LPARAM generation) {
    if (int(generation) != m_generation)
        return 0;
    CFileInfoStruc* item = GetItem(int(position));
    if (!item)
        return 0;
    if (!item->IsPlaceholder()) {
        CSingleLock lock(&ImageDataLock(), TRUE);
        auto it = m_ctx->imageMap->find(item->m_path);
        item->m_record = it == m_ctx->imageMap->end() ? nullptr : it->second.get();
    }
    m_cells.erase(item);
    InvalidateItem(int(position));
    return 0;
}

void CSListCtrl::WaitForPassEnd() {
    if (!m_busy)
        return;
    m_loader->Join();
    m_failedPositions = m_loader->FailedPositions();
    LinkRecords();
    ++m_generation;
    FinishPass(false);
}

LRESULT CSListCtrl::OnPassEnd(WPARAM stopped, LPARAM generation) {
    if (int(generation) != m_generation)
        return 0;
    m_loader->Join();
    m_failedPositions = m_loader->FailedPositions();
    LinkRecords();
    ++m_generation;
    FinishPass(stopped != 0);
    return 0;
}

// ---- drop highlight and autoscroll ----

void CSListCtrl::SetDropHighlight(int i) {
    if (m_dropHighlight == i)
        return;
    const int old = m_dropHighlight;
    m_dropHighlight = i;
    if (old >= 0)
        InvalidateItem(old);
    if (i >= 0)
        InvalidateItem(i);
    Update();
}

bool CSListCtrl::AutoscrollStep(int y) {
    const int h = GetClientSize().y;
    if (y > m_autoscrollMargin && y < h - m_autoscrollMargin)
        return true;
    int sx = 0, sy = 0;
    GetViewStart(&sx, &sy);
    const int step = std::max(1, IconSpacing().y / 10);
    Scroll(-1, y <= m_autoscrollMargin ? std::max(0, sy - step) : sy + step);
    int nx = 0, ny = 0;
    GetViewStart(&nx, &ny);
    if (ny == sy) {
        m_scrollTimer.Stop();
        return false;
    }
    return true;
}

void CSListCtrl::onTimer(wxTimerEvent&) {
    if (!m_autoscrollEnabled) {
        m_scrollTimer.Stop();
        return;
    }
    m_scrollTimer.Start(m_autoscrollInterval);
    AutoscrollStep(m_lastDragY);
}

// ---- drag and drop ----

std::string CSListCtrl::BeginDrag(int hit, int x, int y) {
    if (hit < 0 || !GetCellRect(hit).Contains(x, y))
        return std::string();
    m_dropHighlight = -1;
    m_dragSourceActive = true;
    m_dropped = false;
    CFileInfoStruc* item = m_items[hit].get();
    if (!item->m_selected) {
        item->m_selected = 1;
        RedrawItem(item, true);
    }
    m_anchor = hit;
    m_dragged.clear();
    for (int i = 0; i < GetItemCount(); ++i)
        if (m_items[i]->m_selected && m_items[i]->m_record)
            m_dragged.push_back(i);
    m_dragStartRect = GetScreenRect();
    g_dragSource = this;
    m_dragPayload = browser_drag::Encode(DragKind(), m_dragged);
    return m_dragPayload;
}

void CSListCtrl::EndDrag(int) {
    m_dragSourceActive = false;
    m_dropped = false;
    m_dropHighlight = -1;
    m_dragged.clear();
    if (g_dragSource == this)
        g_dragSource = nullptr;
    Refresh(false);
}

int CSListCtrl::OnDragEnter(const std::string* payload, int x, int y, bool ctrl) {
    if (!payload)
        return DROPEFFECT_NONE;
    if (!m_selfDropAllowed && m_dragSourceActive && m_dragStartRect.Contains(ClientToScreen(wxPoint(x, y))))
        return DROPEFFECT_NONE;
    return ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

int CSListCtrl::OnDragOver(const std::string* payload, int x, int y, bool ctrl) {
    if (!payload)
        return DROPEFFECT_NONE;
    m_scrollTimer.Stop();
    if (!m_selfDropAllowed && m_dragSourceActive && m_dragStartRect.Contains(ClientToScreen(wxPoint(x, y))))
        return DROPEFFECT_NONE;
    m_lastDragY = y;
    if (m_autoscrollEnabled && (y <= m_autoscrollMargin || y >= GetClientSize().y - m_autoscrollMargin))
        m_scrollTimer.StartOnce(m_autoscrollDelay);
    return ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

bool CSListCtrl::OnDrop(const std::string& payload, int x, int y) {
    m_scrollTimer.Stop();
    m_dropped = true;
    uint32_t kind = 0;
    std::vector<int> positions;
    CSListCtrl* source = g_dragSource;
    // Only a whole record of the running drag counts; positions must be the source's own.
    if (!browser_drag::Decode(payload, kind, positions) || !source || positions != source->m_dragged) {
        ClearDropHighlight();
        return false;
    }
    int dropIndex = 0;
    if (GetItemCount() > 0) {
        dropIndex = HitTestItem(x, y + 5);
        if (dropIndex < 0)
            dropIndex = GetItemCount();
    }
    m_dropHighlight = dropIndex;
    if (source == this && !positions.empty() && positions.front() <= dropIndex &&
        dropIndex <= positions.back()) {
        ShowMessage(vtid::str::CannotDrop, MB_OK | MB_ICONEXCLAMATION);
        SetDropHighlight(-1);
        return false;
    }
    const bool ok = HandleDrop(source, kind, positions, dropIndex);
    SetDropHighlight(-1);
    return ok;
}

void CSListCtrl::finishDragAt(const wxPoint& screen) {
    const std::string payload = m_dragPayload;
    m_dragPayload.clear();
    int effect = DROPEFFECT_NONE;
    if (CSListCtrl* target = ListShownAt(screen)) {
        const wxPoint p = target->ScreenToClient(screen);
        const bool ctrl = wxGetKeyState(WXK_CONTROL);
        effect = target->OnDragEnter(&payload, p.x, p.y, ctrl);
        if (effect != DROPEFFECT_NONE)
            effect = target->OnDrop(payload, p.x, p.y) ? AllowedEffect() : DROPEFFECT_NONE;
        target->OnDragLeave();
    }
    EndDrag(effect);
}

// ---- mouse ----

void CSListCtrl::onMotion(wxMouseEvent& ev) {
    if (m_marquee && ev.LeftIsDown()) {
        m_marqueeEnd = ev.GetPosition();
        Refresh(false);
        return;
    }
    if (m_pressOnItem && ev.LeftIsDown() && !m_dragging &&
        (std::abs(ev.GetX() - m_pressPoint.x) > 4 || std::abs(ev.GetY() - m_pressPoint.y) > 4)) {
        const int hit = HitTestItem(m_pressPoint.x, m_pressPoint.y);
        m_dragPayload = BeginDrag(hit, m_pressPoint.x, m_pressPoint.y);
        m_dragging = !m_dragPayload.empty();
        if (m_dragging && !HasCapture())
            CaptureMouse();
    }
    if (m_dragging) {
        const wxPoint screen = ClientToScreen(ev.GetPosition());
        if (CSListCtrl* target = ListShownAt(screen)) {
            const wxPoint p = target->ScreenToClient(screen);
            const int effect = target->OnDragOver(&m_dragPayload, p.x, p.y, ev.ControlDown());
            SetCursor(effect == DROPEFFECT_NONE ? wxCursor(wxCURSOR_NO_ENTRY) : wxNullCursor);
        }
    }
}

void CSListCtrl::OnLeftUp(wxMouseEvent& ev) {
    if (HasCapture())
        ReleaseMouse();
    if (m_dragging) {
        m_dragging = false;
        SetCursor(wxNullCursor);
        finishDragAt(ClientToScreen(ev.GetPosition()));
    } else if (m_marquee) {
        m_marquee = false;
        OnMarquee(wxRect(m_marqueeStart, m_marqueeEnd), ev.ControlDown());
        Refresh(false);
    }
    m_pressOnItem = false;
    m_emptyClick = false;
}

void CSListCtrl::OnDoubleClick(wxMouseEvent& ev) {
    const int hit = HitTestItem(ev.GetX(), ev.GetY());
    if (hit < 0 || !CanOpenOnDoubleClick(hit))
        return;
    if (m_ctx && m_ctx->openImage)
        m_ctx->openImage(m_items[hit]->m_path);
}

void CSListCtrl::onRightUp(wxMouseEvent& ev) {
    ShowItemMenu(ev.GetPosition());
}

void CSListCtrl::onContextMenu(wxContextMenuEvent& ev) {
    // The right button has its own handler; the menu key (no position) shows the menu of the
    // anchor item, or of the first selected one, while its cell is on the screen.
    if (ev.GetPosition() != wxDefaultPosition) {
        ev.Skip();
        return;
    }
    int item = m_anchor >= 0 && m_anchor < GetItemCount() ? m_anchor : -1;
    for (int i = 0; item < 0 && i < GetItemCount(); ++i)
        if (m_items[i]->m_selected)
            item = i;
    if (item < 0)
        return;
    const wxRect cell = GetCellRect(item);
    if (wxRect(wxPoint(0, 0), GetClientSize()).Contains(cell.GetTopLeft()))
        ShowItemMenu(cell.GetTopLeft() + wxPoint(cell.width / 2, cell.height / 2));
}
