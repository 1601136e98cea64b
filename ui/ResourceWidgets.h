// wx objects made from the resource registry: menus, accelerator tables, bitmaps, icons,
// cursors, the dialog font and the conversion of dialog units to pixels.
#pragma once

#include "ui/resources/ResourceRegistry.h"

#include <wx/accel.h>
#include <wx/bitmap.h>
#include <wx/cursor.h>
#include <wx/font.h>
#include <wx/menu.h>
#include <wx/string.h>
#include <wx/toolbar.h>

class wxToolBar;
class wxWindow;

namespace ui {

// UTF-8 text of the registry as a wx string.
inline wxString FromUtf8(const std::string& s) {
    return wxString::FromUTF8(s.data(), s.size());
}
inline std::string ToUtf8(const wxString& s) {
    auto b = s.utf8_str();
    return std::string(b.data(), b.length());
}
// String-table text by id (empty when missing).
wxString LoadResString(UINT id, const ResourceRegistry& reg = Resources());

// The menu bar of a menu resource; null when the id is unknown.
wxMenuBar* BuildMenuBar(int menuId, const ResourceRegistry& reg = Resources());
// One top-level popup of a menu resource (context menus); null when missing.
wxMenu* BuildPopupMenu(int menuId, size_t index, const ResourceRegistry& reg = Resources());
// Accelerator table; an empty table when the id is unknown. Unreadable keys are skipped.
wxAcceleratorTable BuildAccelerators(int tableId, const ResourceRegistry& reg = Resources());

// A tool bar of a TOOLBAR resource: one button per command id, its image cut from the strip
// (light grey 192,192,192 is transparent in a strip without alpha), its tool tip the part after
// "\n" of the string of the same id and its help text the part before. The buttons are
// checkable so that update-UI handlers can press them; they send wxEVT_TOOL (commands) and take
// part in the frame's command and update-UI routing like menu items. Null when the id is unknown
// or the strip does not load or is too narrow for the buttons.
wxToolBar* BuildToolBar(wxWindow* parent, int toolbarId, long style = wxTB_HORIZONTAL | wxTB_FLAT,
                        const ResourceRegistry& reg = Resources());

// Null bitmaps / the standard cursor when the id is unknown or the file does not load.
wxBitmap LoadBitmapResource(int id, const ResourceRegistry& reg = Resources());
wxBitmap LoadIconResource(int id, const ResourceRegistry& reg = Resources());
wxCursor LoadCursorResource(int id, const ResourceRegistry& reg = Resources());

// The font of a dialog: the template's face and size, else the layer's dialog font
// (Noto Sans CJK JP, 9 points).
wxFont DialogFont(const DialogTemplate* dlg = nullptr);

// Pixels per dialog unit for a font: a quarter of the average character width across and an
// eighth of the character height down.
struct DialogBaseUnits {
    double x = 1.5, y = 1.5;
    wxRect ToPixels(const RECT& r) const;
    wxSize SizeToPixels(LONG w, LONG h) const;
};
DialogBaseUnits BaseUnitsFor(wxWindow* window, const wxFont& font);

} // namespace ui
