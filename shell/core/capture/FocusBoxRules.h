// Rules of the focus image box commands: which images may join the box, and moving the selected
// entries up or down. The placeholder "Last Position" entry always stays last.
#pragma once

#include "platform/WinTypes.h"

#include <optional>
#include <vector>

struct ImageShape {
    int type = -1; // image type code: 0 8-bit grey, 3 24-bit colour, others refused
    int width = 0;
    int height = 0;
    bool operator==(const ImageShape&) const = default;
};

// One add command (all or the selected thumbnails). An image joins the box only when it is
// 8-bit grey or 24-bit colour and, once the box holds an image, of the reference's type and
// size. The reference is the box's first image, or the first image this command accepts into an
// empty box. Each refusal kind is reported once per command, and only one of the two messages.
class FocusBoxAdmission {
public:
    enum class Verdict { Add, AlreadyInBox, Mismatch, BadType };

    // reference: the box's first image when it holds one.
    explicit FocusBoxAdmission(std::optional<ImageShape> reference) : m_reference(reference) {}
    Verdict Judge(const ImageShape& image, bool alreadyInBox);
    // 889 (mixed types or sizes), 899 (unsupported type) or 0: the one message of the command.
    UINT Message() const { return m_message; }
    int Added() const { return m_added; }

private:
    std::optional<ImageShape> m_reference;
    UINT m_message = 0;
    int m_added = 0;
};

// Moves every selected entry (not the placeholder, the last entry) one place up or down, in
// place, as the box's commands do; returns the index of the last entry moved, or -1. The
// insertion position then moves by one the same way (kept within 0 .. count - 1; -1, the end,
// stays the end).
template <class Entry, class IsSelected>
int MoveSelectedUp(std::vector<Entry>& v, int& insertPos, IsSelected selected) {
    int moved = -1;
    const int last = static_cast<int>(v.size()) - 1; // the placeholder
    for (int i = 0; i < last; ++i) {
        if (!selected(v[static_cast<size_t>(i)]))
            continue;
        if (i == 0)
            break;
        std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(i - 1)]);
        moved = i - 1;
    }
    if (insertPos > 0)
        --insertPos;
    return moved;
}

template <class Entry, class IsSelected>
int MoveSelectedDown(std::vector<Entry>& v, int& insertPos, IsSelected selected) {
    int moved = -1;
    const int count = static_cast<int>(v.size());
    for (int i = count - 2; i >= 0; --i) {
        if (!selected(v[static_cast<size_t>(i)]))
            continue;
        if (i == count - 2)
            break;
        std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(i + 1)]);
        moved = i + 1;
    }
    if (insertPos >= 0 && insertPos < count - 1)
        ++insertPos;
    return moved;
}
