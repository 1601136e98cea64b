#include "shell/controls/StringStatic.h"

#include "ui/ResourceWidgets.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

#include <cstdlib>

CStringStatic::CStringStatic(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxWindow(parent, id, pos, size, wxFULL_REPAINT_ON_RESIZE),
      m_background(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)) {
    // 10 pixels high, bold, italic and underlined, in the Japanese face of the dialogs.
    m_font = ui::DialogFont();
    m_font.SetPixelSize(wxSize(0, 10));
    m_font.SetWeight(wxFONTWEIGHT_BOLD);
    m_font.SetStyle(wxFONTSTYLE_ITALIC);
    m_font.SetUnderlined(true);
    // The whole client area is painted by Draw (no erase, no flicker).
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaint(); });
}

void CStringStatic::SetLogFont(const wxFont& font) {
    if (font.IsOk())
        m_font = font;
}

void CStringStatic::Measure() {
    wxMemoryDC dc;
    wxBitmap probe(1, 1);
    dc.SelectObject(probe);
    dc.SetFont(m_font);
    m_textSize = m_text.empty() ? wxSize(0, dc.GetCharHeight()) : dc.GetMultiLineTextExtent(m_text);
}

void CStringStatic::LoadText(int stringId) {
    const std::string* text = ui::Resources().FindString(static_cast<UINT>(stringId));
    m_text = text ? wxString::FromUTF8(*text) : wxString();
    Measure();
    const int width = GetParent() ? GetParent()->GetClientSize().x - GetPosition().x : m_textSize.x;
    SetSize(std::max(width, 0), m_textSize.y);
    Refresh();
}

void CStringStatic::SetText(const wxString& text) {
    m_text = text;
    Measure();
    const int width = GetParent() ? GetParent()->GetClientSize().x - 10 : m_textSize.x;
    SetSize(std::max(width, 0), m_textSize.y);
    Refresh();
}

void CStringStatic::SetLabel(const wxString& label) {
    m_text = label;
    Measure();
    Refresh();
}

void CStringStatic::Draw(wxDC& dc, const wxSize& client) const {
    // The parent's face shows through where nothing is drawn.
    const wxColour face = GetParent() ? GetParent()->GetBackgroundColour() : m_background;
    dc.SetBackground(wxBrush(face));
    dc.Clear();
    dc.SetFont(m_font);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(GetForegroundColour());
    if (m_framed) {
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(wxBrush(m_background, wxBRUSHSTYLE_BDIAGONAL_HATCH));
        dc.DrawRectangle(0, 0, client.x, client.y);
        if (!m_text.empty())
            dc.DrawLabel(m_text, wxRect(2, 0, std::max(client.x - 4, 0), client.y), m_format);
        return;
    }
    const int height = m_textSize.y > 0 ? 2 * m_textSize.y : client.y;
    if (!m_text.empty())
        dc.DrawLabel(m_text, wxRect(0, m_textY, client.x, height), m_format);
}

void CStringStatic::OnPaint() {
    wxAutoBufferedPaintDC dc(this);
    Draw(dc, GetClientSize());
}

// ---- bitmap static following the system colours --------------------------------------------

wxImage MapToSystemColours(const wxImage& image, const wxColour& shadow, const wxColour& face,
                           const wxColour& highlight) {
    wxImage mapped = image.Copy();
    if (!mapped.IsOk())
        return mapped;
    unsigned char* p = mapped.GetData();
    const size_t pixels = static_cast<size_t>(mapped.GetWidth()) * static_cast<size_t>(mapped.GetHeight());
    for (size_t i = 0; i < pixels; ++i, p += 3) {
        const wxColour* to = nullptr;
        if (p[0] == 128 && p[1] == 128 && p[2] == 128)
            to = &shadow;
        else if (p[0] == 192 && p[1] == 192 && p[2] == 192)
            to = &face;
        else if (p[0] == 255 && p[1] == 255 && p[2] == 255)
            to = &highlight;
        if (to) {
            p[0] = to->Red();
            p[1] = to->Green();
            p[2] = to->Blue();
        }
    }
    return mapped;
}

CSysColStatic::CSysColStatic(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, bool centre)
    : wxWindow(parent, id, pos, size, wxFULL_REPAINT_ON_RESIZE), m_centre(centre) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaint(); });
    Bind(wxEVT_SYS_COLOUR_CHANGED, [this](wxSysColourChangedEvent& ev) {
        ev.Skip();
        LoadSysColorBitmap(-1);
    });
}

void CSysColStatic::LoadSysColorBitmap(int id) {
    if (id != -1)
        m_id = id;
    if (m_id == -1)
        return;
    const wxBitmap loaded = ui::LoadBitmapResource(m_id);
    m_bitmap = loaded.IsOk()
                   ? wxBitmap(MapToSystemColours(loaded.ConvertToImage(),
                                                 wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW),
                                                 wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE),
                                                 wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT)))
                   : wxBitmap();
    Refresh();
}

void CSysColStatic::Draw(wxDC& dc, const wxSize& client) const {
    dc.SetBackground(wxBrush(GetParent() ? GetParent()->GetBackgroundColour() : *wxLIGHT_GREY));
    dc.Clear();
    if (!m_bitmap.IsOk())
        return;
    if (m_centre && client.x > 0 && client.y > 0) {
        const wxImage scaled = m_bitmap.ConvertToImage().Scale(client.x, client.y, wxIMAGE_QUALITY_NORMAL);
        dc.DrawBitmap(wxBitmap(scaled), 0, 0);
    } else {
        dc.DrawBitmap(m_bitmap, 0, 0);
    }
}

void CSysColStatic::OnPaint() {
    wxAutoBufferedPaintDC dc(this);
    Draw(dc, GetClientSize());
}

ui::ControlFactory StringStaticFactory() {
    return [](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) -> wxWindow* {
        auto* text = new CStringStatic(parent, c.id, r.GetPosition(), r.GetSize());
        // The template's own font: the control's 10-pixel default is too small to read there.
        text->SetLogFont(parent->GetFont());
        text->SetLabel(wxString::FromUTF8(c.text));
        return text;
    };
}

ui::ControlFactory SysColStaticFactory() {
    return [](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) -> wxWindow* {
        auto* picture = new CSysColStatic(parent, c.id, r.GetPosition(), r.GetSize());
        picture->LoadSysColorBitmap(std::atoi(c.text.c_str()));
        return picture;
    };
}
