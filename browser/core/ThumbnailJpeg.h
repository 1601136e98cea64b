// A JPEG image decoded for a thumbnail: libjpeg scales it down by 1/2, 1/4 or 1/8 while it
// decodes, as far as the longer side stays at least maxSide, which makes thumbnails of large
// photographs several times faster than a full decode.
#pragma once

#include "platform/GlobalMemory.h"

#include <string>

// An 8-bit grey (grey ramp) or 24-bit bitmap, with the image's full size in width and height;
// null for anything the scaled decoder does not take whole (CMYK, a damaged or short file):
// the caller then reads the file with the full reader.
HDIB ReadJpegForThumbnail(const std::string& path, int maxSide, int& width, int& height);
