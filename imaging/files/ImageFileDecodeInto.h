// Reading image files of a series into a bitmap that the caller keeps and reuses: the rows are
// decoded straight into it, and while the files have one size and depth nothing is allocated
// for a file.
#pragma once

#include "platform/GlobalMemory.h"

#include <string>

// How reading one image file went.
enum class ImageFileRead {
    Read,       // the bitmap holds the image
    CannotOpen, // the file did not open: nothing is shown
    FileError,  // a file exception while reading: nothing is shown
    Unreadable, // no image file name, or not an image the readers take: message 9201 is due
    NoMemory,   // no bitmap was given and none could be had for the image: message 876 is due
};

// Reads the file by the format of its name (ImageFileFormatIndex) into *bitmap. *bitmap is a
// bitmap to reuse, or null. When it has another size or depth than the image, it is freed and
// a new one is made (only when the platform reports the memory for it; an image of another
// size than the bitmap given that does not fit, or one beyond SECImage::MaxImageBytes, is
// Unreadable); on return *bitmap is
// the bitmap that holds the image, or after a failure a bitmap of undefined content or null.
// The caller frees it. BMP/DIB files of 8 and 24 bits (as DibReadBmpFile mode 0 takes them)
// and JPEG files are decoded into the bitmap directly; TIFF files of 10 to 16 bits too, 8- and
// 24-bit TIFF files through the TIFF image class and a copy. imageType (may be null) receives
// the image type code of TIFF files, as DibReadTiffFile gives it. Shows nothing; any thread.
ImageFileRead ReadImageFileInto(const std::string& path, HDIB* bitmap, int* imageType);
