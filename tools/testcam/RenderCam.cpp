// A camera module of API version 44 that renders a synthetic specimen: a textured surface of known
// height, seen through an optic whose blur grows with the distance between the surface and the focus.
// The focus follows the focus drive: the file named by VANTOREL_STAGE_POSITION_FILE holds the drive's
// position (micrometres, one decimal number) as the focus-drive emulator keeps it; without that file the
// focus is a fixed value from the record. A whole capture series therefore runs without hardware.
//
// The specimen stands still on the stage at heights 0 up to its top. Where the focal plane stands
// against it depends on what the drive moves, which the program's settings file (Vantorel.ini in the
// current directory, section COMM) names:
//   - coupler at the lens side (SIDE 0): the drive lifts the lens, so the focal plane rises with the
//     position: focal height = position;
//   - coupler at the stage side (SIDE 1, the program's default): the drive lifts the stage, which
//     carries the specimen towards the lens, so the focal plane falls against the specimen as the
//     position rises: focal height = -position;
//   - the microscopes' own focus drives (CONTROLLER 3, 4, 5, 8) count downwards: focal height =
//     -position whatever SIDE says (the program stores SIDE 0 with the MII, 9).
// This is the rule by which the program turns a position into its displayed Z, so the program's Z
// is the height in the specimen that is in focus. Without a settings file, or with no controller
// named (CONTROLLER 0, nothing drives the focus), the file's number is taken as the focal height.
//
// Its own record fields:
//   IMAGESIZESEL   0: 640 x 480, 1: 320 x 240, 2: 1280 x 960, 3: 1280 x 1024
//   REFPARAM 0     specimen: 0 dome (height falls from the centre to 0 at the rim), 1 flat, 2 slope
//                  rising from left to right
//   REFPARAM 1     highest point of the specimen in micrometres (0: 100)
//   REFPARAM 2     fixed focus position in micrometres, used when there is no position file
//   REFPARAM 3     micrometres of defocus per pixel of blur radius (0: 4)
//   COLORMODE, BPP as the contract says: 8-, 10-, 12- or 16-bit grey or colour
// IMAGESIZESEL and COLORMODE are what the module's own dialog (dlog_set_param) sets.
// Live frames (set_frameTodib) carry a little sensor noise that changes from frame to frame; still
// frames (SetOneShot) are noise-free.
#include "tools/testcam/RenderCamDialog.h"
#include "tools/testcam/SettingsFile.h"
#include "tools/testcam/TestCamCommon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace testcam;

namespace {
constexpr int kMaxBlurRadius = 12;
const char kName[] = "Vantorel Test Camera";

uint32_t g_liveFrame = 0;

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// Value noise: smooth random values on a grid of the given cell size, 0..1.
double Noise(double x, double y, double cell, uint32_t seed) {
    double fx = x / cell, fy = y / cell;
    auto ix = static_cast<uint32_t>(std::floor(fx)), iy = static_cast<uint32_t>(std::floor(fy));
    double tx = fx - std::floor(fx), ty = fy - std::floor(fy);
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto v = [&](uint32_t a, uint32_t b) { return (Hash(a, b, seed) & 0xFFFF) / 65535.0; };
    double top = v(ix, iy) * (1 - tx) + v(ix + 1, iy) * tx;
    double bottom = v(ix, iy + 1) * (1 - tx) + v(ix + 1, iy + 1) * tx;
    return top * (1 - ty) + bottom * ty;
}

struct Specimen {
    int shape = 0;
    double top = 100.0;

    // Height in micrometres at (x, y) of a width x height frame.
    double Height(int x, int y, int width, int height) const {
        switch (shape) {
        case 1:
            return top;
        case 2:
            return width > 1 ? top * x / (width - 1) : top;
        default: {
            double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
            double r2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (cx * cx + cy * cy + 1e-9);
            return top * std::max(0.0, 1.0 - r2);
        }
        }
    }
};

// Reflectance of plane c at (x, y): fine and coarse texture, 0..1.
double Texture(int x, int y, int c) {
    double fine = Noise(x, y, 2.0, 11 + c);
    double mid = Noise(x, y, 7.0, 23 + c);
    double coarse = Noise(x, y, 40.0, 37);
    return std::clamp(0.15 + 0.45 * fine + 0.25 * mid + 0.15 * coarse, 0.0, 1.0);
}

// +1 when the focal plane rises with the drive's position, -1 when it falls (see the top).
int FocalPlaneSign() {
    SettingsFile ini("Vantorel.ini");
    if (!ini.Exists())
        return 1;
    const int controller = ini.Int("COMM", "CONTROLLER", 0);
    if (controller == 0)
        return 1;
    const bool countsDown =
        !(controller == 1 || controller == 2 || controller == 6 || controller == 7 || controller == 9);
    return countsDown || ini.Int("COMM", "SIDE", 1) != 0 ? -1 : 1;
}

// Height in the specimen that is in focus, micrometres.
double FocalHeight(const void* p) {
    if (const char* path = std::getenv("VANTOREL_STAGE_POSITION_FILE"); path && *path) {
        if (FILE* f = std::fopen(path, "r")) {
            char text[64] = {};
            size_t n = std::fread(text, 1, sizeof text - 1, f);
            std::fclose(f);
            text[n] = 0;
            char* end = nullptr;
            double z = std::strtod(text, &end);
            if (end != text && std::isfinite(z))
                return FocalPlaneSign() * z;
        }
    }
    return Get(p, VT_CAMPARAM_REFPARAM + 8);
}

// Summed-area table of the texture per plane, so every pixel can average its own blur square
// cheaply. The specimen does not change, so the table is kept for the last frame size.
const std::vector<double>& SummedTexture(int width, int height, int planes) {
    static std::vector<double> sat;
    static int cachedW = 0, cachedH = 0, cachedPlanes = 0;
    if (cachedW == width && cachedH == height && cachedPlanes == planes)
        return sat;
    const int64_t w = width, h = height;
    sat.assign(static_cast<size_t>((w + 1) * (h + 1) * planes), 0.0);
    auto at = [&](int64_t x, int64_t y, int c) -> double& { return sat[((y * (w + 1)) + x) * planes + c]; };
    for (int64_t y = 0; y < h; ++y)
        for (int c = 0; c < planes; ++c) {
            double run = 0;
            for (int64_t x = 0; x < w; ++x) {
                run += Texture(static_cast<int>(x), static_cast<int>(y), planes == 3 ? c : 1);
                at(x + 1, y + 1, c) = at(x + 1, y, c) + run;
            }
        }
    cachedW = width;
    cachedH = height;
    cachedPlanes = planes;
    return sat;
}

void Geometry(const void* p, int32_t* g) {
    static const int32_t sizes[][2] = {{640, 480}, {320, 240}, {1280, 960}, {1280, 1024}};
    int sel = Get(p, VT_CAMPARAM_IMAGESIZESEL);
    if (sel < 0 || sel > 3)
        sel = 0;
    g[0] = sizes[sel][0];
    g[1] = sizes[sel][1];
    int bps = Get(p, VT_CAMPARAM_BPP);
    g[2] = (bps == 10 || bps == 12 || bps == 16) ? bps : 8;
    g[3] = 0;
}

int32_t Render(const void* p, void* bits, int32_t width, int32_t height, bool live) {
    int mode = Get(p, VT_CAMPARAM_COLORMODE);
    if (!bits || width <= 0 || height <= 0 || (mode != 0 && mode != 1))
        return 1;
    int bps = Get(p, VT_CAMPARAM_BPP);
    if (bps != 10 && bps != 12 && bps != 16)
        bps = 8;
    Specimen s;
    s.shape = Get(p, VT_CAMPARAM_REFPARAM + 0);
    if (int top = Get(p, VT_CAMPARAM_REFPARAM + 4); top > 0)
        s.top = top;
    double perPixel = Get(p, VT_CAMPARAM_REFPARAM + 12);
    if (perPixel <= 0)
        perPixel = 4.0;
    double focus = FocalHeight(p);

    const int planes = mode == 1 ? 3 : 1;
    const int64_t w = width, h = height;
    const std::vector<double>& sat = SummedTexture(width, height, planes);
    auto at = [&](int64_t x, int64_t y, int c) { return sat[((y * (w + 1)) + x) * planes + c]; };

    const int bitCount = FrameBitCount(mode, bps);
    const bool deep = bps > 8;
    const double full = deep ? static_cast<double>((1u << bps) - 1) : 255.0;
    static const double tint[3] = {1.0, 0.85, 0.7};
    for (int y = 0; y < height; ++y) {
        uint8_t* row = FrameRow(bits, width, height, bitCount, y);
        for (int x = 0; x < width; ++x) {
            double defocus = std::fabs(s.Height(x, y, width, height) - focus);
            int r = std::min(kMaxBlurRadius, static_cast<int>(defocus / perPixel + 0.5));
            int64_t x0 = std::max<int64_t>(0, x - r), x1 = std::min<int64_t>(w, x + r + 1);
            int64_t y0 = std::max<int64_t>(0, y - r), y1 = std::min<int64_t>(h, y + r + 1);
            double area = static_cast<double>((x1 - x0) * (y1 - y0));
            for (int c = 0; c < planes; ++c) {
                double mean = (at(x1, y1, c) - at(x0, y1, c) - at(x1, y0, c) + at(x0, y0, c)) / area;
                double v = mean * (planes == 3 ? tint[c] : 1.0);
                if (live)
                    v += ((Hash(x, y, g_liveFrame) & 0xFF) / 255.0 - 0.5) * 0.02;
                auto q = static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * full));
                PutSample(row, deep, x * planes + (planes == 3 ? 2 - c : 0), q);
            }
        }
    }
    if (live)
        ++g_liveFrame;
    return 0;
}
} // namespace

TC_EXPORT int32_t get_dll_version() {
    return VT_CAM_API_44;
}
TC_EXPORT const char* get_display_name() {
    return kName;
}
TC_EXPORT int32_t initial(void*) {
    return 0;
}
TC_EXPORT int32_t term(void*) {
    return 0;
}
TC_EXPORT int32_t set_capture_info(void* p, int32_t* g) {
    Geometry(p, g);
    return 0;
}
TC_EXPORT int32_t get_capture_info(void*, int32_t* g) {
    return g[0] > 0 && g[1] > 0 ? 0 : 1;
}
TC_EXPORT int32_t param_set(void* p) {
    int mode = Get(p, VT_CAMPARAM_COLORMODE);
    return mode == 0 || mode == 1 ? 0 : 1;
}
TC_EXPORT int32_t param_clear(void*) {
    return 0;
}
TC_EXPORT int32_t set_frameTodib(void* p, void* bits, int32_t width, int32_t height) {
    return Render(p, bits, width, height, true);
}
TC_EXPORT int32_t SetOneShot(void* p, void* bits, int32_t width, int32_t height) {
    return Render(p, bits, width, height, false);
}
// The module's own dialog (frame size, colour mode); on OK the program is told to make its frame
// bitmap anew. Without a window toolkit in the process it only asks for the bitmap.
TC_EXPORT int32_t dlog_set_param(uint32_t mainWindow, [[maybe_unused]] void* p, int32_t) {
#ifdef TC_WITH_DIALOG
    if (p) {
        RenderCamSettings s{Get(p, VT_CAMPARAM_IMAGESIZESEL), Get(p, VT_CAMPARAM_COLORMODE)};
        const DialogAnswer answer = RunRenderCamDialog(&s);
        if (answer == DialogAnswer::Cancel)
            return 0;
        if (answer == DialogAnswer::Ok) {
            Set(p, VT_CAMPARAM_IMAGESIZESEL, s.frameSize);
            Set(p, VT_CAMPARAM_COLORMODE, s.colourMode);
        }
    }
#endif
    ToProgram(mainWindow, WM_CAMERA_ALLOC, 0, 0, VT_CAMERA_SEND);
    return 0;
}
TC_EXPORT int32_t special_monitor(int32_t) {
    return 0;
}
TC_EXPORT int32_t SetImgNo(int32_t) {
    return 0;
}
TC_EXPORT int32_t StartConnect(void* p) {
    ToProgram(Get(p, VT_CAMPARAM_MAINWINDOW), WM_CAMERA_ALLOC, 0, 0, VT_CAMERA_SEND);
    return 0;
}
TC_EXPORT int32_t StopConnect(void* p) {
    ToProgram(Get(p, VT_CAMPARAM_MAINWINDOW), WM_CAMERA_FREE, 0, 0, VT_CAMERA_SEND);
    return 0;
}
TC_EXPORT int32_t IsHaveLiveMode() {
    return 1;
}
TC_EXPORT int32_t IsHaveCaptureButton() {
    return 0;
}
