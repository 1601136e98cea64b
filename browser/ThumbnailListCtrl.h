// The thumbnail list of the browsed folder (control 802 of the thumbnail view): at most 256
// image files (.bmp, .dib, .jpg, .tif in this order, each in name order), sorted by the document's
// sort command, with their selection kept in the records, drawn cell by cell, and the source of
// the drags into the focus image box.
#pragma once

#include "browser/SListCtrl.h"

class CThumbnailListCtrl : public CSListCtrl {
public:
    static constexpr int kMaxItems = 256;

    CThumbnailListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                       const wxSize& size = wxDefaultSize);
    ~CThumbnailListCtrl() override;

    // WM_LIST_FILL: the folder (null: the current one again). A pass that runs is stopped and
    // joined first, so no request is lost. 0 when there is no folder or no image in it.
    LRESULT FillFromFolder(const char* folder);
    CFileInfoStruc* AddFileItem(const std::string& pattern) override;
    void SortItems();
    void SelectAll();
    void StopLoader() { StopLoaderAndJoin(); }
    // Deletes the item (the list's own record; the image record stays in the document).
    void DeleteItem(int i);
    int Anchor() const { return m_anchor; }
    int LinkValue() const { return m_link; }
    uint32_t DragKind() const override { return 0; }
    std::string BeginDrag(int hit, int x, int y) override;
    void EndDrag(int effect) override;

protected:
    wxSize CellSize() const override;
    wxSize IconSpacing() const override;
    wxBitmap DrawCell(CFileInfoStruc& item) override;
    bool HandleDrop(CSListCtrl* source, uint32_t kind, const std::vector<int>& positions,
                    int dropIndex) override;
    void FinishPass(bool stopped) override;
    bool CanOpenOnDoubleClick(int hit) override;
    void ShowItemMenu(const wxPoint& point) override;
    void OnLeftDown(wxMouseEvent& ev) override;
    void OnLeftUp(wxMouseEvent& ev) override;
    void OnMarquee(const wxRect& rect, bool ctrl) override;

private:
    std::unordered_map<const CFileInfoStruc*, wxBitmap> m_pictures; // fitted thumbnails once drawn
    int m_link = 0;
    int m_plainClick = -1;
};
