// The main program's application object: settings file, language bundle, single-instance
// guard, the seven document templates, the start mode, the main frame and the live picture's
// ticker. It owns the lens table and opens the result window for the rest of the program.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/Process.h"
#include "shell/app/SDIWinApp.h"
#include "shell/core/lens/LensLibrary.h"
#include "shell/core/lens/LibraryLensTable.h"
#include "ui/CommandRouting.h"
#include "ui/PrivateMessages.h"
#include "ui/RecentFileList.h"
#include "ui/Timers.h"
#include "result/ImageFrame.h"

#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class COrsandelDoc;
class CImageDoc;

constexpr UINT WM_MAINFRAME_ACTIVE = WM_USER + 0x107; // 0x507

class COrsandelApp : public CSDIWinApp,
                     public ui::CommandTarget,
                     public ui::MessageTarget,
                     public LensLibrary {
public:
    COrsandelApp();
    ~COrsandelApp() override;

    static COrsandelApp* GetApp() { return s_theApp; }

    // Start-up; false ends the program (second instance, start dialog left without a mode).
    bool InitInstance();
    // Ends the program's windows (the document writes its settings).
    void ExitInstance();

    // A stored start mode without the dialog, or the start dialog's answer; -1 for none.
    int ChooseStartMode(bool forceDialog);
    // Shows a composition (or an image file) in the result window, created on first use and
    // reused after; its document keeps its own copies of the image and rows (the caller frees
    // its own). Returns the window's document, null when a file could not be shown.
    CImageDoc* OpenImageDocument(const char* path, HDIB bitmap, double** heights, int** focusIndex,
                                 int showCommand);
    // Leaves the result window, which is hidden; false when it refuses (an open child dialog,
    // or an unsaved result the user keeps).
    bool CloseImageFrame(bool returnToMain);
    // Ends the result window with the program.
    void DestroyImageFrame();
    // The file named by the recent-file list or the file-open goes to the result window; null when
    // it cannot be shown.
    CImageDoc* OpenDocumentFile(const std::string& path) {
        return OpenImageDocument(path.c_str(), nullptr, nullptr, nullptr, 1);
    }
    void OnAppAbout();

    CMainFrame* m_pMainFrame = nullptr;
    CImageFrame* m_pResultFrame = nullptr; // the result window's frame, when it exists
    int m_nStartMode = 0;
    int m_nSmoothing = 0; // noise-cut filter size of the next result
    int m_bImageOnly = 0; // set by the continuous-composition panel before a hand-over
    std::string m_strImagePath, m_strAutoPath, m_strAutoDir;
    std::string m_strCurrentDir, m_strSettingsPath;
    // The last four files opened in the result window (its File menu, [Recent File List]).
    std::unique_ptr<ui::RecentFileList> m_recent;
    // The document (the main frame owns it).
    COrsandelDoc* m_pDocument = nullptr;
    // What the last CloseImageFrame was asked: go back to the main frame or not.
    bool m_returnToMain = false;
    // Milliseconds from the start of InitInstance to the first shown frame.
    long m_startupMs = 0;
    ui::LiveTicker& Ticker() { return m_ticker; }
    // The lens table as the lens-selection dialogs see it.
    LibraryLensTable m_lensTable{this};

private:
    void RegisterTemplates();
    void OnIdleTick();
    LRESULT OnMainFrameActive(WPARAM, LPARAM);
    LRESULT OnViewerActive(WPARAM, LPARAM);

    SingleInstanceGuard m_guard;
    ui::LiveTicker m_ticker;
    static inline COrsandelApp* s_theApp = nullptr;
};
