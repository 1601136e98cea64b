// The byte layouts that carry a result out of the program, all little-endian:
// - the pixel block: W x H four-byte pixels, bottom image row first, each row left to right;
//   colour images give red, green, blue and grey (3R + 6G + B) / 10, other images the sample
//   four times;
// - the height block: W x H single floats in the same order, each height minus the minimum;
// - the .vv3 file: W, H, 840 zero bytes, the pitch (float64), 584 zero bytes, the pixel block
//   and the height block twice (1440 + 12 W H bytes);
// - the "VV3D" record: W, H, pitch, pixel block, height block (16 + 8 W H bytes);
// - the "IMG" record: a 92-byte header (pitch, "um", height per grey level, "um", kind) and a
//   packed bitmap.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"
#include "result/core/HeightRows.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr DWORD kTagHeightTransfer = 0x44335656; // "VV3D" in memory order
constexpr DWORD kTagImageTransfer = 0x00474D49;  // "IMG" and a zero byte
constexpr uint64_t kVv3HeaderBytes = 1440;
constexpr uint64_t kImageTransferHeaderBytes = 92;

// Image types whose pixels are red, green and blue.
bool IsColourImageType(int typeCode);

uint64_t Vv3FileBytes(int width, int height);
uint64_t HeightTransferBytes(int width, int height);

// The picture and heights of a result as the formats take them.
struct ResultPixels {
    HDIB picture = nullptr; // the display conversion, or the image itself
    int typeCode = -1;
    const HeightRows* heights = nullptr;
    double minimum = 0.0;
    double pitch = 0.0;
};

// Fill out (4 W H bytes) with the pixel block / the height block; false when the picture does not
// have the heights' size or a depth the block takes (8 or 24 bits).
bool FillPixelBlock(const ResultPixels& r, BYTE* out);
void FillHeightBlock(const ResultPixels& r, BYTE* out);

// The whole "VV3D" record. False when the sizes are refused: a record of 2^32 bytes or more cannot
// be carried, and memory that cannot be had is a failure too.
bool BuildHeightTransferBlock(const ResultPixels& r, std::vector<BYTE>& out);

// Writes the .vv3 file beside the target and renames it over the target on success; the target is
// left whole on any failure. 1 on success, else 0.
BOOL WriteVv3File(const std::string& path, const ResultPixels& r);

// Packed size of a bitmap: header, colour table and rows; 0 for a null handle.
uint64_t PackedDibBytes(HDIB dib);

// An "IMG" record: pitch, "um", stepPerLevel, "um", kind ("HEIGHT" or "GRAY") in zero-filled text
// fields, then the packed bitmap. False when the bitmap is null or the record too large.
bool BuildImageTransferRecord(double pitch, double stepPerLevel, const char* kind, HDIB dib,
                              std::vector<BYTE>& out);
