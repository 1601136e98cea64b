// The frame of one 3D document: eight panes by role (PaneRole.h) on two screens, the 3D screen
// (the image over the contour image on the left, the 3D view beside them, the slice image and
// the area graph below) and the measurement screen (its image, beside the analysis image over
// the profile graph), three tool bars, the pane sizes of both screens kept in the settings, and
// the document commands.
#pragma once

#include "ids/BrelvoxaIds.h"
#include "platform/GlobalMemory.h"
#include "ui/RoutedFrame.h"
#include "viewer3d/app/PaneRole.h"
#include "viewer3d/core/data/LineKind.h"
#include "viewer3d/measure/gui/BaseImgView.h"

#include <array>
#include <memory>
#include <string>

class wxBitmap;
class wxToolBar;
class wxBoxSizer;

namespace ui {
class CanvasView;
class SplitterGrid;
class View;
} // namespace ui

namespace v3d {
class CBaseImgView;
class CView3dView;
} // namespace v3d

namespace brx {

// The command that picks each measuring line kind, in kind order.
inline constexpr int kLineKindCommands[v3d::kLineKindCount] = {bxid::cmd::HorizontalLine,
                                                               bxid::cmd::VerticalLine, bxid::cmd::FreeLine};
// SavePaneSizes of both screens.
inline constexpr int kBothScreens = -1;

class CCalibFrm;
class CMainFrame;
class CView3dDoc;

// Private message of a calibration window to its owner: wParam is a global block of 30 bytes
// (f64 length of a pixel, then the unit text with its zero) or null; the receiver frees it.
constexpr UINT WM_CALIB_RESULT = 0x500;
constexpr size_t kCalibResultBytes = 30;
// The idle tick to the image view of the active document frame (lParam = idle count).
constexpr UINT WM_IDLE_TICK = 0x603;

class CView3dFrm : public ui::RoutedMdiChildFrame, public v3d::PrintPageSource {
public:
    // The frame takes the document. Pane sizes come from the active document frame when there is
    // one, else from the settings.
    CView3dFrm(CMainFrame* main, std::unique_ptr<CView3dDoc> doc, const std::string& title);
    ~CView3dFrm() override;

    CView3dDoc* Doc() const;
    // The 3D view (kPane3d).
    v3d::CView3dView* View3d() const { return view3d_; }
    // Ends a running spin of the 3D view before a change of the scene.
    void StopSpin();
    // The view of a role (PaneRole); null for any other number.
    ui::View* GetPaneView(int role) const;
    wxWindow* GetPaneWindow(int role) const;

    void ShowScreen3d();
    void ShowScreenMeasure();
    void SetLineKind(v3d::LineKind kind);
    // Pane sizes: widths 1..4, heights 1..7 (3D rows, measurement row, left rows, right rows),
    // read back from the splitters of a screen (v3d::ScreenMode) or kBothScreens while it shows.
    void SavePaneSizes(int which);
    void WritePaneSizes();
    void ApplyPaneSizes();
    const std::array<int, 4>& PaneWidths() const { return widths_; }
    const std::array<int, 7>& PaneHeights() const { return heights_; }

    // Saving: save (a .tdv path) or save as; split save of the shown screen's panes.
    void OnSave();
    void OnSaveAs();
    void OnSplitSave();
    // A pane's picture as a bitmap of the part where the view drew it (the 3D view and the graphs:
    // the whole client area); false when the view is missing or drew nothing.
    bool RenderPaneToImage(int role, class wxImage* image) const;

    // Printing (View3dFrmPrint.cpp): Print and Print Preview go to the profile graph on the
    // measurement screen, else the slice pane, which prints the screenshot waiting here or the
    // report.
    void OnFilePrint(bool preview);
    // Captures the main window as the screenshot to print (false: none could be taken).
    bool CaptureScreenshot();
    // The main window as it shows on its screen, cut to the screen; a null bitmap when none.
    wxBitmap GrabMainWindow() const;
    // The main window's picture saved as a bitmap file or put on the clipboard.
    void OnScreenshotToFile();
    void OnScreenshotToClipboard();
    void SetScreenshot(const wxBitmap& shot);
    void ClearScreenshot();
    const wxBitmap* PrintScreenshot() const override;
    void PrintReport(wxDC& dc, int pageWidth, int pageHeight, int dpiX, int dpiY) override;
    void BeginPrinting() override;
    void EndPrinting() override;

    LRESULT OnCalibResult(WPARAM block, LPARAM);
    CCalibFrm* CalibWindow() const { return calib_; }

    // The screen bar, the measuring-line bar and the file and display bar, each with small or
    // large buttons; large buttons at first, not flat.
    wxToolBar* Bar(int i) const { return i >= 0 && i < 3 ? bars_[i] : nullptr; }
    bool largeButtons = true, flatBars = false;

protected:
    void OnMDIActivate(bool activate) override;

private:
    void buildPanes();
    void buildBars();
    void onDisplayMode(int mode);
    void onBackground();

    CMainFrame* main_;
    CCalibFrm* calib_ = nullptr; // the calibration window this frame opened, while it is open
    std::unique_ptr<ui::SplitterGrid> outer3d_, left3d_, measure_, right_;
    std::array<ui::CanvasView*, kPaneRoleCount> views_{}; // the 2D panes (kPane3d is the 3D view)
    v3d::CView3dView* view3d_ = nullptr;
    std::array<wxToolBar*, 3> bars_{};
    wxBoxSizer* barSizer_ = nullptr;  // the bars on top
    wxBoxSizer* bodySizer_ = nullptr; // the panes and the bar on the right
    std::array<int, 4> widths_{};
    std::array<int, 7> heights_{};
    std::unique_ptr<wxBitmap> screenshot_; // a captured main window waiting to be printed
    wxSize laidOutSize_;                   // the size the panes were last fitted to
    bool sashDragged_ = false;             // the user is dragging a sash
};

} // namespace brx
