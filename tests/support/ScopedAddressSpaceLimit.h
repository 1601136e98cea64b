// Limits this process's address space (as ulimit -v does) to what it maps now plus `room`
// bytes until the scope ends, so that a larger request fails as when memory is short.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <sys/resource.h>

class ScopedAddressSpaceLimit {
public:
    explicit ScopedAddressSpaceLimit(uint64_t room) {
        std::ifstream status("/proc/self/status");
        uint64_t kb = 0;
        for (std::string word; kb == 0 && status >> word;)
            if (word == "VmSize:")
                status >> kb;
        ok_ = kb > 0 && ::getrlimit(RLIMIT_AS, &saved_) == 0 && kb * 1024 + room < saved_.rlim_cur;
        const rlimit small{kb * 1024 + room, saved_.rlim_max};
        ok_ = ok_ && ::setrlimit(RLIMIT_AS, &small) == 0;
    }
    ~ScopedAddressSpaceLimit() {
        if (ok_)
            ::setrlimit(RLIMIT_AS, &saved_);
    }
    bool Active() const { return ok_; }

private:
    rlimit saved_{};
    bool ok_ = false;
};
