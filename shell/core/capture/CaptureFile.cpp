#include "shell/core/capture/CaptureFile.h"

#include "browser/core/ThumbCacheNames.h"
#include "imaging/files/ImageFile.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <vector>

int CaptureFormatIndex(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return -1;
    const std::string pattern = "*" + path.substr(dot);
    static const char* const kDefaults[4] = {"*.bmp", "*.dib", "*.tif", "*.jpg"};
    // The patterns' strings follow one another, in the order of kDefaults.
    for (UINT id = vtid::str::BmpPattern; id <= vtid::str::JpgPattern; ++id) {
        std::string entry = ui::Resources().LoadString(id);
        const int index = static_cast<int>(id - vtid::str::BmpPattern);
        if (entry.empty())
            entry = kDefaults[index];
        if (strcasecmp(entry.c_str(), pattern.c_str()) == 0)
            return index;
    }
    return -1;
}

bool SaveCapturedPicture(HDIB picture, int frameType, const std::string& path) {
    const int index = CaptureFormatIndex(path);
    if (index < 0 || !picture)
        return false;
    const std::string cache = MakeThumbCacheName(path);
    ::unlink(cache.c_str());
    ::unlink((cache + ".i.tmp").c_str());
    // The writers go by the name's format; the four capture formats are the same four.
    return SaveImageFile(picture, path, frameType, 75) != FALSE;
}

namespace {
struct CacheFile {
    std::string path;
    struct timespec stamp;
    uint64_t length;
};

bool EndsWith(const std::string& s, const char* tail) {
    const size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

bool Older(const CacheFile& a, const CacheFile& b) {
    if (a.stamp.tv_sec != b.stamp.tv_sec)
        return a.stamp.tv_sec < b.stamp.tv_sec;
    return a.stamp.tv_nsec < b.stamp.tv_nsec;
}
} // namespace

CacheTrimResult CleanThumbnailCache(const std::string& folder, uint64_t limit) {
    CacheTrimResult result;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return result;
    std::vector<CacheFile> files;
    uint64_t total = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || !EndsWith(name, ".tmp"))
            continue;
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        uint64_t length = static_cast<uint64_t>(st.st_size);
        if (length == 0) {
            if (::unlink(path.c_str()) == 0)
                continue;
        }
        total += length;
        files.push_back(CacheFile{path, st.st_atim, length});
    }
    ::closedir(dir);
    result.totalBefore = total;
    if (total > limit) {
        std::sort(files.begin(), files.end(), Older);
        for (const CacheFile& f : files) {
            if (total < limit)
                break;
            if (EndsWith(f.path, ".i.tmp"))
                continue;
            if (::unlink(f.path.c_str()) == 0) {
                total -= f.length;
                ++result.deleted;
            }
            const std::string companion = f.path + ".i.tmp";
            struct stat st {};
            if (::lstat(companion.c_str(), &st) == 0 && ::unlink(companion.c_str()) == 0)
                total -= std::min<uint64_t>(total, static_cast<uint64_t>(st.st_size));
        }
    }
    result.totalAfter = total;
    return result;
}
