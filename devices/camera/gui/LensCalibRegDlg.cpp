#include "devices/camera/gui/LensCalibRegDlg.h"

#include "devices/camera/XYCalibValues.h"
#include "ids/VantorelIds.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

CLensCalibRegDlg::CLensCalibRegDlg() : ui::TemplatePanel(kTemplateId) {
    // "レンズ1" .. "レンズ5"
    for (UINT id = vtid::str::Lens1Name; id <= vtid::str::Lens5Name; ++id)
        m_strNames[id - vtid::str::Lens1Name] = ui::ToUtf8(ui::LoadResString(id));
}

bool CLensCalibRegDlg::OnInitDialog() {
    m_radios.Attach(this, kRadio);
    return ui::TemplatePanel::OnInitDialog();
}

void CLensCalibRegDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(kRadio[0], m_nSelSlot);
    if (!dx.m_bSaveAndValidate)
        m_radios.Select(m_nSelSlot);
    for (int i = 0; i < kSlots; ++i) {
        dx.Text(kName[i], m_strNames[i]);
        if (dx.m_bSaveAndValidate)
            m_strNames[i] = CutToChars(m_strNames[i], kNameChars);
    }
}
