#include "imaging/gui/GuiHooks.h"

#include "imaging/files/SECImage.h"
#include "platform/ProgramHelpers.h"
#include "ui/ProgramHooks.h"

#include <wx/gdicmn.h>

#include <atomic>

namespace {

// Read once on the UI thread: the screen's depth does not change while the program runs, and
// the image classes may ask from any thread.
std::atomic<int> g_screenBits{24};

ScreenCaps screenOfTheDisplay() {
    ScreenCaps caps;
    caps.bitsPixel = g_screenBits.load();
    caps.planes = 1;
    return caps;
}

} // namespace

void InstallImagingGuiServices() {
    SetPumpOneMessageHook(&ui::PumpOneMessageImpl);
    SetSetButtonIconHook(&ui::SetButtonIconImpl);
    const int depth = wxDisplayDepth();
    g_screenBits = depth > 0 ? depth : 24;
    SetScreenCapsFunction(&screenOfTheDisplay);
}
