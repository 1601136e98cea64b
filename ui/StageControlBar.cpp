#include "ui/StageControlBar.h"

#include "ui/TemplateWindow.h"

#include <wx/sizer.h>

bool CStageControlBar::Create(ui::DockingBars& bars, wxWindow* frame, ui::TemplatePanel* panel,
                              const std::string& name, ui::DockSide side, bool shown, bool resizable,
                              int extent) {
    if (!panel || bars.HasBar(name) || !wxPanel::Create(frame, wxID_ANY))
        return false;
    m_bars = &bars;
    m_panel = panel;
    m_name = name;
    if (!panel->Create(this))
        return false;
    // The panel's size floats; docked, the bar is wider (left, right) or taller (top, bottom) by
    // the sizing edge and the border.
    m_floatingSize = panel->GetSize();
    m_horizontalSize = m_verticalSize = m_floatingSize;
    m_horizontalSize.y += kEdgeWidth + kBorder;
    m_verticalSize.x += kEdgeWidth + kBorder;
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(panel, 1, wxEXPAND);
    SetSizer(sizer);
    // The bar's own background and the panel's (not its controls) take the double click.
    for (wxWindow* w : {static_cast<wxWindow*>(this), static_cast<wxWindow*>(panel)})
        w->Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent& ev) {
            ev.Skip();
            ToggleDocking();
        });
    const bool across = side == ui::DockSide::Left || side == ui::DockSide::Right;
    if (extent <= 0)
        extent = across ? m_verticalSize.x : m_horizontalSize.y;
    if (!bars.AddBar(name, this, side, extent, shown, resizable))
        return false;
    bars.Manager().GetPane(this).MinSize(kMinimumExtent, kMinimumExtent);
    return true;
}

void CStageControlBar::SetExtent(ui::DockingBars& bars, const std::string& name, int extent) {
    // The dock takes the new extent while it is the minimum; after that the minimum goes back.
    bars.SetExtent(name, extent);
    bars.Update();
    bars.Manager().GetPane(wxString::FromUTF8(name)).MinSize(kMinimumExtent, kMinimumExtent);
}

void CStageControlBar::ToggleDocking() {
    if (!m_bars)
        return;
    m_bars->FloatBar(m_name, !m_bars->State(m_name).floating);
    m_bars->Update();
}
