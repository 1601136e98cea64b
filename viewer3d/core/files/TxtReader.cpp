// Integer text height files: values separated by commas or tabs, rows by line ends.
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/ImageReaders.h"

#include "imaging/files/SECImage.h"
#include "platform/File.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace v3d {

HDIB ReadTxtFile(CFile* file, int depth, int width, int height, bool comma, int* type) {
    static constexpr int kTypes[4] = {0, 4, 5, 6};
    static constexpr int kMaxima[4] = {255, 1023, 4095, 65535};
    if (depth < 0 || depth > 3)
        return nullptr;
    if (type)
        *type = kTypes[depth];
    const int kind = depth == 0 ? kKindGrey8 : kKindGrey16;
    const uint64_t blockBytes = ::DibCreateBlockSize(width, height, kind);
    if (!file || blockBytes == 0 || blockBytes > SECImage::MaxImageBytes())
        return nullptr;
    const uint64_t length = file->GetLength();
    const uint64_t pos = file->GetPosition();
    if (pos > length || length - pos > SECImage::MaxImageBytes())
        return nullptr;
    std::string text;
    try {
        text.resize(static_cast<size_t>(length - pos));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (size_t done = 0; done < text.size();) {
        const UINT chunk = static_cast<UINT>(std::min<size_t>(text.size() - done, 1u << 30));
        if (file->Read(text.data() + done, chunk) != chunk)
            return nullptr;
        done += chunk;
    }

    HDIB dib = DibCreate(width, height, kind);
    if (!dib)
        return nullptr;
    BYTE* block = static_cast<BYTE*>(GlobalLock(dib));
    BYTE* rows = DibGetBits(block);
    const uint64_t stride = DibStride(width, depth == 0 ? 8 : 16);
    const uint64_t total = uint64_t(width) * uint64_t(height);
    const int maximum = kMaxima[depth];
    const char separator = comma ? ',' : '\t';
    uint64_t stored = 0;
    std::string token;
    auto store = [&] {
        // Every width values make a row, from the top row down.
        const long v = std::clamp<long>(std::strtol(token.c_str(), nullptr, 10), 0, maximum);
        const uint64_t y = stored / uint64_t(width), x = stored % uint64_t(width);
        BYTE* row = rows + (uint64_t(height) - 1 - y) * stride;
        if (depth == 0)
            row[x] = static_cast<BYTE>(v);
        else
            le::put16(row + 2 * x, static_cast<uint16_t>(v));
        ++stored;
        token.clear();
    };
    for (size_t i = 0; i < text.size() && stored < total; ++i) {
        const char c = text[i];
        if (c == separator || c == '\n') {
            store();
        } else if (c == '\r') {
            store();
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (token.size() < 64) {
            token.push_back(c);
        }
    }
    if (!token.empty() && stored < total)
        store(); // the last value needs no separator
    GlobalUnlock(dib);
    return dib;
}

} // namespace v3d
