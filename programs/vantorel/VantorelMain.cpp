// The Vantorel program: the seams of the libraries are filled by the one install call, then the
// application object starts.
#include "platform/Process.h"
#include "programs/common/ProgramServices.h"
#include "shell/app/OrsandelApp.h"

#include <wx/app.h>

#include <memory>

class CVantorelWxApp : public wxApp {
public:
    bool OnInit() override {
        InstallVantorelServices();
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

wxIMPLEMENT_APP_NO_MAIN(CVantorelWxApp);

int main(int argc, char** argv) {
    RestartWithPassiveThreadWaits(argv);
    return wxEntry(argc, argv);
}
