// The right pane of the thumbnail mode: a form (template 149) with a frame (805), the guide text
// (815), the folder label (816) and the thumbnail list (802). It shows the folder the folder
// tree chose and deletes the selected image file (command 32795).
#pragma once

#include "browser/ThumbnailListCtrl.h"
#include "ui/TemplateWindow.h"

class CThumbnailView : public ui::FormView {
public:
    CThumbnailView();

    void OnInitialUpdate() override;
    void OnUpdate(ui::View* sender, LPARAM hint, CObject* hintObject) override;
    // Folder := path with a trailing '/'; the label shows the path as given.
    void SetFolder(const std::string& path);
    const std::string& Folder() const { return m_folder; }
    CThumbnailListCtrl* List() const { return m_list; }
    // Command 32795: deletes the first selected image file after question 892.
    void OnDeleteImageFile();

private:
    void onSize(wxSizeEvent& ev);
    std::string m_folder;
    CThumbnailListCtrl* m_list = nullptr;
};
