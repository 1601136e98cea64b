// The clipboard of the programs: a text or a picture put there in one step. The last data this
// process put there is also kept here, so that a test reads what the program copied even when
// another program on the same display has taken the clipboard since.
#pragma once

#include <wx/bitmap.h>
#include <wx/string.h>

namespace ui {

// False when the clipboard cannot be opened or does not take the data.
bool PutTextOnClipboard(const wxString& text);
bool PutBitmapOnClipboard(const wxBitmap& bitmap);

// The text on the clipboard, empty when it holds none or cannot be opened.
wxString ClipboardText();
// The same of the X primary selection (the text last selected on the display).
wxString PrimarySelectionText();

// What this process put on the clipboard last (an empty text / a null bitmap for the other kind).
const wxString& LastClipboardText();
const wxBitmap& LastClipboardBitmap();
// Forgets that data (tests: before the copy they check).
void ForgetLastClipboard();

} // namespace ui
