#include "ui/ResourceWidgets.h"

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/window.h>

#include <cmath>

namespace ui {

wxString LoadResString(UINT id, const ResourceRegistry& reg) {
    return FromUtf8(reg.LoadString(id));
}

static wxItemKind kindOf(const MenuItemTemplate& item) {
    if (item.styles.end() != std::find(item.styles.begin(), item.styles.end(), "RADIO"))
        return wxITEM_RADIO;
    if (item.styles.end() != std::find(item.styles.begin(), item.styles.end(), "CHECKABLE") ||
        item.styles.end() != std::find(item.styles.begin(), item.styles.end(), "CHECKED"))
        return wxITEM_CHECK;
    return wxITEM_NORMAL;
}

static bool hasStyle(const MenuItemTemplate& item, const char* s) {
    return std::find(item.styles.begin(), item.styles.end(), s) != item.styles.end();
}

static wxMenu* buildMenu(const std::vector<MenuItemTemplate>& items) {
    auto* menu = new wxMenu;
    for (const auto& item : items) {
        switch (item.kind) {
        case MenuItemTemplate::Separator:
            menu->AppendSeparator();
            break;
        case MenuItemTemplate::Popup:
            menu->AppendSubMenu(buildMenu(item.children), FromUtf8(item.text));
            break;
        case MenuItemTemplate::Item: {
            // Command ids of the resources run up to 0xFFFF; wx's constructor check stops at
            // 0x7FFF although menus carry any int, so the id is set after construction.
            auto* created = new wxMenuItem(menu, item.id < 0x7FFF ? item.id : 0, FromUtf8(item.text),
                                           wxString(), kindOf(item));
            created->SetId(item.id);
            wxMenuItem* mi = menu->Append(created);
            if (mi->IsCheckable() && hasStyle(item, "CHECKED"))
                mi->Check(true);
            if (hasStyle(item, "GRAYED"))
                mi->Enable(false);
            break;
        }
        }
    }
    return menu;
}

wxMenuBar* BuildMenuBar(int menuId, const ResourceRegistry& reg) {
    const MenuTemplate* m = reg.FindMenu(menuId);
    if (!m)
        return nullptr;
    auto* bar = new wxMenuBar;
    for (const auto& top : m->items) {
        if (top.kind == MenuItemTemplate::Popup)
            bar->Append(buildMenu(top.children), FromUtf8(top.text));
    }
    return bar;
}

wxMenu* BuildPopupMenu(int menuId, size_t index, const ResourceRegistry& reg) {
    const MenuTemplate* m = reg.FindMenu(menuId);
    if (!m || index >= m->items.size() || m->items[index].kind != MenuItemTemplate::Popup)
        return nullptr;
    return buildMenu(m->items[index].children);
}

wxAcceleratorTable BuildAccelerators(int tableId, const ResourceRegistry& reg) {
    const auto* table = reg.FindAccelerators(tableId);
    if (!table)
        return wxAcceleratorTable();
    std::vector<wxAcceleratorEntry> entries;
    for (const auto& e : *table) {
        wxAcceleratorEntry a;
        if (a.FromString(FromUtf8(e.key))) {
            a.Set(a.GetFlags(), a.GetKeyCode(), e.command);
            entries.push_back(a);
        }
    }
    return wxAcceleratorTable(static_cast<int>(entries.size()), entries.data());
}

static wxBitmap loadFile(const ImageEntry* e) {
    if (!e)
        return wxBitmap();
    wxLogNull quiet; // a missing file is a null bitmap, not a log window
    wxImage img;
    if (!img.LoadFile(FromUtf8(e->path)))
        return wxBitmap();
    return wxBitmap(img);
}

wxBitmap LoadBitmapResource(int id, const ResourceRegistry& reg) {
    return loadFile(reg.FindImage(id));
}
wxBitmap LoadIconResource(int id, const ResourceRegistry& reg) {
    return loadFile(reg.FindIcon(id));
}

wxCursor LoadCursorResource(int id, const ResourceRegistry& reg) {
    const ImageEntry* e = reg.FindCursor(id);
    if (!e)
        return wxCursor(wxCURSOR_ARROW);
    wxLogNull quiet;
    wxImage img;
    if (!img.LoadFile(FromUtf8(e->path)))
        return wxCursor(wxCURSOR_ARROW);
    img.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, e->hotX);
    img.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, e->hotY);
    return wxCursor(img);
}

wxToolBar* BuildToolBar(wxWindow* parent, int toolbarId, long style, const ResourceRegistry& reg) {
    const ToolbarTemplate* t = reg.FindToolbar(toolbarId);
    if (!t || t->buttonWidth <= 0 || t->buttonHeight <= 0)
        return nullptr;
    wxImage strip;
    {
        wxLogNull quiet;
        if (!strip.LoadFile(FromUtf8(t->bitmapPath)))
            return nullptr;
    }
    const long long needed = static_cast<long long>(t->ButtonCount()) * t->buttonWidth;
    if (strip.GetWidth() < needed || strip.GetHeight() < t->buttonHeight)
        return nullptr;
    if (!strip.HasAlpha() && !strip.HasMask())
        strip.SetMaskColour(192, 192, 192);
    auto* bar = new wxToolBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
    bar->SetToolBitmapSize(wxSize(t->buttonWidth, t->buttonHeight));
    int image = 0;
    for (int command : t->commands) {
        if (command == 0) {
            bar->AddSeparator();
            continue;
        }
        wxImage face =
            strip.GetSubImage(wxRect(image++ * t->buttonWidth, 0, t->buttonWidth, t->buttonHeight));
        // A button's prompt is optional: a command without a string shows no tip.
        const std::string* prompt = reg.FindString(static_cast<UINT>(command));
        wxString help = prompt ? wxString::FromUTF8(*prompt) : wxString();
        wxString tip = help.AfterFirst('\n');
        bar->AddTool(command, wxString(), wxBitmap(face), wxNullBitmap, wxITEM_CHECK, tip,
                     help.BeforeFirst('\n'));
    }
    bar->Realize();
    return bar;
}

wxFont DialogFont(const DialogTemplate* dlg) {
    int pts = dlg && dlg->fontPoints > 0 ? dlg->fontPoints : 9;
    wxString face = dlg && !dlg->fontFace.empty() ? FromUtf8(dlg->fontFace) : wxString("Noto Sans CJK JP");
    wxFont f(wxFontInfo(pts).FaceName(face));
    if (!f.IsOk())
        f = wxFont(wxFontInfo(pts));
    return f;
}

wxRect DialogBaseUnits::ToPixels(const RECT& r) const {
    int left = static_cast<int>(std::lround(r.left * x));
    int top = static_cast<int>(std::lround(r.top * y));
    int right = static_cast<int>(std::lround(r.right * x));
    int bottom = static_cast<int>(std::lround(r.bottom * y));
    return wxRect(left, top, right - left, bottom - top);
}

wxSize DialogBaseUnits::SizeToPixels(LONG w, LONG h) const {
    return wxSize(static_cast<int>(std::lround(w * x)), static_cast<int>(std::lround(h * y)));
}

DialogBaseUnits BaseUnitsFor(wxWindow* window, const wxFont& font) {
    DialogBaseUnits u;
    wxClientDC dc(window);
    dc.SetFont(font);
    wxCoord w = 0, h = 0;
    dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &w, &h);
    if (w > 0 && h > 0) {
        u.x = (w / 52.0) / 4.0;
        u.y = h / 8.0;
    }
    return u;
}

} // namespace ui
