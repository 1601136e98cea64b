#include "shell/core/FocusBoxRules.h"

namespace {
constexpr UINT kMsgMixed = 889;
constexpr UINT kMsgBadType = 899;
} // namespace

FocusBoxAdmission::Verdict FocusBoxAdmission::Judge(const ImageShape& image, bool alreadyInBox) {
    if (m_reference && !(image == *m_reference)) {
        if (!m_message)
            m_message = kMsgMixed;
        return Verdict::Mismatch;
    }
    if (image.type != 0 && image.type != 3) {
        if (!m_message)
            m_message = kMsgBadType;
        return Verdict::BadType;
    }
    if (alreadyInBox)
        return Verdict::AlreadyInBox;
    if (!m_reference)
        m_reference = image;
    ++m_added;
    return Verdict::Add;
}
