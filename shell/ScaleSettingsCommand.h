// The scale settings command of the live views (the capture view and the Vossa live view): the
// scale dialog on the document's current lens, and on OK its values taken into the document, the
// lens's record and the settings file.
#pragma once

class COrsandelDoc;
class wxWindow;

// Runs the dialog over owner and repaints owner afterwards; the dialog's result (IDOK or
// IDCANCEL), 0 without a document.
int RunScaleSettings(wxWindow* owner, COrsandelDoc* doc);
