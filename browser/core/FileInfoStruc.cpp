#include "browser/core/FileInfoStruc.h"

#include "platform/ProgramHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {
int64_t Nanoseconds(const struct timespec& t) {
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}
} // namespace

std::unique_ptr<CFileInfoStruc> CFileInfoStruc::MakePlaceholder() {
    auto p = std::make_unique<CFileInfoStruc>();
    p->m_path = kPlaceholderPath;
    p->m_number = kPlaceholderNumber;
    p->m_selected = 1;
    return p;
}

std::unique_ptr<CFileInfoStruc> CFileInfoStruc::FromFile(const std::string& path, int n) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return nullptr;
    auto p = std::make_unique<CFileInfoStruc>();
    p->m_attributes = st.st_mode;
    p->m_lastWriteTime = Nanoseconds(st.st_mtim);
    p->m_creationTime = Nanoseconds(st.st_ctim);
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        p->m_creationTime = int64_t(sx.stx_btime.tv_sec) * 1000000000 + sx.stx_btime.tv_nsec;
    p->m_size = uint64_t(st.st_size);
    p->m_path = path;
    std::string digits;
    p->m_number = GetFileNumber(path, digits);
    p->m_thumbIndex = p->m_boxIndex = n;
    return p;
}
