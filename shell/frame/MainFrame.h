// The main window: the views of the SDI layer in the middle, the top menu bar above, the
// composition bar below, the focus image box at the right and the panel of the capture mode at
// the left. It enters the four modes, owns the camera module with its parameter record, runs
// the batch composition and keeps its placement in the settings file.
#pragma once

#include "devices/camera/CamDll.h"
#include "devices/camera/ProcParameter.h"
#include "devices/camera/gui/CamNotices.h"
#include "shell/app/SDIWinApp.h"
#include "shell/capture/CameraSource.h"
#include "shell/core/compose/CompositionRunner.h"
#include "shell/vossa/VossaHost.h"
#include "ui/DockingBars.h"
#include "ui/TemplateWindow.h"

#include <wx/accel.h>
#include <wx/timer.h>

#include <memory>
#include <optional>
#include <string>

class CAutoPanelLink;
class COrsandelDoc;
class CFocusProgDialog;
class CMultiView;
class CDirTreeView;
class CThumbnailView;
class CThumbnailListCtrl;
class CSelListCtrl;
class CSelectedBox;
class CTopMenuDialog;
class CVossaDialog;
class CVossaImageView;
class CVossaLiveView;
class CManualDialog;
class CXYCalibDialog;
class CXYCalibSetDlg;
class CAutoDialog;
class wxComboBox;

class CCompositionBar : public ui::TemplatePanel {
public:
    CCompositionBar();
    bool OnInitDialog() override;
    wxComboBox* SpeedCombo() const;
    // Shows 819, 820, 823, 824, and 818 unless [InitialSettings] HeightButton is 0.
    void ShowCompositionItems(bool show);

private:
    void OnSizeBar();
};

// The command bar of the focus image box in the thumbnail layout (template 22, buttons 23 to 31).
class CFocusBoxCmdBar : public ui::TemplatePanel {
public:
    CFocusBoxCmdBar();
    // Centres the buttons: 31, 30, 29, 28, 27 from the bottom, 23 and 24 from the top, 25 and 26
    // between; returns the height the bar needs.
    int LayoutButtons();
};

// The hub of the program's windows: the capture panels and the live views reach it through
// VossaHost (with CaptureHost) and CameraSource only.
class CMainFrame : public CSDIFrameWnd, public VossaHost, public CameraSource {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Placement, cache folder, views, bars, camera settings and the start mode's entry.
    bool CreateFrame(std::unique_ptr<COrsandelDoc> document);

    // Maximised as the window manager reports it, or as asked for while no window manager has
    // answered (a display without one keeps no maximised state).
    void Maximize(bool maximize = true) override;
    bool IsZoomed() const;
    // The rectangle of the window with the window manager's frame, on the screen; nothing while
    // the window is not on the screen.
    std::optional<wxRect> OuterRect() const;
    // Brings the outer rectangle to the stored placement (at least the minimum size) once the
    // window manager has framed the window; done when IsPlacementSettled.
    void RestorePlacement();
    bool IsPlacementSettled() const { return m_placementSettled; }

    void EnterMode(int mode);
    int StartMode() const;
    void ShowCaptureFolder();
    void RestoreCaptureLayout();
    // [InitialSettings] IMAGEPATH as the folder tree finds it (a relative one taken from the
    // working folder).
    std::string ImageFolder() const;
    // The thumbnail view's folder without its trailing '/'; empty while it shows none.
    std::string ThumbnailFolder() const;
    // Selects the parent folder in the folder tree.
    void FolderUp();
    void OnInitialMenu();
    // Width of the pane the top menu bar lines up with; nothing while it does not exist.
    std::optional<int> ReferencePaneWidth(bool thumbnailLayout) const;
    void SetCompositionSpeed(int selection);
    void ShowCompositionBar(bool show);

    // ---- the browser's lists ----
    CDirTreeView* FolderTree() const;
    CThumbnailView* ThumbnailView() const;
    CThumbnailListCtrl* ThumbnailList() const;
    CSelListCtrl* FocusBoxList() const override;
    // Adds the selected (23) or all (24) thumbnails to the focus image box: 8-bit grey or 24-bit
    // colour images of the type and size of the box's images.
    void OnAddToFocusBox(bool all);
    // Removes the selected box entries (or all of them); the placeholder stays.
    void RemoveFromFocusBox(bool all) override;
    void OnMoveInFocusBox(int direction);
    void OnFocusBoxOrder(int command);
    void OnSortThumbnails(int command);
    void OnThumbnailSize(int size);
    void OnSelectAll();
    void OnSelectNone();
    // The picture information of the focused list's first selected (else last) entry.
    void OnImageInfo();
    void OnRefresh();
    void SetFocusedList(wxWindow* list);
    // The list the browser's commands work on (the last one that had the focus).
    wxWindow* FocusedList() const { return m_pFocusedList; }

    // ---- composition (819) ----
    bool IsComposing() const { return m_runner.IsBusy(); }
    void OnStartComposition();
    CompositionRunner& Runner() { return m_runner; }
    // Routes 819 as the composition bar's button does.
    void StartComposition() override;
    void EnableCompositionBar(bool enable) override;

    // ---- continuous composition mode (MainFrameVossa.cpp) ----
    void EnterVossaMode();
    void LeaveVossaMode();
    CProcParameter* JoinVossaView(CVossaLiveView* view) override;
    CProcParameter* JoinVossaView(CVossaImageView* view) override;
    CVossaDialog* VossaPanel() const override { return m_pVossaDlg; }
    CVossaLiveView* VossaLiveView() const override { return m_pVossaLiveView; }
    CVossaImageView* VossaImageView() const override { return m_pVossaImageView; }
    // ---- settings dialogs (32815 microscope, 818 heights, 820 composition) ----
    void OnScopeSettings();
    void OnHeightSettings();
    void OnCompositionSettings();

    // ---- camera ----
    void StartCamera();
    // The camera module is being searched for, loaded or connected: the live steps wait.
    bool IsCameraStarting() const { return m_cameraStarting; }
    void LoadCameraSettings();
    void SaveCameraSettings();
    CameraSource& Camera() override { return *this; }
    CCamDll& CameraModule() override { return m_camDll; }
    CProcParameter& CameraParameters() override { return m_params; }
    const std::string& InputDevice() const override { return m_strDevice; }
    const std::string& CameraModuleName() const override { return m_strModuleName; }
    bool CameraFailed() const override { return m_bCameraFailed != 0; }
    bool LayoutRefreshPending() const override { return m_bLayoutRefresh != 0; }
    void SetLayoutRefresh(bool pending) override { m_bLayoutRefresh = pending ? 1 : 0; }
    // For the window tests: as if no input device had been chosen, or no module loaded by name.
    void ForgetInputDevice() { m_strDevice.clear(); }
    void ForgetCameraModuleName() { m_strModuleName.clear(); }

    // ---- manual capture (MainFrameManual.cpp) ----
    CManualDialog* ManualPanel() const { return m_pManual; }
    // The panel is in a capture run; its capture button 608 is enabled (manual mode only).
    bool IsManualCaptureRunning() const override;
    bool IsManualCaptureButtonOn() const;
    // The Z calibration dialog is shown, a manual capture run or a continuous composition is
    // under way: the input device and its mode are not changed then (32804, 32812).
    bool CameraInUse() const;
    // False while the panel takes a picture (the frame closes once it is done).
    bool WaitManualPanelIdle();
    // ---- lens selection and XY calibration (MainFrameLens.cpp) ----
    void OnLensSelect();
    // The calibration settings dialog is open (the measuring line may be drawn).
    bool IsCalibSetOpen() const;
    CXYCalibSetDlg* CalibSetDialog() const override { return m_pCalibSetDlg; }
    // ---- the automatic capture panel (MainFrameCapture.cpp) ----
    CAutoDialog* AutoDialog() const { return m_pAutoDlg; }
    // The Z the automatic panel shows, read after the frame has been drawn.
    double ReadStageZ();
    void RedrawNow() override { Update(); }
    // False while a capture series runs (it is asked to stop; the frame closes when it has).
    bool CanCloseCapture();
    bool CaptureSeriesRunning() const;
    // In the automatic mode the current lens's capture interval goes to the panel's interval.
    void ApplyLensIntervalToAutoPanel(bool compare);

    CTopMenuDialog* TopMenu() const override { return m_pTopMenu; }
    CCompositionBar* CompositionBar() const { return m_pCompBar; }
    CSelectedBox* SelectedBox() const override { return m_pBox; }
    ui::DockingBars& Bars() { return *m_bars; }
    COrsandelDoc* Document() const override { return m_pDoc; }
    CFocusProgDialog* ProgressDialog() const { return m_pProgress; }
    CMultiView* CaptureView() const override { return m_pMultiView; }
    void RetryClose() override;

    // ---- the stage ----
    wxWindow* StageBusyOwner() const override { return m_pStageBusyOwner; }
    void SetStageBusyOwner(wxWindow* owner) override { m_pStageBusyOwner = owner; }
    CAutoPanelLink* AutoPanelLink() const override { return m_pAutoPanelLink; }

private:
    CCamDll m_camDll;
    CProcParameter m_params;
    std::unique_ptr<CamParamRecord> m_record;
    CCamDllNotices m_notices;
    std::string m_strModuleName; // display name of the loaded module
    std::string m_strDevice;     // [STAGEINPUT] INPDEVICE
    int m_bCameraFailed = 0;
    int m_nFrameType = -1;
    int m_bLayoutRefresh = 1;
    CMultiView* m_pMultiView = nullptr;
    CVossaLiveView* m_pVossaLiveView = nullptr;
    CVossaImageView* m_pVossaImageView = nullptr;
    CVossaDialog* m_pVossaDlg = nullptr;
    // A Vossa view joins (JoinVossaView): the camera may be tried again and no stage operation
    // holds the frame. Returns the camera parameters the view reads.
    CProcParameter* VossaViewJoined();
    wxWindow* m_pStageBusyOwner = nullptr;
    // The automatic panel's answers to the capture view (shell/capture/AutoPanelLink.h); null while
    // there is no panel.
    CAutoPanelLink* m_pAutoPanelLink = nullptr;
    wxWindow* m_pFocusedList = nullptr;
    CXYCalibDialog* m_pLensDlg = nullptr;     // while the lens selection runs
    CXYCalibSetDlg* m_pCalibSetDlg = nullptr; // made on first use, kept (hidden when closed)
    int m_bLensSlotValid = 0;
    int m_nLensTab = 0; // the tab of the lens selection this frame shows first

    void CreateBars();
    void RegisterBrowserCommands();
    void RegisterSettingsCommands();
    void JoinBrowser();
    void OnCloseFrame(wxCloseEvent& ev);
    void OnCharHook(wxKeyEvent& ev);
    void StopCamera();
    void UpdateMinimumSize();
    // The display changed: every group is laid out once, then the mode's view comes back.
    void OnDisplayChange();
    LRESULT OnWorkDone(WPARAM, LPARAM);
    LRESULT OnWorkAborted(WPARAM, LPARAM);
    LRESULT OnWorkProgress(WPARAM, LPARAM);
    LRESULT OnWorkCancel(WPARAM, LPARAM);
    LRESULT OnWorkReadFailed(WPARAM, LPARAM);
    LRESULT OnCameraAlloc(WPARAM, LPARAM);
    LRESULT OnCameraFree(WPARAM, LPARAM);
    LRESULT OnCameraGrab(WPARAM, LPARAM);
    LRESULT OnLensState(WPARAM, LPARAM);
    void RegisterLensCommands();
    LRESULT OnXYCalibEdit(WPARAM, LPARAM);
    LRESULT OnXYCalibApply(WPARAM, LPARAM);
    void OnSelectInputDevice();
    void OnInputMode();

    COrsandelDoc* m_pDoc = nullptr;
    std::unique_ptr<ui::DockingBars> m_bars;
    CTopMenuDialog* m_pTopMenu = nullptr;
    CCompositionBar* m_pCompBar = nullptr;
    CSelectedBox* m_pBox = nullptr;
    CFocusBoxCmdBar* m_pFocusCmdBar = nullptr;
    void MakeFocusBoxCmdBar();
    void MakeManualBar();
    void RegisterManualCommands();
    CManualDialog* m_pManual = nullptr;
    void MakeAutoBar();
    CAutoDialog* m_pAutoDlg = nullptr;
    CFocusProgDialog* m_pProgress = nullptr;
    CompositionRunner m_runner;
    wxAcceleratorTable m_accelerators; // the frame's table (105), set aside for a text field's keys
    bool m_acceleratorsAside = false;
    bool m_closing = false;
    bool m_cameraStarting = false;
    // ---- placement (MainFramePlacement.cpp) ----
    bool IsFramed() const;
    void OnPlacementTick();
    wxTimer m_placementTimer;
    wxRect m_wantedPlacement;
    std::optional<wxRect> m_lastOuter; // where the window was before it was last hidden
    int m_placementTicks = 0;
    int m_placementFixes = 0;
    int m_placementSteady = 0;
    bool m_placementSettled = false;
    bool m_zoomRequested = false;
    bool m_seenMaximized = false;
};
