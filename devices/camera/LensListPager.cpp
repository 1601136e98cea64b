#include "devices/camera/LensListPager.h"

#include <algorithm>

void LensListPager::Init(int count, int currentIndex) {
    m_count = std::max(count, 0);
    m_top = 1;
    m_selected = -1;
    if (currentIndex >= 0 && currentIndex < m_count) {
        m_top = currentIndex + 1;
        m_selected = currentIndex;
    }
}

int LensListPager::Scroll(int request, int thumb) {
    const int last = std::max(m_count, 1);
    const int page = m_count / kRows + 1;
    switch (request) {
    case LineUp:
        m_top = std::max(m_top - 1, 1);
        break;
    case LineDown:
        m_top = std::min(m_top + 1, last);
        break;
    case PageUp:
        m_top = std::max(m_top - page, 1);
        break;
    case PageDown:
        m_top = std::min(m_top + page, last);
        break;
    case ToTop:
        m_top = 1;
        break;
    case ToBottom:
        m_top = last;
        break;
    case ThumbPosition:
    case ThumbTrack:
        m_top = std::clamp(thumb, 1, last);
        break;
    default:
        break;
    }
    return m_top;
}

int LensListPager::LensAtRow(int row) const {
    if (row < 0 || row >= kRows)
        return -1;
    const int index = m_top - 1 + row;
    return index < m_count ? index : -1;
}

int LensListPager::SelectedRow() const {
    for (int row = 0; row < kRows; ++row)
        if (m_selected >= 0 && LensAtRow(row) == m_selected)
            return row;
    return -1;
}

void LensListPager::SelectRow(int row) {
    m_selected = LensAtRow(row);
}
