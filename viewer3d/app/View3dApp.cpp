#include "viewer3d/app/View3dApp.h"

#include "ids/CommonIds.h"
#include "platform/FindableWindow.h"
#include "platform/MessageSink.h"
#include "platform/Process.h"
#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "ui/ProgramHooks.h"
#include "ui/TemplateWindow.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/app/CalibFrm.h"
#include "viewer3d/app/GeneralSetDlg.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/core/data/ProcParams.h"
#include "viewer3d/measure/gui/BaseImgView.h"
#include "viewer3d/core/data/ViewerSettings.h"

#include <wx/app.h>
#include <wx/dnd.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtk/gtk.h>

namespace brx {

namespace {

View3dApp*& current() {
    static View3dApp* app = nullptr;
    return app;
}

// Under a window manager the first show of a frame waits for the manager's frame extents, and
// the toolkit realizes the window meanwhile at a stand-in allocation of 2 x 1 pixels; GTK then
// lays the menu bar, the panels and any document frame out once in that allocation, far below
// what they need, and warns about every one. Given the frame's own size as its allocation
// before the first show, that layout is made at the size the window is about to get.
void AllocateBeforeFirstShow(wxWindow* frame) {
    GtkWidget* widget = frame->GetHandle();
    if (!widget || gtk_widget_get_realized(widget))
        return;
    GtkAllocation a;
    gtk_widget_get_allocation(widget, &a);
    const wxSize size = frame->GetSize();
    if (a.width > 1 || a.height > 1 || size.x < 1 || size.y < 1)
        return;
    a.x = 0;
    a.y = 0;
    a.width = size.x;
    a.height = size.y;
    gtk_widget_set_allocation(widget, &a);
}

// Dropped files go to the application's open.
class DropTarget : public wxFileDropTarget {
public:
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        for (const wxString& name : names)
            View3dApp::Get().OpenFile(name.utf8_string());
        return true;
    }
};

} // namespace

View3dApp::View3dApp() {
    current() = this;
    OnCommand(bxid::cmd::About, [this] { OnAppAbout(); });
    OnCommand(bxid::cmd::GeneralSettings, [this] { OnGeneralSettings(); });
    OnCommand(bxid::cmd::PrintSetup, [this] { v3d::RunPrintSetup(main_); });
}

View3dApp::~View3dApp() {
    openLink_.Unregister();
    v3d::gl::FreeOpenGl(glLibraries_);
    if (current() == this)
        current() = nullptr;
}

View3dApp& View3dApp::Get() {
    return *current();
}

bool View3dApp::InitInstance(const std::string& programFolder, const std::vector<std::string>& paths) {
    folder_ = programFolder;
    SetSettingsFilePath(folder_ + "/Brelvoxa.ini");
    const std::string resource = v3d::ReadViewerLanguageLibrary();
    if (resource.empty())
        v3d::WriteViewerLanguageLibrary("BRX_l_jpn.dll");
    else
        ui::LoadLanguageBundle(resource); // a missing bundle leaves the program's own texts
    // The viewer is found by Vantorel and by a later start through its runtime folder: without
    // one the user is told why, and the start ends.
    if (!RuntimeFolderReadyAtStart(uiid::str::NoRuntimeFolder))
        return false;
    recent_ = std::make_unique<ui::RecentFileList>(GetSettingsFilePath());
    recent_->Load();
    ui::SetAppCommandTarget(this);
    v3d::View3dData::SetStringLoader(ResourceText);
    CView3dDoc::SetPanelRefill([](CView3dDoc* doc) {
        if (View3dApp* app = current(); app && app->main_)
            app->main_->UpdatePanelsFromDoc(doc);
    });

    CView3dDoc::SetMeasureFlagSource([] {
        View3dApp* app = current();
        return !app || !app->main_ || app->main_->measureFlag != 0;
    });

    main_ = new CMainFrame();
    v3d::GlobalProcParams().Load(v3d::ProcParamsPath(folder_));
    // Without the GL libraries the 3D panes show their background only; the rest works.
    if (v3d::gl::LoadOpenGl(glLibraries_) != 1)
        ShowMessage(bxid::str::OpenGlMissing, MB_OK | MB_ICONEXCLAMATION);
    main_->SetDropTarget(new DropTarget);
    recent_->Attach(main_, main_, [this](const std::string& path) { return OpenFile(path) != nullptr; });
    if (startShowCommand == 3)
        main_->Maximize();
    AllocateBeforeFirstShow(main_);
    main_->Show();

    // Paths of a later start arrive through the open-request window.
    openLink_.Register(kOpenRequestClass, "open request", [](const COPYDATASTRUCT& r) -> LRESULT {
        if (r.dwData != kOpenRequestTag || !r.lpData)
            return 0;
        const std::string path(static_cast<const char*>(r.lpData), r.cbData);
        wxTheApp->CallAfter([path] {
            if (View3dApp* app = current()) {
                app->OpenFile(path);
                if (app->main_)
                    app->main_->Raise();
            }
        });
        return 1;
    });

    ticker_ = std::make_unique<ui::LiveTicker>([this] { IdleTick(); });
    ticker_->StartTicking(30);
    // Paths on the command line open once the window shows.
    for (const std::string& p : paths)
        wxTheApp->CallAfter([this, p] { OpenFile(p); });
    return true;
}

int View3dApp::ExitInstance() {
    if (ticker_)
        ticker_->StopTicking();
    openLink_.Unregister();
    v3d::gl::FreeOpenGl(glLibraries_);
    int failure = 0;
    if (!v3d::GlobalProcParams().Save(v3d::ProcParamsPath(folder_), &failure))
        ShowMessage(failure == 1 ? bxid::str::InvalidFileName : bxid::str::CannotSaveParameters,
                    MB_OK | MB_ICONEXCLAMATION, {v3d::ProcParamsPath(folder_)});
    return 0;
}

std::string View3dApp::FindTemplateByExt(const char* ext) {
    if (!ext || ext[0] != '.')
        return std::string();
    const wxString e = wxString::FromUTF8(ext).Lower();
    if (e == ".tdv")
        return ".tdv";
    if (e == ".cbs")
        return ".cbs";
    return std::string();
}

CView3dDoc* View3dApp::OpenDocumentFile(const std::string& path) {
    return dynamic_cast<CView3dDoc*>(OpenFile(path));
}

ui::Document* View3dApp::OpenFile(const std::string& given) {
    std::string path = given;
    if (!path.empty() && path.front() == '"')
        path.erase(0, 1);
    if (const size_t q = path.find_last_of('"'); q != std::string::npos)
        path.erase(q);
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    // A symbolic link stands for a shortcut: its target is opened.
    if (std::filesystem::is_symlink(full, ec))
        full = std::filesystem::canonical(full, ec);
    path = full.lexically_normal().string();
    if (!main_)
        return nullptr;
    // Already open: activate its frame.
    for (ui::RoutedMdiChildFrame* frame : main_->ChildFrames())
        if (ui::Document* doc = frame->GetDocument(); doc && doc->GetPathName() == path) {
            frame->Activate();
            main_->Raise();
            return doc;
        }
    const std::string title = std::filesystem::path(path).filename().string();
    if (FindTemplateByExt(std::filesystem::path(path).extension().string().c_str()) == ".cbs") {
        // A calibration file holds nothing: the window opens empty, with no owner to tell.
        auto* calib = new CCalibFrm(main_, nullptr, 0.0, std::string(), 0);
        CCalibDoc* doc = calib->Doc();
        if (!doc->OnOpenDocument(path)) {
            calib->Destroy();
            ShowMessage(bxid::str::CannotOpenDocument, MB_OK | MB_ICONEXCLAMATION, {path});
            return nullptr;
        }
        doc->SetPathName(path);
        recent_->Add(path);
        calib->SetTitle(wxString::FromUTF8(doc->GetTitle()));
        main_->RefreshTitle();
        return doc;
    }
    CView3dFrm* frame = main_->NewDocumentFrame(title);
    CView3dDoc* doc = frame->Doc();
    if (!doc || !doc->OnOpenDocument(path)) {
        frame->Destroy();
        return nullptr;
    }
    doc->SetPathName(path);
    recent_->Add(path);
    frame->SetTitle(wxString::FromUTF8(doc->GetTitle()));
    main_->UpdatePanelsFromDoc(doc);
    main_->RefreshTitle();
    return doc;
}

void View3dApp::IdleTick() {
    ++idleCount_;
    if (!main_ || wxWindow::GetCapture())
        return;
    CView3dFrm* frame = main_->GetActive3dFrame();
    if (!frame || !frame->Doc())
        return;
    ui::View* view = frame->GetPaneView(ImagePaneOf(frame->Doc()->ScreenMode()));
    if (!view)
        view = frame->GetActiveView();
    if (view)
        PostMessage(view->GetSafeHwnd(), WM_IDLE_TICK, 0, LPARAM(idleCount_));
}

bool View3dApp::RegisterShellTypes(const std::string& programPath) {
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        data = xdg;
    else if (const char* home = std::getenv("HOME"))
        data = std::string(home) + "/.local/share";
    else
        return false;
    std::error_code ec;
    std::filesystem::create_directories(data + "/mime/packages", ec);
    std::filesystem::create_directories(data + "/applications", ec);
    {
        std::ofstream mime(data + "/mime/packages/brelvoxa.xml");
        mime << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                "  <mime-type type=\"application/x-brelvoxa-tdv\">\n"
                "    <comment>View3D Document</comment>\n"
                "    <glob pattern=\"*.tdv\"/>\n"
                "  </mime-type>\n"
                "  <mime-type type=\"application/x-brelvoxa-cbs\">\n"
                "    <comment>CalibrationSetting Document</comment>\n"
                "    <glob pattern=\"*.cbs\"/>\n"
                "  </mime-type>\n"
                "</mime-info>\n";
        if (!mime)
            return false;
    }
    std::ofstream desktop(data + "/applications/brelvoxa.desktop");
    desktop << "[Desktop Entry]\nType=Application\nName=Brelvoxa\nExec=\"" << programPath
            << "\" %F\nMimeType=application/x-brelvoxa-tdv;application/x-brelvoxa-cbs;\nTerminal=false\n";
    return bool(desktop);
}

bool View3dApp::HandPathsToRunningViewer(const std::vector<std::string>& paths) {
    TopWindowInfo target;
    if (!FindTopWindow(kOpenRequestClass, nullptr, &target))
        return false;
    for (const std::string& p : paths) {
        std::error_code ec;
        const std::string full = std::filesystem::absolute(p, ec).string();
        COPYDATASTRUCT record;
        record.dwData = kOpenRequestTag;
        record.cbData = DWORD(full.size());
        record.lpData = full.data();
        if (!SendCopyData(target, record, 5000))
            return false;
    }
    return true;
}

void View3dApp::OnAppAbout() {
    CAboutDlg about(main_);
    about.DoModal();
}

void View3dApp::OnGeneralSettings() {
    CGeneralSetDlg dlg(main_);
    v3d::ProcParams& p = v3d::GlobalProcParams();
    dlg.threshold = p.invalidThreshold;
    dlg.option = p.invalidOption;
    if (dlg.DoModal() == IDOK) {
        p.invalidThreshold = dlg.threshold;
        p.invalidOption = dlg.option;
    }
}

} // namespace brx
