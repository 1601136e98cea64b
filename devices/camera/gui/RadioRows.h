// The radio buttons of five list rows, which may also show no row at all: the toolkit keeps one
// button of a group checked, so a hidden button that joins the group after the rows stands for
// "none".
#pragma once

#include <array>

class wxRadioButton;
class wxWindow;

class CRadioRows {
public:
    static constexpr int kRows = 5;
    // After the window's controls exist: ids are the rows' radio buttons, which must be the last
    // radio buttons made in parent (the hidden one joins their group).
    void Attach(wxWindow* parent, const int (&ids)[kRows]);
    // Checks the row's button, or none for a row outside 0..4.
    void Select(int row);

private:
    std::array<wxRadioButton*, kRows> m_rows{};
    wxRadioButton* m_none = nullptr;
};
