#include "platform/File.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// ---- CFileException --------------------------------------------------------------------------

CFileException::CFileException(int cause, int osError, std::string fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

void CFileException::Set(int osError, const std::string& fileName) {
    m_cause = OsErrorToCause(osError);
    m_lOsError = osError;
    m_strFileName = fileName;
    text_.clear();
}

int CFileException::OsErrorToCause(int osError) {
    switch (osError) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case EBADF:
        return accessDenied;
    case ENXIO:
        return invalidFile;
    case ESPIPE:
        return badSeek;
    case EIO:
        return hardIO;
    case ETXTBSY:
    case EBUSY:
        return sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    default:
        return genericException;
    }
}

const char* CFileException::what() const noexcept {
    if (text_.empty()) {
        static const char* const names[] = {"none",           "generic error",       "file not found",
                                            "bad path",       "too many open files", "access denied",
                                            "invalid file",   "current folder",      "folder full",
                                            "bad seek",       "hardware I/O error",  "sharing violation",
                                            "lock violation", "disk full",           "end of file"};
        const char* name = m_cause >= 0 && m_cause <= endOfFile ? names[m_cause] : "file error";
        text_ = std::string(name) + ": " + m_strFileName;
        if (m_lOsError)
            text_ += std::string(" (") + std::strerror(m_lOsError) + ")";
    }
    return text_.c_str();
}

void CFileException::ThrowOsError(int osError, const std::string& fileName) {
    CFileException e;
    e.Set(osError, fileName);
    throw e;
}

void CFileException::Throw(int cause, const std::string& fileName) {
    throw CFileException(cause, 0, fileName);
}

FileFailure FileFailureOf(const CFileException& e) {
    switch (e.m_lOsError) {
    case 0:
        break;
    case ENOENT:
    case ENOTDIR:
        return FileFailure::MissingPath;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileFailure::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileFailure::DiskFull;
    default:
        return FileFailure::Other;
    }
    switch (e.m_cause) {
    case CFileException::fileNotFound:
        return FileFailure::MissingPath;
    case CFileException::accessDenied:
        return FileFailure::AccessDenied;
    case CFileException::diskFull:
        return FileFailure::DiskFull;
    default:
        return FileFailure::Other;
    }
}

// ---- CFile -----------------------------------------------------------------------------------

CFile::CFile(const std::string& path, UINT flags) {
    CFileException e;
    if (!Open(path, flags, &e))
        throw e;
}

CFile::~CFile() {
    Abort();
}

BOOL CFile::Open(const std::string& path, UINT flags, CFileException* error) {
    Abort();
    path_ = path;
    int oflags = O_CLOEXEC;
    switch (flags & 3) {
    case modeRead:
        oflags |= O_RDONLY;
        break;
    case modeWrite:
        oflags |= O_WRONLY;
        break;
    default:
        oflags |= O_RDWR;
        break;
    }
    if (flags & modeCreate) {
        oflags |= O_CREAT;
        if (!(flags & modeNoTruncate))
            oflags |= O_TRUNC;
    }
    const int fd = OpenRegularFile(path, oflags);
    const int err = fd < 0 ? errno : 0;
    if (fd < 0) {
        if (error)
            error->Set(err, path);
        return FALSE;
    }
    fd_ = fd;
    return TRUE;
}

int OpenRegularFile(const std::string& path, int oflags, unsigned mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), oflags | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st;
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    else if (!S_ISREG(st.st_mode))
        err = ENXIO;
    else if (const int fl = ::fcntl(fd, F_GETFL); fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0)
        err = errno;
    if (err) {
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

std::FILE* OpenRegularStream(const std::string& path, const char* mode) {
    const bool plus = std::strchr(mode, '+') != nullptr;
    int oflags;
    switch (mode[0]) {
    case 'r':
        oflags = plus ? O_RDWR : O_RDONLY;
        break;
    case 'w':
        oflags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
        break;
    case 'a':
        oflags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
        break;
    default:
        errno = EINVAL;
        return nullptr;
    }
    const int fd = OpenRegularFile(path, oflags);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, mode);
    if (!f) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return f;
}

bool RegularFileReadable(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void CFile::requireOpen() const {
    if (fd_ < 0)
        CFileException::ThrowOsError(EBADF, path_);
}

bool ReadExact(CFile& file, void* buffer, uint64_t count) {
    auto* p = static_cast<BYTE*>(buffer);
    while (count) {
        const UINT chunk = static_cast<UINT>(std::min<uint64_t>(count, 1u << 30));
        if (file.Read(p, chunk) != chunk)
            return false;
        p += chunk;
        count -= chunk;
    }
    return true;
}

UINT CFile::Read(void* buffer, UINT count) {
    requireOpen();
    auto* p = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::read(fd_, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno, path_);
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    requireOpen();
    const auto* p = static_cast<const BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno, path_);
        }
        if (n == 0)
            CFileException::ThrowOsError(ENOSPC, path_);
        done += static_cast<UINT>(n);
    }
}

uint64_t CFile::Seek(int64_t offset, UINT from) {
    requireOpen();
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : from == end ? SEEK_END : -1;
    if (whence < 0)
        CFileException::Throw(CFileException::badSeek, path_);
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0)
        CFileException::Throw(CFileException::badSeek, path_);
    return static_cast<uint64_t>(r);
}

uint64_t CFile::GetLength() const {
    requireOpen();
    struct stat st;
    if (::fstat(fd_, &st) != 0)
        CFileException::ThrowOsError(errno, path_);
    return static_cast<uint64_t>(st.st_size);
}

uint64_t CFile::GetPosition() const {
    requireOpen();
    off_t r = ::lseek(fd_, 0, SEEK_CUR);
    if (r < 0)
        CFileException::ThrowOsError(errno, path_);
    return static_cast<uint64_t>(r);
}

void CFile::SetLength(uint64_t length) {
    requireOpen();
    if (length > static_cast<uint64_t>(INT64_MAX))
        CFileException::Throw(CFileException::badSeek, path_);
    int r;
    do {
        r = ::ftruncate(fd_, static_cast<off_t>(length));
    } while (r != 0 && errno == EINTR);
    if (r != 0)
        CFileException::ThrowOsError(errno, path_);
}

void CFile::Flush() {
    requireOpen();
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        CFileException::ThrowOsError(errno, path_);
}

void CFile::Close() {
    if (fd_ < 0)
        return;
    int fd = fd_;
    fd_ = hFileNull;
    // The descriptor is gone after close whatever it returns; EINTR is not retried.
    if (::close(fd) != 0 && errno != EINTR)
        CFileException::ThrowOsError(errno, path_);
}

void CFile::Abort() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = hFileNull;
}

std::string CFile::GetFileName() const {
    auto slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

std::string CFile::GetFileTitle() const {
    std::string name = GetFileName();
    auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void CFile::Remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        CFileException::ThrowOsError(errno, path);
}

void CFile::Rename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        CFileException::ThrowOsError(errno, from);
}

// ---- CMemFile --------------------------------------------------------------------------------

CMemFile::CMemFile(const void* data, size_t size)
    : data_(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size) {}

CMemFile::CMemFile(std::vector<BYTE> data) : data_(std::move(data)) {}

BOOL CMemFile::Open(const std::string& path, UINT, CFileException* error) {
    if (error)
        *error = CFileException(CFileException::genericException, 0, path);
    return FALSE;
}

UINT CMemFile::Read(void* buffer, UINT count) {
    if (pos_ >= data_.size())
        return 0;
    uint64_t left = data_.size() - pos_;
    UINT n = left < count ? static_cast<UINT>(left) : count;
    if (n)
        std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

void CMemFile::Write(const void* buffer, UINT count) {
    if (!count)
        return;
    uint64_t endPos = pos_ + count;
    if (endPos > data_.max_size())
        CFileException::Throw(CFileException::diskFull, path_);
    try {
        if (endPos > data_.size())
            data_.resize(static_cast<size_t>(endPos));
    } catch (const std::bad_alloc&) {
        CFileException::Throw(CFileException::diskFull, path_);
    }
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ = endPos;
}

uint64_t CMemFile::Seek(int64_t offset, UINT from) {
    int64_t base = from == begin     ? 0
                   : from == current ? static_cast<int64_t>(pos_)
                                     : static_cast<int64_t>(data_.size());
    if (from > end || (offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset))
        CFileException::Throw(CFileException::badSeek, path_);
    pos_ = static_cast<uint64_t>(base + offset);
    return pos_;
}

void CMemFile::SetLength(uint64_t length) {
    if (length > data_.max_size())
        CFileException::Throw(CFileException::diskFull, path_);
    try {
        data_.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        CFileException::Throw(CFileException::diskFull, path_);
    }
    if (pos_ > length)
        pos_ = length;
}

std::vector<BYTE> CMemFile::Detach() {
    std::vector<BYTE> out = std::move(data_);
    data_.clear();
    pos_ = 0;
    return out;
}

// ---- AtomicFileWriter ------------------------------------------------------------------------

namespace {
// The path whose contents a write replaces: the destination of a symbolic link, else the path.
std::string resolveTarget(const std::string& target) {
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buf[PATH_MAX];
        if (::realpath(target.c_str(), buf))
            return buf;
    }
    return target;
}
} // namespace

namespace {
// The folder part of a path (with its '/') and the name after it.
std::pair<std::string, std::string> splitPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

bool allDigits(const std::string& s) {
    return !s.empty() && s.size() <= 10 && s.find_first_not_of("0123456789") == std::string::npos;
}

// The process id in the name of a temporary file of the target's name, or 0 for another name.
pid_t tempFileOwner(const std::string& entry, const std::string& name) {
    const std::string head = "." + name + ".";
    const std::string tail = ".tmp";
    if (entry.size() <= head.size() + tail.size() || entry.compare(0, head.size(), head) != 0 ||
        entry.compare(entry.size() - tail.size(), tail.size(), tail) != 0)
        return 0;
    const std::string middle = entry.substr(head.size(), entry.size() - head.size() - tail.size());
    const auto dot = middle.find('.');
    if (dot == std::string::npos || !allDigits(middle.substr(0, dot)) || !allDigits(middle.substr(dot + 1)))
        return 0;
    const long long pid = std::atoll(middle.substr(0, dot).c_str());
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}
} // namespace

int CreateTempBeside(const std::string& target, int mode, std::string& temp) {
    const auto [dir, name] = splitPath(target);
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%d.%u.tmp", static_cast<int>(::getpid()),
                      counter.fetch_add(1));
        const std::string candidate = dir + "." + name + suffix;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // The lock tells a cleaner that cannot see this process that the file is being written.
        // A file system without locks still takes the save: its cleaners then remove nothing.
        (void)::flock(fd, LOCK_EX | LOCK_NB);
        if (mode >= 0 && ::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(candidate.c_str());
            errno = err;
            return -1;
        }
        temp = candidate;
        return fd;
    }
    errno = EEXIST;
    return -1;
}

void RemoveStaleTempsBeside(const std::string& target) {
    const auto [dir, name] = splitPath(target);
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return;
    const int dirFd = ::dirfd(d);
    while (const dirent* e = ::readdir(d)) {
        const pid_t owner = tempFileOwner(e->d_name, name);
        // A process that runs (or that this one may not signal) may still be writing its file.
        if (owner == 0 || owner == ::getpid() || ::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter() {
    Abort();
}

BOOL AtomicFileWriter::Open(CFileException* error) {
    Abort();
    committed_ = false;
    std::string real = resolveTarget(target_);
    struct stat st;
    const bool existing = ::stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    lockFd_ = CreateTempBeside(real, existing ? static_cast<int>(st.st_mode & 07777) : -1, temp_);
    if (lockFd_ < 0) {
        if (error)
            error->Set(errno, target_);
        return FALSE;
    }
    if (!file_.Open(temp_, CFile::modeWrite, error)) {
        dropTemp();
        return FALSE;
    }
    return TRUE;
}

BOOL AtomicFileWriter::Commit(CFileException* error) {
    if (temp_.empty() || committed_) {
        if (error)
            *error = CFileException(CFileException::genericException, 0, target_);
        return FALSE;
    }
    try {
        if (file_.IsOpen()) {
            file_.Flush();
            file_.Close();
        } else {
            // Written by name through another library: make its data durable before the rename.
            CFile f;
            if (f.Open(temp_, CFile::modeRead)) {
                f.Flush();
                f.Close();
            }
        }
    } catch (const CFileException& e) {
        if (error) {
            *error = e;
            error->m_strFileName = target_;
        }
        Abort();
        return FALSE;
    }
    std::string real = resolveTarget(target_);
    if (::rename(temp_.c_str(), real.c_str()) != 0) {
        if (error)
            error->Set(errno, target_);
        Abort();
        return FALSE;
    }
    temp_.clear();
    ::close(lockFd_);
    lockFd_ = -1;
    committed_ = true;
    RemoveStaleTempsBeside(real);
    // Make the new directory entry durable too; a failure here does not undo the write.
    auto slash = real.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : real.substr(0, slash == 0 ? 1 : slash);
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
    return TRUE;
}

void AtomicFileWriter::Abort() {
    file_.Abort();
    dropTemp();
}

void AtomicFileWriter::dropTemp() {
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}
