// seriesmaker: writes a synthetic focus series with its ground truth into a folder.
//
//   seriesmaker --out DIR [--size WxH] [--frames N] [--format bmp|jpg|tif] [--bits 8|16|24|48]
//               [--quality Q] [--blur SIGMA] [--drift PX] [--scale S] [--shift X,Y] [--seed N]
//
// 16 and 48 bits are written as TIFF only. DIR receives frame_000.<ext> .. (one per focus step), z.txt (the Z
// value of each frame, one per line), truth.bmp or truth.tif (the all-in-focus texture) and truth_height.f64
// (the surface height in frame steps: little-endian doubles, row-major, top row first).
#include "imaging/files/ImageFile.h"
#include "platform/WinTypes.h"
#include "tools/seriesmaker/SeriesMaker.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: seriesmaker --out DIR [--size WxH] [--frames N] [--format bmp|jpg|tif] [--bits 8|16|24|48]\n"
        "                   [--quality Q] [--blur SIGMA] [--drift PX] [--scale S] [--shift X,Y]"
        " [--seed N]\n");
    return 2;
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::remove(tmp.c_str());
        return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    seriesmaker::SeriesParams params;
    params.width = 2048;
    params.height = 1536;
    std::string out, format = "bmp";
    int quality = 90;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--out" && more)
            out = argv[++i];
        else if (a == "--size" && more) {
            if (std::sscanf(argv[++i], "%dx%d", &params.width, &params.height) != 2)
                return Usage();
        } else if (a == "--frames" && more)
            params.frames = std::atoi(argv[++i]);
        else if (a == "--format" && more)
            format = argv[++i];
        else if (a == "--bits" && more)
            params.bitCount = std::atoi(argv[++i]);
        else if (a == "--quality" && more)
            quality = std::atoi(argv[++i]);
        else if (a == "--blur" && more)
            params.blurPerStep = std::atof(argv[++i]);
        else if (a == "--drift" && more)
            params.driftPerFrame = std::atof(argv[++i]);
        else if (a == "--scale" && more)
            params.scalePerFrame = std::atof(argv[++i]);
        else if (a == "--shift" && more) {
            if (std::sscanf(argv[++i], "%lf,%lf", &params.shiftXPerFrame, &params.shiftYPerFrame) != 2)
                return Usage();
        } else if (a == "--seed" && more)
            params.seed = static_cast<unsigned>(std::atoi(argv[++i]));
        else
            return Usage();
    }
    if (out.empty() || params.width < 8 || params.height < 8 || params.frames < 1 ||
        (format != "bmp" && format != "jpg" && format != "tif") ||
        (params.bitCount != 8 && params.bitCount != 24 &&
         !(format == "tif" && (params.bitCount == 16 || params.bitCount == 48))))
        return Usage();
    ::mkdir(out.c_str(), 0777);

    const seriesmaker::SeriesMaker maker(params);
    const int type = params.bitCount == 8 ? 0 : params.bitCount == 24 ? 3 : params.bitCount == 16 ? 6 : 9;
    std::string zText;
    for (int k = 0; k < params.frames; ++k) {
        HDIB frame = maker.Frame(k);
        if (!frame) {
            std::fprintf(stderr, "seriesmaker: out of memory at frame %d\n", k);
            return 1;
        }
        char name[64];
        std::snprintf(name, sizeof name, "/frame_%03d.%s", k, format.c_str());
        const BOOL ok = SaveImageFile(frame, out + name, type, quality);
        GlobalFree(frame);
        if (!ok) {
            std::fprintf(stderr, "seriesmaker: cannot write %s%s\n", out.c_str(), name);
            return 1;
        }
        zText += std::to_string(k) + "\n";
    }
    HDIB truth = maker.TextureBitmap();
    const std::string truthName =
        params.bitCount == 16 || params.bitCount == 48 ? "/truth.tif" : "/truth.bmp";
    const BOOL truthOk = truth && SaveImageFile(truth, out + truthName, type, quality);
    if (truth)
        GlobalFree(truth);
    std::vector<unsigned char> heights(static_cast<size_t>(params.width) * params.height * 8);
    for (int y = 0; y < params.height; ++y)
        for (int x = 0; x < params.width; ++x)
            le::putDouble(&heights[(static_cast<size_t>(y) * params.width + x) * 8], maker.Height(x, y));
    if (!truthOk || !WriteBytes(out + "/z.txt", std::vector<unsigned char>(zText.begin(), zText.end())) ||
        !WriteBytes(out + "/truth_height.f64", heights)) {
        std::fprintf(stderr, "seriesmaker: cannot write the ground truth into %s\n", out.c_str());
        return 1;
    }
    std::printf("%d frames of %dx%d written to %s\n", params.frames, params.width, params.height,
                out.c_str());
    return 0;
}
