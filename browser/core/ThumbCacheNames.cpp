#include "browser/core/ThumbCacheNames.h"

#include <cstddef>
#include <mutex>

namespace {

// Longest name component and longest path the Linux file systems take.
constexpr size_t kMaxNameComponent = 255;
constexpr size_t kMaxPath = 4096;

// The thumbnail folder is set and read under g_thumbFolderLock.
std::mutex g_thumbFolderLock;
std::string g_thumbCacheFolder = "Cache";

} // namespace

void SetThumbCacheFolder(const std::string& folder) {
    std::lock_guard<std::mutex> guard(g_thumbFolderLock);
    g_thumbCacheFolder = folder;
}

std::string GetThumbCacheFolder() {
    std::lock_guard<std::mutex> guard(g_thumbFolderLock);
    return g_thumbCacheFolder;
}

std::string MakeThumbCacheName(const std::string& imagePath) {
    std::string flat = imagePath;
    for (char& c : flat) {
        if (c == '/')
            c = '_';
        else if (c == ':')
            c = '~';
    }
    return GetThumbCacheFolder() + "/" + flat + ".tmp";
}

bool IsUsableThumbCacheName(const std::string& cacheName) {
    if (cacheName.empty() || cacheName.size() >= kMaxPath)
        return false;
    size_t start = 0;
    while (start <= cacheName.size()) {
        size_t slash = cacheName.find('/', start);
        size_t end = slash == std::string::npos ? cacheName.size() : slash;
        if (end - start > kMaxNameComponent)
            return false;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return true;
}
