// Pattern matching by normalised correlation, the alignment fit and the resampling.
#include "imaging/compose/PatMatching.h"

#include "imaging/bitmaps/DibPlanes.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Clips a rectangle (right and bottom exclusive) to a width x height bitmap.
RECT ClipRect(const RECT& r, int width, int height) {
    RECT c;
    c.left = std::clamp<LONG>(r.left, 0, width);
    c.top = std::clamp<LONG>(r.top, 0, height);
    c.right = std::clamp<LONG>(r.right, c.left, width);
    c.bottom = std::clamp<LONG>(r.bottom, c.top, height);
    return c;
}

// Plane 1 samples of a clipped rectangle into rows of ints; false when it is empty.
bool ReadGreen(HDIB bitmap, const RECT& rect, std::vector<int>& out, int& w, int& h, RECT& used) {
    w = h = 0;
    out.clear();
    if (!bitmap)
        return false;
    GlobalLockGuard g(bitmap);
    if (!g)
        return false;
    const int bw = DibGetWidth(g.get()), bh = DibGetHeight(g.get());
    used = ClipRect(rect, bw, bh);
    const int cw = used.right - used.left, ch = used.bottom - used.top;
    if (cw < 1 || ch < 1)
        return false;
    out.assign(static_cast<size_t>(cw) * ch, 0);
    const bool ok = planes::WithDibPlane(g.get(), 1, [&](auto p) {
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                out[static_cast<size_t>(y) * cw + x] = p.at(used.left + x, used.top + y);
    });
    if (!ok) {
        out.clear();
        return false;
    }
    w = cw;
    h = ch;
    return true;
}

} // namespace

int CPatMatching::SetSearchImage(HDIB bitmap, const RECT& rect) {
    RECT used{};
    if (!ReadGreen(bitmap, rect, m_search, m_searchWidth, m_searchHeight, used)) {
        m_searchRect = RECT{};
        return 0;
    }
    m_searchRect = used;
    return 1;
}

int CPatMatching::SetPattern(HDIB bitmap, const RECT& rect) {
    RECT used{};
    for (int l = 0; l < 6; ++l)
        m_patSum[l] = m_patSquares[l] = 0.0;
    if (!ReadGreen(bitmap, rect, m_pattern, m_patWidth, m_patHeight, used))
        return 0;
    for (int l = 0; l < 6; ++l) {
        const int k = 1 << l;
        double s = 0.0, q = 0.0;
        for (int r = 0; r < m_patHeight / k; ++r)
            for (int c = 0; c < m_patWidth / k; ++c) {
                const double v = m_pattern[static_cast<size_t>(r * k) * m_patWidth + c * k];
                s += v;
                q += v * v;
            }
        m_patSum[l] = s;
        m_patSquares[l] = q;
    }
    return 1;
}

int CPatMatching::SetStep(int step) {
    for (int l = 0; l < 6; ++l)
        if (step == (1 << l)) {
            m_step = step;
            m_levels = l + 1;
            return 1;
        }
    return 0;
}

void CPatMatching::SearchLevel(int k, const Range& range, POINT& bestPos) {
    const int level = std::countr_zero(static_cast<unsigned>(k));
    const int n = m_patWidth / k, m = m_patHeight / k;
    const double N = static_cast<double>(n) * m;
    m_levelCols = n;
    m_levelRows = m;
    m_levelCount = n * m;
    const int J = (range.x1 - range.x0 + 1) / k, I = (range.y1 - range.y0 + 1) / k;
    m_tableRows = I;
    m_tableCols = J;
    bestPos.x = range.x0;
    bestPos.y = range.y0;
    m_best = 0.0;
    if (I < 1 || J < 1 || n < 1 || m < 1)
        return;
    const int sw = m_searchWidth;
    auto S = [&](int x, int y) { return static_cast<double>(m_search[static_cast<size_t>(y) * sw + x]); };

    // Window sums: column sums of m sampled rows, slid along each row of the grid.
    m_winSum.assign(static_cast<size_t>(I) * J, 0.0);
    m_winSquares.assign(static_cast<size_t>(I) * J, 0.0);
    const int U = J + n - 1;
    std::vector<double> colSum(static_cast<size_t>(U)), colSq(static_cast<size_t>(U));
    for (int i = 0; i < I; ++i) {
        for (int u = 0; u < U; ++u) {
            double s = 0.0, q = 0.0;
            const int x = range.x0 + u * k;
            for (int r = 0; r < m; ++r) {
                const double v = S(x, range.y0 + (i + r) * k);
                s += v;
                q += v * v;
            }
            colSum[u] = s;
            colSq[u] = q;
        }
        double s = 0.0, q = 0.0;
        for (int c = 0; c < n; ++c) {
            s += colSum[c];
            q += colSq[c];
        }
        for (int j = 0; j < J; ++j) {
            if (j > 0) {
                s += colSum[j + n - 1] - colSum[j - 1];
                q += colSq[j + n - 1] - colSq[j - 1];
            }
            m_winSum[static_cast<size_t>(i) * J + j] = s;
            m_winSquares[static_cast<size_t>(i) * J + j] = q;
        }
    }

    const double SB = m_patSum[level], QB = m_patSquares[level];
    const double vb = std::max(0.0, QB - SB * SB / N);
    for (int i = 0; i < I; ++i)
        for (int j = 0; j < J; ++j) {
            const double SA = m_winSum[static_cast<size_t>(i) * J + j];
            const double QA = m_winSquares[static_cast<size_t>(i) * J + j];
            const double va = std::max(0.0, QA - SA * SA / N);
            const double den = 2.0 * std::sqrt(va) * std::sqrt(vb);
            if (!(den > 0.0))
                continue; // a flat window or template correlates with nothing
            const double base = (QA + QB - 2.0 * SB * SA / N) / den;
            const int px = range.x0 + j * k, py = range.y0 + i * k;
            double partial = 0.0;
            bool dropped = false;
            for (int r = 0; r < m && !dropped; ++r) {
                const int* srow = &m_search[static_cast<size_t>(py + r * k) * sw + px];
                const int* trow = &m_pattern[static_cast<size_t>(r * k) * m_patWidth];
                for (int c = 0; c < n; ++c) {
                    const double d = srow[c * k] - trow[c * k];
                    partial += d * d;
                }
                dropped = (base - m_best) * den < partial;
            }
            if (dropped)
                continue;
            m_best = base - partial / den;
            bestPos.x = px;
            bestPos.y = py;
        }
}

double CPatMatching::Search(POINT* position) {
    POINT best{0, 0};
    m_best = 0.0;
    const int sw = m_searchWidth, sh = m_searchHeight, tw = m_patWidth, th = m_patHeight;
    if (sw < 1 || sh < 1 || tw < 1 || th < 1 || tw > sw || th > sh) {
        if (position) {
            position->x = m_searchRect.left;
            position->y = m_searchRect.top;
        }
        return 0.0;
    }
    // Coarse levels whose sampled template would be narrower than 4 samples are skipped: a
    // template of fewer samples correlates with almost anything (and 0 samples divide by 0).
    int k = m_step;
    while (k > 1 && (tw / k < 4 || th / k < 4))
        k /= 2;
    const Range full{0, 0, sw - tw, sh - th};
    bool first = true;
    for (; k >= 1; k /= 2) {
        Range r = full;
        if (!first) {
            r.x0 = std::max(full.x0, static_cast<int>(best.x) - 2 * k);
            r.y0 = std::max(full.y0, static_cast<int>(best.y) - 2 * k);
            r.x1 = std::min(full.x1, static_cast<int>(best.x) + 2 * k);
            r.y1 = std::min(full.y1, static_cast<int>(best.y) + 2 * k);
        }
        SearchLevel(k, r, best);
        first = false;
    }
    if (position) {
        position->x = best.x + m_searchRect.left;
        position->y = best.y + m_searchRect.top;
    }
    return m_best > 0.0 ? m_best : 0.0;
}

BOOL CPatMatching::ScoreAt(int x, int y, double* score) const {
    const int sw = m_searchWidth, tw = m_patWidth, th = m_patHeight;
    if (tw < 1 || th < 1 || x < 0 || y < 0 || x + tw > sw || y + th > m_searchHeight)
        return FALSE;
    const double N = static_cast<double>(tw) * th;
    double sa = 0.0, qa = 0.0, ab = 0.0;
    for (int r = 0; r < th; ++r) {
        const int* srow = &m_search[static_cast<size_t>(y + r) * sw + x];
        const int* trow = &m_pattern[static_cast<size_t>(r) * tw];
        for (int c = 0; c < tw; ++c) {
            const double a = srow[c];
            sa += a;
            qa += a * a;
            ab += a * trow[c];
        }
    }
    const double sb = m_patSum[0], qb = m_patSquares[0];
    const double va = qa - sa * sa / N, vb = qb - sb * sb / N;
    if (!(va > 0.0) || !(vb > 0.0))
        return FALSE;
    if (score)
        *score = (ab - sa * sb / N) / (std::sqrt(va) * std::sqrt(vb));
    return TRUE;
}

void CPatMatching::RefinePeak(POINT p, double* x, double* y) const {
    auto offset = [&](int dx, int dy) {
        double a = 0.0, b = 0.0, c = 0.0;
        if (!ScoreAt(p.x - dx, p.y - dy, &a) || !ScoreAt(p.x, p.y, &b) || !ScoreAt(p.x + dx, p.y + dy, &c))
            return 0.0;
        const double curve = a - 2.0 * b + c;
        if (!(curve < 0.0) || b < a || b < c)
            return 0.0; // no peak at the whole pixel: keep it
        return std::clamp(0.5 * (a - c) / curve, -0.5, 0.5);
    };
    if (x)
        *x = p.x + offset(1, 0);
    if (y)
        *y = p.y + offset(0, 1);
}

POINT MapAlignPoint(POINT p, const AlignTransform& t, int width, int height) {
    const int cx = width / 2, cy = height / 2;
    POINT q;
    q.x = static_cast<LONG>(std::trunc(t.xShift + cx + t.xScale * (p.x - cx)));
    q.y = static_cast<LONG>(std::trunc(t.yShift + cy + t.yScale * (p.y - cy)));
    return q;
}

AlignFit FitAlignShift(const AlignPoint* source, const AlignPoint* destination, int count, int width,
                       int height, double scale) {
    AlignFit f;
    f.scale = scale;
    if (count < 1)
        return f;
    // The mapped source points are not cut to whole pixels: with a scale a little off 1 the
    // cut moves every point on one side of the centre by a pixel and the mean by half of one.
    const double cx = width / 2, cy = height / 2;
    double mx = 0.0, my = 0.0;
    for (int i = 0; i < count; ++i) {
        mx += destination[i].x - (cx + scale * (source[i].x - cx));
        my += destination[i].y - (cy + scale * (source[i].y - cy));
    }
    f.xShift = mx / count;
    f.yShift = my / count;
    return f;
}

AlignFit FitAlignPoints(const AlignPoint* source, const AlignPoint* destination, int count, int width,
                        int height) {
    AlignFit f;
    if (count < 1)
        return f;
    double ds = 0.0, ss = 0.0;
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j) {
            ds += std::hypot(destination[i].x - destination[j].x, destination[i].y - destination[j].y);
            ss += std::hypot(source[i].x - source[j].x, source[i].y - source[j].y);
        }
    f.scale = ss > 0.0 ? ds / ss : 1.0;
    const AlignFit shifted = FitAlignShift(source, destination, count, width, height, f.scale);
    f.xShift = shifted.xShift;
    f.yShift = shifted.yShift;
    return f;
}

namespace {

// Source cell of an output coordinate: the truncated value, less 1 when it is 0 or negative;
// the fractional offset is measured from that cell.
inline void SourceCell(double v, int& cell, double& frac) {
    int c = static_cast<int>(v);
    if (v <= 0.0)
        c -= 1;
    cell = c;
    frac = v - c;
}

template <typename T>
void TransformPlane(const planes::PlaneRef<T>& src, const planes::PlaneRef<T>& dst, const AlignTransform& t,
                    int maxValue) {
    const int w = src.width, h = src.height, cx = w / 2, cy = h / 2;
    // Horizontal cells and offsets are the same for every row.
    std::vector<int> cellX(static_cast<size_t>(w));
    std::vector<double> fracX(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x)
        SourceCell((x - cx - t.xShift) / t.xScale, cellX[x], fracX[x]);
#pragma omp parallel for schedule(dynamic, 4)
    for (int y = 0; y < h; ++y) {
        int cyl;
        double fy;
        SourceCell((y - cy - t.yShift) / t.yScale, cyl, fy);
        T* d = dst.row(y);
        if (cyl < -1 - cy || cyl > h - cy) {
            for (int x = 0; x < w; ++x)
                d[x * dst.pixStep] = 0;
            continue;
        }
        const int Y0 = std::clamp(cyl + cy, 0, h - 1), Y1 = std::clamp(cyl + cy + 1, 0, h - 1);
        const T* r0 = src.row(Y0);
        const T* r1 = src.row(Y1);
        for (int x = 0; x < w; ++x) {
            const int cxl = cellX[x];
            if (cxl < -1 - cx || cxl > w - cx) {
                d[x * dst.pixStep] = 0;
                continue;
            }
            const int X0 = std::clamp(cxl + cx, 0, w - 1), X1 = std::clamp(cxl + cx + 1, 0, w - 1);
            const double fx = fracX[x];
            const double top = (1.0 - fx) * r0[X0 * src.pixStep] + fx * r0[X1 * src.pixStep];
            const double bottom = (1.0 - fx) * r1[X0 * src.pixStep] + fx * r1[X1 * src.pixStep];
            double v = (1.0 - fy) * top + fy * bottom;
            v = std::clamp(v, 0.0, static_cast<double>(maxValue));
            d[x * dst.pixStep] = static_cast<T>(static_cast<int>(v));
        }
    }
}

} // namespace

BOOL DibTransformPlanesInto(HDIB source, HDIB target, const AlignTransform& t) {
    if (!source || !target || source == target || !(t.xScale != 0.0) || !(t.yScale != 0.0))
        return FALSE;
    GlobalLockGuard s(source);
    GlobalLockGuard d(target);
    if (!s || !d)
        return FALSE;
    const int bc = DibGetBitCount(s.get());
    if (DibGetWidth(s.get()) != DibGetWidth(d.get()) || DibGetHeight(s.get()) != DibGetHeight(d.get()) ||
        bc != DibGetBitCount(d.get()) || planes::SamplesPerPixel(bc) == 0)
        return FALSE;
    const int maxValue = planes::DepthMax(bc) - 1;
    for (int p = 0; p < planes::PlaneCount(bc); ++p) {
        if (planes::IsWideDepth(bc))
            TransformPlane(planes::MakeDibPlane<uint16_t>(s.get(), p),
                           planes::MakeDibPlane<uint16_t>(d.get(), p), t, maxValue);
        else
            TransformPlane(planes::MakeDibPlane<uint8_t>(s.get(), p),
                           planes::MakeDibPlane<uint8_t>(d.get(), p), t, maxValue);
    }
    DibSelectPlane(0);
    return TRUE;
}

HDIB DibTransformPlanes(HDIB source, const AlignTransform& t) {
    HDIB out = DibCopyInto(source, nullptr);
    if (!out)
        return nullptr;
    if (!DibTransformPlanesInto(source, out, t)) {
        GlobalFree(out);
        return nullptr;
    }
    return out;
}
