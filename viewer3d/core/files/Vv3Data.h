// Height data sets from the main program: the .vv3 file (1440-byte header with width, height
// and pitch, then W x H four-byte pixel records, then the heights as f32, twice) and the
// "VV3D" hand-over record (width, height, f64 pitch, pixel records, heights once). Pixel
// records and heights run in the bitmap's memory order (bottom row first); bytes 0, 1, 2 of a
// record are red, green and blue.
//
// Heights become 16-bit levels: level = trunc(65535 / (max - min) x (h - min)), held to
// 0..65535; the z-scale is (max - min) / 65535.
#pragma once

#include "platform/GlobalMemory.h"

#include <cstddef>
#include <cstdint>

class CFile;

namespace v3d {

constexpr size_t kVv3HeaderBytes = 1440;
constexpr size_t kVv3PitchOffset = 848;
constexpr size_t kRecordHeaderBytes = 16;

// What a data set gives besides its planes.
struct HeightSetInfo {
    double pitch = 1.0;  // the stored pitch, 1.0 when not a finite number above 0
    double zScale = 1.0; // height units per level, 1.0 when all heights are equal
    int maxValue = 65535;
};

// Heights at or above the threshold are invalid when the option is on; a height that is not a
// finite number is always invalid.
struct InvalidHeightRule {
    bool on = false;
    float threshold = 1000.0f;
};

// Turns count heights (rows of width values) into levels. An invalid height takes the mean
// (toward zero) of the level before it in its row and the level of the next valid height to
// its right, the one that exists when only one does, 0 when neither. Minimum and maximum are
// taken over the valid heights; with none valid the levels are 0. Returns the z-scale.
double HeightsToLevels(const float* heights, uint64_t count, int width, const InvalidHeightRule& rule,
                       uint16_t* levels);

// Reads an open .vv3 file. Width and height must be above 0 and the pixel records must be in
// the file before the texture is allocated. A file that ends right after its pixel records
// gives the texture alone; one that ends inside its heights was cut short and fails. Returns
// the 24-bit texture (null on failure) and the 16-bit height plane in *height; both owned by
// the caller.
HDIB ReadVv3File(CFile* file, const InvalidHeightRule& rule, HDIB* height, HeightSetInfo* info);
// Width and height from the header of an open .vv3 file (both above 0), the file's position
// left where it was; false when the header is short or a size is not above 0.
bool ReadVv3Size(CFile* file, int* width, int* height);

// Checks a received record before anything is read from it: width and height (i32) above 0
// and 16 + 8 x W x H equal to its length in 64 bits.
bool CheckHeightRecord(const void* data, uint64_t length, int* width = nullptr, int* height = nullptr);
// Takes a checked record: the 24-bit texture (returned) and the height plane (*height, null
// when it could not be made). Null when the record is refused or memory is refused.
HDIB LoadHeightRecord(const void* data, uint64_t length, HDIB* height, HeightSetInfo* info);

} // namespace v3d
