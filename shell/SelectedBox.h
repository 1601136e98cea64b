// The focus image box (template 151): the images chosen for composition, under a title line
// with their count. The list always ends with the "Last Position" placeholder entry.
#pragma once

#include "shell/core/CompositionRun.h"
#include "ui/TemplateWindow.h"

#include <string>
#include <vector>

class wxListCtrl;
class wxStaticText;

class CSelectedBox : public ui::TemplatePanel {
public:
    CSelectedBox();
    bool OnInitDialog() override;

    // The count static 1106.
    wxStaticText* GetCountStatic() const;
    // The entries in list order, the placeholder last.
    const std::vector<SeriesEntry>& Entries() const { return m_entries; }
    // Adds an image file with its Z height before the placeholder; false at 256 images.
    bool AddFile(const std::string& path, double z);
    void RemoveAll();
    void UpdateCountText();
    // The narrowest width at which the title line stays legible.
    int MinimumWidth() const;

private:
    void Refill();
    void OnSize();

    std::vector<SeriesEntry> m_entries;
    RECT m_lastClient{};
    bool m_initialising = true;
};
