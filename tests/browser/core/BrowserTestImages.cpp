#include "BrowserTestImages.h"

#include "browser/core/ThumbCacheNames.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>

std::string WriteFlatImage(const std::string& path, int w, int h, int r, int g, int b, bool grey) {
    HDIB dib = DibCreate(w, h, grey ? DIB_KIND_GREY8 : DIB_KIND_RGB24);
    if (!dib)
        throw std::runtime_error("no bitmap");
    void* block = GlobalLock(dib);
    BYTE* bits = DibGetBits(block);
    const size_t stride = DibStride(w, grey ? 8 : 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = bits + stride * y + (grey ? x : 3 * x);
            if (grey) {
                p[0] = BYTE(r);
            } else {
                p[0] = BYTE(b);
                p[1] = BYTE(g);
                p[2] = BYTE(r);
            }
        }
    GlobalUnlock(dib);
    const BOOL ok = SaveImageFile(dib, path, grey ? 0 : 3, 95);
    GlobalFree(dib);
    if (!ok)
        throw std::runtime_error("cannot write " + path);
    return path;
}

void SetWriteTime(const std::string& path, long long seconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(seconds);
    times[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

CacheFolderScope::CacheFolderScope(const std::string& folder) : previous_(GetThumbCacheFolder()) {
    SetThumbCacheFolder(folder);
}

CacheFolderScope::~CacheFolderScope() {
    SetThumbCacheFolder(previous_);
}

std::string WriteGrey16Tiff(const std::string& path, int w, int h) {
    HDIB dib = DibCreate(w, h, DIB_KIND_GREY16);
    const BOOL ok = SaveImageFile(dib, path, 6, 0);
    GlobalFree(dib);
    if (!ok)
        throw std::runtime_error("cannot write " + path);
    return path;
}
