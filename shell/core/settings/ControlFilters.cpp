#include "shell/core/settings/ControlFilters.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

bool StageEditAccepts(int ch, const std::string& text, int selStart, int selEnd, bool allowMinus) {
    if (ch == 8)
        return true;
    if (ch >= 0 && ch < 128 && std::isalnum(ch) && !std::isalpha(ch))
        return true;
    const int lo = std::max(0, std::min(selStart, selEnd));
    const int hi = std::min(static_cast<int>(text.size()), std::max(selStart, selEnd));
    if (ch == '-') {
        if (!allowMinus || lo != 0)
            return false;
        return text.find('-') == std::string::npos || lo != hi;
    }
    if (ch == '.') {
        if (text.find('.') == std::string::npos)
            return true;
        return hi > lo && text.substr(static_cast<size_t>(lo), static_cast<size_t>(hi - lo)).find('.') !=
                              std::string::npos;
    }
    return false;
}

std::string StageEditTextOnLeave(const std::string& text) {
    if (!text.empty() && text.front() == '.')
        return "0" + text;
    if (!text.empty() && text.back() == '.')
        return text.substr(0, text.size() - 1);
    return text;
}

unsigned SliderEditCharClass(int ch) {
    if (ch >= 0 && ch < 0x20)
        return 0xFFFF;
    if (ch >= '0' && ch <= '9')
        return 0x15;
    if (ch == 'E' || ch == 'e')
        return 6;
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'))
        return 2;
    if (ch == '-')
        return 0x14;
    if (ch == '.')
        return 4;
    if (ch == '_')
        return 0x28;
    return 8;
}

unsigned SliderEditClassesForRange(int minimum) {
    return minimum < 0 ? 0x11u : 1u;
}

ClampedValue SliderEditValue(const std::string& text, int minimum, int maximum) {
    const std::string cut = text.substr(0, std::min<size_t>(text.size(), 512));
    ClampedValue r;
    r.value = std::atoi(cut.c_str());
    if (r.value < minimum) {
        r.value = minimum;
        r.clamped = true;
    } else if (r.value > maximum) {
        r.value = maximum;
        r.clamped = true;
    }
    return r;
}

namespace {
void Snap(LinkSliderState& s, int t, int pos) {
    if (s.step <= 0 || (t + s.minimum) % s.step == 0) {
        s.value = t;
    } else if (s.value > s.previous) {
        s.value = (pos / s.step) * s.step + s.step - (s.minimum % 2 != 0 ? 1 : 0);
    } else if (s.value < s.previous) {
        s.value = (pos / s.step) * s.step - (s.minimum % 2 != 0 ? 1 : 0);
    } else {
        s.value = t;
    }
    s.value = std::clamp(s.value, s.minimum, std::max(s.minimum, s.maximum));
    s.previous = s.value;
}
} // namespace

bool LinkSliderHorizontal(LinkSliderState& s, SliderCode code, int pos, int notified) {
    switch (code) {
    case SliderCode::LineUp:
    case SliderCode::LineDown:
    case SliderCode::PageUp:
    case SliderCode::PageDown:
        s.value = pos;
        Snap(s, pos, pos);
        return true;
    case SliderCode::ThumbTrack:
        s.value = notified;
        Snap(s, notified, notified);
        return true;
    default:
        s.previous = s.value;
        return false;
    }
}

bool LinkSliderVertical(LinkSliderState& s, SliderCode code, int pos, int notified) {
    switch (code) {
    case SliderCode::ThumbTrack:
        s.value = s.maximum + s.minimum - notified;
        return true;
    case SliderCode::LineUp:
    case SliderCode::LineDown:
    case SliderCode::PageUp:
    case SliderCode::PageDown:
        s.value = s.maximum + s.minimum - pos;
        return true;
    default:
        return false;
    }
}
