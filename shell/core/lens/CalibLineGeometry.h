// The measuring line that the user draws over a shown picture to calibrate a lens: its two ends
// in shown-picture pixels, the drawing scale (shown width ÷ picture width) and the line's length
// in picture pixels. Holds no window; the capture views and the result view draw it.
#pragma once

#include "platform/WinTypes.h"

class CalibLineGeometry {
public:
    // Left button down at p over a shown picture of shownWidth × shownHeight pixels whose picture
    // is pictureWidth pixels wide: the start (clamped into the shown picture) and the end become p,
    // the drawing scale shownWidth ÷ pictureWidth, and drawing starts. Nothing when a size is 0.
    bool Begin(POINT p, int shownWidth, int shownHeight, int pictureWidth);
    // The pointer moved to p with the left button down: the end follows it, clamped into the shown
    // picture; with shift the line is horizontal when the pointer is nearer to the start's row than
    // to its column, else vertical. False while not drawing.
    bool Move(POINT p, bool shift);
    // Left button up: drawing stops; true when a line was being drawn.
    bool End();
    // Forgets the line.
    void Reset();

    // Length in picture pixels, both end pixels counted: √(((|Δx| + 1) ÷ s)² + ((|Δy| + 1) ÷ s)²).
    double Length() const;
    bool HasLength() const { return m_start.x != m_end.x || m_start.y != m_end.y; }
    bool IsDrawing() const { return m_drawing; }
    POINT Start() const { return m_start; }
    POINT EndPoint() const { return m_end; }
    double Scale() const { return m_scale; }

private:
    POINT m_start{0, 0}, m_end{0, 0};
    int m_width = 0, m_height = 0;
    double m_scale = 0.0;
    bool m_drawing = false;
};
