// Key filters and value rules of the small numeric controls: the stage edit, the slider-bound
// edit and the slider that snaps to a step.
#pragma once

#include <string>

// ---- stage edit ----
// Whether the edit takes a typed character: digits and backspace always; "-" only at position 0
// (when minus is allowed) and only once unless the selection replaces text; "." once, or again
// when the selection holds the existing point.
bool StageEditAccepts(int ch, const std::string& text, int selStart, int selEnd, bool allowMinus);
// The text after the edit loses the focus: ".5" becomes "0.5", "5." becomes "5".
std::string StageEditTextOnLeave(const std::string& text);

// ---- slider-bound edit ----
// The character class bits of a typed character: control characters 0xFFFF, digits 0x15,
// E and e 6, other letters 2, "-" 0x14, "." 4, "_" 0x28, anything else 8.
unsigned SliderEditCharClass(int ch);
// The classes a range accepts: digits and "-" (0x11) for a negative minimum, digits (1) else.
unsigned SliderEditClassesForRange(int minimum);
inline bool SliderEditAccepts(int ch, unsigned classes) {
    return (SliderEditCharClass(ch) & classes) != 0;
}
struct ClampedValue {
    int value = 0;
    bool clamped = false; // the typed value was outside the range (the edit beeps)
};
// The value of the typed text (atoi of at most 512 characters) clamped to the range.
ClampedValue SliderEditValue(const std::string& text, int minimum, int maximum);

// ---- linked slider ----
enum class SliderCode { LineUp, LineDown, PageUp, PageDown, ThumbTrack, ThumbPosition, Other };

struct LinkSliderState {
    int minimum = 0;
    int maximum = 100;
    int step = 1;
    int previous = -1;
    int value = 2147483647;
};

// One horizontal scroll notification: returns true when a value is handed to the linked edit
// (state.value). pos is the slider's current position, notified the position the notification
// carries (thumb codes only; page codes read the slider's position).
bool LinkSliderHorizontal(LinkSliderState& state, SliderCode code, int pos, int notified);
// One vertical scroll notification (positions reversed: the top is the maximum).
bool LinkSliderVertical(LinkSliderState& state, SliderCode code, int pos, int notified);
