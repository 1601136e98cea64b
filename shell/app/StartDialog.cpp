#include "shell/app/StartDialog.h"

#include "platform/MessageSink.h"
#include "shell/core/capture/CaptureSettings.h"
#include "shell/core/settings/InitialSettings.h"
#include "shell/core/settings/StartMode.h"
#include "shell/controls/StringStatic.h"
#include "ids/VantorelIds.h"

#include <wx/checkbox.h>

CStartDialog::CStartDialog(wxWindow* parent) : ui::TemplateDialog(parent, vtid::dlg::StartDialog) {
    ReplaceControl(vtid::StartDialog::Picture, SysColStaticFactory());
    for (int mode : {kModeThumbnails, kModeManual, kModeAutomatic})
        OnCommand(mode, [this, mode] { EndDialog(mode); });
    OnCommand(kModeVossa, [this] { OnVossa(); });
    OnCommand(vtid::StartDialog::HideNextTime, [this] { OnNoStartDisplay(); });
}

bool CStartDialog::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    if (auto* box = Item<wxCheckBox>(vtid::StartDialog::HideNextTime))
        box->SetValue(ReadNoStartDialog() != 0);
    return true;
}

void CStartDialog::OnVossa() {
    if (IsVossaRefusedDevice(ReadInputDevice())) {
        ShowMessage(vtid::str::VossaNotWithDevice, MB_OK);
        return;
    }
    EndDialog(kModeVossa);
}

void CStartDialog::OnNoStartDisplay() {
    if (auto* box = Item<wxCheckBox>(vtid::StartDialog::HideNextTime))
        WriteNoStartDialog(box->GetValue() ? 1 : 0);
}
