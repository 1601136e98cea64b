#include "shell/core/layout/SdiLayout.h"

#include <algorithm>
#include <cstdlib>

int SdiLayout::Add(const SdiTemplatePlace& place) {
    m_places.push_back(place);
    m_visible.push_back(false);
    if (place.group != -1)
        m_splitterVisible.emplace(place.group, false);
    return Count() - 1;
}

std::map<int, std::pair<int, int>> SdiLayout::SplitterShapes() const {
    std::map<int, std::pair<int, int>> shapes;
    for (const SdiTemplatePlace& p : m_places) {
        if (p.group == -1)
            continue;
        auto& s = shapes[p.group];
        s.first = std::max(s.first, p.row + 1);
        s.second = std::max(s.second, p.column + 1);
    }
    return shapes;
}

std::pair<int, int> SdiLayout::InitialPaneSize(const std::string& setting) {
    int values[10];
    std::fill(std::begin(values), std::end(values), -1);
    size_t pos = 0;
    int n = 0;
    while (n < 10 && pos < setting.size()) {
        const size_t comma = setting.find(',', pos);
        const size_t end = comma == std::string::npos ? setting.size() : comma;
        if (end > pos)
            values[n++] = std::atoi(setting.substr(pos, end - pos).c_str());
        pos = end + 1;
    }
    auto size = [](int v) { return v == -1 ? 230 : v; };
    return {size(values[0]), size(values[1])};
}

std::vector<int> SdiLayout::Members(int group) const {
    std::vector<int> members;
    for (int i = 0; i < Count(); ++i)
        if (m_places[static_cast<size_t>(i)].group == group)
            members.push_back(i);
    return members;
}

bool SdiLayout::IsSplitterVisible(int group) const {
    auto it = m_splitterVisible.find(group);
    return it != m_splitterVisible.end() && it->second;
}

SdiLayout::Switch SdiLayout::Activate(int target) {
    Switch s;
    if (target < 0 || target >= Count() || target == m_active)
        return s;
    s.changed = true;
    const int targetGroup = m_places[static_cast<size_t>(target)].group;
    if (m_active >= 0) {
        const int currentGroup = m_places[static_cast<size_t>(m_active)].group;
        if (currentGroup != -1 && currentGroup == targetGroup) {
            s.sameGroup = true;
            m_active = target;
            return s;
        }
        if (currentGroup == -1) {
            s.hide.push_back(m_active);
        } else {
            s.hide = Members(currentGroup);
            s.hideSplitter = currentGroup;
            m_splitterVisible[currentGroup] = false;
        }
    }
    for (int i : s.hide)
        m_visible[static_cast<size_t>(i)] = false;
    if (targetGroup == -1) {
        s.show.push_back(target);
    } else {
        s.show = Members(targetGroup);
        s.showSplitter = targetGroup;
        m_splitterVisible[targetGroup] = true;
    }
    for (int i : s.show)
        m_visible[static_cast<size_t>(i)] = true;
    m_active = target;
    return s;
}
