#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFileMemory.h"

#include <jpeglib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace imgtest {

HDIB MakePatternDib(int width, int height, int kind, int bits) {
    HDIB dib = DibCreateOfKind(width, height, kind);
    if (!dib)
        return nullptr;
    const unsigned mask = (1u << bits) - 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int p = 0; p < 3; ++p) {
                const unsigned v = static_cast<unsigned>(x * 37 + y * 101 + p * 53 + x * y * 7) * 2654435761u >> 7;
                if (kind == 0 || kind == 3) {
                    if (p == 0)
                        DibSetPixel(dib, x, y, 0, static_cast<int>(v & (kind == 0 ? 0xFF : mask)));
                } else {
                    DibSetPixel(dib, x, y, p, static_cast<int>(v & (kind == 1 ? 0xFF : mask)));
                }
            }
    return dib;
}

HDIB MakePaletteDib(int width, int height) {
    HDIB dib = MakePatternDib(width, height, 0);
    if (!dib)
        return nullptr;
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3), static_cast<BYTE>(i ^ 0x5A), 0};
    DibSetColorTable(dib, table.data());
    return dib;
}

::testing::AssertionResult SameBitmap(HDIB a, HDIB b) {
    if (!a || !b)
        return ::testing::AssertionFailure() << "null bitmap";
    GlobalLockGuard la(a), lb(b);
    const BYTE* pa = la.get();
    const BYTE* pb = lb.get();
    if (DibGetWidth(pa) != DibGetWidth(pb) || DibGetHeight(pa) != DibGetHeight(pb) ||
        DibGetBitCount(pa) != DibGetBitCount(pb))
        return ::testing::AssertionFailure()
               << "size " << DibGetWidth(pa) << "x" << DibGetHeight(pa) << "x" << DibGetBitCount(pa) << " vs "
               << DibGetWidth(pb) << "x" << DibGetHeight(pb) << "x" << DibGetBitCount(pb);
    if (DibColorTableSize(pa) != DibColorTableSize(pb) ||
        std::memcmp(pa + DibHeaderSize(pa), pb + DibHeaderSize(pb), DibColorTableSize(pa)) != 0)
        return ::testing::AssertionFailure() << "colour tables differ";
    const size_t stride = DibStride(DibGetWidth(pa), DibGetBitCount(pa));
    const size_t packed = (static_cast<size_t>(DibGetWidth(pa)) * DibGetBitCount(pa) + 7) / 8;
    for (LONG y = 0; y < DibGetHeight(pa); ++y)
        if (std::memcmp(DibGetBits(pa) + y * stride, DibGetBits(pb) + y * stride, packed) != 0)
            return ::testing::AssertionFailure() << "memory row " << y << " differs";
    return ::testing::AssertionSuccess();
}

int Sample(HDIB dib, int x, int y, int plane) { return DibGetPixel(dib, x, y, plane); }

std::vector<BYTE> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

int Shell(const std::string& command, std::string* out) {
    FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (!p)
        return -1;
    std::string text;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        text.append(buf.data(), n);
    const int status = pclose(p);
    if (out)
        *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FindTool(std::initializer_list<const char*> candidates) {
    for (const char* c : candidates)
        if (access(c, X_OK) == 0)
            return c;
    return {};
}

std::string ImageMagick() {
    // The real program, not a stand-in earlier on the search path.
    return FindTool({"/usr/bin/convert-im6.q16", "/usr/bin/convert"});
}

std::vector<BYTE> MakeBmp(const BmpFields& s) {
    const int64_t stride = ((static_cast<int64_t>(std::abs(s.width)) * s.bitCount + 31) >> 5) << 2;
    const int64_t rows = stride * std::abs(s.height) + s.rowBytesDelta;
    const int64_t entries = s.bitCount <= 8 ? (s.clrUsed ? s.clrUsed : (1 << s.bitCount)) : 0;
    const int64_t offBits = s.overrideOffBits ? s.offBits : 14 + s.headerSize + 4 * entries + s.offBitsDelta;
    const int64_t dataStart = 14 + s.headerSize + 4 * entries;
    std::vector<BYTE> f(static_cast<size_t>(std::max<int64_t>(dataStart, 14 + s.headerSize + 4 * entries) +
                                            std::max<int64_t>(0, s.offBitsDelta) + std::max<int64_t>(rows, 0)),
                        0);
    f[0] = 'B';
    f[1] = 'M';
    le::put32(&f[2], static_cast<uint32_t>(f.size()));
    le::put32(&f[10], static_cast<uint32_t>(offBits));
    BYTE* h = &f[14];
    le::put32(h, static_cast<uint32_t>(s.headerSize));
    le::put32(h + 4, static_cast<uint32_t>(s.width));
    le::put32(h + 8, static_cast<uint32_t>(s.height));
    le::put16(h + 12, 1);
    le::put16(h + 14, static_cast<uint16_t>(s.bitCount));
    le::put32(h + 16, s.compression);
    le::put32(h + 32, s.clrUsed);
    for (int64_t i = 0; i < entries; ++i) {
        BYTE* e = &f[static_cast<size_t>(14 + s.headerSize + 4 * i)];
        e[0] = static_cast<BYTE>(i);
        e[1] = static_cast<BYTE>(255 - i);
        e[2] = static_cast<BYTE>(i * 7);
    }
    const size_t rowStart = static_cast<size_t>(dataStart + std::max<int64_t>(0, s.offBitsDelta));
    for (size_t i = rowStart; i < f.size(); ++i)
        f[i] = static_cast<BYTE>(i * 13 + 5);
    return f;
}

std::vector<BYTE> MakeJpeg(int width, int height, bool progressive) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3, 128);
    JSAMPROW rows[1] = {row.data()};
    while (c.next_scanline < c.image_height)
        jpeg_write_scanlines(&c, rows, 1);
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<BYTE> f(out, out + outSize);
    std::free(out);
    return f;
}

namespace {
uint64_t g_availableBytes = 0;
uint64_t ScopedAvailable() {
    return g_availableBytes;
}
} // namespace

AvailableMemoryScope::AvailableMemoryScope(uint64_t bytes) : previousBytes_(g_availableBytes) {
    g_availableBytes = bytes;
    previous_ = SetAvailableMemoryFunction(&ScopedAvailable);
}

AvailableMemoryScope::~AvailableMemoryScope() {
    SetAvailableMemoryFunction(previous_);
    g_availableBytes = previousBytes_;
}

} // namespace imgtest
