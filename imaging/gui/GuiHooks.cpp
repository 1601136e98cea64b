#include "imaging/gui/GuiHooks.h"

#include "imaging/ProgramHelpers.h"
#include "ui/ProgramHooks.h"

void InstallImagingGuiHooks() {
    SetPumpOneMessageHook(&ui::PumpOneMessageImpl);
    SetSetButtonIconHook(&ui::SetButtonIconImpl);
}
