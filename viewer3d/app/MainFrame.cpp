#include "viewer3d/app/MainFrame.h"

#include "ids/BrelvoxaIds.h"
#include "ui/Clipboard.h"
#include "ui/DialogPlacement.h"
#include "platform/MessageSink.h"
#include "ui/DockingBars.h"
#include "ui/FindableWindowLink.h"
#include "ui/ResourceWidgets.h"
#include "ui/Services.h"
#include "ui/StatusBar.h"
#include "ui/TemplateWindow.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/app/View3dApp.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/core/data/ViewerSettings.h"

#include <wx/checkbox.h>
#include <wx/slider.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/menu.h>

#include <cstdio>

namespace brx {

namespace {

namespace panel3d = bxid::View3dPanel;
namespace panelMeasure = bxid::MeasurePanel;

constexpr int kStatusBarId = 59393;

bool parsePlacement(const std::string& text, int v[10]) {
    unsigned a = 0, b = 0;
    if (std::sscanf(text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &a, &b, &v[2], &v[3], &v[4], &v[5], &v[6],
                    &v[7], &v[8], &v[9]) != 10)
        return false;
    v[0] = int(a);
    v[1] = int(b);
    return true;
}

} // namespace

CMainFrame::CMainFrame()
    : ui::RoutedMdiParentFrame(wxString::FromUTF8(ui::Resources().LoadString(bxid::str::AppTitle))) {
    // Placement: stored, else the whole screen in normal state; applied hidden.
    int p[10] = {};
    const bool stored = parsePlacement(v3d::ReadWindowPlacement(), p);
    if (stored) {
        SetSize(wxRect(p[6], p[7], p[8] - p[6], p[9] - p[7]));
        if (p[1] == 3)
            View3dApp::Get().startShowCommand = 3;
    } else {
        const wxRect screen = wxDisplay(0u).GetGeometry();
        SetSize(wxRect(0, 0, screen.width, screen.height));
    }
    normalRect_ = GetRect();
    // Inside the work area of its monitor once the window manager has put its frame around it
    // (the whole screen of a first start would reach past the screen's edges by the frame).
    ui::KeepInWorkArea(this, this);
    measureFlag = v3d::ReadMeasureSwitch() != 0 ? 1 : 0;

    status_ = new ui::StatusBar(this);
    status_->SetId(kStatusBarId); // above wx's range for creation ids
    status_->SetIndicators(
        {ui::ID_SEPARATOR, ui::ID_INDICATOR_CAPS, ui::ID_INDICATOR_NUM, ui::ID_INDICATOR_SCRL});
    SetStatusBar(status_);

    panel3d_ = new ui::TemplatePanel(bxid::dlg::View3dPanel);
    panelMeasure_ = new ui::TemplatePanel(bxid::dlg::MeasurePanel);
    panel3d_->Create(this);
    panelMeasure_->Create(this);
    bars_ = std::make_unique<ui::DockingBars>(this);
    bars_->SetCenter(GetClientWindow());
    bars_->AddBar("Panel3d", panel3d_, ui::DockSide::Left);
    bars_->AddBar("PanelMeasure", panelMeasure_, ui::DockSide::Left);
    bars_->Update();
    panel3d_->Item<wxSlider>(panel3d::SliceSlider)->SetRange(0, 0);
    panel3d_->Item<wxSlider>(panel3d::SliceSlider)->SetLineSize(100);
    panel3d_->Item<wxSlider>(panel3d::ZScaleSlider)->SetRange(0, 10);
    panelMeasure_->Item<wxSlider>(panelMeasure::GraphScaleSlider)->SetRange(0, 10);
    panel3d_->Item<wxCheckBox>(panel3d::MeasureOnOpen)->SetValue(measureFlag != 0);
    bindPanelHandlers();
    SwitchModeMenu(v3d::kScreen3d, 1);

    OnCommand(bxid::cmd::OpenFile, &CMainFrame::OnFileOpen);
    OnCommand(bxid::cmd::CopyMeasuredData, [this] {
        if (CView3dDoc* doc = GetActive3dDoc())
            doc->CopyMeasuredText();
    });
    OnCommand(bxid::cmd::CopyImage, [this] {
        CView3dDoc* doc = GetActive3dDoc();
        copyPane(ImagePaneOf(doc ? doc->ScreenMode() : v3d::kScreen3d));
    });
    static const struct {
        int command;
        PaneRole role;
    } kCopy[] = {{bxid::cmd::CopyContourImage, kPaneContour},
                 {bxid::cmd::CopySliceImage, kPaneSlice},
                 {bxid::cmd::Copy3dImage, kPane3d},
                 {bxid::cmd::CopyAreaGraph, kPaneAreaGraph},
                 {bxid::cmd::CopyMeasureImage, kPaneAnalysis},
                 {bxid::cmd::CopyMeasureGraph, kPaneProfileGraph}};
    for (const auto& c : kCopy) {
        const PaneRole role = c.role;
        OnCommand(c.command, [this, role] { copyPane(role); });
    }
    OnCommand(bxid::cmd::Exit, [this] { Close(); });
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::onClose, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        noteNormalRect();
        ev.Skip();
    });
    Bind(wxEVT_MOVE, [this](wxMoveEvent& ev) {
        noteNormalRect();
        ev.Skip();
    });
    link_ = std::make_unique<ui::FindableWindowLink>(
        this, kMainWindowClass, [this](const COPYDATASTRUCT& r) { return OnCopyData(r); });
    RefreshTitle();
}

CMainFrame::~CMainFrame() {
    link_.reset();
    if (bars_)
        bars_->Manager().UnInit();
}

bool CMainFrame::IsFindable() const {
    return link_ && link_->IsRegistered();
}

void CMainFrame::RefreshTitle() {
    // The active child's document, of either kind.
    std::string title = ui::Resources().LoadString(bxid::str::AppTitle);
    if (auto* child = dynamic_cast<ui::RoutedMdiChildFrame*>(GetActiveChild()))
        if (const ui::Document* doc = child->GetDocument(); doc && !doc->GetTitle().empty())
            title += " - " + doc->GetTitle();
    if (link_)
        link_->SetTitle(wxString::FromUTF8(title));
    else
        SetTitle(wxString::FromUTF8(title));
}

void CMainFrame::ChildClosed() {
    if (IsBeingDeleted())
        return;
    if (!GetActiveChild())
        SwitchModeMenu(v3d::kScreen3d, 0);
    RefreshTitle();
}

CView3dFrm* CMainFrame::GetActive3dFrame() const {
    return dynamic_cast<CView3dFrm*>(GetActiveChild());
}

CView3dDoc* CMainFrame::GetActive3dDoc() const {
    CView3dFrm* frame = GetActive3dFrame();
    return frame ? frame->Doc() : nullptr;
}

void CMainFrame::SwitchModeMenu(int mode, int onlyIfChanged) {
    if (CView3dDoc* doc = GetActive3dDoc())
        UpdatePanelsFromDoc(doc);
    const bool screen = mode == v3d::kScreen3d || mode == v3d::kScreenMeasure;
    if (screen)
        LoadMenuResource(mode == v3d::kScreen3d ? bxid::menu::MainMenu : bxid::menu::MeasureMenu);
    if (screen && onlyIfChanged && panelMode_ == mode)
        return;
    bars_->ShowBar("Panel3d", mode == v3d::kScreen3d);
    bars_->ShowBar("PanelMeasure", mode == v3d::kScreenMeasure);
    panelMode_ = screen ? mode : kNoPanel;
    // A shown window lays the panels out once the toolkit has sized what changed with them (a
    // child frame just added, a page just switched): the layout repaints at once, and a repaint
    // before that sizing draws windows that have no size yet.
    if (!IsShown()) {
        bars_->Update();
        return;
    }
    if (barsPending_)
        return;
    barsPending_ = true;
    CallAfter([this] {
        barsPending_ = false;
        bars_->UpdateSized();
    });
}

std::vector<ui::RoutedMdiChildFrame*> CMainFrame::ChildFrames() const {
    // Child frames hang below the frame or below its client window, depending on the port.
    std::vector<ui::RoutedMdiChildFrame*> frames;
    auto collect = [&frames](const wxWindowList& children) {
        for (wxWindow* child : children)
            if (auto* f = dynamic_cast<ui::RoutedMdiChildFrame*>(child); f && !f->IsBeingDeleted())
                frames.push_back(f);
    };
    collect(GetChildren());
    if (GetClientWindow())
        collect(GetClientWindow()->GetChildren());
    return frames;
}

std::vector<CView3dFrm*> CMainFrame::DocFrames() const {
    std::vector<CView3dFrm*> frames;
    for (ui::RoutedMdiChildFrame* child : ChildFrames())
        if (auto* f = dynamic_cast<CView3dFrm*>(child))
            frames.push_back(f);
    return frames;
}

int CMainFrame::EnableDocFrames(bool enable) {
    for (CView3dFrm* frame : DocFrames())
        frame->Enable(enable);
    return 1;
}

CView3dFrm* CMainFrame::NewDocumentFrame(const std::string& title) {
    auto doc = std::make_unique<CView3dDoc>();
    doc->SetTitle(title);
    auto* frame = new CView3dFrm(this, std::move(doc), title);
    frame->Show();
    frame->Activate();
    return frame;
}

std::string CMainFrame::NewCalibrationTitle() {
    return "CalibrationSetting" + std::to_string(++untitledCalibrations_);
}

LRESULT CMainFrame::OnCopyData(const COPYDATASTRUCT& record) {
    // The record's tag is not looked at: its size and contents decide. A data set that does not
    // fit in memory gets no window: its views would take memory before it is refused.
    int w = 0, h = 0;
    if (v3d::CheckHeightRecord(record.lpData, record.cbData, &w, &h) &&
        !v3d::View3dData::RoomForDocument(w, h)) {
        ShowMessage(bxid::str::NotEnoughMemory, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    CView3dFrm* frame = NewDocumentFrame("View3D" + std::to_string(++untitled_));
    CView3dDoc* doc = frame ? frame->Doc() : nullptr;
    if (!doc)
        return 0;
    if (doc->LoadVv3dRecord(record.lpData, record.cbData))
        UpdatePanelsFromDoc(doc);
    RefreshTitle();
    return 0;
}

void CMainFrame::OnFileOpen() {
    if (GetActiveChild() && !GetActive3dFrame())
        return; // a calibration window is active
    const auto& r = ui::Resources();
    std::string filter;
    for (UINT id = bxid::str::ImageFiles; id <= bxid::str::TdvPattern; ++id)
        filter += r.LoadString(id) + "|";
    filter += r.LoadString(bxid::str::AllFiles) + "|" + r.LoadString(bxid::str::AllPattern);
    ui::FileDialogRequest request;
    request.open = true;
    request.filter = filter;
    const ui::FileDialogResult chosen = ui::RunFileDialog(this, request);
    if (!chosen.paths.empty())
        View3dApp::Get().OpenDocumentFile(chosen.paths.front());
}

void CMainFrame::copyPane(PaneRole role) {
    CView3dFrm* frame = GetActive3dFrame();
    if (!frame || !frame->Doc())
        return;
    wxImage image;
    if (!frame->RenderPaneToImage(role, &image))
        return;
    ui::PutBitmapOnClipboard(wxBitmap(image));
}

void CMainFrame::noteNormalRect() {
    if (!IsMaximized() && !IsIconized() && !IsFullScreen())
        normalRect_ = GetRect();
}

void CMainFrame::onClose(wxCloseEvent& ev) {
    // A maximised window keeps the rectangle it is restored to.
    const bool maximised = IsMaximized();
    const wxRect rect = maximised || IsIconized() ? normalRect_ : GetRect();
    char text[128];
    std::snprintf(text, sizeof text, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", maximised ? 2u : 0u,
                  maximised ? 3u : 1u, -1, -1, -1, -1, rect.x, rect.y, rect.x + rect.width,
                  rect.y + rect.height);
    v3d::WriteWindowPlacement(text);
    if (CView3dFrm* frame = GetActive3dFrame())
        frame->WritePaneSizes();
    v3d::WriteMeasureSwitch(measureFlag);
    ev.Skip();
}

} // namespace brx
