// The focus composer's per-image chain over bands of rows.
//
// Parallel steps per image, each over pieces that one thread finishes alone:
//  1. bands of map rows: focus plane, coarse grid, edge filter, moving maximum and row
//     smoothing, one band after the other through the thread's own buffers (each band computes
//     the halo rows it reads, so nothing waits for a neighbour);
//  2. strips of columns: the column smoothing, a solve along whole columns that no band of
//     rows can hold;
//  3. bands of map rows: the selection of the sharpest image, in memory order;
//  4. bands of map rows: each weight row of the band (whose box reads the wins of its
//     neighbours, hence the step of its own) into the thread's buffer and at once the blend of
//     its image rows. The weight map itself is made only when it is asked for.
// Without smoothing the selection joins step 1. The first image only starts the best-focus map.
// Every sample goes through the same operations as in a whole-plane pass, so the results are
// the same for any number of threads and any band height.
#include "imaging/compose/FocusComp.h"

#include "imaging/bitmaps/DibPlanes.h"

#include <algorithm>
#include <atomic>
#include <new>

#ifdef _OPENMP
#include <omp.h>
#endif

using planes::BufferPlane;
using planes::PlaneRef;

namespace {

constexpr int kMaxWindow = 5;        // moving maximum of the focus measure
constexpr int kDefaultBandRows = 16; // one block of the row smoother
constexpr int kRowBlock = 16;        // rows per call of the row smoother
constexpr int kColumnBlock = 32;     // columns per strip of the column smoother

std::atomic<int> g_bandRows{0};

size_t ThreadCount() {
#ifdef _OPENMP
    return static_cast<size_t>(std::max(omp_get_max_threads(), 1));
#else
    return 1;
#endif
}

size_t ThreadIndex() {
#ifdef _OPENMP
    return static_cast<size_t>(omp_get_thread_num());
#else
    return 0;
#endif
}

// Rows lo .. of a plane kept in a buffer from row lo on, `stride` samples apart.
struct BufferRows {
    const uint16_t* base = nullptr;
    int lo = 0;
    ptrdiff_t stride = 0;
    const uint16_t* operator()(int y) const { return base + (y - lo) * stride; }
};

} // namespace

void CFocusComp::SetBandRowsForTesting(int rows) {
    g_bandRows.store(std::max(rows, 0));
}

int CFocusComp::BandRowsSetting() {
    const int rows = g_bandRows.load();
    return rows > 0 ? rows : kDefaultBandRows;
}

FocusBandRows CFocusComp::BandRowsOf(int y0, int y1) const {
    const int mw = m_nMapWidth, mh = m_nMapHeight;
    FocusBandRows r;
    r.rows = {y0, y1};
    // Rows of the moving maximum: its window, or the row itself near the top and bottom.
    const int up = kMaxWindow / 2, down = kMaxWindow - 1 - up;
    r.edge = {std::max(0, y0 - up), std::min(mh, y1 + down)};
    if (m_nScopeType != FOCUS_SCOPE_CONFOCAL && mw >= 3 && mh >= 3) {
        // Edge row i reads the rows around row i, rows 0 and h-1 those around rows 1 and h-2.
        auto centre = [&](int i) { return std::clamp(i, 1, mh - 2); };
        r.light = {centre(r.edge.lo) - 1, centre(r.edge.hi - 1) + 2};
    } else {
        r.light = r.edge;
    }
    if (m_bCoarse) {
        const int last = r.light.hi - 1;
        r.full = {m_grid.FirstRow(r.light.lo), m_grid.FirstRow(last) + m_grid.RowCount(last)};
    } else {
        r.full = r.light;
    }
    return r;
}

FocusBandRows CFocusComp::LargestBand() const {
    FocusBandRows most;
    for (int y0 = 0; y0 < m_nMapHeight; y0 += m_nBandRows) {
        const FocusBandRows r = BandRowsOf(y0, std::min(m_nMapHeight, y0 + m_nBandRows));
        most.full.hi = std::max(most.full.hi, r.full.count());
        most.light.hi = std::max(most.light.hi, r.light.count());
        most.edge.hi = std::max(most.edge.hi, r.edge.count());
    }
    return most;
}

uint64_t CFocusComp::BandBufferBytes(size_t threads) const {
    const int mw = std::max(m_nMapWidth, 1), mh = std::max(m_nMapHeight, 1);
    const FocusBandRows most = LargestBand();
    const int full = most.full.hi, light = most.light.hi, edge = most.edge.hi;
    // The stereo type reads its focus plane from m_light; the other types compute its rows.
    const bool ownFull = m_bCoarse && m_nScopeType != FOCUS_SCOPE_STEREO;
    const uint64_t samples = (ownFull ? static_cast<uint64_t>(full) * m_nWidth : 0) +
                             static_cast<uint64_t>(light + edge + m_nBandRows + 2) * mw;
    const uint64_t solve = static_cast<uint64_t>(std::max(kRowBlock * mw, kColumnBlock * mh));
    return threads * (samples * sizeof(uint16_t) + (solve + mw) * sizeof(double) + mw * sizeof(int));
}

bool CFocusComp::AllocBandBuffers() {
    const size_t threads = ThreadCount();
    if (m_bandBufs.size() >= threads)
        return true;
    const int mw = std::max(m_nMapWidth, 1), mh = std::max(m_nMapHeight, 1);
    const FocusBandRows most = LargestBand();
    const int full = most.full.hi, light = most.light.hi, edge = most.edge.hi;
    const bool ownFull = m_bCoarse && m_nScopeType != FOCUS_SCOPE_STEREO;
    try {
        m_bandBufs.resize(threads);
    } catch (const std::bad_alloc&) {
        m_bandBufs.clear();
        return false;
    }
    auto allocate = [&](FocusBandBuffers& b) {
        try {
            b.full.resize(ownFull ? static_cast<size_t>(full) * m_nWidth : 0);
            b.light.resize(static_cast<size_t>(light) * mw);
            b.edge.resize(static_cast<size_t>(edge) * mw);
            b.peak.resize(static_cast<size_t>(m_nBandRows) * mw);
            b.colMax.resize(static_cast<size_t>(mw));
            b.rowMax.resize(static_cast<size_t>(mw));
            b.solve.resize(static_cast<size_t>(std::max(kRowBlock * mw, kColumnBlock * mh)));
            b.counts.resize(static_cast<size_t>(mw));
            b.weight.resize(static_cast<size_t>(mw));
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    };
    // Each thread allocates (and so first touches) its own buffers; any that a smaller team
    // left out are allocated here.
    std::atomic<bool> failed{false};
#pragma omp parallel
    {
        const size_t t = ThreadIndex();
        if (t < threads && !allocate(m_bandBufs[t]))
            failed = true;
    }
    for (FocusBandBuffers& b : m_bandBufs)
        if (!failed && b.weight.empty() && !allocate(b))
            failed = true;
    if (failed) {
        m_bandBufs.clear();
        return false;
    }
    return true;
}

// Focus measure of map rows [y0, y1) of the image: row-smoothed into m_smooth, or, without
// smoothing, straight into the selection.
template <typename T>
void CFocusComp::MeasureBand(void* image, int y0, int y1, FocusBandBuffers& buf, bool first) {
    const int W = m_nWidth, mw = m_nMapWidth, mh = m_nMapHeight;
    const int maxValue = planes::DepthMax(m_nBits);
    const bool wide = planes::HasWideVectors();
    const bool stereo = m_nScopeType == FOCUS_SCOPE_STEREO;
    const FocusBandRows r = BandRowsOf(y0, y1);

    // Focus plane: lightness ((max + min) / 2), or the first plane for grey images and for
    // the confocal type. The stereo type made it whole (its drift is measured on it).
    const PlaneRef<T> p0 = planes::MakeDibPlane<T>(image, 0);
    const bool lightness = planes::SamplesPerPixel(m_nBits) == 3 && m_nScopeType != FOCUS_SCOPE_CONFOCAL;
    auto focusRow = [&](int y, uint16_t* d) {
        if (lightness) {
            planes::LightnessRow(p0, planes::MakeDibPlane<T>(image, 1), planes::MakeDibPlane<T>(image, 2), y,
                                 d, W, 1, wide);
        } else {
            const T* s = p0.row(y);
            for (int x = 0; x < W; ++x)
                d[x] = static_cast<uint16_t>(s[x * p0.pixStep]);
        }
    };
    BufferRows lightRows{m_light.data(), 0, W};
    if (m_bCoarse) {
        BufferRows fullRows = lightRows;
        if (!stereo) {
            for (int y = r.full.lo; y < r.full.hi; ++y)
                focusRow(y, buf.full.data() + static_cast<size_t>(y - r.full.lo) * W);
            fullRows = BufferRows{buf.full.data(), r.full.lo, W};
        }
        for (int i = r.light.lo; i < r.light.hi; ++i)
            m_grid.Row<uint16_t>(fullRows, 1, i, buf.light.data() + static_cast<size_t>(i - r.light.lo) * mw,
                                 1, maxValue);
        lightRows = BufferRows{buf.light.data(), r.light.lo, mw};
    } else if (!stereo) {
        for (int y = r.light.lo; y < r.light.hi; ++y)
            focusRow(y, buf.light.data() + static_cast<size_t>(y - r.light.lo) * mw);
        lightRows = BufferRows{buf.light.data(), r.light.lo, mw};
    }

    // Edge filter (not for the confocal type).
    BufferRows peakSource = lightRows;
    if (m_nScopeType != FOCUS_SCOPE_CONFOCAL) {
        for (int i = r.edge.lo; i < r.edge.hi; ++i) {
            uint16_t* d = buf.edge.data() + static_cast<size_t>(i - r.edge.lo) * mw;
            if (mw < 3 || mh < 3) {
                std::copy(lightRows(i), lightRows(i) + mw, d);
                continue;
            }
            const int c = std::clamp(i, 1, mh - 2);
            planes::EdgeRow(lightRows(c - 1), lightRows(c), lightRows(c + 1), d, mw, 1, 1, maxValue, wide);
        }
        peakSource = BufferRows{buf.edge.data(), r.edge.lo, mw};
    }

    // Moving maximum of the band's rows.
    for (int y = y0; y < y1; ++y)
        planes::MaxRow<uint16_t>(peakSource, y, buf.peak.data() + static_cast<size_t>(y - y0) * mw, mw, mh,
                                 kMaxWindow, kMaxWindow, 1, 1, buf.colMax.data(), buf.rowMax.data(), wide);

    if (m_nHalfPeriod == 0) {
        for (int y = y0; y < y1; ++y)
            SelectCells(y, 0, mw, buf.peak.data() + static_cast<size_t>(y - y0) * mw, first);
        return;
    }
    const int rows = y1 - y0;
    const PlaneRef<uint16_t> src = BufferPlane(buf.peak.data(), mw, rows);
    const PlaneRef<uint16_t> dst = BufferPlane(m_smooth.get() + static_cast<size_t>(y0) * mw, mw, rows);
    for (int b = 0; b < rows; b += kRowBlock)
        planes::SmoothRowBlockOf(src, dst, m_rowSmoother, 1.0, maxValue, b, std::min(kRowBlock, rows - b),
                                 buf.solve.data(), wide);
}

template <typename T> void CFocusComp::RunChain(HDIB working, bool first) {
    GlobalLockGuard src(working);
    GlobalLockGuard dst(first ? nullptr : m_hComposite);
    void* image = src.get();
    const BYTE* sb = DibGetBits(src.get());
    BYTE* db = first ? nullptr : DibGetBits(dst.get());
    const int mw = m_nMapWidth, mh = m_nMapHeight, band = m_nBandRows;
    const int maxValue = planes::DepthMax(m_nBits);
    const bool wide = planes::HasWideVectors();
    const int bands = (mh + band - 1) / band;
    const int strips = (mw + kColumnBlock - 1) / kColumnBlock;
    const bool smooth = m_nHalfPeriod != 0;
#pragma omp parallel
    {
        FocusBandBuffers& buf = m_bandBufs[ThreadIndex()];
#pragma omp for schedule(dynamic, 1)
        for (int b = 0; b < bands; ++b)
            MeasureBand<T>(image, b * band, std::min(mh, (b + 1) * band), buf, first);
        if (smooth) {
            const PlaneRef<uint16_t> plane = BufferPlane(m_smooth.get(), mw, mh);
#pragma omp for schedule(dynamic, 1)
            for (int s = 0; s < strips; ++s) {
                const int x0 = s * kColumnBlock, cnt = std::min(kColumnBlock, mw - x0);
                planes::SmoothColumnBlockOf(plane, plane, m_colSmoother, 1.0, maxValue, x0, cnt,
                                            buf.solve.data(), wide);
            }
            // The selection walks the maps row by row, in memory order: down a strip of columns
            // each row's cells would be a fresh miss in three maps.
#pragma omp for schedule(dynamic, 1)
            for (int b = 0; b < bands; ++b)
                for (int y = b * band, ye = std::min(mh, y + band); y < ye; ++y)
                    SelectCells(y, 0, mw, m_smooth.get() + static_cast<size_t>(y) * mw, first);
        }
        if (!first) {
            double* weight = buf.weight.data();
#pragma omp for schedule(dynamic, 1)
            for (int b = 0; b < bands; ++b) {
                bool primed = false;
                for (int y = b * band, ye = std::min(mh, y + band); y < ye; ++y) {
                    WeightRow(y, buf.counts.data(), primed, weight);
                    BlendRows<T>(sb, db, m_firstImageRow[y], m_firstImageRow[y + 1], weight);
                }
            }
        }
    }
    if (!first)
        m_weightMap = WeightMap::FromWins;
}

bool CFocusComp::RunChainOn(HDIB working, bool first) {
    if (!AllocBandBuffers())
        return false;
    if (planes::IsWideDepth(m_nBits))
        RunChain<uint16_t>(working, first);
    else
        RunChain<uint8_t>(working, first);
    return true;
}
