// The focus composer's per-image chain: focus plane, focus measure, selection of the sharpest
// image, weight smoothing and blending into the composite. Every step runs its rows in
// parallel; each output value is computed by the same operations whatever the thread count.
#include "imaging/FocusComp.h"

#include "imaging/DibPlanes.h"

#include <algorithm>

using planes::BufferPlane;
using planes::PlaneRef;

namespace {
constexpr int kMaxWindow = 5; // moving maximum of the focus measure
}

// Lightness ((max + min) / 2, grey images as they are) or, for the confocal type, the red
// plane of the image, at full resolution into m_light.
void CFocusComp::MakeFocusPlane(HDIB image) {
    GlobalLockGuard g(image);
    const int bc = DibGetBitCount(g.get());
    const PlaneRef<uint16_t> dst = BufferPlane(m_light.data(), m_nWidth, m_nHeight);
    auto run = [&](auto tag) {
        using T = decltype(tag);
        if (planes::SamplesPerPixel(bc) == 1) {
            planes::CopyPlane(planes::MakeDibPlane<T>(g.get(), 0), dst);
        } else if (m_nScopeType == FOCUS_SCOPE_CONFOCAL) {
            planes::CopyPlane(planes::MakeDibPlane<T>(g.get(), 0), dst);
        } else {
            planes::LightnessPlane(planes::MakeDibPlane<T>(g.get(), 0), planes::MakeDibPlane<T>(g.get(), 1),
                                   planes::MakeDibPlane<T>(g.get(), 2), dst);
        }
    };
    if (planes::IsWideDepth(bc))
        run(uint16_t{});
    else
        run(uint8_t{});
}

// Shrink (coarse mode), edge filter (not for the confocal type), 5 x 5 moving maximum and the
// smoothing of both directions with half-period p * m / 200, from m_light. Returns the buffer
// holding the measure at focus-map resolution.
const uint16_t* CFocusComp::FocusMeasure() {
    const int maxValue = planes::DepthMax(m_nBits);
    const int mw = m_nMapWidth, mh = m_nMapHeight;
    uint16_t* cur = m_light.data();
    auto other = [&](const uint16_t* c) { return c == m_bufA.data() ? m_bufB.data() : m_bufA.data(); };
    if (m_bCoarse) {
        uint16_t* d = other(cur);
        planes::ShrinkPlane(BufferPlane<uint16_t>(cur, m_nWidth, m_nHeight), BufferPlane(d, mw, mh),
                            maxValue);
        cur = d;
    }
    if (m_nScopeType != FOCUS_SCOPE_CONFOCAL) {
        uint16_t* d = other(cur);
        planes::EdgePlane(BufferPlane<uint16_t>(cur, mw, mh), BufferPlane(d, mw, mh), maxValue);
        cur = d;
    }
    {
        uint16_t* d = other(cur);
        planes::MaxPlane(BufferPlane<uint16_t>(cur, mw, mh), BufferPlane(d, mw, mh), kMaxWindow, kMaxWindow);
        cur = d;
    }
    if (m_nHalfPeriod != 0) {
        uint16_t* d = other(cur);
        planes::SmoothRowsPlane(BufferPlane<uint16_t>(cur, mw, mh), BufferPlane(d, mw, mh), m_rowSmoother,
                                1.0, maxValue);
        planes::SmoothColumnsPlane(BufferPlane<uint16_t>(d, mw, mh), BufferPlane(d, mw, mh), m_colSmoother,
                                   1.0, maxValue);
        cur = d;
    }
    return cur;
}

void CFocusComp::InitMaxMap(const uint16_t* measure) {
    const int mw = m_nMapWidth, mh = m_nMapHeight;
#pragma omp parallel for schedule(dynamic, 4)
    for (int y = 0; y < mh; ++y) {
        const uint16_t* m = measure + static_cast<size_t>(y) * mw;
        int* best = m_pMax[y];
        for (int x = 0; x < mw; ++x)
            best[x] = m[x];
    }
}

// A cell takes the newest image when its measure is strictly greater than the best so far (a
// tie keeps the earlier image); the newest image's wins are its weights before smoothing.
void CFocusComp::SelectBest(const uint16_t* measure) {
    const int mw = m_nMapWidth, mh = m_nMapHeight, number = m_nImagesAdded;
    const bool plain = m_nWeightWindow == 1;
#pragma omp parallel for schedule(dynamic, 4)
    for (int y = 0; y < mh; ++y) {
        const uint16_t* m = measure + static_cast<size_t>(y) * mw;
        int* best = m_pMax[y];
        int* index = m_pIndex[y];
        uint8_t* win = m_wins.data() + static_cast<size_t>(y) * mw;
        double* weight = m_pWeight[y];
        // Masks instead of branches, so the loop vectorises: t is all ones where the image takes
        // the cell and 0 elsewhere.
#pragma omp simd
        for (int x = 0; x < mw; ++x) {
            const int v = m[x], b = best[x], ix = index[x];
            const int t = -static_cast<int>(v > b);
            best[x] = b + ((v - b) & t);
            index[x] = ix + ((number - ix) & t);
            win[x] = static_cast<uint8_t>(t & 1);
        }
        if (plain)
            for (int x = 0; x < mw; ++x)
                weight[x] = win[x] ? 1.0 : 0.0;
    }
}

// Every weight becomes the mean of the n x n box of wins centred on it, for rows n/2 ..
// height - n/2 - 2 and columns n/2 .. width - n/2 - 2; every other weight is 0. Each block of
// rows keeps one count per column and slides it down its rows, so the work per
// row does not grow with n. The counts are exact integers, hence the same for every split.
// (Each block of rows primes its own counts, so a thread that is held up delays only its block.)
void CFocusComp::SmoothWeights() {
    const int n = m_nWeightWindow;
    if (n == 1)
        return;
    const int mw = m_nMapWidth, mh = m_nMapHeight, h = n / 2;
    const int r0 = h, r1 = mh - h - 2; // inclusive
    const int c0 = h, c1 = mw - h - 2;
    const double area = static_cast<double>(n) * n;
    // Box sums are whole numbers 0 .. n * n: their means are looked up, the same quotients
    // as dividing each time.
    std::vector<double> mean(static_cast<size_t>(n) * n + 1);
    for (size_t k = 0; k < mean.size(); ++k)
        mean[k] = static_cast<int>(k) / area;
    const double* meanOf = mean.data();
    const uint8_t* wins = m_wins.data();
    constexpr int kRows = 64;
    const int blocks = (mh + kRows - 1) / kRows;
#pragma omp parallel
    {
        std::vector<int> col(static_cast<size_t>(std::max(mw, 1)), 0);
#pragma omp for schedule(dynamic, 1)
        for (int blk = 0; blk < blocks; ++blk) {
            const int ya = blk * kRows, yb = std::min(mh, ya + kRows);
            bool primed = false;
            for (int y = ya; y < yb; ++y) {
                double* weight = m_pWeight[y];
                if (y < r0 || y > r1 || c0 > c1) {
                    std::fill(weight, weight + mw, 0.0);
                    continue;
                }
                if (!primed) {
                    std::fill(col.begin(), col.end(), 0);
                    for (int r = y - h; r <= y + h; ++r) {
                        const uint8_t* wr = wins + static_cast<size_t>(r) * mw;
#pragma omp simd
                        for (int x = 0; x < mw; ++x)
                            col[x] += wr[x];
                    }
                    primed = true;
                } else {
                    const uint8_t* add = wins + static_cast<size_t>(y + h) * mw;
                    const uint8_t* sub = wins + static_cast<size_t>(y - h - 1) * mw;
#pragma omp simd
                    for (int x = 0; x < mw; ++x)
                        col[x] += add[x] - sub[x];
                }
                std::fill(weight, weight + c0, 0.0);
                int sum = 0;
                for (int x = c0 - h; x <= c0 + h; ++x)
                    sum += col[x];
                weight[c0] = meanOf[sum];
                for (int x = c0 + 1; x <= c1; ++x) {
                    sum += col[x + h] - col[x - h - 1];
                    weight[x] = meanOf[sum];
                }
                std::fill(weight + c1 + 1, weight + mw, 0.0);
            }
        }
    }
}

// composite = trunc(old (1 - w) + new w) per sample, w the weight of the pixel's cell. For the
// stereo type the columns outside the common range are cleared after each row.
void CFocusComp::BlendImage(HDIB working) {
    GlobalLockGuard src(working);
    GlobalLockGuard dst(m_hComposite);
    const int W = m_nWidth, H = m_nHeight, bc = m_nBits;
    const int spp = planes::SamplesPerPixel(bc);
    const size_t ss = DibStride(W, bc), ds = ss;
    const BYTE* sb = DibGetBits(src.get());
    BYTE* db = DibGetBits(dst.get());
    std::vector<int> cellX(static_cast<size_t>(W));
    const double rx = m_bCoarse ? static_cast<double>(W) / m_nCoarseWidth : 1.0;
    const double ry = m_bCoarse ? static_cast<double>(H) / m_nCoarseHeight : 1.0;
    for (int x = 0; x < W; ++x)
        cellX[x] = m_bCoarse ? std::min(static_cast<int>(x / rx), m_nCoarseWidth - 1) : x;
    const bool stereo = m_nScopeType == FOCUS_SCOPE_STEREO;
    const int clearLeft = stereo ? std::clamp(m_nMaxShift, 0, W) : 0;
    const int clearRight = stereo ? std::clamp(-m_nMinShift, 0, W) : 0;

    auto blendRows = [&](auto tag) {
        using T = decltype(tag);
#pragma omp parallel for schedule(dynamic, 4)
        for (int y = 0; y < H; ++y) {
            const int cy = m_bCoarse ? std::min(static_cast<int>(y / ry), m_nCoarseHeight - 1) : y;
            const double* weight = m_pWeight[cy];
            const size_t mem = static_cast<size_t>(H - 1 - y);
            const T* s = reinterpret_cast<const T*>(sb + mem * ss);
            T* d = reinterpret_cast<T*>(db + mem * ds);
            if (!m_bCoarse && spp == 3) {
                // A weight of 0 gives old * 1 + new * 0, the old sample exactly, and a weight of
                // 1 gives old * 0 + new * 1, the new sample exactly: runs of those are skipped or
                // copied, the pixels in between take the arithmetic in a vector loop.
                int x = 0;
                while (x < W) {
                    const double w0 = weight[x];
                    int e = x + 1;
                    if (w0 == 0.0) {
                        while (e < W && weight[e] == 0.0)
                            ++e;
                    } else if (w0 == 1.0) {
                        while (e < W && weight[e] == 1.0)
                            ++e;
                        std::copy(s + 3 * static_cast<size_t>(x), s + 3 * static_cast<size_t>(e),
                                  d + 3 * static_cast<size_t>(x));
                    } else {
                        while (e < W && weight[e] != 0.0 && weight[e] != 1.0)
                            ++e;
#pragma omp simd
                        for (int i = x; i < e; ++i) {
                            const double w = weight[i], v = 1.0 - w;
                            d[3 * i] = static_cast<T>(static_cast<int>(d[3 * i] * v + s[3 * i] * w));
                            d[3 * i + 1] =
                                static_cast<T>(static_cast<int>(d[3 * i + 1] * v + s[3 * i + 1] * w));
                            d[3 * i + 2] =
                                static_cast<T>(static_cast<int>(d[3 * i + 2] * v + s[3 * i + 2] * w));
                        }
                    }
                    x = e;
                }
            } else {
                for (int x = 0; x < W; ++x) {
                    const double w = weight[cellX[x]];
                    if (w == 0.0)
                        continue;
                    for (int p = 0; p < spp; ++p) {
                        const int k = x * spp + p;
                        d[k] = static_cast<T>(static_cast<int>(d[k] * (1.0 - w) + s[k] * w));
                    }
                }
            }
            if (clearLeft > 0)
                std::fill(d, d + static_cast<size_t>(clearLeft) * spp, T(0));
            if (clearRight > 0)
                std::fill(d + static_cast<size_t>(W - clearRight) * spp, d + static_cast<size_t>(W) * spp,
                          T(0));
        }
    };
    if (planes::IsWideDepth(bc))
        blendRows(uint16_t{});
    else
        blendRows(uint8_t{});
}
