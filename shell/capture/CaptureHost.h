// CaptureHost: what the capture panels (manual and automatic) and the live views ask of the main
// frame that holds them: the camera, the capture view, the document, who holds the stage, the
// focus image box, and the frame's bars and close. The main frame implements it. A panel is given
// its host when it is made (it may float in a window of its own); a view finds its host as its
// top-level window.
#pragma once

class CAutoPanelLink;
class CameraSource;
class CMultiView;
class COrsandelDoc;
class CSelectedBox;
class CSelListCtrl;
class CTopMenuDialog;
class CXYCalibSetDlg;
class wxWindow;

class CaptureHost {
public:
    virtual ~CaptureHost() = default;

    virtual CameraSource& Camera() = 0;
    // The capture view: the stage controller, still pictures and the composition preview.
    virtual CMultiView* CaptureView() const = 0;
    virtual COrsandelDoc* Document() const = 0;

    // ---- the stage ----
    // The window whose operation holds the stage (the automatic panel's series, its position
    // editor, the Z calibration); null while the stage is free.
    virtual wxWindow* StageBusyOwner() const = 0;
    virtual void SetStageBusyOwner(wxWindow* owner) = 0;
    // The automatic panel's answers to the capture view's Z calibration; null while there is no
    // automatic panel.
    virtual CAutoPanelLink* AutoPanelLink() const = 0;
    // The manual panel is in a capture run.
    virtual bool IsManualCaptureRunning() const = 0;

    // ---- the focus image box ----
    virtual CSelListCtrl* FocusBoxList() const = 0;
    virtual CSelectedBox* SelectedBox() const = 0;
    // Removes the selected box entries (or all of them); the placeholder stays.
    virtual void RemoveFromFocusBox(bool all) = 0;

    // ---- the frame's bars and windows ----
    virtual CTopMenuDialog* TopMenu() const = 0;
    // The composition bar's buttons and speed follow a capture series (off while it runs).
    virtual void EnableCompositionBar(bool enable) = 0;
    // The calibration settings dialog, made on first use and kept hidden when closed (null
    // before); the measuring line of the live views serves it while it is shown.
    virtual CXYCalibSetDlg* CalibSetDialog() const = 0;
    // Draws what the frame's windows have pending, now.
    virtual void RedrawNow() = 0;
    // Starts the composition of the focus image box, as the composition bar's button does.
    virtual void StartComposition() = 0;
    // A close of the frame waited for a picture or a series that has now ended: the frame is
    // closed again once the current message has been handled.
    virtual void RetryClose() = 0;
};
