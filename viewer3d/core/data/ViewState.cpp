#include "viewer3d/core/data/ViewState.h"

#include "platform/Encoding.h"
#include "platform/WinTypes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace v3d {

void ViewState::Encode(uint8_t* out) const {
    std::memset(out, 0, kBytes);
    le::put16(out + 0, static_cast<uint16_t>(contourCount));
    le::putDouble(out + 2, sliceLevel);
    le::putDouble(out + 10, zAxisLength);
    le::put32(out + 18, static_cast<uint32_t>(zAxisFixed));
    le::put32(out + 22, static_cast<uint32_t>(scaleLinesShown));
    le::put32(out + 26, static_cast<uint32_t>(zScaleFixed));
    le::putDouble(out + 30, zScalePreset);
    le::put32(out + 38, static_cast<uint32_t>(zScaleFreeOn));
    le::putDouble(out + 42, zScaleFree);
    le::put32(out + 50, static_cast<uint32_t>(rotationFixed));
    le::putDouble(out + 54, rotationX);
    le::putDouble(out + 62, rotationY);
    le::putDouble(out + 70, rotationZ);
    le::putDouble(out + 78, zoom);
    le::putDouble(out + 86, sliceArea);
    le::putDouble(out + 94, slicePerimeter);
    le::put32(out + 102, static_cast<uint32_t>(smoothingOn));
    le::put32(out + 106, static_cast<uint32_t>(smoothingMethod));
    le::put32(out + 110, static_cast<uint32_t>(smoothingWidth));
    std::memcpy(out + 114, comment.data(), comment.size());
    le::put32(out + 372, static_cast<uint32_t>(displayMode));
    le::put32(out + 376, backgroundColor);
    le::put32(out + 380, static_cast<uint32_t>(paletteIndex));
    le::put32(out + 384, static_cast<uint32_t>(wireframeDivisions));
}

std::array<uint8_t, ViewState::kBytes> ViewState::Encode() const {
    std::array<uint8_t, kBytes> out{};
    Encode(out.data());
    return out;
}

ViewState ViewState::Decode(const uint8_t* in) {
    ViewState s;
    s.contourCount = le::getS16(in + 0);
    s.sliceLevel = le::getDouble(in + 2);
    s.zAxisLength = le::getDouble(in + 10);
    s.zAxisFixed = le::getS32(in + 18);
    s.scaleLinesShown = le::getS32(in + 22);
    s.zScaleFixed = le::getS32(in + 26);
    s.zScalePreset = le::getDouble(in + 30);
    s.zScaleFreeOn = le::getS32(in + 38);
    s.zScaleFree = le::getDouble(in + 42);
    s.rotationFixed = le::getS32(in + 50);
    s.rotationX = le::getDouble(in + 54);
    s.rotationY = le::getDouble(in + 62);
    s.rotationZ = le::getDouble(in + 70);
    s.zoom = le::getDouble(in + 78);
    s.sliceArea = le::getDouble(in + 86);
    s.slicePerimeter = le::getDouble(in + 94);
    s.smoothingOn = le::getS32(in + 102);
    s.smoothingMethod = le::getS32(in + 106);
    s.smoothingWidth = le::getS32(in + 110);
    std::memcpy(s.comment.data(), in + 114, s.comment.size());
    s.padding = 0;
    s.displayMode = le::getS32(in + 372);
    s.backgroundColor = le::get32(in + 376);
    s.paletteIndex = le::getS32(in + 380);
    s.wireframeDivisions = le::getS32(in + 384);
    return s;
}

namespace {
template <typename T> int fix(T& value, bool ok, T fallback) {
    if (ok)
        return 0;
    value = fallback;
    return 1;
}
bool nonNegative(double v) {
    return std::isfinite(v) && v >= 0.0;
}
} // namespace

int ViewState::Sanitize() {
    const ViewState d;
    int n = 0;
    n += fix(contourCount, contourCount >= 1 && contourCount <= 256, d.contourCount);
    n += fix(sliceLevel, nonNegative(sliceLevel), d.sliceLevel);
    n += fix(zAxisLength, nonNegative(zAxisLength), d.zAxisLength);
    n += fix(zScalePreset, nonNegative(zScalePreset), d.zScalePreset);
    n += fix(zScaleFree, nonNegative(zScaleFree), d.zScaleFree);
    n += fix(rotationX, std::isfinite(rotationX), d.rotationX);
    n += fix(rotationY, std::isfinite(rotationY), d.rotationY);
    n += fix(rotationZ, std::isfinite(rotationZ), d.rotationZ);
    n += fix(zoom, nonNegative(zoom), d.zoom);
    n += fix(sliceArea, nonNegative(sliceArea), d.sliceArea);
    n += fix(slicePerimeter, nonNegative(slicePerimeter), d.slicePerimeter);
    n += fix(smoothingWidth, smoothingWidth >= 0 && smoothingWidth <= 3, d.smoothingWidth);
    n += fix(displayMode, displayMode >= 0 && displayMode <= 2, d.displayMode);
    n += fix(paletteIndex, paletteIndex >= 0 && paletteIndex <= 9, d.paletteIndex);
    n += fix(wireframeDivisions, wireframeDivisions >= 10, d.wireframeDivisions);
    // The comment ends within its 256 bytes and on a whole CP932 character.
    const size_t stored = strnlen(comment.data(), comment.size());
    const size_t fit =
        Cp932FitLength(std::string_view(comment.data(), std::min(stored, kCommentBytes)), kCommentBytes);
    if (fit != stored) {
        std::fill(comment.begin() + static_cast<std::ptrdiff_t>(fit), comment.end(), char(0));
        ++n;
    } else {
        std::fill(comment.begin() + static_cast<std::ptrdiff_t>(stored), comment.end(), char(0));
    }
    padding = 0;
    return n;
}

std::string ViewState::CommentUtf8() const {
    return Cp932ToUtf8(std::string_view(comment.data(), strnlen(comment.data(), kCommentBytes)));
}

void ViewState::SetCommentUtf8(const std::string& text) {
    const std::string cp = Utf8ToCp932Cut(text, kCommentBytes);
    comment.fill(0);
    std::memcpy(comment.data(), cp.data(), cp.size());
}

void DecodeOldDisplayCode(int32_t code, ViewState* state) {
    if (code == 1 || code == 2) {
        state->displayMode = 1;
        state->paletteIndex = code;
    } else {
        state->displayMode = 0;
        state->paletteIndex = 0;
    }
}

} // namespace v3d
