#include "programs/common/ProgramServices.h"

#include "devices/serial/gui/SerialGuiServices.h"
#include "imaging/gui/GuiHooks.h"
#include "ui/UiLayer.h"

#include <wx/translation.h>

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

// The toolkit's own texts (the colour chooser, page set-up, the print preview, its message
// boxes' buttons) come from its message catalogue "wxstd" in the user's language: without it they
// stay English beside the program's Japanese. A missing catalogue leaves them English.
void loadToolkitCatalogue() {
    auto* translations = new wxTranslations;
    translations->SetLanguage(wxLANGUAGE_DEFAULT); // the language of the locale just taken
    translations->AddStdCatalog();
    wxTranslations::Set(translations); // takes it over, in place of an earlier one
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
    loadToolkitCatalogue();
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
