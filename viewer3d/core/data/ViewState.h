// The display state of a 3D document: contour count, slice level, Z axis and scale, rotation,
// zoom, smoothing, comment, display mode, colours. Document files hold it as a 388-byte block
// whose fields sit at fixed little-endian offsets (Encode/Decode); in memory it is a plain
// struct that views and panels read and change in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace v3d {

struct ViewState {
    static constexpr size_t kBytes = 388;
    static constexpr size_t kCommentBytes = 256; // CP932 bytes before the terminating zero

    int16_t contourCount = 8;            // +0, 1..256
    double sliceLevel = 1.0;             // +2, >= 0
    double zAxisLength = 1.0;            // +10, >= 0
    int32_t zAxisFixed = 0;              // +18
    int32_t scaleLinesShown = 1;         // +22
    int32_t zScaleFixed = 0;             // +26
    double zScalePreset = 1.0;           // +30, >= 0
    int32_t zScaleFreeOn = 0;            // +38
    double zScaleFree = 1.0;             // +42, >= 0
    int32_t rotationFixed = 0;           // +50
    double rotationX = 0.0;              // +54, degrees
    double rotationY = 0.0;              // +62
    double rotationZ = 0.0;              // +70
    double zoom = 1.0;                   // +78, >= 0
    double sliceArea = 0.0;              // +86, >= 0
    double slicePerimeter = 0.0;         // +94, >= 0
    int32_t smoothingOn = 0;             // +102
    int32_t smoothingMethod = 0;         // +106: 0 plain cross mean, else weighted
    int32_t smoothingWidth = 0;          // +110: index 0..3 (5, 9, 17, 25 points)
    std::array<char, 257> comment{};     // +114, CP932, zero-terminated
    uint8_t padding = 0;                 // +371
    int32_t displayMode = 0;             // +372: 0 texture, 1 surface, 2 wireframe
    uint32_t backgroundColor = 0x800000; // +376, COLORREF (red 0, green 0, blue 128)
    int32_t paletteIndex = 0;            // +380, 0..9
    int32_t wireframeDivisions = 80;     // +384, >= 10

    // The block as stored (the padding byte is written as 0).
    void Encode(uint8_t* out) const;
    std::array<uint8_t, kBytes> Encode() const;
    // The fields read as stored, without any check.
    static ViewState Decode(const uint8_t* in);

    // Holds every field to its range: out-of-range counts and indexes and non-finite or
    // negative numbers become their defaults, the comment ends in a zero and is cut on a CP932
    // character boundary. Returns the number of fields it changed.
    int Sanitize();

    // The comment as UTF-8, and set from UTF-8 (cut to 256 CP932 bytes on a character boundary).
    std::string CommentUtf8() const;
    void SetCommentUtf8(const std::string& text);

    bool operator==(const ViewState&) const = default;
};

// The six display codes that older document files keep in one field: 1 -> surface with palette
// 1, 2 -> surface with palette 2, anything else -> texture with palette 0.
void DecodeOldDisplayCode(int32_t code, ViewState* state);

} // namespace v3d
