#include "shell/core/capture/CapturePathCheck.h"

#include "platform/File.h"

#include <cerrno>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool CanWriteCapturePath(const std::string& path) {
    if (path.empty())
        return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;
        // The picture replaces the file through a temporary file beside it: the folder must take
        // new files too.
        const size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : path.substr(0, slash);
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            return false;
        const int fd = OpenRegularFile(path, O_WRONLY);
        if (fd < 0)
            return false;
        ::close(fd);
        return true;
    }
    if (errno != ENOENT)
        return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(path.c_str());
    return true;
}
