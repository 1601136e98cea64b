// Alignment of ordinary-microscope series: every new image is mapped onto the previous aligned
// one by a uniform scale and a shift found from two to four matched patches.
#include "imaging/compose/FocusComp.h"

#include "imaging/bitmaps/DibConvert.h"
#include "imaging/bitmaps/DibPlanes.h"

#include <algorithm>
#include <cmath>

namespace {

// Places around the template's own place that are scored over every sample besides the one
// the coarse-to-fine search found: up to this many pixels each way.
constexpr int kNearRadius = 3;

// Moves a rectangle (right and bottom exclusive) inside a width x height image, keeping its
// size when it fits and clipping it to the image when it does not.
RECT MoveInside(RECT r, int width, int height) {
    auto fit = [](LONG& lo, LONG& hi, int size) {
        const LONG len = hi - lo;
        if (len >= size) {
            lo = 0;
            hi = size;
            return;
        }
        if (lo < 0) {
            lo = 0;
            hi = len;
        }
        if (hi > size) {
            hi = size;
            lo = size - len;
        }
    };
    fit(r.left, r.right, width);
    fit(r.top, r.bottom, height);
    return r;
}

} // namespace

void CFocusComp::FreePatterns() {
    for (auto& h : m_hPattern) {
        if (h)
            GlobalFree(h);
        h = nullptr;
    }
}

bool CFocusComp::SetAlignReference(HDIB first) {
    FreePatterns();
    const int W = m_nWidth, H = m_nHeight;
    const double iw = 0.8 * W, ih = 0.8 * H;
    const int ox = static_cast<int>(0.1 * W), oy = static_cast<int>(0.1 * H);
    const int sx = static_cast<int>(iw * 0.4 / 2), sy = static_cast<int>(ih * 0.4 / 2);
    const int tx = static_cast<int>(iw * 0.2 / 2), ty = static_cast<int>(ih * 0.2 / 2);
    int bc = 0;
    {
        GlobalLockGuard g(first);
        bc = DibGetBitCount(g.get());
    }
    for (int i = 0; i < m_nPatterns; ++i) {
        const int cx = static_cast<int>(ox + m_Points[i].x * iw / 100);
        const int cy = static_cast<int>(oy + m_Points[i].y * ih / 100);
        m_rcSearch[i] = MoveInside(RECT{cx - sx, cy - sy, cx + sx, cy + sy}, W, H);
        m_rcTemplate[i] = MoveInside(RECT{cx - tx, cy - ty, cx + tx, cy + ty}, W, H);
        const RECT& s = m_rcSearch[i];
        const RECT& t = m_rcTemplate[i];
        // The search image is matched over one row and one column less than the patch.
        m_bPatternUsable[i] = t.right > t.left && t.bottom > t.top &&
                              (t.right - t.left) <= (s.right - s.left) - 1 &&
                              (t.bottom - t.top) <= (s.bottom - s.top) - 1;
        if (!m_bPatternUsable[i])
            continue;
        m_hPattern[i] = DibCreateOfKind(s.right - s.left, s.bottom - s.top, planes::KindOfDepth(bc));
        if (!m_hPattern[i]) {
            FreePatterns();
            return false;
        }
        DibCopyRect(first, m_hPattern[i], s);
    }
    m_Matcher.SetStep(8);
    m_rcValid = RECT{0, 0, W - 1, H - 1};
    m_LastTransform = AlignTransform{};
    m_dAlignCarryX = m_dAlignCarryY = 0.0;
    for (auto& m : m_PatternMove)
        m = POINT{};
    return true;
}

bool CFocusComp::AlignImageInto(HDIB image, HDIB target) {
    const int W = m_nWidth, H = m_nHeight;
    AlignPoint src[4], dst[4];
    int used[4] = {};
    int usable = 0;
    for (int i = 0; i < m_nPatterns; ++i) {
        if (!m_bPatternUsable[i] || !m_hPattern[i])
            continue;
        const RECT& s = m_rcSearch[i];
        const RECT& t = m_rcTemplate[i];
        const RECT whole{0, 0, s.right - s.left - 1, s.bottom - s.top - 1};
        if (!m_Matcher.SetSearchImage(m_hPattern[i], whole) || !m_Matcher.SetPattern(image, t))
            continue;
        POINT p{};
        m_Matcher.Search(&p);
        // The coarse levels sample every few pixels; on fine or strongly defocused detail they
        // can settle on a chance likeness far from the true place. The places within a few
        // pixels of where the template came from (no movement against the previous image),
        // and of where this pattern was found in the previous image (the series moves on as
        // it moved), are scored over every sample too. Another place wins only when it
        // correlates strictly better: no movement first, then the previous movement, then the
        // place the search found.
        const POINT still{t.left - s.left, t.top - s.top};
        double best = 0.0;
        POINT bestAt{};
        bool scored = false;
        auto consider = [&](POINT q) {
            double v = 0.0;
            if (m_Matcher.ScoreAt(q.x, q.y, &v) && (!scored || v > best)) {
                best = v;
                bestAt = q;
                scored = true;
            }
        };
        auto ringsAround = [&](POINT c) {
            for (int r = 0; r <= kNearRadius; ++r)
                for (int dy = -r; dy <= r; ++dy)
                    for (int dx = -r; dx <= r; ++dx)
                        if (std::max(std::abs(dx), std::abs(dy)) == r)
                            consider(POINT{c.x + dx, c.y + dy});
        };
        ringsAround(still);
        const POINT moved{still.x + m_PatternMove[i].x, still.y + m_PatternMove[i].y};
        if (moved.x != still.x || moved.y != still.y)
            ringsAround(moved);
        consider(p);
        if (!scored)
            continue;
        p = bestAt;
        const double found = best;
        m_PatternMove[i] = POINT{p.x - still.x, p.y - still.y};
        if (!(found > 0.0))
            continue; // flat patch or nothing correlates: the pair would only mislead the fit
        double px = p.x, py = p.y;
        m_Matcher.RefinePeak(p, &px, &py);
        const double tw = t.right - t.left, th = t.bottom - t.top;
        src[usable] = AlignPoint{(t.left + t.right) / 2.0, (t.top + t.bottom) / 2.0};
        dst[usable] = AlignPoint{s.left + px + tw / 2.0, s.top + py + th / 2.0};
        used[usable++] = i;
    }
    AlignTransform tr = m_LastTransform; // the previous image's map: no movement since
    if (usable >= 2) {
        // Candidates after the previous map: the new shift at the previous scale, then the
        // new scale with its shift. Each must fit the patterns strictly better at whole pixels
        // than the one kept so far; otherwise the change is no more than the points' wobble
        // under a changing blur. The previous aligned image lies a fraction of a pixel off
        // the first one (its shift was rounded); that fraction is carried into the shift, so
        // rounding errors do not add up over the series.
        const AlignFit fits[2] = {FitAlignShift(src, dst, usable, W, H, tr.xScale),
                                  FitAlignPoints(src, dst, usable, W, H)};
        double kept = -1.0;
        double ex = tr.xShift + m_dAlignCarryX, ey = tr.yShift + m_dAlignCarryY;
        for (const AlignFit& fit : fits) {
            const double fx = fit.xShift + m_dAlignCarryX, fy = fit.yShift + m_dAlignCarryY;
            AlignTransform c;
            c.xScale = c.yScale = fit.scale;
            c.xShift = static_cast<int>(std::lround(fx));
            c.yShift = static_cast<int>(std::lround(fy));
            if (c.xScale == tr.xScale && c.xShift == tr.xShift && c.yShift == tr.yShift) {
                ex = fx; // the same map at whole pixels: its fraction is the better estimate
                ey = fy;
                continue;
            }
            if (kept < 0.0)
                kept = PatternFit(image, tr, used, usable);
            const double v = PatternFit(image, c, used, usable);
            if (v > kept) {
                tr = c;
                kept = v;
                ex = fx;
                ey = fy;
            }
        }
        m_dAlignCarryX = std::clamp(ex - tr.xShift, -0.5, 0.5);
        m_dAlignCarryY = std::clamp(ey - tr.yShift, -0.5, 0.5);
    }
    m_LastTransform = tr;
    if (!DibTransformPlanesInto(image, target, tr))
        return false;

    POINT a = MapAlignPoint(POINT{0, 0}, tr, W, H);
    POINT b = MapAlignPoint(POINT{W - 1, H - 1}, tr, W, H);
    const LONG left = std::max<LONG>(a.x, 0), top = std::max<LONG>(a.y, 0);
    const LONG right = std::min<LONG>(b.x, W - 1), bottom = std::min<LONG>(b.y, H - 1);
    m_rcValid.left = std::max(m_rcValid.left, left);
    m_rcValid.top = std::max(m_rcValid.top, top);
    m_rcValid.right = std::min(m_rcValid.right, right);
    m_rcValid.bottom = std::min(m_rcValid.bottom, bottom);

    // The next image is matched against this aligned one.
    for (int i = 0; i < m_nPatterns; ++i)
        if (m_hPattern[i])
            DibCopyRect(target, m_hPattern[i], m_rcSearch[i]);
    DibSelectPlane(0);
    return true;
}

double CFocusComp::PatternFit(HDIB image, const AlignTransform& tr, const int* patterns, int count) {
    const double cx = m_nWidth / 2, cy = m_nHeight / 2;
    double sum = 0.0;
    for (int n = 0; n < count; ++n) {
        const int i = patterns[n];
        const RECT& s = m_rcSearch[i];
        const RECT& t = m_rcTemplate[i];
        const RECT whole{0, 0, s.right - s.left - 1, s.bottom - s.top - 1};
        if (!m_Matcher.SetSearchImage(m_hPattern[i], whole) || !m_Matcher.SetPattern(image, t))
            continue;
        // Where the map puts the template's centre, as the template's top-left in the patch.
        const double mx = tr.xShift + cx + tr.xScale * ((t.left + t.right) / 2.0 - cx);
        const double my = tr.yShift + cy + tr.yScale * ((t.top + t.bottom) / 2.0 - cy);
        const int px = static_cast<int>(std::lround(mx - (t.right - t.left) / 2.0)) - s.left;
        const int py = static_cast<int>(std::lround(my - (t.bottom - t.top) / 2.0)) - s.top;
        double v = 0.0;
        if (m_Matcher.ScoreAt(px, py, &v))
            sum += v;
    }
    return sum;
}

HDIB CFocusComp::AlignImage(HDIB image) {
    if (!image || !m_bAlign)
        return nullptr;
    HDIB out = DibCopyInto(image, nullptr);
    if (!out)
        return nullptr;
    if (!AlignImageInto(image, out)) {
        GlobalFree(out);
        return nullptr;
    }
    return out;
}
