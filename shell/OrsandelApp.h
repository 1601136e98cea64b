// The main program's application object: settings file, language bundle, single-instance
// guard, the seven document templates, the start mode, the main frame and the live picture's
// ticker. It owns the lens table and opens the result window for the rest of the program.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/Process.h"
#include "shell/SDIWinApp.h"
#include "shell/core/LensLibrary.h"
#include "ui/CommandRouting.h"
#include "ui/PrivateMessages.h"
#include "ui/Timers.h"

#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class COrsandelDoc;

constexpr UINT WM_MAINFRAME_ACTIVE = WM_USER + 0x107; // 0x507
constexpr UINT WM_VIEWER_ACTIVE = WM_USER + 0x108;    // 0x508
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;

// What the composition handed to the result window: its own copies of the composite and of the
// height and best-focus rows (the caller frees its own).
struct ResultHandOver {
    ~ResultHandOver();
    std::string path;
    HDIB composite = nullptr;
    std::vector<std::vector<double>> heights;
    std::vector<std::vector<int>> focusIndex;
    int smoothing = 0; // FILTERSIZE of the noise cut
    int showCommand = 0;
};

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
    // Hands a composition (or a file) to the result window, which keeps its own copies.
    ResultHandOver* OpenImageDocument(const char* path, HDIB bitmap, double** heights, int** focusIndex,
                                      int showCommand);
    // Leaves the result window; false when it refuses.
    bool CloseImageFrame(bool returnToMain);
    // The file named by the recent-file list or the file-open goes to the result window.
    ResultHandOver* OpenDocumentFile(const std::string& path) {
        return OpenImageDocument(path.c_str(), nullptr, nullptr, nullptr, 1);
    }
    void OnAppAbout();

    CMainFrame* m_pMainFrame = nullptr;
    wxWindow* m_pResultFrame = nullptr; // the result window's frame, when it exists
    int m_nStartMode = 0;
    int m_nSmoothing = 0; // noise-cut filter size of the next result
    int m_bImageOnly = 0; // set by the continuous-composition panel before a hand-over
    std::string m_strImagePath, m_strAutoPath, m_strAutoDir;
    std::string m_strCurrentDir, m_strSettingsPath;
    std::vector<std::string> m_recentFiles;
    // The document (the main frame owns it).
    COrsandelDoc* m_pDocument = nullptr;
    // The last result handed over while no result window exists.
    std::unique_ptr<ResultHandOver> m_lastResult;
    // Milliseconds from the start of InitInstance to the first shown frame.
    long m_startupMs = 0;
    ui::LiveTicker& Ticker() { return m_ticker; }

private:
    void RegisterTemplates();
    void OnIdleTick();
    LRESULT OnMainFrameActive(WPARAM, LPARAM);
    LRESULT OnViewerActive(WPARAM, LPARAM);

    SingleInstanceGuard m_guard;
    ui::LiveTicker m_ticker;
    static inline COrsandelApp* s_theApp = nullptr;
};
