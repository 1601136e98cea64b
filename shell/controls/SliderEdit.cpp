#include "shell/controls/SliderEdit.h"

#include "ui/FilteredPaste.h"

#include <wx/utils.h>

#include <cstdint>
#include <cstdio>

CLinkSlider::CLinkSlider(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style)
    : wxSlider(parent, id, 0, 0, 100, pos, size, style) {
    auto on = [this](const wxEventTypeTag<wxScrollEvent>& type, SliderCode code) {
        Bind(type, [this, code](wxScrollEvent& ev) {
            ev.Skip();
            OnScrollCode(code, ev.GetPosition());
        });
    };
    on(wxEVT_SCROLL_LINEUP, SliderCode::LineUp);
    on(wxEVT_SCROLL_LINEDOWN, SliderCode::LineDown);
    on(wxEVT_SCROLL_PAGEUP, SliderCode::PageUp);
    on(wxEVT_SCROLL_PAGEDOWN, SliderCode::PageDown);
    // While the thumb is held it stays under the pointer: a value written into the slider then
    // would move the thumb away from the pointer, and the next position would be measured from
    // there. The edit shows the snapped value; the thumb gets it when the drag ends.
    Bind(wxEVT_SCROLL_THUMBTRACK, [this](wxScrollEvent& ev) {
        ev.Skip();
        m_dragging = true;
        OnScrollCode(SliderCode::ThumbTrack, ev.GetPosition());
    });
    Bind(wxEVT_SCROLL_THUMBRELEASE, [this](wxScrollEvent& ev) {
        ev.Skip();
        m_dragging = false;
        if (m_linked && !m_inverted && m_state.minimum <= m_state.value && m_state.value <= m_state.maximum &&
            m_state.value != wxSlider::GetValue())
            wxSlider::SetValue(m_state.value);
    });
    on(wxEVT_SCROLL_CHANGED, SliderCode::ThumbTrack);
}

void CLinkSlider::SetLinkedCtrl(CSliderEdit* edit) {
    m_linked = edit;
    m_inverted = HasFlag(wxSL_VERTICAL);
}

void CLinkSlider::SetRange(int minimum, int maximum) {
    m_state.minimum = minimum;
    m_state.maximum = maximum;
    wxSlider::SetRange(minimum, maximum);
}

void CLinkSlider::SetValue(int v) {
    wxSlider::SetValue(m_inverted ? m_state.maximum + m_state.minimum - v : v);
}

void CLinkSlider::OnScrollCode(SliderCode code, int notified) {
    if (!m_linked)
        return;
    const int pos = wxSlider::GetValue();
    const bool handOver = m_inverted ? LinkSliderVertical(m_state, code, pos, notified)
                                     : LinkSliderHorizontal(m_state, code, pos, notified);
    if (!handOver)
        return;
    if (!m_inverted && !m_dragging && m_state.value != pos)
        wxSlider::SetValue(m_state.value);
    m_linked->SetPosition(m_state.value);
}

CSliderEdit::CSliderEdit(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxTextCtrl(parent, id, wxString(), pos, size) {
    Bind(wxEVT_CHAR, [this](wxKeyEvent& ev) {
        const int code = ev.GetKeyCode();
        const wxChar uc = ev.GetUnicodeKey();
        const int ch = code == WXK_BACK ? 8 : (uc != WXK_NONE ? static_cast<int>(uc) : -1);
        if (ch < 0 || ev.HasModifiers() || FilterChar(ch))
            ev.Skip();
        else
            OnRefusedChar();
    });
    Bind(wxEVT_TEXT, [this](wxCommandEvent& ev) {
        ev.Skip();
        OnTextUpdate();
    });
    ui::FilterPastes(this, this, [this](int ch) { return FilterChar(ch); });
}

void CSliderEdit::OnRefusedChar() {
    wxBell();
}

void CSliderEdit::BindSlider(wxWindow* parent, int sliderId) {
    m_slider = parent ? dynamic_cast<CLinkSlider*>(parent->FindWindow(sliderId)) : nullptr;
    if (m_slider)
        m_slider->SetLinkedCtrl(this);
}

int CSliderEdit::SetRange(int minimum, int maximum, int tickIntervals) {
    m_min = minimum;
    m_max = maximum;
    if (m_slider) {
        m_slider->SetRange(minimum, maximum);
        // Marks show only on a slider with the auto-ticks style: GTK's marks hold the thumb
        // within a dozen pixels of each one, so that it no longer follows the pointer.
        if (tickIntervals > 0 && m_slider->HasFlag(wxSL_AUTOTICKS))
            m_slider->SetTickFreq((maximum - minimum) / tickIntervals);
    }
    m_classes = SliderEditClassesForRange(minimum);
    return 1;
}

int CSliderEdit::SetValue(int value) {
    if (value < m_min || value > m_max)
        return 0;
    ChangeValue(wxString::Format("%d", value));
    OnTextUpdate();
    return 1;
}

int CSliderEdit::GetIntValue() const {
    return SliderEditValue(wxTextCtrl::GetValue().ToStdString(), INT32_MIN, INT32_MAX).value;
}

void CSliderEdit::SetStep(int step) {
    if (m_slider)
        m_slider->SetStep(step);
}

int CSliderEdit::SetPosition(int position) {
    if (position == m_position)
        return 0;
    m_position = position;
    m_updating = true;
    ChangeValue(wxString::Format("%d", position));
    m_updating = false;
    return 1;
}

void CSliderEdit::OnTextUpdate() {
    if (!m_slider || m_updating)
        return;
    const ClampedValue v = SliderEditValue(wxTextCtrl::GetValue().ToStdString(), m_min, m_max);
    if (v.clamped)
        OnRefusedChar();
    m_position = v.value;
    m_slider->SetValue(v.value);
    if (v.clamped) {
        m_position = static_cast<int>(0x80000000u);
        SetPosition(v.value);
    }
}
