// An edit bound to a slider: it takes only the characters of its number format, clamps what is
// typed to the slider's range and moves the slider; the slider (CLinkSlider) snaps to its step
// and shows its position in the edit.
#pragma once

#include "shell/core/settings/ControlFilters.h"

#include <wx/slider.h>
#include <wx/textctrl.h>

class CSliderEdit;

class CLinkSlider : public wxSlider {
public:
    CLinkSlider(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                long style = wxSL_HORIZONTAL);
    void SetLinkedCtrl(CSliderEdit* edit);
    void SetRange(int minimum, int maximum);
    void SetStep(int step) { m_state.step = step; }
    // Shows v (reversed on a vertical slider).
    void SetValue(int v);
    const LinkSliderState& State() const { return m_state; }
    // One scroll notification, as the slider reports it.
    void OnScrollCode(SliderCode code, int notifiedPosition);

private:
    CSliderEdit* m_linked = nullptr;
    bool m_inverted = false;
    bool m_dragging = false; // the thumb is held
    LinkSliderState m_state;
};

class CSliderEdit : public wxTextCtrl {
public:
    CSliderEdit(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

    // The parent's child slider becomes this edit's slider.
    void BindSlider(wxWindow* parent, int sliderId);
    int SetRange(int minimum, int maximum, int tickIntervals);
    // Shows the value when it lies in the range: 1; else 0 and the text stays.
    int SetValue(int value);
    // The text as a number (atoi); named apart from the text control's own GetValue.
    int GetIntValue() const;
    void SetStep(int step);
    // From the slider: shows a position that differs from the one shown; 1 when it did.
    int SetPosition(int position);
    bool FilterChar(int ch) const { return SliderEditAccepts(ch, m_classes); }
    virtual void OnRefusedChar();
    int Minimum() const { return m_min; }
    int Maximum() const { return m_max; }

private:
    void OnTextUpdate();

    CLinkSlider* m_slider = nullptr;
    unsigned m_classes = 0xFFFF;
    int m_min = 0, m_max = 100;
    int m_position = static_cast<int>(0x80000000u);
    bool m_updating = false;
};
