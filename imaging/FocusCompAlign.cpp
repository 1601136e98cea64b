// Alignment of ordinary-microscope series: every new image is mapped onto the previous aligned
// one by a uniform scale and a shift found from two to four matched patches.
#include "imaging/FocusComp.h"

#include "imaging/DibConvert.h"
#include "imaging/DibPlanes.h"

#include <algorithm>
#include <cmath>

namespace {

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
    return true;
}

bool CFocusComp::AlignImageInto(HDIB image, HDIB target) {
    const int W = m_nWidth, H = m_nHeight;
    POINT src[4], dst[4];
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
        const double score = m_Matcher.Search(&p);
        if (!(score > 0.0))
            continue; // flat patch or nothing correlates: the pair would only mislead the fit
        const int tw = t.right - t.left, th = t.bottom - t.top;
        src[usable] = POINT{(t.left + t.right) / 2, (t.top + t.bottom) / 2};
        dst[usable] = POINT{s.left + p.x + tw / 2, s.top + p.y + th / 2};
        ++usable;
    }
    const AlignTransform tr = usable >= 2 ? FitAlignTransform(src, dst, usable, W, H) : AlignTransform{};
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
