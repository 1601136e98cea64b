#include "shell/capture/LiveCalibLine.h"

#include "devices/camera/gui/XYCalibSetDlg.h"
#include "shell/capture/CalibLine.h"
#include "shell/capture/CaptureHost.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"

void AttachLiveCalibLine(CCalibLine& line, CSampleStatic* live, CScaleStatic* scale,
                         LiveCalibLineOwner owner) {
    if (!live)
        return;
    live->SetOverlay([scale, &line](wxDC& dc, const wxSize& size) {
        if (scale)
            scale->Draw(dc, size);
        line.Draw(dc);
    });
    CCalibLine::Hooks hooks;
    hooks.isActive = [host = owner.host] {
        CaptureHost* h = host();
        CXYCalibSetDlg* dlg = h ? h->CalibSetDialog() : nullptr;
        return dlg && dlg->IsShown();
    };
    hooks.pictureWidth = owner.pictureWidth;
    hooks.lengthChanged = [document = owner.document](double pixels) {
        if (COrsandelDoc* doc = document())
            doc->m_dCalibLineLength = pixels;
    };
    hooks.finished = [host = owner.host, scale](const CalibLineGeometry& drawn) {
        if (CaptureHost* h = host())
            if (CXYCalibSetDlg* dlg = h->CalibSetDialog())
                dlg->FocusLineLength();
        if (scale)
            scale->SetLine(drawn.EndPoint(), drawn.Start(), true, drawn.Scale());
    };
    line.Attach(live, std::move(hooks));
}

void ResetLiveCalibLine(CCalibLine& line, CScaleStatic* scale) {
    line.Reset();
    if (scale)
        scale->ResetLine();
}
