#include "viewer3d/measure/core/BmpSave.h"

#include "platform/File.h"

#include <cstdint>
#include <vector>

namespace v3d {

namespace {

void put16(std::vector<BYTE>& out, uint32_t v) {
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}

void put32(std::vector<BYTE>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

int SaveRgbAsBmp(const BYTE* rgb, int width, int height, int rowBytes, const std::string& path) {
    if (!rgb || width < 1 || height < 1 || rowBytes < static_cast<int64_t>(width) * 3 || path.empty())
        return 0;
    const uint64_t stride = ((static_cast<uint64_t>(width) * 24 + 31) / 32) * 4;
    const uint64_t imageSize = stride * static_cast<uint64_t>(height);
    if (imageSize > UINT32_MAX - 54)
        return 0;
    std::vector<BYTE> file;
    try {
        file.reserve(static_cast<size_t>(54 + imageSize));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    file.push_back('B');
    file.push_back('M');
    put32(file, static_cast<uint32_t>(54 + imageSize));
    put32(file, 0);
    put32(file, 54);
    put32(file, 40);
    put32(file, static_cast<uint32_t>(width));
    put32(file, static_cast<uint32_t>(height));
    put16(file, 1);
    put16(file, 24);
    put32(file, 0); // BI_RGB
    put32(file, static_cast<uint32_t>(imageSize));
    put32(file, 0);
    put32(file, 0);
    put32(file, 0);
    put32(file, 0);
    for (int y = height - 1; y >= 0; --y) {
        const BYTE* p = rgb + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += 3) {
            file.push_back(p[2]);
            file.push_back(p[1]);
            file.push_back(p[0]);
        }
        for (uint64_t pad = static_cast<uint64_t>(width) * 3; pad < stride; ++pad)
            file.push_back(0);
    }
    AtomicFileWriter writer(path);
    if (!writer.Open())
        return 0;
    try {
        writer.File().Write(file.data(), static_cast<UINT>(file.size()));
    } catch (...) {
        writer.Abort();
        return 0;
    }
    return writer.Commit() ? 1 : 0;
}

} // namespace v3d
