// The viewer tool bar above the result view (template 80): save and hand-over buttons, the zoom
// field with its slider and the plus and minus buttons, the image and height buttons, the scale
// switches and the lens name. Its buttons' commands go on to the result frame; the zoom field
// zooms the frame's view.
#pragma once

#include "ui/TemplateWindow.h"

#include <functional>

// The zoom slider's value for a position its thumb was moved to from its last position, with
// `current` the value so far: a position between two steps of 10 goes on to the step in the
// direction of the move; a thumb that did not move keeps the value.
int SnapZoomSlider(int position, int lastPosition, int current);

class CViewerMenuDialog : public ui::TemplatePanel {
public:
    CViewerMenuDialog();
    bool OnInitDialog() override;

    // The zoom field: a value outside 10..400 is refused (false) and the field stays.
    bool SetZoomValue(int percent);
    int GetZoomValue() const { return m_zoom; }
    void SetLensName(const std::string& text);
    // Called with the step (value - 100) / 10 whenever the field changes.
    std::function<void(int step)> onZoom;

private:
    // Where a new zoom value is shown besides being kept: a value typed into the field moves the
    // slider, a dragged thumb's value goes into the field.
    enum class ApplyTo { Slider, Field, FieldAndSlider };
    LRESULT OnHScroll(WPARAM, LPARAM);
    void OnZoomEdit();
    void Apply(int percent, ApplyTo to);

    int m_zoom = 100;
    bool m_updating = false;
    bool m_dragging = false; // the slider's thumb is held
    int m_lastPosition = 100; // where the held thumb was at the last notification
};
