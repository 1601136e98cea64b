// Horizontal drift correction of stereo-microscope series: column profiles of horizontal bands
// of consecutive images are correlated to find the shift between them.
#include "imaging/compose/FocusComp.h"

#include "imaging/bitmaps/DibPlanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kBandFractions[5] = {0.2, 0.35, 0.5, 0.65, 0.8};

double ProfileVariance(const int* p, int n) {
    if (n < 1)
        return 0.0;
    double s = 0.0, q = 0.0;
    for (int i = 0; i < n; ++i) {
        s += p[i];
        q += static_cast<double>(p[i]) * p[i];
    }
    const double mean = s / n;
    return q / n - mean * mean;
}

} // namespace

void CFocusComp::BandProfile(const uint16_t* plane, int width, int height, int row, int bandHeight,
                             int* profile) {
    const int bh = std::clamp(bandHeight, 1, std::max(height, 1));
    // The band is kept inside the plane however close its centre lies to an edge.
    const int start = std::clamp(row - bandHeight / 2, 0, height - bh);
    for (int x = 0; x < width; ++x)
        profile[x] = 0;
    std::vector<int64_t> sum(static_cast<size_t>(std::max(width, 1)), 0);
    for (int r = start; r < start + bh; ++r) {
        const uint16_t* src = plane + static_cast<size_t>(r) * width;
        for (int x = 0; x < width; ++x)
            sum[x] += src[x];
    }
    for (int x = 0; x < width; ++x)
        profile[x] = static_cast<int>(sum[x] / bh);
}

double CFocusComp::ProfileScore(const int* a, int i, const int* b, int j, int n) {
    if (n < 1)
        return 0.0;
    double ma = 0.0, mb = 0.0;
    for (int k = 0; k < n; ++k) {
        ma += a[i + k];
        mb += b[j + k];
    }
    ma /= n;
    mb /= n;
    double sa = 0.0, sb = 0.0, c = 0.0;
    for (int k = 0; k < n; ++k) {
        const double da = a[i + k] - ma, db = b[j + k] - mb;
        sa += da * da;
        sb += db * db;
        c += std::fabs(std::trunc(da * db));
    }
    if (sa == 0.0 || sb == 0.0)
        return 0.0;
    return c / (std::sqrt(sa) * std::sqrt(sb));
}

void CFocusComp::SortBands() {
    for (int i = 0; i < kBandCount; ++i)
        m_BandOrder[i] = i;
    for (int pass = 0; pass < kBandCount - 1; ++pass)
        for (int k = 0; k + 1 < kBandCount - pass; ++k)
            if (m_BandVariance[m_BandOrder[k + 1]] > m_BandVariance[m_BandOrder[k]])
                std::swap(m_BandOrder[k], m_BandOrder[k + 1]);
}

void CFocusComp::InitDriftBands() {
    m_nBandCount = kBandCount;
    for (int b = 0; b < kBandCount; ++b) {
        m_BandRows[b] = static_cast<int>(m_nHeight * kBandFractions[b]);
        m_BandProfiles[b].assign(static_cast<size_t>(m_nWidth), 0);
        BandProfile(m_light.data(), m_nWidth, m_nHeight, m_BandRows[b], m_nBandHeight,
                    m_BandProfiles[b].data());
        m_BandVariance[b] = ProfileVariance(m_BandProfiles[b].data(), m_nWidth);
    }
    SortBands();
}

void CFocusComp::InitDrift() {
    m_nCumShift = 0;
    int bh = static_cast<int>(m_nHeight * m_dBandHeightFactor);
    bh = (bh / 2) * 2 + 1;
    m_nBandHeight = std::max(bh, 5);
    if (m_nBandMode == 3) {
        InitDriftBands();
    } else {
        m_nBandCount = 0;
        m_nBandRow = static_cast<int>(m_nHeight * m_dBandFraction);
        m_RefProfile.assign(static_cast<size_t>(m_nWidth), 0);
        BandProfile(m_light.data(), m_nWidth, m_nHeight, m_nBandRow, m_nBandHeight, m_RefProfile.data());
    }
}

// Scores of every candidate (reference from s, new profile from h, length L) into scores;
// returns the shift of the first strictly best one (0 when nothing scores above 0).
int CFocusComp::BestShift(const int* reference, const int* profile, std::vector<double>& scores) const {
    const int W = m_nWidth;
    const int L = static_cast<int>(W - W * 0.3);
    const int h = (W - L) / 2;
    const int count = 2 * h;
    scores.assign(static_cast<size_t>(std::max(count, 0)), 0.0);
#pragma omp parallel for schedule(dynamic, 4)
    for (int s = 0; s < count; ++s)
        scores[s] = ProfileScore(reference, s, profile, h, L);
    double best = 0.0;
    int bestS = -1;
    for (int s = 0; s < count; ++s)
        if (scores[s] > best) {
            best = scores[s];
            bestS = s;
        }
    return bestS < 0 ? 0 : bestS - h;
}

void CFocusComp::CorrectDrift(HDIB working) {
    const int W = m_nWidth;
    int shift = 0;
    if (m_nBandMode == 3) {
        for (int b = 0; b < kBandCount; ++b)
            BandProfile(m_light.data(), W, m_nHeight, m_BandRows[b], m_nBandHeight, m_profile[b].data());
        bool found = false;
        int firstShift = 0;
        for (int o = 0; o < kBandCount && !found; ++o) {
            const int b = m_BandOrder[o];
            const int s = BestShift(m_BandProfiles[b].data(), m_profile[b].data(), m_scores);
            if (o == 0)
                firstShift = s;
            double best = 0.0;
            for (double v : m_scores)
                best = std::max(best, v);
            const double threshold = 0.9 * best;
            int runs = 0;
            bool inRun = false;
            for (double v : m_scores) {
                const bool above = v > threshold;
                if (above && !inRun)
                    ++runs;
                inRun = above;
            }
            if (runs == 1) {
                shift = s;
                found = true;
            }
        }
        if (!found)
            shift = firstShift;
        for (int b = 0; b < kBandCount; ++b) {
            m_BandProfiles[b].swap(m_profile[b]);
            m_BandVariance[b] = ProfileVariance(m_BandProfiles[b].data(), W);
        }
        SortBands();
    } else {
        std::vector<int>& fresh = m_profile[0];
        BandProfile(m_light.data(), W, m_nHeight, m_nBandRow, m_nBandHeight, fresh.data());
        shift = BestShift(m_RefProfile.data(), fresh.data(), m_scores);
        m_RefProfile.swap(fresh);
    }
    m_nCumShift += shift;
    const int limit = W / 4;
    m_nCumShift = std::clamp(m_nCumShift, -limit, limit);
    m_nMinShift = std::min(m_nMinShift, m_nCumShift);
    m_nMaxShift = std::max(m_nMaxShift, m_nCumShift);
    if (m_nCumShift != 0)
        ShiftImage(working, m_nCumShift);
}

// new[x] = old[x - d] where x - d lies in the row; the uncovered pixels keep their values.
// The focus plane moves with the image.
void CFocusComp::ShiftImage(HDIB working, int d) {
    const int W = m_nWidth, H = m_nHeight;
    if (d == 0 || d >= W || -d >= W)
        return;
    GlobalLockGuard g(working);
    const int bc = DibGetBitCount(g.get());
    const int bpp = bc / 8;
    const size_t stride = DibStride(W, bc);
    BYTE* bits = DibGetBits(g.get());
    const int keep = W - std::abs(d);
#pragma omp parallel for schedule(dynamic, 4)
    for (int y = 0; y < H; ++y) {
        BYTE* row = bits + static_cast<size_t>(y) * stride;
        if (d > 0)
            std::memmove(row + static_cast<size_t>(d) * bpp, row, static_cast<size_t>(keep) * bpp);
        else
            std::memmove(row, row + static_cast<size_t>(-d) * bpp, static_cast<size_t>(keep) * bpp);
        uint16_t* lr = m_light.data() + static_cast<size_t>(H - 1 - y) * W;
        if (d > 0)
            std::memmove(lr + d, lr, sizeof(uint16_t) * keep);
        else
            std::memmove(lr, lr - d, sizeof(uint16_t) * keep);
    }
}
