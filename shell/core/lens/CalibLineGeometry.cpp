#include "shell/core/lens/CalibLineGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
POINT Clamp(POINT p, int width, int height) {
    return POINT{std::clamp<LONG>(p.x, 0, width - 1), std::clamp<LONG>(p.y, 0, height - 1)};
}
} // namespace

bool CalibLineGeometry::Begin(POINT p, int shownWidth, int shownHeight, int pictureWidth) {
    if (shownWidth <= 0 || shownHeight <= 0 || pictureWidth <= 0)
        return false;
    m_width = shownWidth;
    m_height = shownHeight;
    m_start = Clamp(p, m_width, m_height);
    m_end = m_start;
    m_scale = static_cast<double>(shownWidth) / pictureWidth;
    m_drawing = true;
    return true;
}

bool CalibLineGeometry::Move(POINT p, bool shift) {
    if (!m_drawing)
        return false;
    POINT end = Clamp(p, m_width, m_height);
    if (shift) {
        if (std::labs(end.y - m_start.y) < std::labs(end.x - m_start.x))
            end.y = m_start.y;
        else
            end.x = m_start.x;
    }
    m_end = end;
    return true;
}

bool CalibLineGeometry::End() {
    const bool was = m_drawing;
    m_drawing = false;
    return was;
}

void CalibLineGeometry::Reset() {
    *this = CalibLineGeometry();
}

double CalibLineGeometry::Length() const {
    if (m_scale <= 0.0)
        return 0.0;
    const double dx = (std::labs(m_end.x - m_start.x) + 1) / m_scale;
    const double dy = (std::labs(m_end.y - m_start.y) + 1) / m_scale;
    return std::sqrt(dx * dx + dy * dy);
}
