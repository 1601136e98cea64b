#include "shell/frame/MainFrame.h"

#include "ui/StageControlBar.h"

#include "browser/core/ThumbCacheNames.h"
#include "platform/ProgramHelpers.h"
#include "imaging/compose/WorkerMessages.h"
#include "result/FocusProgDialog.h"
#include "browser/DirTreeView.h"
#include "browser/SelListCtrl.h"
#include "browser/ThumbnailView.h"
#include "browser/core/ShellFolders.h"
#include "shell/capture/AutoDialog.h"
#include "shell/frame/LeftView.h"
#include "shell/capture/ManualDialog.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/capture/SelectedBox.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/vossa/VossaDialog.h"
#include "shell/vossa/VossaLiveView.h"
#include "shell/core/capture/CaptureFile.h"
#include "shell/core/capture/CaptureSettings.h"
#include "shell/core/settings/InitialSettings.h"
#include "shell/core/settings/ModeTable.h"
#include "shell/core/settings/WindowSettings.h"
#include "shell/core/layout/ViewGeometry.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <wx/accel.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/textentry.h>
#include <wx/settings.h>

#include <sys/stat.h>

#include <algorithm>

namespace {
// The command bar's buttons in the order of their layout.
constexpr int kFocusBoxButtons[9] = {
    vtid::FocusBoxCommandBar::Add,           vtid::FocusBoxCommandBar::AddAll,
    vtid::FocusBoxCommandBar::Remove,        vtid::FocusBoxCommandBar::RemoveAll,
    vtid::FocusBoxCommandBar::MoveUp,        vtid::FocusBoxCommandBar::MoveDown,
    vtid::FocusBoxCommandBar::SortByHeight,  vtid::FocusBoxCommandBar::SortAscending,
    vtid::FocusBoxCommandBar::SortDescending};

// The composition bar's height (as its paint keeps it).
constexpr int kCompositionBarHeight = 127;

wxRect InitialPlacement() {
    const wxRect fallback(60, 40, 1200, 860);
    const WindowRect stored = ReadWindowRect({fallback.x, fallback.y, fallback.width, fallback.height});
    const RECT r{stored.left, stored.top, stored.left + stored.width, stored.top + stored.height};
    std::vector<RECT> displays;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect d = wxDisplay(i).GetClientArea();
        displays.push_back(RECT{d.x, d.y, d.x + d.width, d.y + d.height});
    }
    const RECT placed = PlaceOnDisplays(r, displays);
    return wxRect(placed.left, placed.top, RectWidth(placed), RectHeight(placed));
}
} // namespace

CCompositionBar::CCompositionBar() : ui::TemplatePanel(vtid::dlg::CompositionBar) {
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        OnSizeBar();
    });
}

bool CCompositionBar::OnInitDialog() {
    ui::TemplatePanel::OnInitDialog();
    if (wxComboBox* combo = SpeedCombo()) {
        combo->Clear();
        for (const char* text : {"低速（高精度）", "中速（良精度）", "高速（標準精度）"})
            combo->Append(wxString::FromUTF8(text));
    }
    return true;
}

wxComboBox* CCompositionBar::SpeedCombo() const {
    return Item<wxComboBox>(vtid::CompositionBar::Speed);
}

void CCompositionBar::ShowCompositionItems(bool show) {
    for (int id : {vtid::CompositionBar::StartComposition, vtid::CompositionBar::CompositionSettings,
                   vtid::CompositionBar::Speed, vtid::CompositionBar::SpeedLabel})
        ShowItem(id, show);
    ShowItem(vtid::CompositionBar::HeightSettings, show && ReadHeightButton() != 0);
}

void CCompositionBar::OnSizeBar() {
    const wxSize s = GetClientSize();
    auto size = [this](int id) {
        wxWindow* w = GetDlgItem(id);
        return w ? SIZE{w->GetSize().x, w->GetSize().y} : SIZE{0, 0};
    };
    CompositionBarInput in;
    in.client = RECT{0, 0, s.x, s.y};
    in.settings = size(vtid::CompositionBar::CompositionSettings);
    in.start = size(vtid::CompositionBar::StartComposition);
    in.height = size(vtid::CompositionBar::HeightSettings);
    in.combo = size(vtid::CompositionBar::Speed);
    in.label = size(vtid::CompositionBar::SpeedLabel);
    in.initialMenu = size(vtid::CompositionBar::InitialMenu);
    const CompositionBarLayout out = LayoutCompositionBar(in);
    auto place = [this](int id, const RECT& r) {
        if (wxWindow* w = GetDlgItem(id))
            w->SetSize(r.left, r.top, RectWidth(r), RectHeight(r));
    };
    place(vtid::CompositionBar::CompositionSettings, out.settings);
    place(vtid::CompositionBar::StartComposition, out.start);
    place(vtid::CompositionBar::HeightSettings, out.height);
    place(vtid::CompositionBar::Speed, out.combo);
    place(vtid::CompositionBar::SpeedLabel, out.label);
    place(vtid::CompositionBar::InitialMenu, out.initialMenu);
}

CFocusBoxCmdBar::CFocusBoxCmdBar() : ui::TemplatePanel(vtid::dlg::FocusBoxCommandBar) {
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        LayoutButtons();
    });
}

int CFocusBoxCmdBar::LayoutButtons() {
    const wxSize s = GetClientSize();
    SIZE sizes[9];
    for (int i = 0; i < 9; ++i) {
        wxWindow* b = GetDlgItem(kFocusBoxButtons[i]);
        sizes[i] = b ? SIZE{b->GetSize().x, b->GetSize().y} : SIZE{0, 0};
    }
    const FocusBoxButtonsLayout out = LayoutFocusBoxButtons(RECT{0, 0, s.x, s.y}, 0, sizes);
    for (int i = 0; i < 9; ++i)
        if (wxWindow* b = GetDlgItem(kFocusBoxButtons[i]))
            b->SetSize(out.button[i].left, out.button[i].top, RectWidth(out.button[i]),
                       RectHeight(out.button[i]));
    return out.minimumHeight;
}

CMainFrame::CMainFrame() : CSDIFrameWnd("Vantorel", wxDefaultPosition, wxDefaultSize) {
    m_camDll.SetNotices(&m_notices);
    OnCommand(vtid::cmd::InitialMenu, [this] { OnInitialMenu(); });
    OnUpdateUI(vtid::cmd::InitialMenu, [this](ui::CmdUI& c) {
        // Not inside a manual capture run, whether or not its capture button is on at the moment:
        // leaving the mode there would keep the run (and what it disables) in force.
        c.Enable(!IsComposing() && !m_pStageBusyOwner && !IsManualCaptureRunning());
    });
    OnCommand(vtid::cmd::StartComposition, [this] { OnStartComposition(); });
    OnUpdateUI(vtid::cmd::StartComposition, [this](ui::CmdUI& c) {
        const bool on = !IsComposing() && !CaptureSeriesRunning() && FocusBoxList() &&
                        FocusBoxList()->GetItemCount() > 2 && !IsManualCaptureButtonOn();
        c.Enable(on);
        if (m_pCompBar)
            m_pCompBar->EnableItem(vtid::CompositionBar::Speed, on);
    });
    OnCommand(vtid::cmd::SelectInputDevice, [this] { OnSelectInputDevice(); });
    OnCommand(vtid::cmd::InputMode, [this] { OnInputMode(); });
    OnMessage(WM_WORK_DONE, &CMainFrame::OnWorkDone);
    OnMessage(WM_WORK_ABORTED, &CMainFrame::OnWorkAborted);
    OnMessage(WM_WORK_PROGRESS, &CMainFrame::OnWorkProgress);
    OnMessage(WM_WORK_CANCEL, &CMainFrame::OnWorkCancel);
    OnMessage(WM_WORK_READ_FAILED, &CMainFrame::OnWorkReadFailed);
    OnMessage(WM_CAMERA_ALLOC, &CMainFrame::OnCameraAlloc);
    OnMessage(WM_CAMERA_FREE, &CMainFrame::OnCameraFree);
    OnMessage(WM_CAMERA_GRAB, &CMainFrame::OnCameraGrab);
    OnMessage(WM_LENS_STATE, &CMainFrame::OnLensState);
    RegisterBrowserCommands();
    RegisterManualCommands();
    RegisterLensCommands();
    RegisterSettingsCommands();
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnCloseFrame, this);
    Bind(wxEVT_DISPLAY_CHANGED, [this](wxDisplayChangedEvent& ev) {
        ev.Skip();
        OnDisplayChange();
    });
    Bind(wxEVT_MAXIMIZE, [this](wxMaximizeEvent& ev) {
        ev.Skip();
        m_seenMaximized = true;
    });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        CallAfter([this] { UpdateMinimumSize(); }); // once the bars have their new places
        if (m_seenMaximized && !IsMaximized()) {
            m_seenMaximized = false;
            m_zoomRequested = false;
        }
    });
    Bind(wxEVT_CHAR_HOOK, &CMainFrame::OnCharHook, this);
    m_placementTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnPlacementTick(); });
    Bind(wxEVT_SET_FOCUS, [](wxFocusEvent& ev) {
        ev.Skip();
        ui::PostThreadMessageToApp(WM_MAINFRAME_ACTIVE, 0, 0);
    });
}

CMainFrame::~CMainFrame() {
    if (m_bars)
        m_bars->Manager().UnInit();
    if (COrsandelApp* app = COrsandelApp::GetApp())
        if (app->m_pMainFrame == this)
            app->m_pMainFrame = nullptr;
}

void CMainFrame::OnCharHook(wxKeyEvent& ev) {
    ev.Skip();
    // A text field keeps its own editing keys (Ctrl+A selects its text): the frame's accelerators
    // are set aside for this key and come back once it has been handled. Function keys stay the
    // frame's.
    const int key = ev.GetKeyCode();
    if (ev.AltDown() || (key >= WXK_F1 && key <= WXK_F24) || m_acceleratorsAside)
        return;
    if (!dynamic_cast<wxTextEntry*>(wxWindow::FindFocus()))
        return;
    m_acceleratorsAside = true;
    SetAcceleratorTable(wxNullAcceleratorTable);
    CallAfter([this] {
        SetAcceleratorTable(m_accelerators);
        m_acceleratorsAside = false;
    });
}

void CMainFrame::Maximize(bool maximize) {
    m_zoomRequested = maximize;
    CSDIFrameWnd::Maximize(maximize);
}

bool CMainFrame::IsZoomed() const {
    return IsMaximized() || m_zoomRequested;
}

int CMainFrame::StartMode() const {
    COrsandelApp* app = COrsandelApp::GetApp();
    return app ? app->m_nStartMode : 0;
}

bool CMainFrame::CreateFrame(std::unique_ptr<COrsandelDoc> document) {
    m_pDoc = document.get();
    SetDocument(std::move(document));
    m_wantedPlacement = InitialPlacement();
    SetSize(m_wantedPlacement);
    COrsandelApp* app = COrsandelApp::GetApp();
    std::string folder = (app ? app->m_strCurrentDir : std::string(".")) + "/" +
                         ui::Resources().LoadString(vtid::str::CacheFolder);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        ::mkdir(folder.c_str(), 0755);
    SetThumbCacheFolder(folder);

    if (!OnCreateClient(m_pDoc))
        return false;
    CSDIWinApp* sdi = CSDIWinApp::Get();
    if (CSDIDocTemplate* t = sdi->FindTemplateByViewClass<CMultiView>())
        m_pMultiView = dynamic_cast<CMultiView*>(t->m_pView);
    CreateBars();
    JoinBrowser();
    LoadAccelerators(vtid::accel::MainKeys);
    if (const wxAcceleratorTable* table = GetAcceleratorTable())
        m_accelerators = *table;
    if (app)
        app->m_pMainFrame = this;
    LoadCameraSettings();
    EnterMode(StartMode());
    if (m_pTopMenu)
        m_pTopMenu->RecalcLayout();
    UpdateMinimumSize();
    return true;
}

void CMainFrame::CreateBars() {
    m_bars = std::make_unique<ui::DockingBars>(this);
    m_bars->SetCenter(ClientWindow());
    m_pTopMenu = new CTopMenuDialog(this);
    (new CStageControlBar)->Create(*m_bars, this, m_pTopMenu, "TopMenuDlg", ui::DockSide::Top);
    m_pCompBar = new CCompositionBar();
    (new CStageControlBar)
        ->Create(*m_bars, this, m_pCompBar, "CompositionBar", ui::DockSide::Bottom, true, false,
                 kCompositionBarHeight);
    m_pBox = new CSelectedBox(m_pDoc ? &m_pDoc->Browser() : nullptr);
    // The box's width follows the thumbnail size of its list (not its template) and its title.
    const int s = m_pDoc ? m_pDoc->m_selThumbSize : 128;
    const int listWidth = s + 6 * 4 + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X);
    (new CStageControlBar)
        ->Create(*m_bars, this, m_pBox, "CusControlBar", ui::DockSide::Right, true, true, listWidth);
    if (m_pBox->MinimumWidth() > listWidth)
        CStageControlBar::SetExtent(*m_bars, "CusControlBar", m_pBox->MinimumWidth());
    m_bars->Update();
}

std::optional<int> CMainFrame::ReferencePaneWidth(bool thumbnailLayout) const {
    CSDIWinApp* sdi = CSDIWinApp::Get();
    if (thumbnailLayout) {
        CSDIDocTemplate* t = sdi ? sdi->FindTemplateByViewClass<CDirTreeView>() : nullptr;
        if (!t || !t->m_pView)
            return std::nullopt;
        return t->m_pView->GetSize().x;
    }
    // The panel of the capture mode; while the mode has none the bar starts at the left edge.
    const ModeEntry* entry = FindModeEntry(StartMode());
    if (!entry)
        return std::nullopt;
    if (m_bars && m_bars->HasBar(entry->barName) && m_bars->State(entry->barName).shown)
        return m_bars->State(entry->barName).extent;
    return 0;
}

void CMainFrame::SetCompositionSpeed(int selection) {
    if (m_pCompBar)
        if (wxComboBox* combo = m_pCompBar->SpeedCombo())
            if (selection >= 0 && selection < static_cast<int>(combo->GetCount()))
                combo->SetSelection(selection);
}

void CMainFrame::ShowCompositionBar(bool show) {
    if (m_pCompBar)
        m_pCompBar->ShowCompositionItems(show);
}

void CMainFrame::EnterMode(int mode) {
    WriteStartingMode(mode);
    const ModeEntry* entry = FindModeEntry(mode);
    if (!entry || !m_bars)
        return; // a stored value outside the four modes enters no mode
    CSDIWinApp* sdi = CSDIWinApp::Get();
    if (mode == kModeThumbnails)
        MakeFocusBoxCmdBar();
    if (mode == kModeVossa)
        EnterVossaMode();
    else
        LeaveVossaMode();
    if (mode == kModeManual)
        MakeManualBar();
    if (mode == kModeAutomatic)
        MakeAutoBar();
    for (const char* bar : {"FocusBoxCmdDlg", "ManiualZDlg", "AutoZDlg", "VossaZDlg"})
        if (m_bars->HasBar(bar))
            m_bars->ShowBar(bar, std::string(bar) == entry->barName);
    if (m_pTopMenu) {
        m_pTopMenu->SetPressed(
            entry->thumbnailDown ? vtid::TopMenuBar::Thumbnails : vtid::TopMenuBar::MultiView, true);
        m_pTopMenu->ShowItem(vtid::TopMenuBar::MultiView, false);
        m_pTopMenu->ShowItem(vtid::TopMenuBar::Thumbnails, false);
        m_pTopMenu->ShowLensControls(entry->lensControls);
    }
    ShowCompositionBar(entry->compositionBar);
    m_bars->ShowBar("CompositionBar", true);
    m_bars->ShowBar("CusControlBar", entry->focusBox);
    m_bars->Update();

    switch (entry->view) {
    case ModeView::FolderTree:
        ActivateView<CDirTreeView>();
        break;
    case ModeView::Capture:
        ActivateView<CMultiView>();
        break;
    case ModeView::VossaLive:
        ActivateView<CVossaLiveView>();
        break;
    }
    if (entry->camera)
        StartCamera();
    LoadMenu(entry->menu);
    Show(true);
    if (mode == kModeThumbnails)
        if (CDirTreeView* tree = FolderTree())
            tree->ShowFolderAtTop(ImageFolder());
    FocusActiveView();
    if (m_pTopMenu)
        m_pTopMenu->RecalcLayout();
    UpdateMinimumSize();
    (void)sdi;
}

std::string CMainFrame::ImageFolder() const {
    COrsandelApp* app = COrsandelApp::GetApp();
    return app ? AbsoluteFolder(app->m_strImagePath, app->m_strCurrentDir) : std::string();
}

void CMainFrame::MakeFocusBoxCmdBar() {
    if (m_pFocusCmdBar)
        return;
    m_pFocusCmdBar = new CFocusBoxCmdBar();
    (new CStageControlBar)
        ->Create(*m_bars, this, m_pFocusCmdBar, "FocusBoxCmdDlg", ui::DockSide::Right, false);
    // A column of its own beside the focus image box, the whole height of the side.
    m_bars->Manager().GetPane("FocusBoxCmdDlg").Row(1);
}

void CMainFrame::ShowCaptureFolder() {
    const int mode = StartMode();
    if (mode != kModeManual && mode != kModeAutomatic)
        return;
    const ModeEntry* entry = FindModeEntry(mode);
    if (entry && m_bars->HasBar(entry->barName))
        m_bars->ShowBar(entry->barName, false);
    MakeFocusBoxCmdBar();
    m_bars->ShowBar("FocusBoxCmdDlg", true);
    m_bars->ShowBar("CusControlBar", true);
    m_bars->Update();
    ActivateView<CThumbnailView>();
    // No selection first, so that the list is filled again even when the folder is the same.
    if (CDirTreeView* tree = FolderTree()) {
        tree->UnselectAll();
        tree->ShowFolderAtTop(ImageFolder());
    }
    UpdateMinimumSize();
}

void CMainFrame::RestoreCaptureLayout() {
    ActivateView<CMultiView>();
    const int mode = StartMode();
    if (mode == kModeManual) {
        if (m_bars->HasBar("ManiualZDlg"))
            m_bars->ShowBar("ManiualZDlg", true);
        LoadMenu(vtid::menu::ManualMenu);
    } else if (mode == kModeAutomatic && m_bars->HasBar("AutoZDlg")) {
        m_bars->ShowBar("AutoZDlg", true);
    }
    if (m_bars->HasBar("FocusBoxCmdDlg"))
        m_bars->ShowBar("FocusBoxCmdDlg", false);
    m_bars->ShowBar("CusControlBar", true);
    m_bars->Update();
    const std::string shown = ThumbnailFolder();
    if (COrsandelApp* app = COrsandelApp::GetApp(); app && !shown.empty())
        app->m_strImagePath = shown;
    UpdateMinimumSize();
}

std::string CMainFrame::ThumbnailFolder() const {
    CThumbnailView* view = ThumbnailView();
    std::string folder = view ? view->Folder() : std::string();
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

void CMainFrame::OnInitialMenu() {
    if (IsComposing())
        return;
    SaveCameraSettings();
    for (const char* bar : {"FocusBoxCmdDlg", "ManiualZDlg", "AutoZDlg", "VossaZDlg"})
        if (m_bars->HasBar(bar))
            m_bars->ShowBar(bar, false);
    m_bars->Update();
    if (const std::optional<wxRect> outer = OuterRect())
        m_lastOuter = outer;
    Hide();
    COrsandelApp* app = COrsandelApp::GetApp();
    const int mode = app ? app->ChooseStartMode(true) : -1;
    if (mode == -1) {
        Close();
        return;
    }
    EnterMode(mode);
    // Shown again, the window comes back where it was hidden.
    if (m_lastOuter && !IsZoomed()) {
        m_wantedPlacement = *m_lastOuter;
        RestorePlacement();
    }
}

void CMainFrame::OnDisplayChange() {
    ActivateView<CDirTreeView>();
    ActivateView<CMultiView>();
    ActivateView<CVossaLiveView>();
    ActivateView<CThumbnailView>();
    switch (StartMode()) {
    case kModeManual:
    case kModeAutomatic:
        ActivateView<CMultiView>();
        break;
    case kModeVossa:
        ActivateView<CVossaLiveView>();
        break;
    default:
        ActivateView<CThumbnailView>();
        break;
    }
}

void CMainFrame::UpdateMinimumSize() {
    const int width = m_pTopMenu && m_pTopMenu->MinimumWidth() > 0 ? m_pTopMenu->MinimumWidth() : -1;
    int height = -1;
    const bool thumbnailLayout = m_pTopMenu && m_pTopMenu->IsPressed(vtid::TopMenuBar::Thumbnails);
    if (thumbnailLayout && m_pFocusCmdBar) {
        if (wxWindow* last = m_pFocusCmdBar->GetDlgItem(vtid::FocusBoxCommandBar::SortDescending))
            height = 16 * last->GetSize().y;
    } else if (const ModeEntry* entry = FindModeEntry(StartMode()); entry && entry->lastButton) {
        // The mode panel's last button stays in sight: its bottom in the client area plus a margin.
        wxWindow* panel = StartMode() == kModeManual      ? static_cast<wxWindow*>(m_pManual)
                          : StartMode() == kModeAutomatic ? static_cast<wxWindow*>(m_pAutoDlg)
                                                          : static_cast<wxWindow*>(m_pVossaDlg);
        // Hidden in some panel states, the button keeps its place.
        wxWindow* button = panel && panel->IsShown() ? panel->FindWindow(entry->lastButton) : nullptr;
        if (button) {
            height = ScreenToClient(button->GetScreenRect().GetBottomLeft()).y + 1 + entry->lastButtonMargin;
            // The composition bar runs across the bottom, below the panel: its height comes on
            // top, so that the button stays in sight (the height it is docked with, which a
            // window too small for it squeezes).
            if (m_bars && m_bars->HasBar("CompositionBar") && m_bars->State("CompositionBar").shown)
                height += kCompositionBarHeight;
        }
    }
    if (GetMinSize() == wxSize(width, height))
        return;
    SetMinSize(wxSize(width, height));
    // While the placement is being brought back it heeds the minimum itself (the size known
    // then may still be the toolkit's first guess).
    if (m_placementTimer.IsRunning())
        return;
    const wxSize now = GetSize();
    if ((width > 0 && now.x < width) || (height > 0 && now.y < height))
        SetSize(std::max(now.x, width), std::max(now.y, height));
}

void CMainFrame::OnCloseFrame(wxCloseEvent& ev) {
    if (ev.CanVeto() && (!WaitManualPanelIdle() || !CanCloseCapture())) {
        ev.Veto();
        return;
    }
    COrsandelApp* app = COrsandelApp::GetApp();
    if (app && !app->CloseImageFrame(false)) {
        ev.Veto();
        return;
    }
    if (m_closing)
        return;
    m_closing = true;
    const bool zoomed = IsZoomed();
    if (!zoomed && !IsIconized()) {
        // The outer rectangle as the screen shows it, so that the next start brings it back.
        const wxRect r = OuterRect().value_or(m_lastOuter.value_or(GetRect()));
        WriteWindowRect({r.x, r.y, r.width, r.height});
    }
    WriteZoomed(zoomed ? 1 : 0);
    if (app) {
        if (m_pDoc)
            WriteThumbnailSort(m_pDoc->m_sort);
        // The folder the thumbnails show, else the folder the capture panels chose.
        const std::string shown = ThumbnailFolder();
        const std::string& imagePath = shown.empty() ? app->m_strImagePath : shown;
        if (!imagePath.empty())
            WriteImagePath(imagePath);
        if (!app->m_strAutoPath.empty())
            WriteAutoPath(app->m_strAutoPath);
        if (!app->m_strAutoDir.empty())
            WriteAutoDir(app->m_strAutoDir);
        app->Ticker().StopTicking();
    }
    if (IsComposing()) {
        m_runner.Cancel();
    }
    SaveCameraSettings();
    SetActiveView(static_cast<ui::View*>(nullptr)); // the lens port closes with the capture view's timer
    StopCamera();
    // The lists' loaders write cache files: they end before the cache is trimmed.
    if (CThumbnailListCtrl* list = ThumbnailList())
        list->StopLoader();
    if (CSelListCtrl* box = FocusBoxList())
        box->StopLoader();
    CleanThumbnailCache(GetThumbCacheFolder());
    if (app)
        app->DestroyImageFrame(); // the hidden result window ends with the program
    Hide();
    ev.Skip(); // the document closes and the frame goes
}
