// The capture view (template 166) of the manual and automatic modes: the live camera picture
// with its scale overlay above, the composition preview below. It owns the stage controller
// with its communication and speed settings and the lens port with its one-second lens timer,
// and takes still pictures into files.
#pragma once

#include "devices/serial/XyTblCtrl.h"
#include "platform/GlobalMemory.h"
#include "shell/core/capture/CaptureSettings.h"
#include "devices/serial/ControllerSettings.h"
#include "shell/capture/CalibLine.h"
#include "shell/core/lens/LensPort.h"
#include "ui/TemplateWindow.h"
#include "ui/Timers.h"

#include <optional>

class CameraSource;
class CaptureHost;
class COrsandelDoc;
class CSampleStatic;
class CScaleStatic;
class CZCalibrationDialog;
struct ZCalibrationValues;

constexpr UINT kLensTimer = 1344;

class CMultiView : public ui::FormView, public CalibLineView {
public:
    CMultiView();
    ~CMultiView() override;

    bool Create(wxWindow* parent);
    // The document reloads its lens slots; the scale buttons and the overlay follow it.
    void OnInitialUpdate() override;
    // The lens timer runs only while this view is the active view and the controller type is 9.
    void OnActivateView(bool activate, ui::View* activated, ui::View* deactivated) override;
    // Black behind the panes, "LIVE" centred on the live pane and "FOCUSING PREVIEW" below it.
    void OnDraw(wxDC& dc) override;

    // One live frame into the live pane (called about ten times a second while active).
    void GrabLiveFrame();
    // A still picture as a new bitmap, or null; type, width and height of it.
    HDIB GrabStill(int* type, int* width, int* height);
    // Grabs a still picture and saves it by the path's extension: 1 saved, 0 not (message 896
    // after a failed save).
    int CaptureAndSave(const std::string& path);
    void SetupDxmMarker();

    void ResizeLivePane(int width, int height);
    void PlaceFocusPreview();
    void ResetCalibLine() override;
    int CalibPictureWidth() const override;
    const CCalibLine& CalibLine() const { return m_calibLine; }

    // One poll of the lens port: 1 when a state byte was decoded.
    int ReadLensState(int* lens, double* zoom);
    int InitStageController();
    void ApplySpeed();
    void EndStageOperation();
    // Z calibration (32805): shows the modeless dialog, made on first use (MultiViewZCalib.cpp).
    void OnZCalibration();
    // Enables or disables the automatic panel's controls, when that panel exists.
    void EnableAutoPanel(bool enable);
    CZCalibrationDialog* ZCalibrationDialog() const { return m_pZCalibDlg; }

    COrsandelDoc* GetDocument() const;
    CSampleStatic* LivePane() const { return m_pLive; }
    CSampleStatic* PreviewPane() const { return m_pPreview; }
    CScaleStatic* ScaleOverlay() const { return m_pScale; }
    CXyTblCtrl& Stage() { return m_xy; }
    int FrameWidth() const { return m_nFrameWidth; }
    int FrameHeight() const { return m_nFrameHeight; }
    bool LensTimerRunning() const { return m_timers.IsRunning(kLensTimer); }
    // Polls of the lens port the timer has made.
    int LensPolls() const { return m_nLensPolls; }

    ControllerCommSettings m_comm;
    SpeedPresets m_speed;
    int m_bReverseZ = 0;
    int m_nZOrigin = 0;
    int m_bTwoPoint = 0;
    double m_dMovement = 1.0, m_d1Pulse = 1.0;
    int m_nPoint1 = 0, m_nPoint2 = 1;
    RECT m_marker{-1, -1, -1, -1}; // left, top, width, height in frame pixels

private:
    // The main frame that shows the view, and its camera; null while it has none.
    CaptureHost* Host() const;
    CameraSource* Camera() const;
    void OnSizeView();
    void OnLensTimer();
    void OnStageControllerSettings();
    void OnSpeedSettings();
    void ReadCommSettings();
    bool StageBusy() const;
    void ApplyZCalibration(const ZCalibrationValues& values);
    void DeleteZCalibration();
    // The measuring line on the live pane (MultiViewCalib.cpp).
    void AttachCalibLine();

    CSampleStatic* m_pLive = nullptr;
    CSampleStatic* m_pPreview = nullptr;
    CScaleStatic* m_pScale = nullptr;
    int m_nFrameWidth = 0, m_nFrameHeight = 0;
    int m_nFrameType = -1;
    int m_nLensPolls = 0;
    HDIB m_hLastGood = nullptr;
    CXyTblCtrl m_xy;
    CLensPort m_lensPort;
    ui::WindowTimers m_timers;
    CZCalibrationDialog* m_pZCalibDlg = nullptr;
    CCalibLine m_calibLine;
};
