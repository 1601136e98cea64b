// Points the per-user runtime folder ($XDG_RUNTIME_DIR) at a scratch folder while the object
// lives, so that lock files and findable-window sockets of one test never meet another's; the
// earlier value comes back at the end.
#pragma once

#include "ScratchFolder.h"

#include <cstdlib>
#include <string>

class ScopedRuntimeFolder {
public:
    explicit ScopedRuntimeFolder(const std::string& prefix = "vt-runtime") : folder_(prefix) {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        ::setenv("XDG_RUNTIME_DIR", folder_.Path().c_str(), 1);
    }
    ~ScopedRuntimeFolder() {
        if (hadOld_)
            ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    ScopedRuntimeFolder(const ScopedRuntimeFolder&) = delete;
    ScopedRuntimeFolder& operator=(const ScopedRuntimeFolder&) = delete;

    const ScratchFolder& Folder() const { return folder_; }

private:
    ScratchFolder folder_;
    bool hadOld_ = false;
    std::string old_;
};
