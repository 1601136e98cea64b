// The focus image box (template 151): the images chosen for composition, under a title line
// with their count. Its list (control 1022) is the browser's focus image box list, which always
// ends with the "Last Position" placeholder entry and writes the count into static 1106.
#pragma once

#include "shell/core/compose/CompositionRun.h"
#include "ui/TemplateWindow.h"

#include <string>
#include <vector>

struct BrowserContext;
class CSelListCtrl;
class wxStaticText;

class CSelectedBox : public ui::TemplatePanel {
public:
    explicit CSelectedBox(BrowserContext* context);
    bool OnInitDialog() override;

    // The count static 1106.
    wxStaticText* GetCountStatic() const;
    CSelListCtrl* List() const { return m_list; }
    // The entries in list order, the placeholder last.
    std::vector<SeriesEntry> Entries() const;
    // The capture workflow: adds a saved image file with its Z height before the placeholder and
    // waits until the list's loader has read it; false when the box refused it (256 images, or
    // the file is not there).
    bool AddFile(const std::string& path, double z);
    void RemoveAll();
    void UpdateCountText();
    // The narrowest width at which the title line stays legible.
    int MinimumWidth() const;

private:
    void OnSize();

    BrowserContext* m_context;
    CSelListCtrl* m_list = nullptr;
    RECT m_lastClient{};
    bool m_initialising = true;
};
