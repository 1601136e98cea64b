// The 3D viewer's main window: an MDI frame that keeps its placement in the settings, carries
// the status bar and the two control panels on its left (View3dPanel and MeasurePanel,
// one shown at a time by the active document's screen), switches the menu with the screen, and
// receives the main program's height data sets through the findable-window link: each record
// becomes a new document in its own frame.
#pragma once

#include "platform/FindableWindow.h"
#include "ui/RoutedFrame.h"
#include "viewer3d/app/PaneRole.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class DockingBars;
class FindableWindowLink;
class StatusBar;
class TemplatePanel;
} // namespace ui

namespace brx {

class CView3dDoc;
class CView3dFrm;

// The panel mode while neither screen's panel shows (a calibration window is open).
inline constexpr int kNoPanel = -1;

class CMainFrame : public ui::RoutedMdiParentFrame {
public:
    CMainFrame();
    ~CMainFrame() override;

    // The active child frame when it is a document frame.
    CView3dFrm* GetActive3dFrame() const;
    CView3dDoc* GetActive3dDoc() const;
    // Menu and panel of a screen mode (v3d::ScreenMode; any other number: no panel, kNoPanel).
    void SwitchModeMenu(int mode, int onlyIfChanged);
    int PanelMode() const { return panelMode_; }
    // The child frames (document and calibration frames), in creation order.
    std::vector<ui::RoutedMdiChildFrame*> ChildFrames() const;
    // The document frames among them.
    std::vector<CView3dFrm*> DocFrames() const;
    // Enables or disables every document frame (the calibration window locks them).
    int EnableDocFrames(bool enable);
    // Fills the panel of the document's screen from its values.
    void UpdatePanelsFromDoc(CView3dDoc* doc);
    void UpdateSliceSlider(CView3dDoc* doc);
    void UpdateScaleEnables(CView3dDoc* doc);
    void UpdateGraphScaleEnables(CView3dDoc* doc);
    void SetLineCountText(const std::string& text);
    // A step of the line-count spin: the line count up (direction 1) or down (-1) by 2, by 10 with Ctrl
    // held, within 1 and the largest odd count the analysis picture allows.
    void SpinLineCount(int direction, bool control);
    // The caption (and the title other programs find the window by): "Brelvoxa", followed by
    // " - " and the active document's title when there is one.
    void RefreshTitle();
    // A child frame went: the title follows the child that is active now; with none left the
    // menu and panel of the 3D screen come back.
    void ChildClosed();

    // A received record: a new document frame that takes it. The new frame stays open when the
    // record is refused (CannotReadData).
    LRESULT OnCopyData(const COPYDATASTRUCT& record);
    // A new empty document frame; the caller fills the document.
    CView3dFrm* NewDocumentFrame(const std::string& title);
    // The title of a new untitled calibration document: "CalibrationSetting" and its number.
    std::string NewCalibrationTitle();
    void OnFileOpen();

    ui::TemplatePanel* Panel3d() const { return panel3d_; }
    ui::TemplatePanel* PanelMeasure() const { return panelMeasure_; }
    int measureFlag = 1;
    bool IsFindable() const;

private:
    void onClose(class wxCloseEvent& ev);
    void noteNormalRect();
    void bindPanelHandlers();
    void copyPane(PaneRole role);
    LRESULT onHScroll(WPARAM wParam, LPARAM lParam);
    void sliceScrolled(CView3dDoc* doc, int position);
    // The slice's area and perimeter measured once the events waiting now are handled, at the
    // level the slider has then: levels the knob passes meanwhile are not measured.
    void measureSliceSoon();
    // The slice's area and perimeter, empty until the measurement has run.
    void showSliceMeasures(CView3dDoc* doc);
    void fill3d(CView3dDoc* doc);
    void fillMeasure(CView3dDoc* doc);
    void lineCountChanged(int n, bool fromSpin);
    // The line-count spin shows the count of the edit beside it.
    void showLineCountOnSpin();

    wxRect normalRect_; // the rectangle of the window when it is neither maximised nor minimised
    int panelMode_ = kNoPanel;
    bool barsPending_ = false; // a layout of the panels waits for the next idle time
    // A measurement of the slice waits for the latest level.
    bool sliceMeasurePending_ = false;
    int panelsReady_ = 1;
    long caret_ = 0;
    int untitled_ = 0;
    int untitledCalibrations_ = 0;
    ui::TemplatePanel* panel3d_ = nullptr;
    ui::TemplatePanel* panelMeasure_ = nullptr;
    ui::StatusBar* status_ = nullptr;
    std::unique_ptr<ui::DockingBars> bars_;
    std::unique_ptr<ui::FindableWindowLink> link_;
};

// The class name other programs find the main window by.
constexpr const char* kMainWindowClass = "BrelvoxaMainFrame";

} // namespace brx
