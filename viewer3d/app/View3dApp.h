// The 3D viewer's application object (the wx application of programs/brelvoxa holds one): it
// puts the settings file Brelvoxa.ini beside the program, chooses the language bundle, creates
// the main frame, loads and saves the processing parameters, opens files from the command line,
// from a second start, from dropped files and from File Open, registers the file types with the
// desktop, and sends the idle tick to the image pane of the active document frame.
#pragma once

#include "platform/FindableWindow.h"
#include "ui/CommandRouting.h"
#include "ui/RecentFileList.h"
#include "ui/Timers.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {
class Document;
}

namespace brx {

class CMainFrame;
class CView3dDoc;

// The class name of the window that takes the paths of a second start.
constexpr const char* kOpenRequestClass = "BrelvoxaOpenRequest";
// Tag of a path record sent by a second start.
constexpr DWORD kOpenRequestTag = 0x4E45504F; // "OPEN"

class View3dApp : public ui::CommandTarget {
public:
    View3dApp();
    ~View3dApp() override;
    View3dApp(const View3dApp&) = delete;
    View3dApp& operator=(const View3dApp&) = delete;
    // The running application (the last one constructed).
    static View3dApp& Get();

    // Start-up with the program's folder (Brelvoxa.ini, 3DPROC.PAR and the resources live
    // there). The main frame is shown and the paths are opened. False when the main frame
    // could not be made.
    bool InitInstance(const std::string& programFolder, const std::vector<std::string>& paths);
    // Releases the GL libraries, saves the parameters (CannotSaveParameters or InvalidFileName on failure)
    // and ends the ticker.
    int ExitInstance();
    // Opens a path (quotes stripped, made absolute, a symbolic link followed): a .cbs file in a
    // calibration window of its own, any other file as a 3D document (its reader chosen by the
    // extension). An open document's frame is activated instead of opening it twice. The opened
    // or already open document; null when it did not open.
    ui::Document* OpenFile(const std::string& path);
    // OpenFile for a 3D document: null as well for a calibration file.
    CView3dDoc* OpenDocumentFile(const std::string& path);
    // The template of an extension: ".tdv" for the 3D documents, ".cbs" for calibration files,
    // empty for anything that is not one of them (null, no leading '.', unknown).
    static std::string FindTemplateByExt(const char* ext);

    CMainFrame* MainFrame() const { return main_; }
    // The last four files opened or saved under a new name (File menu, Brelvoxa.ini).
    ui::RecentFileList* RecentFiles() const { return recent_.get(); }
    const std::string& ProgramFolder() const { return folder_; }
    int startShowCommand = 1;

    // Idle tick: posts WM_IDLE_TICK with the idle count to the image view of the active
    // document frame (ImagePaneOf the document's screen); input restarts the count.
    void IdleTick();
    void InputSeen() { idleCount_ = 0; }
    long IdleCount() const { return idleCount_; }

    // Writes the MIME types of .tdv and .cbs and a desktop entry that starts the program under
    // the user's XDG data folder (XDG_DATA_HOME, else ~/.local/share). False on a write error.
    static bool RegisterShellTypes(const std::string& programPath);
    // A second start hands its paths to the running viewer; true when one took them.
    static bool HandPathsToRunningViewer(const std::vector<std::string>& paths);

    void OnAppAbout();
    void OnGeneralSettings();

private:
    std::string folder_;
    CMainFrame* main_ = nullptr;
    std::unique_ptr<ui::RecentFileList> recent_;
    std::unique_ptr<ui::LiveTicker> ticker_;
    long idleCount_ = 0;
    FindableWindow openLink_;
    v3d::gl::GlLibraries glLibraries_; // the GL and GLU libraries the 3D panes draw through
};

} // namespace brx
