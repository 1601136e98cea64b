// The scrolling list of the lens table in the lens-selection dialog: five rows show the lenses
// from a top position (1-based) on; one lens may be selected. Holds no window.
#pragma once

class LensListPager {
public:
    static constexpr int kRows = 5;
    // Scroll requests (the values of the scroll-bar notification codes).
    enum Request {
        LineUp = 0,
        LineDown = 1,
        PageUp = 2,
        PageDown = 3,
        ThumbPosition = 4,
        ThumbTrack = 5,
        ToTop = 6,
        ToBottom = 7,
        EndScroll = 8
    };

    // count lenses; currentIndex the index of the current lens in the table (-1 when it is not
    // in the table): a current lens is selected and shown in the first row.
    void Init(int count, int currentIndex);
    // Moves the top position as the request asks (thumb: the thumb's position) and returns it.
    int Scroll(int request, int thumb = 0);
    // The lens shown in a row (0..4), -1 when the row is empty (and hidden).
    int LensAtRow(int row) const;
    // The row showing the selected lens, -1 when it is not shown or none is selected.
    int SelectedRow() const;
    // The user picked the radio of a row: its lens becomes the selected one (none for an empty row).
    void SelectRow(int row);

    int Top() const { return m_top; }
    int Count() const { return m_count; }
    int SelectedLens() const { return m_selected; }

private:
    int m_count = 0;
    int m_top = 1;
    int m_selected = -1;
};
