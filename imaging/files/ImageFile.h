// Reading and writing image files as bitmaps: the format chosen from the file name, the
// readers that turn an open file into a new HDIB, and the writers that store an HDIB.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <string>

class CFile;

// Message shown by callers when an image file gives nothing.
constexpr UINT kMsgCannotReadData = 9201;

// Format index of a file name: 0 "*.bmp", 1 "*.dib", 2 "*.tif", 3 "*.jpg", compared with the
// part from the last '.' ignoring case; -1 for any other name (.tiff, .jpeg, none).
int ImageFileFormatIndex(const std::string& name);
// The format index of JPEG files.
constexpr int kJpegFormatIndex = 3;

// ---- readers: a new bitmap owned by the caller, or null; nothing is shown ----
// BMP/DIB. Mode 0 (every caller) and 1 accept 8- and 24-bit files, mode 2 every
// uncompressed depth. Rows are found at bfOffBits; top-down files come back bottom-up;
// headers of 108 and 124 bytes come back as 40-byte headers.
HDIB DibReadBmpFile(CFile* file, int mode);
// A BMP file of any uncompressed depth, checked like DibReadBmpFile.
HDIB LoadDibFromBmp(CFile* file);
// TIFF by the file's path: 10- to 16-bit samples through the high-bit-depth reader, 8- and
// 24-bit files through the TIFF image class. imageType (may be null) receives the image
// type code: 0 for an 8-bit grey ramp, 1 for another 8-bit table, 3 for colour, 4 to 9 for
// deep files.
HDIB DibReadTiffFile(CFile* file, int* imageType);
// JPEG by the file's path (the caller's file is closed): 8-bit grey or 24-bit colour.
HDIB DibReadJpegFile(CFile* file);

// ---- writers ----
// Writes header, colour table and rows into the open file. 0 for a null handle, a header
// that is not 40 bytes, or a 16- or 48-bit bitmap (those are saved as TIFF); file exceptions
// pass to the caller.
BOOL SaveDibAsBmp(HDIB dib, CFile* file);
// The TIFF and JPEG writers by path. Every writer replaces the target only when the whole
// file was written. TIFF: types 0, 1 and 3 through the TIFF image class (1 writes the palette),
// 4 to 9 through the high-bit-depth writer. JPEG: 8- and 24-bit bitmaps only; type 1 saves an
// 8-bit image in the colours of its table, other types as grey levels.
BOOL SaveDibAsTiffPath(HDIB dib, const std::string& path, int imageType);
BOOL SaveDibAsJpegPath(HDIB dib, const std::string& path, int imageType, int quality);

// ---- the callers' routine ----
// Runs the reader of format index 0 to 3 (as ImageFileFormatIndex gives it) on the open file:
// BMP/DIB in mode 0, TIFF, JPEG. File exceptions pass to the caller.
HDIB DibReadFileOfFormat(CFile* file, int index, int* imageType);
// Reads the file by the format of its name: opens it for reading, runs the reader, takes a
// file exception as nothing. Null when nothing was read (the caller shows 9201), also for a
// name that is no image file. imageType receives the type code when the reader sets one.
HDIB ReadImageFile(const std::string& path, int* imageType);
// Saves the bitmap by the format of its name into a temporary file that replaces the target
// only on success. FALSE for a name that is no image file or any failure (9202).
BOOL SaveImageFile(HDIB dib, const std::string& path, int imageType, int quality);
