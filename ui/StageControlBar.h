// A docking bar of the main frame that hosts one panel made from a dialog template. The bar can be
// docked on any side or float; its extent across the dock side is the panel's plus the sizing
// edge and border (9 pixels), and the frame's sash resizes it down to 32 x 32. A double click on the bar
// outside the panel's controls toggles between docked and floating.
#pragma once

#include "ui/DockingBars.h"

#include <wx/panel.h>

#include <string>

namespace ui {
class TemplatePanel;
}

class CStageControlBar : public wxPanel {
public:
    // Sizing edge and inner border the extent adds to the panel's size.
    static constexpr int kEdgeWidth = 6;
    static constexpr int kBorder = 3;
    // The smallest docked extent the sash leaves.
    static constexpr int kMinimumExtent = 32;

    // Creates the bar under the frame, the panel inside it, and adds the bar to the frame's docking
    // bars under the name. extent > 0 replaces the computed extent (a bar whose extent follows its
    // content rather than its template). False when the bar or the panel cannot be made or the
    // name is taken.
    bool Create(ui::DockingBars& bars, wxWindow* frame, ui::TemplatePanel* panel, const std::string& name,
                ui::DockSide side, bool shown = true, bool resizable = true, int extent = 0);

    ui::TemplatePanel* Panel() const { return m_panel; }
    const std::string& Name() const { return m_name; }
    wxSize FloatingSize() const { return m_floatingSize; }
    // Size docked at the top or bottom (its height is the extent) and at the left or right (its
    // width is the extent).
    wxSize HorizontalSize() const { return m_horizontalSize; }
    wxSize VerticalSize() const { return m_verticalSize; }
    // Floats a docked bar, docks a floating one.
    void ToggleDocking();
    // A new docked extent for the named bar, applied at once; the sash can still narrow it to the
    // minimum.
    static void SetExtent(ui::DockingBars& bars, const std::string& name, int extent);

private:
    ui::DockingBars* m_bars = nullptr;
    ui::TemplatePanel* m_panel = nullptr;
    std::string m_name;
    wxSize m_floatingSize{200, 200}, m_horizontalSize{200, 200}, m_verticalSize{200, 200};
};
