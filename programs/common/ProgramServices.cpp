#include "programs/common/ProgramServices.h"

#include "devices/serial/gui/SerialGuiServices.h"
#include "imaging/gui/GuiHooks.h"
#include "ui/UiLayer.h"

namespace {

bool installCommon(const char* program, bool wxMessageBoxes, std::string* error) {
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
