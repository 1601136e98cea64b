#include "platform/Module.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace {
thread_local std::string lastError;

void noteError(const char* fallback) {
    const char* e = ::dlerror();
    lastError = e ? e : fallback;
}
} // namespace

HMODULE LoadLibrary(const std::string& path) {
    ::dlerror();
    if (path.empty()) {
        lastError = "empty library path";
        return nullptr;
    }
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        noteError("cannot load library");
        if (lastError.find(path) == std::string::npos)
            lastError = path + ": " + lastError;
        return nullptr;
    }
    lastError.clear();
    return h;
}

void* GetProcAddress(HMODULE module, const char* name) {
    if (!module || !name) {
        lastError = "no module or no name";
        return nullptr;
    }
    ::dlerror();
    void* p = ::dlsym(module, name);
    if (!p) {
        noteError("symbol not found");
        return nullptr;
    }
    lastError.clear();
    return p;
}

BOOL FreeLibrary(HMODULE module) {
    if (!module) {
        lastError = "no module";
        return FALSE;
    }
    ::dlerror();
    if (::dlclose(module) != 0) {
        noteError("cannot unload library");
        return FALSE;
    }
    lastError.clear();
    return TRUE;
}

std::string GetModuleError() {
    return lastError;
}

std::string GetProgramFilePath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return std::string();
    return std::string(buf, static_cast<size_t>(n));
}

std::string GetProgramFolder() {
    std::string path = GetProgramFilePath();
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}
