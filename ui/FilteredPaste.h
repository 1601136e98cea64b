// Pastes into the number fields: whichever way the text comes (Ctrl+V, Shift+Insert, the context
// menu, the middle button's paste of the X primary selection), it goes in as if it were typed,
// character by character through the field's key filter.
#pragma once

#include <wx/string.h>

#include <functional>

class wxTextEntry;
class wxWindow;

namespace ui {

// Whether the field takes a typed character at its current text and selection.
using CharFilter = std::function<bool(int ch)>;

// Types the text into the entry at its selection: a character the filter refuses, and any
// character no key of a number field adds (control characters, line ends, non-ASCII), is left
// out, with the beep a refused key gives.
void TypeThroughFilter(wxTextEntry& entry, const wxString& text, const CharFilter& accepts);

// Makes every paste into the field go through TypeThroughFilter: the clipboard's paste and the
// middle button's paste of the primary selection, which goes in at the caret, replacing the
// selection, as the clipboard's does. The filter is kept as the
// field's client object; calling this again for the field replaces it.
void FilterPastes(wxWindow* field, wxTextEntry* entry, CharFilter accepts);

} // namespace ui
