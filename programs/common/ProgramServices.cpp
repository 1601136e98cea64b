#include "programs/common/ProgramServices.h"

#include "devices/serial/gui/SerialGuiServices.h"
#include "imaging/gui/GuiHooks.h"
#include "ui/UiLayer.h"

#include <clocale>
#include <csignal>

namespace {

// The toolkit leaves the process in the C locale, in which its own labels (file dialogs, stock
// buttons) are English: take the user's locale, so that in a Japanese one they are Japanese like
// the program's own. Numbers stay in the C notation that the settings and data files use.
void adoptUserLocale() {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
}

// A write past the file-size limit (ulimit -f) raises SIGXFSZ, which ends the process with every
// open document: ignored, the write fails with EFBIG instead, and the save reports the file system
// full and leaves the old file as it was.
void survivePastTheFileSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool installCommon(const char* program, bool wxMessageBoxes, std::string* error) {
    survivePastTheFileSizeLimit();
    adoptUserLocale();
    ui::ProgramServices services;
    services.program = program;
    services.wxMessageBoxes = wxMessageBoxes;
    const bool resources = ui::InstallProgramServices(services, error);
    InstallImagingGuiServices();
    return resources;
}

} // namespace

bool InstallVantorelServices(bool wxMessageBoxes, std::string* error) {
    const bool resources = installCommon("vantorel", wxMessageBoxes, error);
    InstallSerialGuiServices();
    return resources;
}

bool InstallBrelvoxaServices(bool wxMessageBoxes, std::string* error) {
    return installCommon("brelvoxa", wxMessageBoxes, error);
}
