// The scale settings command of the live views (the capture view and the Vossa live view): the
// scale dialog on the document's current lens, and on OK its values taken into the document, the
// lens's record and the settings file.
#pragma once

#include "ui/WindowBase.h"

#include <functional>

class CaptureHost;
class COrsandelDoc;
class CTopMenuDialog;
class wxWindow;

// Runs the dialog over owner and repaints owner afterwards; the dialog's result (IDOK or
// IDCANCEL), 0 without a document. The top menu (when given) shows the lens the dialog opens on.
int RunScaleSettings(wxWindow* owner, COrsandelDoc* doc, CTopMenuDialog* topMenu);

// The scale commands of a live view: 1389 and 1390 show or hide scale bar 1 or 2 (message 1042
// while the current lens has no length for it; the top menu's button and the settings follow),
// 1391 runs the scale settings. Their update handlers enable them and check a shown bar.
struct LiveScaleCommands {
    std::function<COrsandelDoc*()> document;
    std::function<CaptureHost*()> host;  // its top menu shows the bars' buttons
    std::function<wxWindow*()> livePane; // redrawn after a change
};
void RegisterLiveScaleCommands(ui::WindowBase& view, LiveScaleCommands commands);
