#include "ui/DockingBars.h"

#include "ui/ResourceWidgets.h"

#include <gtk/gtk.h>

namespace ui {

DockingBars::DockingBars(wxWindow* frame) {
    manager_.SetManagedWindow(frame);
}

DockingBars::~DockingBars() {
    manager_.UnInit();
}

void DockingBars::SetCenter(wxWindow* window) {
    manager_.AddPane(window, wxAuiPaneInfo().Name("center").CenterPane().PaneBorder(false));
}

static int directionOf(DockSide side) {
    switch (side) {
    case DockSide::Left:
        return wxAUI_DOCK_LEFT;
    case DockSide::Top:
        return wxAUI_DOCK_TOP;
    case DockSide::Right:
        return wxAUI_DOCK_RIGHT;
    case DockSide::Bottom:
        return wxAUI_DOCK_BOTTOM;
    }
    return wxAUI_DOCK_LEFT;
}

static bool across(DockSide side) {
    return side == DockSide::Left || side == DockSide::Right;
}

bool DockingBars::AddBar(const std::string& name, wxWindow* bar, DockSide side, int extent, bool shown,
                         bool resizable) {
    if (HasBar(name))
        return false;
    wxAuiPaneInfo info;
    info.Name(FromUtf8(name))
        .Direction(directionOf(side))
        .CaptionVisible(false)
        .CloseButton(false)
        .Show(shown);
    info.Floatable(true).Resizable(resizable).PaneBorder(false);
    wxSize best = bar->GetBestSize();
    if (extent > 0)
        best = across(side) ? wxSize(extent, best.y) : wxSize(best.x, extent);
    info.BestSize(best).MinSize(across(side) ? wxSize(best.x, -1) : wxSize(-1, best.y));
    return manager_.AddPane(bar, info);
}

wxAuiPaneInfo* DockingBars::pane(const std::string& name) {
    wxAuiPaneInfo& p = manager_.GetPane(FromUtf8(name));
    return p.IsOk() ? &p : nullptr;
}

bool DockingBars::HasBar(const std::string& name) const {
    return const_cast<wxAuiManager&>(manager_).GetPane(FromUtf8(name)).IsOk();
}

void DockingBars::ShowBar(const std::string& name, bool show) {
    if (auto* p = pane(name))
        p->Show(show);
}

void DockingBars::FloatBar(const std::string& name, bool floating) {
    if (auto* p = pane(name)) {
        if (floating)
            p->Float();
        else
            p->Dock();
    }
}

void DockingBars::SetExtent(const std::string& name, int extent) {
    if (auto* p = pane(name)) {
        bool side = p->dock_direction == wxAUI_DOCK_LEFT || p->dock_direction == wxAUI_DOCK_RIGHT;
        wxSize s = p->best_size;
        if (side)
            s.x = extent;
        else
            s.y = extent;
        p->BestSize(s).MinSize(side ? wxSize(extent, -1) : wxSize(-1, extent));
        p->window->SetSize(side ? wxSize(extent, p->window->GetSize().y)
                                : wxSize(p->window->GetSize().x, extent));
    }
}

DockState DockingBars::State(const std::string& name) const {
    DockState st;
    wxAuiPaneInfo& p = const_cast<wxAuiManager&>(manager_).GetPane(FromUtf8(name));
    if (!p.IsOk())
        return st;
    switch (p.dock_direction) {
    case wxAUI_DOCK_TOP:
        st.side = DockSide::Top;
        break;
    case wxAUI_DOCK_RIGHT:
        st.side = DockSide::Right;
        break;
    case wxAUI_DOCK_BOTTOM:
        st.side = DockSide::Bottom;
        break;
    default:
        st.side = DockSide::Left;
        break;
    }
    st.shown = p.IsShown();
    st.floating = p.IsFloating();
    bool side = st.side == DockSide::Left || st.side == DockSide::Right;
    wxSize s = p.window && p.window->IsShown() && !st.floating ? p.window->GetSize() : p.best_size;
    st.extent = side ? s.x : s.y;
    return st;
}

void DockingBars::Update() {
    manager_.Update();
}

void DockingBars::UpdateSized() {
    if (wxWindow* frame = manager_.GetManagedWindow())
        if (GtkWidget* top = frame->GetHandle(); top && GTK_IS_CONTAINER(top))
            gtk_container_check_resize(GTK_CONTAINER(top));
    manager_.Update();
}

} // namespace ui
