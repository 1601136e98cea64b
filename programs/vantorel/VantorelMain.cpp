// The Vantorel program: the window layer's start-up, then the application object.
#include "imaging/gui/GuiHooks.h"
#include "shell/OrsandelApp.h"
#include "ui/UiLayer.h"

#include <wx/app.h>

#include <memory>

class CVantorelWxApp : public wxApp {
public:
    bool OnInit() override {
        ui::InitUiLayer({});
        InstallImagingGuiHooks();
        m_app = std::make_unique<COrsandelApp>();
        if (!m_app->InitInstance()) {
            m_app.reset();
            return false;
        }
        return true;
    }
    int OnExit() override {
        m_app.reset();
        return wxApp::OnExit();
    }

private:
    std::unique_ptr<COrsandelApp> m_app;
};

wxIMPLEMENT_APP(CVantorelWxApp);
