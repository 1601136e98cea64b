#include "shell/StartDialog.h"

#include "platform/Settings.h"
#include "platform/MessageSink.h"
#include "shell/core/CaptureSettings.h"
#include "shell/core/StartMode.h"
#include "shell/StringStatic.h"

#include <wx/checkbox.h>

namespace {
constexpr int kNoStartDisplay = 1017;
constexpr UINT kMsgVossaRefused = 1045;
} // namespace

CStartDialog::CStartDialog(wxWindow* parent) : ui::TemplateDialog(parent, 146) {
    ReplaceControl(1006, SysColStaticFactory());
    for (int mode : {kModeThumbnails, kModeManual, kModeAutomatic})
        OnCommand(mode, [this, mode] { EndDialog(mode); });
    OnCommand(kModeVossa, [this] { OnVossa(); });
    OnCommand(kNoStartDisplay, [this] { OnNoStartDisplay(); });
}

bool CStartDialog::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    if (auto* box = Item<wxCheckBox>(kNoStartDisplay))
        box->SetValue(ReadIniInt("InitialSettings", "NOSTARTDISP", 0) != 0);
    return true;
}

void CStartDialog::OnVossa() {
    if (IsVossaRefusedDevice(ReadInputDevice())) {
        ShowMessage(kMsgVossaRefused, MB_OK);
        return;
    }
    EndDialog(kModeVossa);
}

void CStartDialog::OnNoStartDisplay() {
    if (auto* box = Item<wxCheckBox>(kNoStartDisplay))
        WriteIniInt("InitialSettings", "NOSTARTDISP", box->GetValue() ? 1 : 0);
}
