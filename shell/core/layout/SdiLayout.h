// Which views of the single-document frame are shown: every template has one view, either alone
// in the frame's client area (group -1) or in a pane of its group's static splitter. Exactly one
// group or lone view is visible; activating a view of another group hides the current one.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

struct SdiTemplatePlace {
    int group = -1; // -1: fills the client area
    int row = 0;
    int column = 0;
};

class SdiLayout {
public:
    // Registers a template; returns its index (registration order).
    int Add(const SdiTemplatePlace& place);
    int Count() const { return static_cast<int>(m_places.size()); }
    const SdiTemplatePlace& Place(int index) const { return m_places[static_cast<size_t>(index)]; }

    // Rows and columns of every group's splitter: one more than the largest row and column of
    // its templates.
    std::map<int, std::pair<int, int>> SplitterShapes() const;
    // The initial pane size from [WindowsSettings] SPLITTER: the first two of up to ten
    // comma-separated integers; a missing or -1 entry is 230.
    static std::pair<int, int> InitialPaneSize(const std::string& setting);

    struct Switch {
        bool changed = false;   // false: nothing to do (no target, or already active)
        bool sameGroup = false; // only the active view and the menu change
        std::vector<int> hide;  // templates whose views are hidden
        std::vector<int> show;  // templates whose views are shown
        int hideSplitter = -2;  // group whose splitter is hidden (-2: none)
        int showSplitter = -2;  // group whose splitter is shown
    };
    // Plans and records the activation of a template's view; -1 for current means none active.
    Switch Activate(int target);
    int Active() const { return m_active; }
    bool IsVisible(int index) const { return m_visible[static_cast<size_t>(index)]; }
    bool IsSplitterVisible(int group) const;

private:
    std::vector<int> Members(int group) const;

    std::vector<SdiTemplatePlace> m_places;
    std::vector<bool> m_visible;
    std::map<int, bool> m_splitterVisible;
    int m_active = -1;
};
