// Image filters on bitmaps, one plane at a time through the kernels of PlaneKernels.h and
// PlaneSmoothing.h.
#include "imaging/bitmaps/DibFilter.h"

#include "imaging/bitmaps/DibPlanes.h"
#include "imaging/compose/PlaneSmoothing.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>

namespace {

struct Info {
    int width = 0, height = 0, bits = 0;
};

Info InfoOf(HDIB bitmap) {
    Info i;
    GlobalLockGuard g(bitmap);
    if (g) {
        i.width = DibGetWidth(g.get());
        i.height = DibGetHeight(g.get());
        i.bits = DibGetBitCount(g.get());
    }
    return i;
}

bool SameShape(const Info& a, const Info& b) {
    return a.width == b.width && a.height == b.height &&
           planes::IsWideDepth(a.bits) == planes::IsWideDepth(b.bits) &&
           planes::SamplesPerPixel(a.bits) > 0 && planes::SamplesPerPixel(b.bits) > 0;
}

// Runs f(sourcePlane, targetPlane) on one plane of two bitmaps of one shape.
template <typename F> void OnPlanePair(HDIB source, HDIB target, int plane, F&& f) {
    if (!source || !target || !SameShape(InfoOf(source), InfoOf(target)))
        return;
    GlobalLockGuard s(source);
    if (source == target) {
        planes::WithDibPlane(s.get(), plane, [&](auto sp) { f(sp, sp); });
        return;
    }
    GlobalLockGuard t(target);
    planes::WithDibPlane(s.get(), plane, [&](auto sp) {
        planes::WithDibPlane(t.get(), plane, [&](auto tp) {
            // (remove_cvref: inside a template GCC names the captured sp with a reference type)
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(sp)>,
                                         std::remove_cvref_t<decltype(tp)>>)
                f(sp, tp);
        });
    });
}

// Runs plane filter f(plane) for every plane of the bitmap's depth, then selects plane 0.
template <typename F> void ForEachPlane(int bits, F&& f) {
    for (int p = 0; p < planes::PlaneCount(bits); ++p) {
        DibSelectPlane(p);
        f(p);
    }
    DibSelectPlane(0);
}

void SmoothRowsOnPlane(HDIB source, HDIB target, int plane, int period, double scale) {
    const Info info = InfoOf(source);
    const planes::BandSmoother sm(info.width, planes::BandSmoother::LambdaForPeriod(period));
    const int maxValue = planes::DepthMax(info.bits);
    OnPlanePair(source, target, plane,
                [&](auto sp, auto tp) { planes::SmoothRowsPlane(sp, tp, sm, scale, maxValue); });
}

void SmoothColumnsOnPlane(HDIB source, HDIB target, int plane, int period, double scale) {
    const Info info = InfoOf(source);
    const planes::BandSmoother sm(info.height, planes::BandSmoother::LambdaForPeriod(period));
    const int maxValue = planes::DepthMax(info.bits);
    OnPlanePair(source, target, plane,
                [&](auto sp, auto tp) { planes::SmoothColumnsPlane(sp, tp, sm, scale, maxValue); });
}

void SmoothOnPlane(HDIB source, HDIB target, int plane, int xPeriod, int yPeriod, double scale) {
    if (xPeriod != 0)
        SmoothRowsOnPlane(source, target, plane, xPeriod, scale);
    if (yPeriod != 0)
        SmoothColumnsOnPlane(target, target, plane, yPeriod, scale);
}

void AbsDifferenceOnPlane(HDIB a, HDIB b, HDIB out, int plane) {
    const Info ia = InfoOf(a), ib = InfoOf(b), io = InfoOf(out);
    if (!SameShape(ia, ib) || !SameShape(ia, io))
        return;
    const int maxValue = planes::DepthMax(ia.bits);
    GlobalLockGuard ga(a);
    GlobalLockGuard gb(b == a ? nullptr : b);
    GlobalLockGuard go(out == a || out == b ? nullptr : out);
    BYTE* pa = ga.get();
    BYTE* pb = b == a ? pa : gb.get();
    BYTE* po = out == a ? pa : out == b ? pb : go.get();
    auto run = [&](auto ra, auto rb, auto ro) {
#pragma omp parallel for schedule(static)
        for (int y = 0; y < ia.height; ++y)
            for (int x = 0; x < ia.width; ++x) {
                const int d = std::abs(static_cast<int>(ra.at(x, y)) - static_cast<int>(rb.at(x, y)));
                ro.at(x, y) = static_cast<typename decltype(ro)::value_type>(std::min(d, maxValue));
            }
    };
    if (planes::IsWideDepth(ia.bits))
        run(planes::MakeDibPlane<uint16_t>(pa, plane), planes::MakeDibPlane<uint16_t>(pb, plane),
            planes::MakeDibPlane<uint16_t>(po, plane));
    else
        run(planes::MakeDibPlane<uint8_t>(pa, plane), planes::MakeDibPlane<uint8_t>(pb, plane),
            planes::MakeDibPlane<uint8_t>(po, plane));
}

} // namespace

void DibEdgeFilterPlane(HDIB source, HDIB target) {
    if (source == target)
        return; // the measure needs the unfiltered neighbours
    const int plane = DibGetSelectedPlane();
    const int maxValue = planes::DepthMax(InfoOf(source).bits);
    OnPlanePair(source, target, plane, [&](auto sp, auto tp) { planes::EdgePlane(sp, tp, maxValue); });
}

HDIB DibEdgeFilter(HDIB bitmap) {
    HDIB out = DibCopyInto(bitmap, nullptr);
    if (!out)
        return nullptr;
    ForEachPlane(InfoOf(bitmap).bits, [&](int) { DibEdgeFilterPlane(bitmap, out); });
    return out;
}

HDIB DibSmoothPlane(HDIB source, HDIB target, int xPeriod, int yPeriod, double scale) {
    SmoothOnPlane(source, target, DibGetSelectedPlane(), xPeriod, yPeriod, scale);
    return target;
}

HDIB DibSmooth(HDIB bitmap, int px, int py, double scale) {
    HDIB out = DibCopyInto(bitmap, nullptr);
    if (!out)
        return nullptr;
    ForEachPlane(InfoOf(bitmap).bits, [&](int) { DibSmoothPlane(bitmap, out, 2 * px, 2 * py, scale); });
    return out;
}

HDIB DibAbsDifference(HDIB a, HDIB b, HDIB out) {
    if (a && b && out)
        AbsDifferenceOnPlane(a, b, out, DibGetSelectedPlane());
    return out;
}

HDIB DibHighPass(HDIB bitmap, int px, int py, double scale) {
    HDIB smoothed = DibSmooth(bitmap, px, py, scale);
    if (!smoothed)
        return nullptr;
    HDIB out = DibCopyInto(bitmap, nullptr);
    if (out)
        ForEachPlane(InfoOf(bitmap).bits, [&](int) { DibAbsDifference(bitmap, smoothed, out); });
    GlobalFree(smoothed);
    return out;
}

void DibMaxFilterPlane(HDIB source, HDIB target, int width, int height) {
    if (source == target || width < 1 || height < 1)
        return;
    OnPlanePair(source, target, DibGetSelectedPlane(),
                [&](auto sp, auto tp) { planes::MaxPlane(sp, tp, width, height); });
}

HDIB DibMaxFilter(HDIB bitmap, int width, int height) {
    HDIB out = DibCopyInto(bitmap, nullptr);
    if (!out || width <= 1 || height <= 1)
        return out;
    ForEachPlane(InfoOf(bitmap).bits, [&](int) { DibMaxFilterPlane(bitmap, out, width, height); });
    return out;
}

BOOL DibDarkenHighlights(HDIB bitmap, HDIB /*unused*/) {
    const Info info = InfoOf(bitmap);
    if (info.bits != 8 && info.bits != 24)
        return 0;
    GlobalLockGuard g(bitmap);
    if (!g)
        return 0;
    BYTE* bits = DibGetBits(g.get());
    const size_t stride = DibStride(info.width, info.bits);
    const int rowBytes = info.width * (info.bits / 8);
    BYTE table[256];
    for (int v = 0; v < 256; ++v) {
        int r = v;
        if (v > 50) {
            r = static_cast<int>(v * (1.0 - (v - 50) * (1.0 / 205.0)));
            if (r >= 256)
                r = 255;
        }
        table[v] = static_cast<BYTE>(r);
    }
#pragma omp parallel for schedule(static)
    for (int y = 0; y < info.height; ++y) {
        BYTE* row = bits + y * stride;
        for (int x = 0; x < rowBytes; ++x)
            row[x] = table[row[x]];
    }
    return 1;
}
