#include "ReaderTestSupport.h"

#include "viewer3d/core/bitmaps/Dib.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace v3dtest {

ScratchDir::ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "v3d-test-XXXXXX").string();
    if (char* p = ::mkdtemp(tmpl.data()))
        dir_ = p;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    if (!dir_.empty())
        std::filesystem::remove_all(dir_, ec);
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

int Shell(const std::string& command) {
    const int status = std::system(("(" + command + ") >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FindTool(std::initializer_list<const char*> candidates) {
    for (const char* c : candidates)
        if (access(c, X_OK) == 0)
            return c;
    return {};
}

std::string ImageMagick() {
    return FindTool({"/usr/bin/convert-im6.q16", "/usr/bin/convert"});
}

int Sample(HDIB dib, int x, int y, int plane) {
    GlobalLockGuard lock(dib);
    const BYTE* p = lock.get();
    const int bits = v3d::DibGetBitCount(p);
    const uint64_t stride = v3d::DibStride(v3d::DibGetWidth(p), bits);
    const BYTE* row = v3d::DibGetBits(p) + uint64_t(v3d::DibGetHeight(p) - 1 - y) * stride;
    switch (bits) {
    case 8:
        return row[x];
    case 16:
        return le::get16(row + 2 * x);
    case 24:
        return row[3 * x + 2 - plane];
    case 48:
        return le::get16(row + 6 * x + 4 - 2 * plane);
    default:
        return -1;
    }
}

int BitCount(HDIB dib) {
    GlobalLockGuard lock(dib);
    return lock ? v3d::DibGetBitCount(lock.get()) : 0;
}
int Width(HDIB dib) {
    GlobalLockGuard lock(dib);
    return lock ? v3d::DibGetWidth(lock.get()) : 0;
}
int Height(HDIB dib) {
    GlobalLockGuard lock(dib);
    return lock ? v3d::DibGetHeight(lock.get()) : 0;
}

} // namespace v3dtest
