// Base of the browser's two lists: a virtual icon list of our own on wx. Every item is a cell
// bitmap (frame, thumbnail, caption) that the derived list draws; cells are laid out in rows
// across the client width at the list's icon spacing and drawn lazily when they come into view.
// The list owns its item records, keeps their selection in the records, runs one thumbnail
// loader (browser/core/ThumbnailLoader.h) over a copy of its items, highlights a drop place,
// scrolls while something is dragged near its top or bottom edge, and opens an image in the
// result window on a double click.
#pragma once

#include "browser/core/BrowserContext.h"
#include "browser/core/ItemSort.h"
#include "ui/WindowBase.h"

#include <wx/bitmap.h>
#include <wx/scrolwin.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CSListCtrl;

// The drag of items between the lists. The payload is a private record, never a pointer: the
// kind of the source (0 thumbnail list, 1 focus image box), then the count and the positions of
// the dragged items in the source, all as little-endian u32. A target reads it with every length
// checked and resolves the positions in the source's current drag.
namespace browser_drag {
constexpr const char* kFormatName = "application/x-vantorel-browser-items";
std::string Encode(uint32_t kind, const std::vector<int>& positions);
// False when the bytes are not a whole record.
bool Decode(const std::string& bytes, uint32_t& kind, std::vector<int>& positions);
} // namespace browser_drag

enum DropEffect { DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1, DROPEFFECT_MOVE = 2 };

class CSListCtrl : public wxScrolledCanvas, public ui::WindowBase {
public:
    CSListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
    ~CSListCtrl() override;

    void SetContext(BrowserContext* context) { m_ctx = context; }
    BrowserContext* Context() const { return m_ctx; }

    // ---- what the derived lists provide ----
    // Adds the files matching a wildcard path (folder/"*.bmp"); the last record made or null.
    virtual CFileInfoStruc* AddFileItem(const std::string& pattern) = 0;
    // Draws the item's cell again; with invalidate also on the screen.
    // Draws the item's cell again (and repaints it when invalidate is set); nothing for an item
    // the list does not hold.
    void RedrawItem(CFileInfoStruc* item, bool invalidate);
    // Unselects every item, redrawing the cells that change.
    void clearSelection();

    // ---- items ----
    int GetItemCount() const { return int(m_items.size()); }
    CFileInfoStruc* GetItem(int i) const { return i >= 0 && i < GetItemCount() ? m_items[i].get() : nullptr; }
    const FileInfoList& Items() const { return m_items; }
    std::string GetItemPath(int i) const { return GetItem(i) ? GetItem(i)->m_path : std::string(); }
    int IndexOf(const CFileInfoStruc* item) const;
    int CountSelected() const;
    bool IsBusy() const { return m_busy; }
    const std::string& CurrentFolder() const { return m_currentFolder; }

    // ---- geometry (client coordinates) ----
    wxRect GetCellRect(int i) const; // the item's icon rectangle
    int HitTestItem(int x, int y) const;
    int GetFirstVisibleItem() const;
    int CountPerPage() const;
    void EnsureVisible(int i);

    // ---- options and drop highlight ----
    void SetOptionA(bool selfDropAllowed) { m_selfDropAllowed = selfDropAllowed; }
    void SetOptionB(bool autoscroll) { m_autoscrollEnabled = autoscroll; }
    bool SelfDropAllowed() const { return m_selfDropAllowed; }
    void SetDropHighlight(int i);
    void ClearDropHighlight() { SetDropHighlight(-1); }
    int DropHighlight() const { return m_dropHighlight; }

    // ---- drag and drop (between the lists of this process) ----
    // The source kind of this list in a drag payload.
    virtual uint32_t DragKind() const = 0;
    // The effect a drag of this list has when a target takes it: copy out of the thumbnail list,
    // move out of the focus image box.
    int AllowedEffect() const { return DragKind() == 0 ? DROPEFFECT_COPY : DROPEFFECT_MOVE; }
    // Drops a running drag of this list at a screen point, as releasing the mouse there does.
    void DropAt(const wxPoint& screen) { finishDragAt(screen); }
    // Starts a drag of the selected items when (x, y) lies on the cell of item hit; the payload
    // to hand to a target, empty when nothing is dragged.
    virtual std::string BeginDrag(int hit, int x, int y);
    // The source's end of a drag: the effect the target gave.
    virtual void EndDrag(int effect);
    bool IsDragSource() const { return m_dragSourceActive; }
    const std::vector<int>& DraggedPositions() const { return m_dragged; }
    // The target's side; (x, y) in this list's client coordinates, ctrl = Ctrl held.
    int OnDragEnter(const std::string* payload, int x, int y, bool ctrl);
    int OnDragOver(const std::string* payload, int x, int y, bool ctrl);
    bool OnDrop(const std::string& payload, int x, int y);
    void OnDragLeave() { ClearDropHighlight(); }

    // One autoscroll step as the timer makes it: scrolls when y is in a margin band; false (and
    // the timer stops) when the list did not move.
    bool AutoscrollStep(int y);
    int AutoscrollDelay() const { return m_autoscrollDelay; }
    int AutoscrollInterval() const { return m_autoscrollInterval; }
    bool AutoscrollTimerRunning() const { return m_scrollTimer.IsRunning(); }

    // ---- loader ----
    // Stops and joins the loader (every change to the items goes through here first).
    void StopLoaderAndJoin();
    // Waits for the running pass to end and handles its end as its message would.
    void WaitForPassEnd();
    int Generation() const { return m_generation; }

protected:
    // Derived lists: the cell size, the icon spacing, the cell drawing and the drop handling.
    virtual wxSize CellSize() const = 0;
    virtual wxSize IconSpacing() const = 0;
    virtual wxBitmap DrawCell(CFileInfoStruc& item) = 0;
    virtual bool HandleDrop(CSListCtrl* source, uint32_t kind, const std::vector<int>& positions,
                            int dropIndex) = 0;
    // End of a pass (the loader is joined): the derived list's own steps.
    virtual void FinishPass(bool stopped) = 0;
    // Before the default double click: false stops it.
    virtual bool CanOpenOnDoubleClick(int hit) = 0;
    // A right click at a client point (the menu key: the anchor item's cell).
    virtual void ShowItemMenu(const wxPoint&) {}

    // Starts a pass over the given items (positions in m_items).
    void StartLoader(const std::vector<int>& positions);
    // Links every item of the finished pass to its record; items whose file gave nothing are in
    // failed.
    void LinkRecords();
    // Forgets cached cells and lays the list out again.
    void ItemsChanged();
    void InvalidateCell(const CFileInfoStruc* item);
    void InvalidateItem(int i);
    // Files of a wildcard path in name order (the pattern's case ignored), directories left out.
    static std::vector<std::string> MatchFiles(const std::string& pattern);
    // Makes a record of every file matching the pattern and hands it to place, until the list
    // holds maxItems (890 is shown then); files that give no record are skipped. Returns the last
    // record placed.
    CFileInfoStruc*
    AddMatchingFiles(const std::string& pattern, int maxItems,
                     const std::function<CFileInfoStruc*(std::unique_ptr<CFileInfoStruc>)>& place);

    LRESULT OnThumbReady(WPARAM position, LPARAM generation);
    LRESULT OnPassEnd(WPARAM stopped, LPARAM generation);

    // Mouse handling the derived lists share.
    virtual void OnLeftDown(wxMouseEvent& ev) = 0;
    virtual void OnLeftUp(wxMouseEvent& ev);
    virtual void OnMarquee(const wxRect& rect, bool ctrl) = 0;
    void OnDoubleClick(wxMouseEvent& ev);

    BrowserContext* m_ctx = nullptr;
    FileInfoList m_items;
    std::unordered_map<const CFileInfoStruc*, wxBitmap> m_cells;
    bool m_busy = false;
    bool m_appendMode = false;
    std::string m_currentFolder = ".";
    std::string m_pendingFolder;
    bool m_hasPending = false;
    int m_fileCounter = 0;
    int m_anchor = -1;
    bool m_emptyClick = false;
    std::vector<int> m_passPositions;
    std::vector<int> m_failedPositions;

    // marquee
    bool m_marquee = false;
    wxPoint m_marqueeStart, m_marqueeEnd;
    // pending drag
    bool m_pressOnItem = false;
    wxPoint m_pressPoint;

private:
    class Sink;
    void onPaint(wxPaintEvent& ev);
    void onSize(wxSizeEvent& ev);
    void onMotion(wxMouseEvent& ev);
    void onTimer(wxTimerEvent& ev);
    void onRightUp(wxMouseEvent& ev);
    void onContextMenu(wxContextMenuEvent& ev);
    void finishDragAt(const wxPoint& screen);

    std::unique_ptr<Sink> m_sink;
    std::unique_ptr<CThumbnailLoader> m_loader;
    int m_generation = 0;
    bool m_selfDropAllowed = true;
    bool m_autoscrollEnabled = true;
    int m_dropHighlight = -1;
    int m_autoscrollDelay = 300;
    int m_autoscrollMargin = 10;
    int m_autoscrollInterval = 100;
    wxTimer m_scrollTimer;
    int m_lastDragY = 0;
    bool m_dragSourceActive = false;
    bool m_dropped = false;
    std::vector<int> m_dragged;
    wxRect m_dragStartRect;
    bool m_dragging = false;
    std::string m_dragPayload;
};
