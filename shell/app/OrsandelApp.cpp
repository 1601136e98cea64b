#include "shell/app/OrsandelApp.h"

#include "browser/DirTreeView.h"
#include "browser/ThumbnailView.h"
#include "browser/core/ShellFolders.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/Settings.h"
#include "shell/frame/LeftView.h"
#include "shell/frame/MainFrame.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/app/StartDialog.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/vossa/VossaLiveView.h"
#include "shell/core/settings/InitialSettings.h"
#include "shell/core/settings/StartMode.h"
#include "shell/core/settings/WindowSettings.h"
#include "ui/TemplateWindow.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/CommonIds.h"
#include "ids/VantorelIds.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/combobox.h>
#include <wx/panel.h>

#include <unistd.h>

#include <chrono>
#include <climits>

COrsandelApp::COrsandelApp() : ui::MessageTarget(nullptr), m_ticker([this] { OnIdleTick(); }) {
    if (!s_theApp)
        s_theApp = this;
    OnMessage(WM_MAINFRAME_ACTIVE, &COrsandelApp::OnMainFrameActive);
    OnMessage(WM_VIEWER_ACTIVE, &COrsandelApp::OnViewerActive);
    OnCommand(vtid::cmd::AboutProgram, [this] { OnAppAbout(); });
    OnCommand(vtid::cmd::ExitProgram, [this] {
        if (m_pMainFrame)
            m_pMainFrame->Close();
    });
}

COrsandelApp::~COrsandelApp() {
    ExitInstance();
    if (s_theApp == this) {
        ui::SetThreadMessageTarget(nullptr);
        ui::SetAppCommandTarget(nullptr);
        s_theApp = nullptr;
    }
}

void COrsandelApp::ExitInstance() {
    m_ticker.StopTicking();
    DestroyImageFrame();
    if (m_pMainFrame) {
        m_pMainFrame->Destroy();
        m_pMainFrame = nullptr;
    }
}

void COrsandelApp::RegisterTemplates() {
    // The first six share the document and the main frame; the seventh is the result window's,
    // which OpenImageDocument makes as a frame of its own: in the main frame the template keeps
    // only an empty pane, so that every template has its view.
    AddDocTemplate(std::make_unique<CSDIDocTemplate>(
        vtid::menu::MainMenu, [](wxWindow* p) { return static_cast<wxWindow*>(new CLeftView(p)); }, -1, 0,
        0));
    AddDocTemplate(std::make_unique<CSDIDocTemplate>(
        vtid::menu::ThumbnailsMenu,
        [](wxWindow* p) {
            auto* view = new CThumbnailView();
            view->Create(p);
            return static_cast<wxWindow*>(view);
        },
        0, 0, 1));
    // The folder tree starts in the image folder of the settings when the program starts in
    // the thumbnail mode.
    AddDocTemplate(std::make_unique<CSDIDocTemplate>(
        vtid::menu::ThumbnailsMenu,
        [this](wxWindow* p) {
            auto* tree = new CDirTreeView(p);
            tree->SetStartFolder(m_nStartMode, AbsoluteFolder(m_strImagePath, m_strCurrentDir));
            return static_cast<wxWindow*>(tree);
        },
        0, 0, 0));
    AddDocTemplate(std::make_unique<CSDIDocTemplate>(
        vtid::menu::AutomaticMenu,
        [](wxWindow* p) {
            auto* view = new CMultiView();
            view->Create(p);
            return static_cast<wxWindow*>(view);
        },
        -1, 0, 0));
    AddDocTemplate(std::make_unique<CSDIDocTemplate>(
        vtid::menu::VossaMenu,
        [](wxWindow* p) {
            auto* view = new CVossaImageView();
            view->Create(p);
            return static_cast<wxWindow*>(view);
        },
        1, 1, 0));
    AddDocTemplate(std::make_unique<CSDIDocTemplate>(
        vtid::menu::VossaMenu,
        [](wxWindow* p) {
            auto* view = new CVossaLiveView();
            view->Create(p);
            return static_cast<wxWindow*>(view);
        },
        1, 0, 0));
    AddDocTemplate(std::make_unique<CSDIDocTemplate>(
        vtid::menu::ResultMenu, [](wxWindow* p) { return static_cast<wxWindow*>(new CResultPane(p)); }, -1, 0,
        0));
}

bool COrsandelApp::InitInstance() {
    const auto started = std::chrono::steady_clock::now();
    char cwd[PATH_MAX];
    m_strCurrentDir = ::getcwd(cwd, sizeof cwd) ? cwd : ".";
    m_strSettingsPath = m_strCurrentDir + "/Vantorel.ini";
    SetSettingsFilePath(m_strSettingsPath);
    SetLensFilePath(m_strCurrentDir + "/LENS.TXT");
    m_recent = std::make_unique<ui::RecentFileList>(m_strSettingsPath);
    m_recent->Load();

    const std::string bundle = ReadLanguageLibrary();
    if (!bundle.empty())
        ui::LoadLanguageBundle(bundle);
    else
        WriteLanguageLibrary("QV_l_jpn.dll");

    // Without a private runtime folder the guard cannot work: the user is told why, then it ends.
    if (!RuntimeFolderReadyAtStart(uiid::str::NoRuntimeFolder))
        return false;
    if (m_guard.Acquire("Vantorel Software") != SingleInstanceGuard::Acquired)
        return false;

    ui::SetThreadMessageTarget(this);
    ui::SetAppCommandTarget(this);
    if (Templates().empty())
        RegisterTemplates();

    const ProgramFolders folders = ReadProgramFolders();
    m_strImagePath = folders.imagePath;
    m_strAutoPath = folders.autoPath;
    m_strAutoDir = folders.autoDir;

    if (ChooseStartMode(false) == -1)
        return false;

    auto document = std::make_unique<COrsandelDoc>();
    document->OnNewDocument();
    m_pDocument = document.get();
    auto* frame = new CMainFrame();
    m_pMainFrame = frame;
    if (!frame->CreateFrame(std::move(document))) {
        frame->Destroy();
        m_pMainFrame = nullptr;
        return false;
    }
    wxTheApp->SetTopWindow(frame);
    const bool zoomed = ReadZoomed() != 0;
    if (zoomed)
        frame->Maximize(true);
    frame->Show(true);
    if (!zoomed)
        frame->RestorePlacement();
    frame->SetCompositionSpeed(m_pDocument->m_compSpeed);
    frame->InitialUpdateFrame();
    frame->Update();
    // The live ticker belongs to the program's own message loop: started from inside it (at
    // start-up the loop does not run yet).
    if (wxEventLoopBase::GetActive())
        m_ticker.StartTicking(100);
    else
        wxTheApp->CallAfter([this] { m_ticker.StartTicking(100); });
    m_startupMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
            .count());
    return true;
}

int COrsandelApp::ChooseStartMode(bool forceDialog) {
    int mode = 0;
    if (StoredStartMode(forceDialog, &mode)) {
        m_nStartMode = mode;
        return mode;
    }
    CStartDialog dlg(nullptr);
    m_nStartMode = dlg.DoModal();
    return StartModeFromAnswer(m_nStartMode);
}

void COrsandelApp::OnIdleTick() {
    CMainFrame* frame = m_pMainFrame;
    // A mode's live steps begin once its camera module has been searched for and loaded.
    if (!frame || frame->IsCameraStarting())
        return;
    if (frame->IsActiveView<CMultiView>() && frame->CaptureView())
        frame->CaptureView()->GrabLiveFrame();
    else if ((frame->IsActiveView<CVossaLiveView>() || frame->IsActiveView<CVossaImageView>()) &&
             frame->VossaLiveView())
        frame->VossaLiveView()->GrabAndCompose();
}

CImageDoc* COrsandelApp::OpenImageDocument(const char* path, HDIB bitmap, double** heights, int** focusIndex,
                                           int showCommand) {
    const int smoothing = m_nSmoothing;
    m_nSmoothing = 0;
    if (!m_pResultFrame) {
        // A top-level window of its own: the main frame stays the program's main window.
        m_pResultFrame = new CImageFrame(nullptr);
        m_pResultFrame->m_newResultShown = false;
        m_pResultFrame->m_recentFiles = m_recent.get();
        if (m_recent)
            m_recent->Attach(m_pResultFrame, m_pResultFrame,
                             [this](const std::string& file) { return OpenDocumentFile(file) != nullptr; });
        m_pResultFrame->m_pLensTable = &m_lensTable;
        m_pResultFrame->m_pImagePath = &m_strImagePath;
        if (m_pMainFrame)
            wxTheApp->SetTopWindow(m_pMainFrame);
    }
    CImageFrame* frame = m_pResultFrame;
    // On the screen and laid out first, so that the picture is fitted to the view's real size.
    if (showCommand != 0) {
        frame->Show(true);
        frame->Layout();
    }
    if (path) {
        if (!frame->ShowImageFile(path))
            return nullptr;              // the document keeps what it showed
        frame->m_newResultShown = false; // a file on disk: nothing is lost by leaving it
        if (m_recent)
            m_recent->Add(path);
    } else if (bitmap) {
        // The document copies the image and the rows; the caller frees its own.
        if (!frame->ShowResult(bitmap, heights, focusIndex, smoothing))
            return frame->GetImageDoc();
    }
    if (showCommand != 0) {
        frame->Raise();
        frame->SetFocus();
        frame->Update();
    }
    return frame->GetImageDoc();
}

bool COrsandelApp::CloseImageFrame(bool returnToMain) {
    if (m_pResultFrame) {
        // A dialog of the result window still open keeps the window: the dialog comes forward.
        if (wxWindow* dialog = m_pResultFrame->OpenChildDialog()) {
            dialog->Raise();
            dialog->SetFocus();
            return false;
        }
        if (!m_pResultFrame->QueryDiscardResult())
            return false;
        m_returnToMain = returnToMain;
        m_pResultFrame->m_newResultShown = false;
        m_pResultFrame->m_pLensTable = &m_lensTable;
        m_pResultFrame->Hide();
    }
    if (!returnToMain)
        return true;
    if (m_pMainFrame) {
        m_pMainFrame->Raise();
        m_pMainFrame->SetFocus();
        wxTheApp->SetTopWindow(m_pMainFrame);
    }
    return true;
}

void COrsandelApp::DestroyImageFrame() {
    if (!m_pResultFrame)
        return;
    CImageFrame* frame = m_pResultFrame;
    m_pResultFrame = nullptr;
    frame->m_closingApp = true;
    frame->Destroy();
}

void COrsandelApp::OnAppAbout() {
    ui::TemplateDialog about(m_pMainFrame, vtid::dlg::AboutDialog);
    about.DoModal();
}

LRESULT COrsandelApp::OnMainFrameActive(WPARAM, LPARAM) {
    if (m_pMainFrame)
        wxTheApp->SetTopWindow(m_pMainFrame);
    return 0;
}

LRESULT COrsandelApp::OnViewerActive(WPARAM, LPARAM) {
    if (m_pResultFrame)
        wxTheApp->SetTopWindow(m_pResultFrame);
    return 0;
}
