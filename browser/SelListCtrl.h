// The focus image box (control 1022 of the box dialog): the images that will be composed, in
// list order, always ending with the placeholder "Last Position". New images go in at the insert
// position (kept before the placeholder); at most 256 images. The capture workflow adds each
// captured file with AddFile and waits for its thumbnail with WaitForLoader; images come from
// the thumbnail list by drag and drop.
#pragma once

#include "browser/SListCtrl.h"

class CSelListCtrl : public CSListCtrl {
public:
    static constexpr int kMaxItems = 257; // 256 images and the placeholder

    CSelListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize);
    ~CSelListCtrl() override;

    void InitList() { ResetList(); }
    // Empties the box into a new placeholder and refills.
    void ResetList();
    // Adds an exact path before the last item; null (after 890) when the box is full, null
    // without a message when the file does not exist.
    CFileInfoStruc* AddFile(const std::string& path);
    CFileInfoStruc* AddFileItem(const std::string& pattern) override;
    // WM_LIST_FILL: folder (null: the items as they are, which gives new items their
    // thumbnails); noRestart leaves a running pass alone.
    LRESULT FillFromFolder(const char* folder, bool noRestart);
    // Waits (without spinning) until the pass has ended, refills, and waits again.
    void WaitForLoader(wxWindow* panel = nullptr);
    void StopLoader() { StopLoaderAndJoin(); }
    void SortItems();
    void UpdateCountText();
    // Removes the selected images (all with all) from the box: their records leave the box and
    // free their thumbnails, and the thumbnail list redraws them.
    void RemoveItems(bool all);
    // Moves the selected images one place up (direction < 0) or down; the placeholder never
    // moves and an image already at the edge stops the move. The insert position follows. The
    // index the last moved image went to, -1 when nothing moved.
    int MoveSelected(int direction);

    int InsertPosition() const { return m_insertPos; }
    void SetInsertPosition(int position) { m_insertPos = position; }
    void SetAppendMode(bool on) { m_appendMode = on; }
    // 1 while a capture panel fills the box.
    int m_captureBusy = 0;
    uint32_t DragKind() const override { return 1; }
    void EndDrag(int effect) override;

protected:
    wxSize CellSize() const override;
    wxSize IconSpacing() const override;
    wxBitmap DrawCell(CFileInfoStruc& item) override;
    bool HandleDrop(CSListCtrl* source, uint32_t kind, const std::vector<int>& positions,
                    int dropIndex) override;
    void FinishPass(bool stopped) override;
    bool CanOpenOnDoubleClick(int hit) override;
    void OnLeftDown(wxMouseEvent& ev) override;
    void OnMarquee(const wxRect& rect, bool ctrl) override;

private:
    // The placeholder last, and an insert position inside [0, its index].
    void keepPlaceholderLast();
    CFileInfoStruc* insertRecord(std::unique_ptr<CFileInfoStruc> record);
    int m_insertPos = -1;
    wxWindow* m_countStatic = nullptr;
};
