#include "browser/core/ThumbnailCache.h"

#include "browser/core/ThumbnailJpeg.h"

#include "browser/core/ThumbCacheNames.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/SECDib.h"
#include "platform/File.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint64_t kMaxCacheFileBytes = 1u << 20; // a 192 x 192 x 24-bit thumbnail is 110 kB

void Put16(std::string& s, unsigned v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(char((v >> (8 * i)) & 0xFF));
}

bool IsGreyRamp(const BYTE* table, unsigned entries) {
    if (entries != 256)
        return false;
    for (unsigned i = 0; i < 256; ++i)
        if (table[4 * i] != i || table[4 * i + 1] != i || table[4 * i + 2] != i)
            return false;
    return true;
}

bool StatFile(const std::string& path, struct stat& st) {
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool ReadSmallFile(const std::string& path, uint64_t limit, std::string& out) {
    struct stat st {};
    if (!StatFile(path, st) || uint64_t(st.st_size) > limit)
        return false;
    std::FILE* in = OpenRegularStream(path, "rb");
    if (!in)
        return false;
    out.clear();
    char chunk[8192];
    size_t n;
    while (out.size() <= limit && (n = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        out.append(chunk, n);
    const bool ok = !std::ferror(in) && out.size() <= limit;
    std::fclose(in);
    return ok;
}

// Writes a temporary file beside the target and renames it over the target. Cache files are
// made again whenever they are missing or unreadable, so they are not flushed to disk first.
bool WriteWhole(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += size_t(n);
    }
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Last-write time := the image's, access time := now.
void StampCacheTimes(const std::string& cachePath, const struct timespec& imageWrite) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1] = imageWrite;
    ::utimensat(AT_FDCWD, cachePath.c_str(), times, 0);
}

// Access time := now; the last-write time stays.
void TouchCacheAccess(const std::string& path) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = 0;
    times[1].tv_nsec = UTIME_OMIT;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string SideCarName(const std::string& cacheName) {
    return cacheName + ".i.tmp";
}

// Turns a picture into the thumbnail object through the BMP reader.
std::unique_ptr<CMyThumbnl> ThumbFromBytes(const std::string& bytes) {
    auto thumb = std::make_unique<CMyThumbnl>();
    size_t pos = 0;
    BmpByteSource source = [&](void* buffer, uint64_t count) -> uint64_t {
        const uint64_t n = std::min<uint64_t>(count, bytes.size() - pos);
        std::memcpy(buffer, bytes.data() + pos, n);
        pos += n;
        return n;
    };
    if (!ReadBmpInto(*thumb, source, bytes.size()))
        return nullptr;
    if (thumb->m_bitsPerPixel != 8 && thumb->m_bitsPerPixel != 24)
        return nullptr;
    thumb->m_loaded = TRUE;
    return thumb;
}

struct HdibHolder {
    HDIB h = nullptr;
    ~HdibHolder() {
        if (h)
            GlobalFree(h);
    }
};

} // namespace

ThumbSize FitThumbnailSize(int w, int h, int maxSide) {
    ThumbSize s{maxSide, maxSide};
    if (w <= 0 || h <= 0)
        return s;
    if (w != h && h >= w)
        s.width = std::max(1, int(int64_t(maxSide) * w / h));
    else if (h < w)
        s.height = std::max(1, int(int64_t(maxSide) * h / w));
    return s;
}

bool ScaleToThumbnail(const void* dib, int width, int height, ThumbPicture& out) {
    const int bits = DibGetBitCount(dib);
    const LONG sw = DibGetWidth(dib);
    const LONG sh = std::abs(DibGetHeight(dib));
    if ((bits != 8 && bits != 24) || sw <= 0 || sh <= 0 || width <= 0 || height <= 0 || width > 4096 ||
        height > 4096)
        return false;
    const BYTE* table = static_cast<const BYTE*>(dib) + DibHeaderSize(dib);
    const bool grey = bits == 8 && IsGreyRamp(table, DibColorCount(dib));
    const bool topDown = DibGetHeight(dib) < 0;
    const size_t srcStride = DibStride(sw, bits);
    const BYTE* src = DibGetBits(dib);
    out.width = width;
    out.height = height;
    out.bitCount = grey ? 8 : 24;
    const int channels = grey ? 1 : 3;
    const size_t dstStride = DibStride(width, out.bitCount);
    out.rows.assign(dstStride * size_t(height), 0);

    // Source column band of every destination column.
    std::vector<int> x0(width), x1(width);
    for (int x = 0; x < width; ++x) {
        x0[x] = int(int64_t(x) * sw / width);
        x1[x] = std::max(x0[x] + 1, int(int64_t(x + 1) * sw / width));
    }
    std::vector<uint64_t> sums(size_t(width) * channels);
    for (int y = 0; y < height; ++y) { // y counted from the top
        const int y0 = int(int64_t(y) * sh / height);
        const int y1 = std::max(y0 + 1, int(int64_t(y + 1) * sh / height));
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = y0; sy < y1; ++sy) {
            const BYTE* row = src + srcStride * size_t(topDown ? sy : sh - 1 - sy);
            for (int x = 0; x < width; ++x) {
                uint64_t* acc = &sums[size_t(x) * channels];
                for (int sx = x0[x]; sx < x1[x]; ++sx) {
                    if (bits == 24) {
                        const BYTE* p = row + size_t(sx) * 3;
                        acc[0] += p[0];
                        acc[1] += p[1];
                        acc[2] += p[2];
                    } else if (grey) {
                        acc[0] += row[sx];
                    } else {
                        const BYTE* e = table + 4 * size_t(row[sx]);
                        acc[0] += e[0];
                        acc[1] += e[1];
                        acc[2] += e[2];
                    }
                }
            }
        }
        BYTE* dst = out.rows.data() + dstStride * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint64_t area = uint64_t(x1[x] - x0[x]) * uint64_t(y1 - y0);
            for (int c = 0; c < channels; ++c)
                dst[size_t(x) * channels + c] = BYTE((sums[size_t(x) * channels + c] + area / 2) / area);
        }
    }
    return true;
}

std::string ThumbCacheBytes(const ThumbPicture& p) {
    const uint32_t entries = p.bitCount == 8 ? 256 : 0;
    const uint32_t offset = 14 + 40 + 4 * entries;
    const uint32_t imageBytes = uint32_t(p.rows.size());
    std::string s;
    s.reserve(offset + imageBytes);
    s += "BM";
    Put32(s, offset + imageBytes);
    Put16(s, 0);
    Put16(s, 0);
    Put32(s, offset);
    Put32(s, 40);
    Put32(s, uint32_t(p.width));
    Put32(s, uint32_t(p.height));
    Put16(s, 1);
    Put16(s, unsigned(p.bitCount));
    Put32(s, 0); // no compression
    Put32(s, imageBytes);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 0);
    for (uint32_t i = 0; i < entries; ++i) {
        s.push_back(char(i));
        s.push_back(char(i));
        s.push_back(char(i));
        s.push_back(0);
    }
    s.append(reinterpret_cast<const char*>(p.rows.data()), p.rows.size());
    return s;
}

std::string ThumbSideCarText(int extensionIndex, int typeCode, int width, int height,
                             const std::string& imagePath) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d%04d%08d%08d", extensionIndex, typeCode, width, height);
    return std::string(buf) + imagePath;
}

ThumbSideCar ParseThumbSideCar(const std::string& bytes, const std::string& imagePath) {
    ThumbSideCar r;
    // Fields count only when every one of their characters is there.
    auto field = [&](size_t at, size_t width) -> int {
        if (bytes.size() < at + width)
            return -1;
        return std::atoi(bytes.substr(at, width).c_str());
    };
    r.typeCode = field(4, 4);
    r.width = field(8, 8);
    r.height = field(16, 8);
    if (bytes.size() >= 24)
        r.usable = bytes.compare(24, std::string::npos, imagePath) == 0;
    return r;
}

int ThumbTypeCode(const void* dib, int readerType) {
    switch (DibGetBitCount(dib)) {
    case 8: {
        const BYTE* table = static_cast<const BYTE*>(dib) + DibHeaderSize(dib);
        return IsGreyRamp(table, DibColorCount(dib)) ? 0 : 1;
    }
    case 16:
        return readerType >= 0 ? readerType : 6;
    case 24:
        return 3;
    case 48:
        return readerType >= 0 ? readerType : 9;
    default:
        return -1;
    }
}

bool SaveThumbnailCache(const std::string& imagePath, const ThumbPicture& picture, int extensionIndex,
                        int typeCode, int sourceWidth, int sourceHeight) {
    struct stat folder {};
    if (::stat(GetThumbCacheFolder().c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return false;
    const std::string cacheName = MakeThumbCacheName(imagePath);
    const std::string sideCar = SideCarName(cacheName);
    if (!IsUsableThumbCacheName(cacheName) || !IsUsableThumbCacheName(sideCar))
        return false;
    struct stat image {};
    if (!StatFile(imagePath, image))
        return false;
    // The side-car first: a cache file is never left beside another image's side-car.
    if (!WriteWhole(sideCar,
                    ThumbSideCarText(extensionIndex, typeCode, sourceWidth, sourceHeight, imagePath)))
        return false;
    if (!WriteWhole(cacheName, ThumbCacheBytes(picture))) {
        ::unlink(sideCar.c_str());
        return false;
    }
    StampCacheTimes(cacheName, image.st_mtim);
    TouchCacheAccess(sideCar);
    return true;
}

void RemoveThumbnailCache(const std::string& imagePath) {
    const std::string cacheName = MakeThumbCacheName(imagePath);
    ::unlink(cacheName.c_str());
    ::unlink(SideCarName(cacheName).c_str());
}

bool RemoveStaleThumbnailCache(const std::string& imagePath) {
    const std::string cacheName = MakeThumbCacheName(imagePath);
    struct stat cache {
    }, image{};
    if (!StatFile(cacheName, cache))
        return false;
    if (StatFile(imagePath, image) && SameTime(image.st_mtim, cache.st_mtim))
        return false;
    RemoveThumbnailCache(imagePath);
    return true;
}

std::unique_ptr<CMyThumbnl> LoadThumbnail(const std::string& imagePath, int maxSide, bool ignoreCache,
                                          bool* fromCache) {
    if (fromCache)
        *fromCache = false;
    const int extension = ImageFileFormatIndex(imagePath);
    const std::string cacheName = MakeThumbCacheName(imagePath);
    struct stat image {};
    if (!StatFile(imagePath, image))
        return nullptr;

    // From the cache when it is current and names this image.
    struct stat cache {};
    if (!ignoreCache && IsUsableThumbCacheName(cacheName) && StatFile(cacheName, cache) &&
        cache.st_size > 0 && SameTime(cache.st_mtim, image.st_mtim)) {
        std::string sideBytes;
        const bool haveSide = ReadSmallFile(SideCarName(cacheName), 64 * 1024, sideBytes);
        const ThumbSideCar side = haveSide ? ParseThumbSideCar(sideBytes, imagePath) : ThumbSideCar{};
        std::string bytes;
        // The image's type and size come only from a whole side-car (the comparisons of the
        // focus image box use them); without one the thumbnail is made from the image again.
        if (side.usable && side.typeCode != -1 && side.width != -1 && side.height != -1) {
            std::unique_ptr<CMyThumbnl> thumb;
            if (ReadSmallFile(cacheName, kMaxCacheFileBytes, bytes))
                thumb = ThumbFromBytes(bytes);
            if (!thumb || int(thumb->GetWidth()) > maxSide || int(thumb->GetHeight()) > maxSide) {
                // Unreadable: removed, made again from the image in the next pass.
                RemoveThumbnailCache(imagePath);
                return nullptr;
            }
            thumb->m_cacheValue1 = side.typeCode;
            thumb->m_cacheValue2 = side.width;
            thumb->m_cacheValue3 = side.height;
            TouchCacheAccess(cacheName);
            TouchCacheAccess(SideCarName(cacheName));
            if (fromCache)
                *fromCache = true;
            return thumb;
        }
    }

    // From the image: JPEG files scaled while they are decoded, the rest in full.
    int readerType = -1;
    HdibHolder decoded;
    int w = 0, h = 0;
    if (extension == kJpegFormatIndex)
        decoded.h = ReadJpegForThumbnail(imagePath, maxSide, w, h);
    if (!decoded.h) {
        if (extension >= 0) {
            decoded.h = ReadImageFile(imagePath, &readerType);
        } else {
            // Any other name is read as a BMP file.
            try {
                CFile file(imagePath, CFile::modeRead);
                decoded.h = DibReadFileOfFormat(&file, 0, &readerType);
            } catch (...) {
                decoded.h = nullptr;
            }
        }
        w = h = 0;
    }
    if (!decoded.h)
        return nullptr;
    void* block = GlobalLock(decoded.h);
    if (!block)
        return nullptr;
    if (w == 0) {
        w = DibGetWidth(block);
        h = std::abs(DibGetHeight(block));
    }
    const int type = ThumbTypeCode(block, readerType);
    GlobalUnlock(decoded.h);

    HdibHolder display;
    display.h = DibConvertForDisplay(decoded.h, nullptr, 0, ImageTypeFullScale(type), type, -1);
    HDIB shown = display.h ? display.h : decoded.h;
    const void* pixels = GlobalLock(shown);
    if (!pixels)
        return nullptr;
    const ThumbSize size = FitThumbnailSize(w, h, maxSide);
    ThumbPicture picture;
    const bool scaled = ScaleToThumbnail(pixels, size.width, size.height, picture);
    GlobalUnlock(shown);
    if (!scaled)
        return nullptr;
    auto thumb = ThumbFromBytes(ThumbCacheBytes(picture));
    if (!thumb)
        return nullptr;
    thumb->m_cacheValue1 = type;
    thumb->m_cacheValue2 = w;
    thumb->m_cacheValue3 = h;
    SaveThumbnailCache(imagePath, picture, extension, type, w, h);
    return thumb;
}
