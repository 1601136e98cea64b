// Times the 3D viewer's measurement on a 2048 x 1536 height display image: the profile along a
// horizontal line averaged over 15 lines plus the roughness of that 2048-sample profile (median
// of 101 runs, at cut-offs of 80 and 8000 at a pitch of 1), and the height histogram and
// perimeter-by-level curve of an open (one broad dome), a smooth (rolling hills) and a noisy
// (random levels) map (median of 3 runs each). Prints the load average of the machine.
//   measure_bench
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/measure/core/DocImaging.h"
#include "viewer3d/measure/core/ProfileRoughness.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kW = 2048, kH = 1536;

double medianMs(int runs, const std::function<void()>& run) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[runs / 2];
}

HDIB makeMap(const std::function<int(int, int)>& level) {
    HDIB dib = v3d::DibCreateOfKind(kW, kH, v3d::kKindGrey8);
    GlobalLockGuard lock(dib);
    BYTE* rows = v3d::DibGetBits(lock.get());
    const uint64_t stride = v3d::DibStride(kW, 8);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            rows[uint64_t(kH - 1 - y) * stride + x] = static_cast<BYTE>(std::clamp(level(x, y), 0, 255));
    return dib;
}

} // namespace

int main() {
    std::string error;
    if (!ui::LoadProgramResources("brelvoxa", &error)) {
        std::fprintf(stderr, "measure_bench: no resources: %s\n", error.c_str());
        return 1;
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(0, 255);
    std::vector<BYTE> noiseLevels(size_t(kW) * kH);
    for (BYTE& b : noiseLevels)
        b = static_cast<BYTE>(noise(random));
    const struct {
        const char* name;
        std::function<int(int, int)> level;
    } maps[] = {
        {"open",
         [](int x, int y) {
             const double dx = (x - kW / 2.0) / kW, dy = (y - kH / 2.0) / kH;
             return int(250 * std::exp(-8 * (dx * dx + dy * dy)));
         }},
        {"smooth",
         [](int x, int y) {
             return int(128 + 60 * std::sin(x * 0.011) + 60 * std::cos(y * 0.017 + x * 0.003));
         }},
        {"noisy", [&](int x, int y) { return int(noiseLevels[size_t(y) * kW + x]); }},
    };

    v3d::DocImaging doc;
    HDIB smooth = makeMap(maps[1].level);
    v3d::MeasuringLines lines;
    lines.row = kH / 2;
    for (double cutoff : {80.0, 8000.0}) {
        v3d::ProfileRoughness roughness;
        v3d::LineProfile profile;
        const double ms = medianMs(101, [&] {
            doc.ExtractProfile(v3d::kLineHorizontal, 15, smooth, 0, lines, &profile);
            roughness.ComputeRoughness(profile.samples.data(), int(profile.samples.size()), 0.1, 1.0, cutoff,
                                       1);
        });
        std::printf("profile of 15 lines + roughness, %zu samples, cut-off %.0f: median %.2f ms (Ra %.3f)\n",
                    profile.samples.size(), cutoff, ms, roughness.GetSectionResults()->ra);
    }
    GlobalFree(smooth);

    for (const auto& m : maps) {
        HDIB map = makeMap(m.level);
        v3d::AreaData area;
        const double hist = medianMs(3, [&] { doc.BuildHeightHistogram(map, 0, true, &area); });
        const double curve = medianMs(3, [&] { doc.BuildPerimeterCurve(map, 0, true, &area); });
        std::printf(
            "%-6s map: histogram median %.1f ms, perimeter curve median %.1f ms (levels %d..%d, max %.0f)\n",
            m.name, hist, curve, area.levelMin, area.levelMax, area.curveMax);
        GlobalFree(map);
    }
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    return 0;
}
