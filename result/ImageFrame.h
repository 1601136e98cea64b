// The result window: menu 148, the viewer tool bar (template 80) docked above the single result
// view as a bar named "TopMenuDlg", as the main window's bars are docked,
// the commands with their update rules (all greyed while a noise cut runs), the noise worker's
// messages, the question before an unsaved result is thrown away, and a close that only hides
// the window unless the program is ending.
#pragma once

#include "ids/VantorelIds.h"
#include "platform/GlobalMemory.h"
#include "ui/RoutedFrame.h"

#include <memory>
#include <string>

class CImageDoc;
class CImageView;
namespace ui {
class DockingBars;
class RecentFileList;
} // namespace ui
class CViewerMenuDialog;
class CFocusProgDialog;
class CXYCalibSetDlg;
class LensTable;

constexpr UINT kMsgDiscardResult = vtid::str::DiscardResult;

// The window's rectangle moved (and shrunk where it must be) to lie inside the work area.
wxRect PlaceInWorkArea(wxRect window, const wxRect& area);

// The path with ".ext" added when its file name has no extension (a name typed without one).
std::string WithDefaultExtension(const std::string& path, const std::string& ext);
constexpr UINT WM_VIEWER_ACTIVE = 0x508;

class CImageFrame : public ui::RoutedFrame {
public:
    explicit CImageFrame(wxWindow* parent);
    ~CImageFrame() override;

    // Shows a composition result as the program hands it in: copies of the image and rows, the
    // noise-cut settings reset, the automatic smoothing with the given filter size started. Both
    // this and ShowImageFile first ask before an unsaved result goes (false: the user keeps it).
    bool ShowResult(HDIB image, const double* const* heights, const int* const* focus, int smoothing);
    // Opens an image file in the window.
    bool ShowImageFile(const std::string& path);

    // Asks 1032 before an unsaved new result is given up; true to go on. A yes holds for the
    // next picture shown here, which then does not ask again.
    bool QueryDiscardResult();
    // A modeless dialog of this window that is shown, null when none.
    wxWindow* OpenChildDialog() const;
    bool CloseResult();

    CImageDoc* GetImageDoc() const { return m_doc; }
    CImageView* GetImageView() const { return m_view; }
    CViewerMenuDialog* GetViewerBar() const { return m_toolBar; }
    ui::DockingBars& Bars() { return *m_bars; }
    CFocusProgDialog* GetProgressDialog() const { return m_progress; }

    bool m_closingApp = false;
    // The program's image folder ([InitialSettings] IMAGEPATH as read at start; null: none): the
    // image and 3D data dialogs start in it, and each confirmed choice puts its folder there.
    std::string* m_pImagePath = nullptr;
    // The program's recent-file list: files opened here join it (null: none kept).
    ui::RecentFileList* m_recentFiles = nullptr;
    bool m_newResultShown = true;

    // ---- lens selection and XY calibration (ImageFrameLens.cpp) ----
    LensTable* m_pLensTable = nullptr;        // the program's lens table, set by the program
    CXYCalibSetDlg* m_pCalibSetDlg = nullptr; // made on first use, kept (hidden when closed)
    int m_bSlotMode = 0;
    int m_nLensTab = 0; // the tab of the lens selection this frame shows first
    bool IsCalibSetOpen() const;
    void OnLensSelect();

private:
    // A new picture in the view: the lens and program paths read again, the picture fitted.
    void InitialUpdate();
    // Whether the shown result may be replaced: a yes given just before, or the question.
    bool AgreeToReplace();
    bool ViewHasItsSize() const;
    void onViewSize(wxSizeEvent& ev);
    void onIconize(wxIconizeEvent& ev);
    void onActivate(wxActivateEvent& ev);
    void ZoomField(int percent);
    bool NotBusy() const;
    void OnFit();
    void OnShowImage();
    void OnShowHeight();
    void OnUmScale();
    void OnDotScale();
    void OnSaveImage();
    void OnSave3d();
    void OnLoadImage();
    void OnTransfer3d();
    void OnTransferAnalysis();
    void OnNoiseCut();
    void OnCloseCommand();
    void OnScaleSettings();
    void OnProgramPaths();
    void StartProgress();
    void EndProgress();
    void RegisterLensCommands();
    LRESULT OnXYCalibEdit(WPARAM, LPARAM);
    LRESULT OnXYCalibApply(WPARAM, LPARAM);
    LRESULT OnWorkDone(WPARAM, LPARAM);
    LRESULT OnWorkProgress(WPARAM, LPARAM);
    LRESULT OnWorkCancel(WPARAM, LPARAM);
    void onClose(wxCloseEvent& ev);
    void onFocus(wxFocusEvent& ev);
    // The file dialog from the image folder, which then follows the choice; a name chosen
    // without an extension gets defaultExt. The open dialog starts at the filter last chosen in it.
    std::string AskFileName(bool open, const std::string& filter, const char* defaultExt);

    CImageDoc* m_doc = nullptr;
    CImageView* m_view = nullptr;
    std::unique_ptr<ui::DockingBars> m_bars;
    CViewerMenuDialog* m_toolBar = nullptr;
    CFocusProgDialog* m_progress = nullptr;
    bool m_discardAgreed = false;
    int m_openFilterIndex = 0;
    bool m_fitPending = false; // a new picture waits for the view's shown size to be fitted
};
