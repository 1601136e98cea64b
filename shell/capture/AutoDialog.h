// The panel of the automatic Z-stage mode (template 908, docked as "AutoZDlg"): jogs and reads
// the focus drive, zeroes it, defines the capture positions as an equal-interval range or an
// edited or loaded list, chooses the first file of the series and runs it. For each position the
// series moves the drive, takes and saves a picture through the capture view, adds the file with
// its read-back Z to the focus image box and feeds it to a running composer whose composite is
// shown in the capture view's preview pane; a completed series can start the composition (819).
#pragma once

#include "platform/GlobalMemory.h"
#include "shell/capture/AutoPanelLink.h"
#include "shell/capture/AutoEditDialog.h"
#include "ui/TemplateWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CButtonOn;
class CaptureHost;
class CFocusComp;
class CMultiView;
class CTakePicStatic;
class CXyTblCtrl;

class CAutoDialog : public ui::TemplatePanel, public AutoEditOwner, public CAutoPanelLink {
public:
    // How a series ended. ControllerFailed: a move, its wait or the read of the Z reached failed.
    enum class SeriesEnd { Completed, Stopped, Failed, Declined, ControllerFailed };

    explicit CAutoDialog(CaptureHost* host);
    ~CAutoDialog() override;

    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    // ---- the focus drive ----
    // Reads the position; on success shows the displayed Z in 915 and redraws the diagram.
    // Returns the current Z (the last one when the read failed).
    double ReadZPosition();
    // The same read: the displayed Z the drive reports now, or nothing when it did not answer
    // (the panel then still shows the last Z read).
    std::optional<double> ReadZ();
    // Moves to a displayed Z and waits for the stop; nothing when the micrometres per pulse are
    // not positive. False when the controller refused the move or did not report its end: the
    // drive is then not known to be at z.
    bool MoveToZ(double z) override;
    // The current position becomes the origin (type 5: the controller is reset); false when the
    // controller did not answer (the origin stays as it was).
    bool SetZOrigin();

    // ---- states ----
    // FALSE: the panel takes the stage (when it is free) and everything but stop goes off; TRUE:
    // the panel gives the stage back and the controls come on again.
    void EnableControls(bool enable);
    // While the editor is open: its list-changing buttons and the range buttons by the flag.
    void EnableListControls(bool enable);
    void OnEditorClosed() override;
    // The editor's list accepted: list mode with these positions.
    void OnEditorAccepted(const std::vector<double>& positions) override;
    std::optional<double> GetDisplayedZ() override { return ReadZ(); }

    // ---- what the capture view's Z calibration asks of the panel ----
    void EnablePanel(bool enable) override { EnableControls(enable); }
    void ShowPulseValue(double umPerPulse) override;
    void OnZCalibrationApplied() override { ReadZPosition(); }
    void InvalidateDiagram();

    // ---- the diagram's values (diagram coordinates) ----
    double DiagramCurrent();
    std::vector<double> DiagramPositions() const;

    // ---- state the frame and the tests read ----
    bool IsCapturing() const { return m_bCapturing != 0; }
    bool StopRequested() const { return m_bStopRequest != 0; }
    const std::vector<double>& Positions() const { return m_positions; }
    void SetPositions(std::vector<double> positions);
    int ListMode() const { return m_nListMode; }
    int Count() const { return m_nCount; }
    double CurrentZ() const { return m_dCurrentZ; }
    double JogStep() const { return m_dJogStep; }
    SeriesEnd LastSeriesEnd() const { return m_lastEnd; }
    CTakePicStatic* Diagram() const { return m_pDiagram; }
    CAutoEditDialog* Editor() const { return m_pEditor; }
    // The frame closes: a running series is asked to stop, and the frame is closed again once
    // it has ended. True when nothing runs and the frame may go now.
    bool RequestClose();

    // ---- commands (also run by the tests as the buttons would) ----
    void OnStart();
    void OnStop();
    void OnSaveList();
    void OnLoadList();
    void OnSelectPath();
    void OnEditor();
    // The lens's capture interval arrived (lens state or lens choice): with AUTO ticked it
    // becomes the interval, shown "%.2f" in the read-only edit 1185; 0 unticks AUTO. compare:
    // an interval that the edit already shows changes nothing.
    void ApplyLensInterval(double interval, bool compare);

private:
    CMultiView* View() const;
    CXyTblCtrl* Stage() const;
    int ControllerType() const;
    // -1 when the reversed-Z flag or SIDE is set, else +1.
    int Sign() const;
    double UmPerPulse() const;
    int Origin() const;
    // For type 5: the controller's step becomes the micrometres per pulse (shown in 921 and
    // stored as 1PULSE cut to four decimals).
    void RefreshCalibration();
    bool GetCheckState(int id) const;
    void ShowCalibration(const char* unit);

    void OnJogStep(bool up);
    void OnZero();
    void OnSetStartOrEnd(bool start);
    void OnRangeEdit();
    void OnEqualInterval();
    LRESULT OnWorkCancel(WPARAM, LPARAM);
    void OnDestroyPanel();

    void ComputeRange();
    void ShowRangeControls(bool equalInterval);
    void UpdatePathDisplay();

    // The capture loop and its running composer.
    SeriesEnd RunSeries();
    bool AddToComposer(const std::string& path);
    void FreeComposer();

    CaptureHost* m_pHost;
    CTakePicStatic* m_pDiagram = nullptr;
    CButtonOn* m_pJogUp = nullptr;
    CButtonOn* m_pJogDown = nullptr;
    std::unique_ptr<CFocusComp> m_pComposer;
    CAutoEditDialog* m_pEditor = nullptr;

    int m_bCapturing = 0;
    int m_bStopRequest = 0;
    int m_bCloseAfterSeries = 0;
    bool m_bInitialised = false;
    double m_dJogStep = 0.0;
    int m_nOrigin = 0;
    std::string m_strPath;
    std::string m_strFolderDisplay, m_strNameDisplay;
    int m_nCount = 0;
    int m_nListMode = 1;
    std::vector<double> m_positions;
    double m_dCurrentZ = 0.0;
    double m_dRawZ = 0.0; // of the last successful read
    double m_dInterval = 0.0;
    double m_dStart = 0.0;
    double m_dEnd = 0.0;
    int m_bAutoComp = 0;
    SeriesEnd m_lastEnd = SeriesEnd::Completed;
};
