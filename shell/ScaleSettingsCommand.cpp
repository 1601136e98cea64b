#include "shell/ScaleSettingsCommand.h"

#include "shell/OrsandelApp.h"
#include "shell/OrsandelDoc.h"
#include "shell/core/ScaleSettingsWrite.h"
#include "viewer/SetScaleDlg.h"

int RunScaleSettings(wxWindow* owner, COrsandelDoc* doc) {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!doc || !app)
        return 0;
    const CMLens& lens = doc->m_currentLens;
    CSetScaleDlg dlg(owner);
    dlg.m_length = lens.m_scaleLength;
    dlg.m_pixels = lens.m_scaleDots;
    dlg.m_step = lens.m_scaleCeiling;
    dlg.m_lensName = lens.GetRegName().empty() ? lens.GetName() : lens.GetRegName();
    // The colour and corner are the program's, not the lens's.
    dlg.m_colour = static_cast<COLORREF>(app->m_scaleColor);
    dlg.m_position = app->m_scalePos;
    const int result = dlg.DoModal();
    if (result == IDOK) {
        ScaleDialogValues v;
        v.length = dlg.m_length;
        v.dots = dlg.m_pixels;
        v.ceiling = dlg.m_step;
        v.position = dlg.m_position;
        v.colour = dlg.m_colour;
        v.allLenses1 = dlg.m_allLenses1;
        v.allLenses2 = dlg.m_allLenses2;
        ApplyScaleSettings(*doc, *app, v);
    }
    if (owner)
        owner->Refresh(false);
    return result;
}
