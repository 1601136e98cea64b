// Several document templates sharing one single-document frame: every template names the view
// class it shows and where that view lives (alone in the client area, or in a pane of its
// group's static splitter). The frame creates every view once and switches between them by
// hiding one group and showing another, swapping the menu with each switch.
#pragma once

#include "shell/core/layout/SdiLayout.h"
#include "ui/RoutedFrame.h"
#include "ui/SplitterGrid.h"
#include "ui/View.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

class CSDIFrameWnd;
class wxPanel;

class CSDIDocTemplate {
public:
    // Makes the template's view as a child of parent (the frame's client area or a splitter pane).
    using ViewFactory = std::function<wxWindow*(wxWindow* parent)>;

    CSDIDocTemplate(int resourceId, ViewFactory factory, int group, int row, int column)
        : m_nResourceId(resourceId), m_factory(std::move(factory)), m_nGroup(group), m_nRow(row),
          m_nColumn(column) {}

    int ResourceId() const { return m_nResourceId; }
    const ViewFactory& Factory() const { return m_factory; }

    const int m_nResourceId;
    ViewFactory m_factory;
    int m_nGroup;
    int m_nRow;
    int m_nColumn;
    wxWindow* m_pView = nullptr; // made by the frame
};

class CSDIWinApp {
public:
    virtual ~CSDIWinApp() {
        if (s_app == this)
            s_app = nullptr;
    }
    CSDIDocTemplate* AddDocTemplate(std::unique_ptr<CSDIDocTemplate> t);
    const std::vector<std::unique_ptr<CSDIDocTemplate>>& Templates() const { return m_templates; }

    // The first template, in registration order, whose view is a V (or derived from it); the
    // search stops at the first template without a view and then gives null.
    template <class V> CSDIDocTemplate* FindTemplateByViewClass() const {
        for (const auto& t : m_templates) {
            if (!t->m_pView)
                return nullptr;
            if (dynamic_cast<V*>(t->m_pView))
                return t.get();
        }
        return nullptr;
    }
    CSDIDocTemplate* GetFirstTemplate() const {
        return m_templates.empty() ? nullptr : m_templates.front().get();
    }
    int IndexOf(const CSDIDocTemplate* t) const;

    // The application object of the program (set by the program's application class).
    static CSDIWinApp* Get() { return s_app; }

protected:
    // The first application object of the process is the one (a second one, as a second start
    // inside a test, never takes its place).
    CSDIWinApp() {
        if (!s_app)
            s_app = this;
    }

private:
    std::vector<std::unique_ptr<CSDIDocTemplate>> m_templates;
    static inline CSDIWinApp* s_app = nullptr;
};

class CSDIFrameWnd : public ui::RoutedFrame {
public:
    CSDIFrameWnd(const wxString& title, const wxPoint& pos, const wxSize& size);
    ~CSDIFrameWnd() override;

    // Creates the views of every template of the application in the client window: the
    // splitters of the groups first, then the lone views; every view starts hidden. False when a
    // view cannot be made. Then the first template's view is activated.
    virtual bool OnCreateClient(ui::Document* document);
    // The window that holds the views (the frame's centre).
    wxPanel* ClientWindow() const { return m_client; }

    // Activates the view of the first template whose view is a V.
    template <class V> void ActivateView() {
        ActivateTemplate(CSDIWinApp::Get()->FindTemplateByViewClass<V>());
    }
    void ActivateTemplate(CSDIDocTemplate* target);
    // True when the active view's class is exactly V (not derived from it).
    template <class V> bool IsActiveView() const {
        wxWindow* view = ActiveViewWindow();
        return view && typeid(*view) == typeid(V);
    }
    // The window of the frame's active view (a view the user clicks becomes active, too).
    wxWindow* ActiveViewWindow() const;
    // Menu and title of the template (its resource id); the accelerators stay the first
    // template's.
    void SwitchMenu(CSDIDocTemplate* t);
    // The menu bar and accelerator table of a resource id (the command ids of the program).
    bool LoadMenu(int menuId);
    void LoadAccelerators(int tableId);
    void FocusActiveView();
    // The splitter of a group (null for none).
    ui::SplitterGrid* Splitter(int group) const;
    const SdiLayout& Layout() const { return m_layout; }

private:
    void Relayout();

    wxPanel* m_client = nullptr;
    SdiLayout m_layout;
    std::map<int, std::unique_ptr<ui::SplitterGrid>> m_splitters;
};
