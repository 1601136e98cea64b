#include "shell/settings/ScaleSettingsCommand.h"

#include "devices/camera/CalibrationSettings.h"
#include "platform/MessageSink.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/capture/CaptureHost.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/core/lens/ScaleSettingsWrite.h"
#include "result/SetScaleDlg.h"
#include "ids/VantorelIds.h"

int RunScaleSettings(wxWindow* owner, COrsandelDoc* doc, CTopMenuDialog* topMenu) {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!doc || !app)
        return 0;
    // The result window writes the same [CALIBRATION] keys and lens sections: the dialog opens on
    // what they hold now, so that its OK does not write back values this window read earlier.
    doc->LoadLensSlots(*app);
    if (topMenu)
        topMenu->SetLensName(wxString::FromUTF8(doc->m_currentLens.GetRegName()));
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

namespace {

// Shows or hides scale bar 1 or 2 of the document's current lens.
void ToggleScaleBar(const LiveScaleCommands& c, int which) {
    COrsandelDoc* doc = c.document();
    if (!doc)
        return;
    int& on = which == 1 ? doc->m_scale1 : doc->m_scale2;
    const bool set =
        which == 1 ? doc->m_currentLens.m_scaleLength != 0.0 : doc->m_currentLens.m_scaleDots != 0;
    if (set) {
        on = on ? 0 : 1;
    } else {
        ShowMessage(vtid::str::NoScaleSettings, MB_OK | MB_ICONEXCLAMATION);
        on = 0;
    }
    if (CaptureHost* host = c.host())
        if (CTopMenuDialog* bar = host->TopMenu())
            bar->SetPressed(which == 1 ? vtid::TopMenuBar::ShowScale1 : vtid::TopMenuBar::ShowScale2,
                            on != 0);
    if (which == 1)
        WriteUmScaleSwitch(on);
    else
        WriteDotScaleSwitch(on);
    if (wxWindow* live = c.livePane())
        live->Refresh(false);
}

} // namespace

void RegisterLiveScaleCommands(ui::WindowBase& view, LiveScaleCommands commands) {
    wxWindow* self = view.Self();
    for (int which : {1, 2}) {
        const int id = which == 1 ? vtid::cmd::ShowScale1 : vtid::cmd::ShowScale2;
        view.OnCommand(id, [commands, which, self] {
            ToggleScaleBar(commands, which);
            self->SetFocus();
        });
        view.OnUpdateUI(id, [commands, which](ui::CmdUI& c) {
            const COrsandelDoc* d = commands.document();
            c.Enable(true);
            const bool shown = d && (which == 1 ? d->m_currentLens.m_scaleLength != 0.0 && d->m_scale1
                                                : d->m_currentLens.m_scaleDots != 0 && d->m_scale2);
            c.SetCheck(shown ? 1 : 0);
        });
    }
    view.OnCommand(vtid::cmd::ScaleSettings, [commands, self] {
        CaptureHost* host = commands.host();
        RunScaleSettings(self, commands.document(), host ? host->TopMenu() : nullptr);
    });
}
