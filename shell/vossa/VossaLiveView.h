// The live view of the continuous composition mode (template 268), the upper pane of its
// splitter: it takes a live frame from the camera module at every step of the live ticker, shows
// it with the scale overlay, hands it to the preview view's composer while a composition runs and
// tells the panel when the composition has come to an end. Like the capture view it toggles the
// scale bars, polls the lens port once a second while it is active and draws the measuring line
// of the XY calibration.
#pragma once

#include "shell/capture/CalibLine.h"
#include "platform/GlobalMemory.h"
#include "shell/core/lens/LensPort.h"
#include "ui/TemplateWindow.h"
#include "ui/Timers.h"

class COrsandelDoc;
class CProcParameter;
class CSampleStatic;
class CScaleStatic;
class CVossaImageView;
class VossaHost;

// Posted by the live view to the panel at the first step after the composition was ended.
constexpr UINT WM_VOSSA_DONE = 0x530;

// How long the parts of the last frame step took, in milliseconds.
struct VossaStepTimes {
    double grab = 0.0;    // preliminary grab, module grab, last good frame
    double compose = 0.0; // the frame added to the composer
    double display = 0.0; // conversions and the two panes
};

class CVossaLiveView : public ui::FormView, public CalibLineView {
public:
    CVossaLiveView();
    ~CVossaLiveView() override;

    // Registers the view with the main frame, clears the frame's no-camera flag and stage-busy
    // owner and keeps the frame's camera parameters.
    bool Create(wxWindow* parent);
    void OnInitialUpdate() override;
    // The lens timer: the controller type and lens port are read from the settings at every
    // activation; it runs only while this view is active and the controller type is 9.
    void OnActivateView(bool activate, ui::View* activated, ui::View* deactivated) override;
    // The caption "LIVE" on black, where no frame shows yet.
    void OnDraw(wxDC& dc) override;

    // The frame step, from the live ticker.
    void GrabAndCompose();
    // Frame size (-1 keeps the stored value); the preview view follows, then the live panes.
    void LayoutPanes(int width, int height);
    // Forgets the measuring line (after a lens selection or a calibration result).
    void ResetCalibLine() override;
    // Width of the frame the live pane shows (1 while none), for the calibration dialogs.
    int CalibPictureWidth() const override;
    const CCalibLine& CalibLine() const { return m_calibLine; }

    // The composition switch of the panel: while 1 every delivered frame is composed.
    void SetComposing(int composing) { m_bComposing = composing; }
    int IsComposing() const { return m_bComposing; }
    // Forgets that a composition ran, so that no end is reported for it (an end with nothing
    // composed has already brought the panel back).
    void ForgetComposition() { m_bComposing = m_bWasComposing = 0; }
    // The no-module message may be shown again (the mode was entered again).
    void AllowNoCameraMessage() { m_bNoCameraShown = false; }

    COrsandelDoc* GetDocument() const;
    CSampleStatic* LivePane() const { return m_pLive; }
    CScaleStatic* ScaleOverlay() const { return m_pScale; }
    int FrameWidth() const { return m_nLayoutWidth; }
    int FrameHeight() const { return m_nLayoutHeight; }
    int ImageType() const { return m_nImageType; }
    // Frame steps that ran, and frames the module delivered.
    long Steps() const { return m_nSteps; }
    long FramesDelivered() const { return m_nDelivered; }
    const VossaStepTimes& LastStepTimes() const { return m_times; }
    bool LensTimerRunning() const { return m_timers.IsRunning(kVossaLensTimer); }
    int LensPolls() const { return m_nLensPolls; }

    static constexpr UINT kVossaLensTimer = 1344;

private:
    // The main frame that shows the view; null while it has none.
    VossaHost* Host() const;
    CVossaImageView* ImageView() const;
    void OnSizeView();
    void OnLensTimer();
    // The measuring line on the live pane while the calibration settings dialog is open.
    void AttachCalibLine();
    // One grab whose frame is thrown away (the first grab after a layout refresh).
    void DiscardOneGrab();

    COrsandelDoc* m_pDoc = nullptr;
    CProcParameter* m_pParams = nullptr;
    int m_nImageType = -1;
    int m_nLastGoodType = -1;
    HDIB m_hLastGood = nullptr;
    int m_bComposing = 0;
    int m_bWasComposing = 0;
    int m_nLayoutWidth = 0;
    int m_nLayoutHeight = 0;
    bool m_bNoCameraShown = false;
    CSampleStatic* m_pLive = nullptr;
    CScaleStatic* m_pScale = nullptr;
    long m_nSteps = 0;
    long m_nDelivered = 0;
    VossaStepTimes m_times;
    int m_nLensPort = 1;
    int m_nLensPolls = 0;
    CLensPort m_lensPort;
    ui::WindowTimers m_timers;
    CCalibLine m_calibLine;
};
