// The input-device dialog: the user picks one of the camera modules that the last search found.
#pragma once

#include "devices/camera/ProcParameter.h"
#include "ids/VantorelIds.h"
#include "ui/TemplateWindow.h"

#include <string>

class CInpImgDlg : public ui::TemplateDialog {
public:
    static constexpr int kTemplateId = vtid::dlg::InputDeviceDialog;
    static constexpr int kDeviceCombo = vtid::InputDeviceDialog::Device;

    // params: the main frame's camera parameters, whose module list is offered and whose device
    // name preselects the first entry beginning with it.
    CInpImgDlg(wxWindow* parent, const CProcParameter* params);

    bool OnInitDialog() override;
    void OnOK() override;

    // The chosen display name after OK; empty when nothing was selected.
    std::string m_deviceName;

private:
    wxWindow* m_parent;
    const CProcParameter* m_params;
};
