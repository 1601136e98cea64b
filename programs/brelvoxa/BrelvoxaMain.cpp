// The 3D viewer's wx application: one viewer per user. A start while a viewer runs hands its
// paths to that viewer and ends; otherwise the viewer starts, opens the paths of its command
// line once its window shows and puts its file types into the user's desktop data.
#include "programs/common/ProgramServices.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/app/View3dApp.h"

#include <wx/app.h>
#include <wx/event.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

class BrelvoxaApp : public wxApp {
public:
    bool OnInit() override {
        std::vector<std::string> paths;
        for (int i = 1; i < argc; ++i)
            paths.push_back(argv[i].utf8_string());
        if (brx::View3dApp::HandPathsToRunningViewer(paths.empty() ? std::vector<std::string>{} : paths) &&
            !paths.empty()) {
            handedOver_ = true; // the running viewer opens them: this start ends at once, with success
            return true;
        }
        std::string error;
        if (!InstallBrelvoxaServices(true, &error))
            std::fprintf(stderr, "Brelvoxa: %s\n", error.c_str());
        app_ = std::make_unique<brx::View3dApp>();
        brx::View3dApp::RegisterShellTypes(ui::ProgramFolder() + "/Brelvoxa");
        return app_->InitInstance(ui::ProgramFolder(), paths);
    }
    int OnRun() override { return handedOver_ ? 0 : wxApp::OnRun(); }
    int OnExit() override {
        if (app_)
            app_->ExitInstance();
        app_.reset();
        return wxApp::OnExit();
    }
    int FilterEvent(wxEvent& event) override {
        const wxEventType t = event.GetEventType();
        if (app_ &&
            (t == wxEVT_KEY_DOWN || t == wxEVT_LEFT_DOWN || t == wxEVT_RIGHT_DOWN || t == wxEVT_MOTION))
            app_->InputSeen();
        return wxApp::FilterEvent(event);
    }

private:
    std::unique_ptr<brx::View3dApp> app_;
    bool handedOver_ = false;
};

} // namespace

wxIMPLEMENT_APP(BrelvoxaApp);
