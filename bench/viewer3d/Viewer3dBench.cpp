// Times the 3D viewer's display conversion of 2048 x 1536 16-bit and 48-bit images and the
// reading of a 2048 x 1536 16-bit TIFF and height file; prints the median of 5 runs of each and
// the load average of the machine.
//   viewer3d_bench [scratch folder]
#include "platform/File.h"
#include "platform/GlobalMemory.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/ImageReaders.h"

#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kW = 2048, kH = 1536, kRuns = 5;

double medianMs(const std::function<void()>& run) {
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[kRuns / 2];
}

uint16_t sample(int x, int y, int c) {
    return static_cast<uint16_t>((x * 31 + y * 17 + c * 5003) & 0xFFFF);
}

HDIB makeImage(int kind) {
    HDIB dib = v3d::DibCreate(kW, kH, kind);
    GlobalLockGuard lock(dib);
    BYTE* rows = v3d::DibGetBits(lock.get());
    const int channels = kind == v3d::kKindRgb48 ? 3 : 1;
    const uint64_t stride = v3d::DibStride(kW, 16 * channels);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < channels; ++c)
                le::put16(rows + uint64_t(y) * stride + 2 * uint64_t(x * channels + c), sample(x, y, c));
    return dib;
}

void writeTiff(const std::string& path) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(kW));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(kH));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(16));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(16));
    std::vector<uint16_t> row(kW);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x)
            row[x] = sample(x, y, 0);
        TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
    }
    TIFFClose(t);
}

void writeFrn(const std::string& path) {
    std::vector<BYTE> f(512, ' ');
    auto put = [&](size_t at, const std::string& s) { std::memcpy(f.data() + at, s.data(), s.size()); };
    put(0, "INDEX4.0-FRN\n");
    put(16, " 2048  1536\n");
    le::putDouble(f.data() + 32, 0.5);
    put(41, "um\n");
    le::putDouble(f.data() + 80, 0.01);
    put(89, "um\n");
    put(416, " 6\n");
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint16_t v = sample(x, y, 0);
            f.push_back(static_cast<BYTE>(v & 0xFF));
            f.push_back(static_cast<BYTE>(v >> 8));
        }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    const std::string tif = dir + "/viewer3d-bench-" + std::to_string(getpid()) + ".tif";
    const std::string frn = dir + "/viewer3d-bench-" + std::to_string(getpid()) + ".frn";
    std::printf("load average before: %s\n", loadAverage().c_str());

    HDIB grey = makeImage(v3d::kKindGrey16), colour = makeImage(v3d::kKindRgb48);
    HDIB shown = nullptr;
    // Each run makes its display bitmap anew, as a first display does.
    const double grey16 = medianMs([&] {
        GlobalFree(shown);
        shown = v3d::DibConvertForDisplay(grey, nullptr, 100, 60000, 6);
    });
    const double colour48 = medianMs([&] {
        GlobalFree(shown);
        shown = v3d::DibConvertForDisplay(colour, nullptr, 0, 4095, 8);
    });
    GlobalFree(shown);
    GlobalFree(grey);
    GlobalFree(colour);

    writeTiff(tif);
    writeFrn(frn);
    bool ok = true;
    const double readTif = medianMs([&] {
        CFile f(tif, CFile::modeRead);
        int type = -1;
        HDIB dib = v3d::ReadTifFile(&f, &type);
        ok = ok && dib && type == 6;
        GlobalFree(dib);
    });
    const double readFrn = medianMs([&] {
        CFile f(frn, CFile::modeRead);
        v3d::FrnInfo info;
        double pitch = 0;
        v3d::CalibRecord calib;
        HDIB dib = v3d::ReadFrnFile(&f, &info, &pitch, &calib);
        ok = ok && dib && info.type == 6;
        GlobalFree(dib);
    });
    unlink(tif.c_str());
    unlink(frn.c_str());

    std::printf("median of %d runs, %d x %d:\n", kRuns, kW, kH);
    std::printf("  display conversion 16-bit  %7.2f ms (target <= 15)\n", grey16);
    std::printf("  display conversion 48-bit  %7.2f ms (target <= 40)\n", colour48);
    std::printf("  read 16-bit TIFF           %7.2f ms (target <= 100)\n", readTif);
    std::printf("  read 16-bit .frn           %7.2f ms (target <= 100)\n", readFrn);
    std::printf("load average after: %s\n", loadAverage().c_str());
    return ok ? 0 : 1;
}
