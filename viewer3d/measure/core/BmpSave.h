// Writes a screen picture as a 24-bit uncompressed bitmap file: the file header ("BM", file
// size 54 + stride x height, reserved 0, pixel offset 54), a 40-byte info header (one plane,
// 24 bits, no compression, biSizeImage = stride x height, resolution and table counts 0) and
// the rows bottom-up in blue, green, red order, each padded to four bytes.
#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace v3d {

// rgb: height rows from the top, each rowBytes long, of width (red, green, blue) triples. The
// file is written beside the target under a temporary name and renamed over it on success, so
// a failed save leaves an existing file as it was. 1 when written; 0 for a null picture, a
// size below 1 or beyond what the header can express, or any file error.
int SaveRgbAsBmp(const BYTE* rgb, int width, int height, int rowBytes, const std::string& path);

} // namespace v3d
