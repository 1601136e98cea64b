// Saving a captured picture and keeping the thumbnail cache within its size.
#pragma once

#include "platform/GlobalMemory.h"

#include <cstdint>
#include <string>

// Format index of a capture path: "*" + the extension from the last '.' compared without case
// with the string-table entries 512 "*.bmp", 513 "*.dib", 514 "*.tif", 515 "*.jpg"; -1 for none.
int CaptureFormatIndex(const std::string& path);

// Saves a captured picture by its path's extension (JPEG with quality 75). An unknown extension
// is refused before any file is touched. The picture is written to a temporary file beside the
// target that replaces it only when complete, so a failed save leaves no partial file and an
// existing file unharmed. The path's thumbnail cache file and its companion are deleted first.
// Returns true when saved; the caller shows message 896 otherwise.
bool SaveCapturedPicture(HDIB picture, int frameType, const std::string& path);

// Thumbnail cache limit, bytes.
constexpr uint64_t kThumbCacheLimit = 10485760;

struct CacheTrimResult {
    uint64_t totalBefore = 0;
    uint64_t totalAfter = 0;
    int deleted = 0; // image cache files deleted (companions not counted)
};

// Trims the "*.tmp" files of the cache folder: empty files are deleted; when the total is above
// the limit, the oldest cache files (by access time, the browser's age stamp) are deleted with
// their ".i.tmp" companions until the total is below the limit.
CacheTrimResult CleanThumbnailCache(const std::string& folder, uint64_t limit = kThumbCacheLimit);
