// Thumbnails of image files and their disk cache.
//
// A thumbnail is the image scaled by area averaging so that its longer side is the maximum side
// (192 in the lists). Every thumbnail made from an image file is written to the cache folder
// (GetThumbCacheFolder) as a BMP file named by MakeThumbCacheName, with a side-car beside it
// (the name + ".i.tmp"):
//   cache file  "BM", u32 file size, two u16 zero, u32 bits offset (14 + 40 + 4 x table entries),
//               the 40-byte info header, the table (256 grey entries for an 8-bit thumbnail,
//               none for 24 bits), bottom-up rows padded to 4 bytes. Its last-write time is the
//               image's; its access time is set on making and on every reuse and is the age the
//               cache trimming sorts by.
//   side-car    "%04d%04d%08d%08d" (extension index, image type code, source width, source
//               height; -1 prints as "-001"), then the image's full path, no line end. Two
//               image paths can share a cache name ('/' and '_' both become '_'), so a cache
//               whose side-car names another path is not used.
// Nothing is written when the cache folder is missing or the name does not fit the file system.
#pragma once

#include "imaging/bitmaps/MyImageData.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

constexpr int kThumbMaxSide = 192;

struct ThumbSize {
    int width = 0;
    int height = 0;
};
// The thumbnail size of an image of w x h: the longer side becomes maxSide (truncated).
ThumbSize FitThumbnailSize(int w, int h, int maxSide);

// A thumbnail's pixels: 8-bit grey (with the grey ramp) or 24-bit, bottom-up padded rows.
struct ThumbPicture {
    int width = 0;
    int height = 0;
    int bitCount = 24;
    std::vector<BYTE> rows;
};

// Scales a locked 8- or 24-bit bitmap to width x height by area averaging. An 8-bit bitmap with
// the grey ramp gives an 8-bit picture; one with another table gives 24 bits through the table.
// False for any other depth or size.
bool ScaleToThumbnail(const void* dib, int width, int height, ThumbPicture& out);

// The cache file's bytes of a picture.
std::string ThumbCacheBytes(const ThumbPicture& picture);

// The side-car's text.
std::string ThumbSideCarText(int extensionIndex, int typeCode, int width, int height,
                             const std::string& imagePath);

// What a side-car gives: each field only when its characters were all present, else -1.
// usable is false when the side-car names another image (a full 24-character record that is
// not followed by imagePath): its cache is then not used.
struct ThumbSideCar {
    int typeCode = -1;
    int width = -1;
    int height = -1;
    bool usable = true;
};
ThumbSideCar ParseThumbSideCar(const std::string& bytes, const std::string& imagePath);

// Image type code of a decoded bitmap: 8 bits 0 (grey ramp) or 1, 16 bits the reader's code or
// 6, 24 bits 3, 48 bits the reader's code or 9, else -1.
int ThumbTypeCode(const void* dib, int readerType);

// Writes the cache file and the side-car of imagePath (each through a temporary file). False when
// nothing was written (no cache folder, an unusable name, a write failure).
bool SaveThumbnailCache(const std::string& imagePath, const ThumbPicture& picture, int extensionIndex,
                        int typeCode, int sourceWidth, int sourceHeight);

// Removes the cache file and side-car of imagePath.
void RemoveThumbnailCache(const std::string& imagePath);

// True when imagePath has a cache file whose last-write time differs from the image's (or the
// image is gone); such a cache is removed with its side-car.
bool RemoveStaleThumbnailCache(const std::string& imagePath);

// The thumbnail of an image file: from the cache when it is current (same last-write time, a
// usable side-car, a readable BMP of at most maxSide), else decoded from the image and written
// to the cache. ignoreCache makes it decode and rewrite. Null when the image cannot be read; a
// cache file that cannot be read is removed (the next pass makes it again). The thumbnail's
// cache values are type code, source width and source height.
std::unique_ptr<CMyThumbnl> LoadThumbnail(const std::string& imagePath, int maxSide, bool ignoreCache,
                                          bool* fromCache = nullptr);
