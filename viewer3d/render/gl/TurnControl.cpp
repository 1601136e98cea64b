#include "viewer3d/render/gl/TurnControl.h"

namespace v3d::scene {
namespace {

float fold(float a) {
    if (a > 360.0f)
        return a - 360.0f;
    if (a < -360.0f)
        return a + 360.0f;
    return a;
}

} // namespace

TurnControl::TurnControl() {
    lastX_ = lastY_ = -1;
}

TurnEffects TurnControl::LeftDown(View3dData& doc, int x, int y) {
    TurnEffects e;
    doc.fullResolution = 0;
    e.rebuild = true;
    lastX_ = x, lastY_ = y;
    return e;
}

TurnEffects TurnControl::LeftUp(View3dData& doc, int x, int y) {
    TurnEffects e;
    lastX_ = x, lastY_ = y;
    if (!spinning_) {
        doc.fullResolution = 1;
        e.rebuild = e.redraw = true;
    }
    return e;
}

TurnEffects TurnControl::RightDown(View3dData& doc, int x, int y) {
    TurnEffects e;
    if (spinning_) {
        spinning_ = false;
        spin_ = {};
        doc.fixedRotation[0] = doc.fixedRotation[1] = 0;
        spinStopped_ = true;
        e.stopSpin = true;
    } else {
        doc.fullResolution = 0;
        e.rebuild = true;
    }
    lastX_ = pressX_ = x;
    lastY_ = pressY_ = y;
    return e;
}

TurnEffects TurnControl::RightUp(View3dData& doc, int x, int y, bool ctrl, int width, int height) {
    TurnEffects e;
    if (spinStopped_) {
        doc.fullResolution = 1;
        spinStopped_ = false;
        e.rebuild = e.redraw = e.handled = true;
        return e;
    }
    if (doc.GetViewState()->rotationFixed)
        return e;
    lastX_ = x, lastY_ = y;
    if (!ctrl || spinning_ || width <= 0 || height <= 0) {
        doc.fullResolution = 1;
        e.rebuild = e.redraw = true;
        return e;
    }
    const float ax = static_cast<float>(pressX_ - x) * 120.0f / width;
    const float ay = static_cast<float>(pressY_ - y) * 120.0f / height;
    if (ax != 0 || ay != 0) {
        spin_ = {fold(ax), fold(ay), 0};
        spinning_ = true;
        e.startSpin = true;
    } else {
        doc.fullResolution = 1;
        e.rebuild = e.redraw = true;
    }
    return e;
}

TurnEffects TurnControl::MouseMove(View3dData& doc, int x, int y, bool left, bool right, int width,
                                   int height) {
    TurnEffects e;
    e.handled = true;
    if (spinStopped_ || doc.GetViewState()->rotationFixed || spinning_)
        return e;
    if (!left && !right) {
        e.handled = false;
        return e;
    }
    // A client area of no size has no scale for the drag.
    if (lastX_ < 0 || lastY_ < 0 || width <= 0 || height <= 0)
        return e;
    if (x != lastX_ || y != lastY_) {
        if (left) {
            doc.zoomFactor += static_cast<float>(y - lastY_) * 10.0f / height;
        } else {
            doc.fixedRotation[0] =
                fold(doc.fixedRotation[0] + static_cast<float>(lastX_ - x) * 120.0f / width);
            doc.fixedRotation[1] =
                fold(doc.fixedRotation[1] + static_cast<float>(lastY_ - y) * 120.0f / height);
        }
        lastX_ = x, lastY_ = y;
        e.redraw = true;
    }
    e.handled = false;
    return e;
}

TurnEffects TurnControl::Tick(View3dData& doc) {
    TurnEffects e;
    if (!spinning_)
        return e;
    doc.fixedRotation[0] = fold(doc.fixedRotation[0] + spin_.x);
    doc.fixedRotation[1] = fold(doc.fixedRotation[1] + spin_.y);
    e.redraw = true;
    return e;
}

TurnEffects TurnControl::StopSpin() {
    TurnEffects e;
    if (spinning_) {
        spinning_ = false;
        spin_ = {};
        e.stopSpin = true;
    }
    return e;
}

FrameTurn TurnControl::TakeFrameTurn(View3dData& doc) {
    FrameTurn t{doc.fixedRotation[0], doc.fixedRotation[1], doc.fixedRotation[2]};
    doc.fixedRotation[0] = doc.fixedRotation[1] = doc.fixedRotation[2] = 0;
    return t;
}

} // namespace v3d::scene
