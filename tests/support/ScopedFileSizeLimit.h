// Makes every write past `bytes` fail as on a full disk (EFBIG, with SIGXFSZ ignored) for this
// process until the scope ends; the previous limit and signal action come back then.
#pragma once

#include <csignal>
#include <sys/resource.h>

class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        ok_ = ::getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~ScopedFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

    bool Active() const { return ok_; }

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
    bool ok_ = false;
};
