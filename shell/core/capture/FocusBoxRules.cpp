#include "shell/core/capture/FocusBoxRules.h"

#include "ids/VantorelIds.h"

FocusBoxAdmission::Verdict FocusBoxAdmission::Judge(const ImageShape& image, bool alreadyInBox) {
    if (m_reference && !(image == *m_reference)) {
        if (!m_message)
            m_message = vtid::str::MixedImages;
        return Verdict::Mismatch;
    }
    if (image.type != 0 && image.type != 3) {
        if (!m_message)
            m_message = vtid::str::GreyOrColourOnly;
        return Verdict::BadType;
    }
    if (alreadyInBox)
        return Verdict::AlreadyInBox;
    if (!m_reference)
        m_reference = image;
    ++m_added;
    return Verdict::Add;
}
