// Points the per-user runtime folder ($XDG_RUNTIME_DIR) at a scratch folder while the object
// lives, so that lock files and findable-window sockets of one test never meet another's; the
// earlier value comes back at the end.
#pragma once

#include "ScratchFolder.h"
#include "platform/Process.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

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

// Leaves no usable runtime folder while the object lives: $XDG_RUNTIME_DIR/vantorel and every
// fallback name (in a scratch folder standing for /tmp) are files.
class ScopedNoRuntimeFolder {
public:
    ScopedNoRuntimeFolder() : runtime_("vt-no-runtime") {
        ScratchFolder::WriteAll(runtime_.Folder() / "vantorel", "");
        const std::string usual = tmp_ / ("vantorel-" + std::to_string(::getuid()));
        ScratchFolder::WriteAll(usual, "");
        for (int n = 1; n <= kRuntimeFallbacks; ++n)
            ScratchFolder::WriteAll(usual + "-" + std::to_string(n), "");
        SetRuntimeFallbackRoot(tmp_.Path());
    }
    ~ScopedNoRuntimeFolder() { SetRuntimeFallbackRoot({}); }
    ScopedNoRuntimeFolder(const ScopedNoRuntimeFolder&) = delete;
    ScopedNoRuntimeFolder& operator=(const ScopedNoRuntimeFolder&) = delete;

private:
    ScopedRuntimeFolder runtime_;
    ScratchFolder tmp_{"vt-no-runtime-tmp"};
};
