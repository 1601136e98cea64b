#include "devices/serial/gui/SerialGuiServices.h"

#include "devices/serial/AbortKeys.h"
#include "ui/Services.h"

void InstallSerialGuiServices() {
    SetAbortKeySource([](int virtualKey) { return ui::AsyncKeyState(virtualKey); });
}
