#include "shell/app/SDIWinApp.h"

#include "shell/core/settings/WindowSettings.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/panel.h>
#include <wx/sizer.h>

CSDIDocTemplate* CSDIWinApp::AddDocTemplate(std::unique_ptr<CSDIDocTemplate> t) {
    m_templates.push_back(std::move(t));
    return m_templates.back().get();
}

int CSDIWinApp::IndexOf(const CSDIDocTemplate* t) const {
    for (size_t i = 0; i < m_templates.size(); ++i)
        if (m_templates[i].get() == t)
            return static_cast<int>(i);
    return -1;
}

CSDIFrameWnd::CSDIFrameWnd(const wxString& title, const wxPoint& pos, const wxSize& size)
    : ui::RoutedFrame(nullptr, title, pos, size) {
    m_client = new wxPanel(this, wxID_ANY);
    m_client->SetSizer(new wxBoxSizer(wxVERTICAL));
}

CSDIFrameWnd::~CSDIFrameWnd() = default;

bool CSDIFrameWnd::OnCreateClient(ui::Document* document) {
    CSDIWinApp* app = CSDIWinApp::Get();
    const auto pane = SdiLayout::InitialPaneSize(ReadSplitterText());
    for (const auto& t : app->Templates())
        m_layout.Add({t->m_nGroup, t->m_nRow, t->m_nColumn});
    for (const auto& [group, shape] : m_layout.SplitterShapes()) {
        if (shape.first == 0 || shape.second == 0)
            continue;
        auto grid = std::make_unique<ui::SplitterGrid>(m_client, shape.first, shape.second);
        for (const auto& t : app->Templates()) {
            if (t->m_nGroup != group)
                continue;
            wxWindow* view = t->Factory()(grid->PaneParent(t->m_nRow, t->m_nColumn));
            if (!view)
                return false;
            grid->SetPane(t->m_nRow, t->m_nColumn, view);
            t->m_pView = view;
            if (auto* v = dynamic_cast<ui::View*>(view))
                v->SetDocument(document);
        }
        grid->Finish(wxSize(pane.first, pane.second));
        grid->Show(false);
        m_client->GetSizer()->Add(grid->Window(), 1, wxEXPAND);
        m_splitters[group] = std::move(grid);
    }
    for (const auto& t : app->Templates()) {
        if (t->m_nGroup != -1)
            continue;
        wxWindow* view = t->Factory()(m_client);
        if (!view)
            return false;
        view->Hide();
        m_client->GetSizer()->Add(view, 1, wxEXPAND);
        t->m_pView = view;
        if (auto* v = dynamic_cast<ui::View*>(view))
            v->SetDocument(document);
    }
    ActivateTemplate(app->GetFirstTemplate());
    return true;
}

ui::SplitterGrid* CSDIFrameWnd::Splitter(int group) const {
    auto it = m_splitters.find(group);
    return it == m_splitters.end() ? nullptr : it->second.get();
}

void CSDIFrameWnd::ActivateTemplate(CSDIDocTemplate* target) {
    CSDIWinApp* app = CSDIWinApp::Get();
    if (!target || !target->m_pView)
        return;
    const SdiLayout::Switch s = m_layout.Activate(app->IndexOf(target));
    if (!s.changed) {
        // Shown already; a click may have made another view of its group the active one.
        if (ActiveViewWindow() != target->m_pView) {
            SwitchMenu(target);
            SetActiveView(dynamic_cast<ui::View*>(target->m_pView));
            FocusActiveView();
        }
        return;
    }
    if (!s.sameGroup) {
        const auto& templates = app->Templates();
        for (int i : s.hide)
            if (templates[static_cast<size_t>(i)]->m_nGroup == -1)
                templates[static_cast<size_t>(i)]->m_pView->Hide();
        if (ui::SplitterGrid* grid = Splitter(s.hideSplitter))
            grid->Show(false);
        for (int i : s.show)
            templates[static_cast<size_t>(i)]->m_pView->Show();
        if (ui::SplitterGrid* grid = Splitter(s.showSplitter))
            grid->Show(true);
    }
    SwitchMenu(target);
    // The view's OnActivateView follows (the one that was active is told first).
    SetActiveView(dynamic_cast<ui::View*>(target->m_pView));
    Relayout();
    FocusActiveView();
}

void CSDIFrameWnd::Relayout() {
    m_client->Layout();
    Layout();
}

void CSDIFrameWnd::SwitchMenu(CSDIDocTemplate* t) {
    if (!t)
        return;
    LoadMenu(t->m_nResourceId);
    // The template's title string, when the resources hold one.
    if (const std::string* title = ui::Resources().FindString(static_cast<UINT>(t->m_nResourceId)))
        SetTitle(wxString::FromUTF8(*title));
}

bool CSDIFrameWnd::LoadMenu(int menuId) {
    return LoadMenuResource(menuId);
}

void CSDIFrameWnd::LoadAccelerators(int tableId) {
    LoadAcceleratorResource(tableId);
}

wxWindow* CSDIFrameWnd::ActiveViewWindow() const {
    ui::View* view = GetActiveView();
    return view ? view->Self() : nullptr;
}

void CSDIFrameWnd::FocusActiveView() {
    // The active view has the focus, so a focus change the toolkit reports later (the frame
    // shown again, a pane of the same group) names the same view.
    if (wxWindow* view = ActiveViewWindow())
        if (view->IsShownOnScreen())
            view->SetFocus();
}
