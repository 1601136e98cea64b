// Small painted controls of the program's panels: a static that draws its own text in its own
// font (optionally in a framed, hatched box) and sizes itself to its text, and a bitmap static
// whose picture follows the system colours.
#pragma once

#include "ui/TemplateWindow.h"

#include <wx/bitmap.h>
#include <wx/font.h>
#include <wx/window.h>

class CStringStatic : public wxWindow {
public:
    // wxALIGN_* flags used as the text format of the framed box.
    static constexpr int kCentredSingleLine = wxALIGN_CENTRE_HORIZONTAL | wxALIGN_CENTRE_VERTICAL;

    CStringStatic(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize);

    // Replaces the control's font (the default one is 10 pixels, bold, italic, underlined).
    void SetLogFont(const wxFont& font);
    void SetFormat(int alignment) { m_format = alignment; }
    void SetFramed(bool framed) { m_framed = framed; }
    void SetTextOrigin(int x, int y) { m_textX = x, m_textY = y; }
    void SetBackgroundColourOfBox(const wxColour& colour) { m_background = colour; }

    // The text of a string resource; the control then spans from its left edge to the parent's
    // right edge and takes the text's height.
    void LoadText(int stringId);
    // The text; the control takes the parent's width less 10 pixels and the text's height.
    void SetText(const wxString& text);
    // A template's text calls (SetDlgItemText, GetDlgItemText) reach the text: it is replaced and
    // redrawn without resizing.
    void SetLabel(const wxString& label) override;
    wxString GetLabel() const override { return m_text; }
    // The text without resizing or repainting (the caller refreshes).
    void SetTextOnly(const wxString& text) { m_text = text; }
    const wxString& GetText() const { return m_text; }
    wxSize TextSize() const { return m_textSize; }
    const wxFont& TextFont() const { return m_font; }

    // Paints the control into any device context (the paint handler's and tests' memory bitmaps).
    void Draw(wxDC& dc, const wxSize& client) const;

private:
    void Measure();
    void OnPaint();

    bool m_framed = false;
    wxColour m_background;
    int m_textX = 0, m_textY = 0;
    int m_format = 0;
    wxSize m_textSize{0, 0};
    wxString m_text;
    wxFont m_font;
};

class CSysColStatic : public wxWindow {
public:
    // centre: the bitmap is stretched to the client size; otherwise drawn 1:1 from the top left.
    CSysColStatic(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, bool centre = false);

    // Loads the bitmap resource (id -1 reloads the stored one) with its grey shades mapped to the
    // current system colours; nothing happens while no id was ever given.
    void LoadSysColorBitmap(int id);
    int BitmapId() const { return m_id; }
    const wxBitmap& Bitmap() const { return m_bitmap; }
    void Draw(wxDC& dc, const wxSize& client) const;

private:
    void OnPaint();

    wxBitmap m_bitmap;
    int m_id = -1;
    bool m_centre = false;
};

// Makes a template BITMAP control a CSysColStatic showing the control's bitmap resource 1:1.
ui::ControlFactory SysColStaticFactory();
// Makes a template text control a CStringStatic at its place, with its text in the template's font.
ui::ControlFactory StringStaticFactory();

// The grey shades of a bitmap replaced by the system's 3D colours: black (0,0,0) stays, dark grey
// (128,128,128) becomes the button shadow, light grey (192,192,192) the button face, white the
// button highlight.
wxImage MapToSystemColours(const wxImage& image, const wxColour& shadow, const wxColour& face,
                           const wxColour& highlight);
