// Readers of the image and height files the 3D viewer opens: BMP, height files (.frn), TIFF
// (8 to 48 bits), JPEG and integer text (.txt). Each takes an open file and returns a new
// bottom-up HDIB (made by v3d::DibCreate, owned by the caller) or null. They check every size
// against the file before they allocate, report nothing (only the deep TIFF reader shows
// message 9201 when it cannot get its row buffer; the caller shows its own message for a null
// result) and free what they allocated on failure. File exceptions pass to the caller.
#pragma once

#include "platform/GlobalMemory.h"
#include "viewer3d/core/data/CalibRecord.h"

class CFile;

namespace v3d {

// BMP: 8, 16, 24 and 48 bits kept, 32 bits made 24-bit; info headers of 40 to 124 bytes (kept
// as their first 40 bytes); top-down files stored bottom-up. Run-length files, other depths,
// width <= 0 and anything that does not fit the file give null.
HDIB ReadBmpFile(CFile* file);

// What a height file says beside its samples.
struct FrnInfo {
    int type = 0;         // slot image type
    int windowStart = -1; // display window, -1 = the full range
    int windowEnd = -1;
    int largest = -1; // largest sample value, -1 = the type's maximum
};
// A height file: a 512-byte header starting with "INDEX" (versions below 2 up to 7) or, without
// it, "width height" in decimal and the samples from byte 10. Pitch, height scale and unit
// texts go into pitch and calib (a pitch or scale that is not a finite number above 0 becomes
// 1.0; headerless files leave them alone). Type 17 (8-byte samples) gives null.
HDIB ReadFrnFile(CFile* file, FrnInfo* info, double* pitch, CalibRecord* calib);

// TIFF by the file's path: 10-, 12- and 16-bit grey or three-sample colour through the deep
// reader (type 4-9, 12 for a 16-bit palette image), other files through the TIFF image class
// (8-bit grey or palette and 1-, 2- and 4-bit images as 8-bit indices with their table: type 0
// or 1; 24-bit colour: type 3). type receives the code, -1 on failure.
HDIB ReadTifFile(CFile* file, int* type);

// JPEG: 8-bit grey or 24-bit colour. The file is read from its start.
HDIB ReadJpgFile(CFile* file);

// Integer text of width values a row and height rows, separated by commas (comma set) or
// tabs. depth 0..3 gives type 0, 4, 5, 6 (written to type first) and clamps values to 255,
// 1023, 4095, 65535 (negative values to 0). A value ends at a separator, at a line end (LF,
// CR LF or CR) and at the end of the file; every width values make one row, from the top.
HDIB ReadTxtFile(CFile* file, int depth, int width, int height, bool comma, int* type);

} // namespace v3d
