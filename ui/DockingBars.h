// Bars docked at the sides of a frame (tool panels, dialog bars) on wxAuiManager, by name:
// side, shown, floating and extent (width of a side bar, height of a top or bottom bar).
#pragma once

#include <wx/aui/framemanager.h>

#include <string>

namespace ui {

enum class DockSide { Left, Top, Right, Bottom };

struct DockState {
    DockSide side = DockSide::Left;
    bool shown = false;
    bool floating = false;
    int extent = 0;
};

class DockingBars {
public:
    explicit DockingBars(wxWindow* frame);
    ~DockingBars();
    DockingBars(const DockingBars&) = delete;
    DockingBars& operator=(const DockingBars&) = delete;

    void SetCenter(wxWindow* window);
    // Adds a bar; extent in pixels (0: the window's best size). False when the name is taken.
    bool AddBar(const std::string& name, wxWindow* bar, DockSide side, int extent = 0, bool shown = true,
                bool resizable = true);
    bool HasBar(const std::string& name) const;
    void ShowBar(const std::string& name, bool show);
    void FloatBar(const std::string& name, bool floating);
    void SetExtent(const std::string& name, int extent);
    DockState State(const std::string& name) const;
    // Applies the changes made since the last call.
    void Update();
    // The same once the toolkit has given the frame's windows the sizes they wait for (a child
    // frame or a page just added, a page just switched): the layout repaints the frame at once,
    // and a repaint before that sizing draws windows at places and sizes they no longer have.
    void UpdateSized();
    wxAuiManager& Manager() { return manager_; }

private:
    wxAuiPaneInfo* pane(const std::string& name);
    wxAuiManager manager_;
};

} // namespace ui
