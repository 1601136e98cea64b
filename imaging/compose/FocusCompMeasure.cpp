// Steps of the focus composer's per-image chain that work on rows of the maps: the whole focus
// plane of the stereo type, the selection of the sharpest image, the weights and the blend
// into the composite. The chain (FocusCompBands.cpp) calls them on its bands and strips; each
// output value is computed by the same operations whatever the split.
#include "imaging/compose/FocusComp.h"

#include "imaging/bitmaps/DibPlanes.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define FOCUS_WIDE_STEPS 1
#else
#define FOCUS_WIDE_STEPS 0
#endif

using planes::BufferPlane;
using planes::PlaneRef;

// Lightness ((max + min) / 2, grey images as they are) at full resolution into m_light: the
// stereo type measures its drift on it and shifts it with the image.
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

// Cells the selection takes at once: a run where none takes the newest image is left unwritten.
constexpr int kSelectRun = 64;

#if FOCUS_WIDE_STEPS
namespace {

// Sixteen cells from i: whether each measure m is above its best so far, as 16 bytes of -1 or 0.
__attribute__((target("avx2"), always_inline)) inline __m128i SixteenWins(const uint16_t* m, const int* best,
                                                                          int i) {
    const __m256i mv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m + i));
    const __m256i t0 = _mm256_cmpgt_epi32(_mm256_cvtepu16_epi32(_mm256_castsi256_si128(mv)),
                                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(best + i)));
    const __m256i t1 = _mm256_cmpgt_epi32(_mm256_cvtepu16_epi32(_mm256_extracti128_si256(mv, 1)),
                                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(best + i + 8)));
    // The pack interleaves the halves of t0 and t1: the permutation puts the cells in order.
    const __m256i t = _mm256_permute4x64_epi64(_mm256_packs_epi32(t0, t1), 0xD8);
    return _mm_packs_epi16(_mm256_castsi256_si128(t), _mm256_extracti128_si256(t, 1));
}

// SelectCells' runs of 64 cells on a later image with 256-bit vectors: the wins sixteen cells
// at a time, then, in a run where any cell won, the best-focus and index maps eight at a time.
// The same choice per cell as one at a time.
__attribute__((target("avx2"))) void SelectRunsWide(const uint16_t* m, int* best, int* index, uint8_t* win,
                                                    int n, int number) {
    const __m128i one = _mm_set1_epi8(1);
    const __m256i image = _mm256_set1_epi32(number);
    for (int ia = 0; ia < n; ia += kSelectRun) {
        const int ie = std::min(n, ia + kSelectRun);
        __m128i any = _mm_setzero_si128();
        int i = ia;
        for (; i + 16 <= ie; i += 16) {
            const __m128i t = SixteenWins(m, best, i);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(win + i), _mm_and_si128(t, one));
            any = _mm_or_si128(any, t);
        }
        bool won = !_mm_testz_si128(any, any);
        for (; i < ie; ++i) {
            win[i] = static_cast<int>(m[i]) > best[i];
            won |= win[i] != 0;
        }
        if (!won)
            continue;
        for (i = ia; i + 8 <= ie; i += 8) {
            const __m256i v = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i)));
            __m256i* bp = reinterpret_cast<__m256i*>(best + i);
            __m256i* ip = reinterpret_cast<__m256i*>(index + i);
            const __m256i b = _mm256_loadu_si256(bp);
            const __m256i gt = _mm256_cmpgt_epi32(v, b);
            _mm256_storeu_si256(bp, _mm256_max_epi32(v, b));
            _mm256_storeu_si256(ip, _mm256_blendv_epi8(_mm256_loadu_si256(ip), image, gt));
        }
        for (; i < ie; ++i) {
            const int v = m[i], b = best[i];
            best[i] = v > b ? v : b;
            index[i] = v > b ? number : index[i];
        }
    }
}

} // namespace
#endif

// A cell takes the newest image when its measure is strictly greater than the best so far (a
// tie keeps the earlier image); the newest image's wins are its weights before smoothing. The
// first image starts the best-focus map.
void CFocusComp::SelectCells(int y, int xa, int xb, const uint16_t* m, bool first) {
    int* best = m_pMax[y] + xa;
    int* index = m_pIndex[y] + xa;
    const int n = xb - xa;
    if (first) {
        // The first image is image 0 of every cell.
        for (int i = 0; i < n; ++i) {
            best[i] = m[i];
            index[i] = 0;
        }
        return;
    }
    const int number = m_nImagesAdded;
    uint8_t* win = m_wins.get() + static_cast<size_t>(y) * m_nMapWidth + xa;
    // Runs of cells of which none takes the image leave the best-focus and index maps as they
    // are (their memory is only read, not written back); in the others each cell takes the
    // image where it won, through selects that vectorise.
#if FOCUS_WIDE_STEPS
    if (planes::HasWideVectors()) {
        SelectRunsWide(m, best, index, win, n, number);
        return;
    }
#endif
    // Local unaliased pointers: the byte stores of the wins would otherwise make the compiler
    // reload every pointer after each store.
    const uint16_t* __restrict mv = m;
    int* __restrict bv = best;
    int* __restrict iv = index;
    uint8_t* __restrict wv = win;
    for (int ia = 0; ia < n; ia += kSelectRun) {
        const int ie = std::min(n, ia + kSelectRun);
        uint8_t any = 0;
#pragma omp simd reduction(| : any)
        for (int i = ia; i < ie; ++i) {
            const uint8_t t = static_cast<int>(mv[i]) > bv[i];
            wv[i] = t;
            any |= t;
        }
        if (!any)
            continue;
#pragma omp simd
        for (int i = ia; i < ie; ++i) {
            const int v = mv[i], b = bv[i];
            bv[i] = v > b ? v : b;
            iv[i] = v > b ? number : iv[i];
        }
    }
}

#if FOCUS_WIDE_STEPS
namespace {

// Weights x .. last of a row, eight at a time, from the box sum before x; returns the first
// not done (a few may be left) with `sum` at the box sum before it. The steps col[x + h] -
// col[x - h - 1] are summed along the eight lanes in whole numbers, so the sums are exactly
// those of the plain running sum; each mean is the sum divided by the box area (n * n, as the
// table was made), the same correctly rounded quotient as the table's.
__attribute__((target("avx2"))) int BoxMeansSteps(const int* col, int h, int x, int last, int& sum,
                                                  double boxArea, double* weight) {
    __m256i carry = _mm256_set1_epi32(sum);
    const __m256d area = _mm256_set1_pd(boxArea);
    for (; x + 7 <= last; x += 8) {
        __m256i d = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(col + x + h)),
                                     _mm256_loadu_si256(reinterpret_cast<const __m256i*>(col + x - h - 1)));
        // Running sums within each half, then the lower half's total into the upper half.
        d = _mm256_add_epi32(d, _mm256_slli_si256(d, 4));
        d = _mm256_add_epi32(d, _mm256_slli_si256(d, 8));
        const __m256i low = _mm256_permute2x128_si256(d, d, 0x08);
        d = _mm256_add_epi32(d, _mm256_shuffle_epi32(low, 0xFF));
        const __m256i sums = _mm256_add_epi32(d, carry);
        carry = _mm256_permutevar8x32_epi32(sums, _mm256_set1_epi32(7));
        _mm256_storeu_pd(weight + x, _mm256_div_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(sums)), area));
        _mm256_storeu_pd(weight + x + 4,
                         _mm256_div_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(sums, 1)), area));
    }
    sum = _mm256_cvtsi256_si32(carry);
    return x;
}

// Four bytes from p, as four doubles.
__attribute__((target("avx2"), always_inline)) inline __m256d FourSamples(const uint8_t* p) {
    int32_t t;
    std::memcpy(&t, p, sizeof t);
    return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(t)));
}

// The pixels of a 24-bit row of the composite d blended with the working image s, four pixels
// (twelve samples) at a time: each sample trunc(old (1 - w) + new w) with the weight of its
// pixel, the same operations in the same order as one sample at a time. Four weights of 0 leave
// their pixels as they are and four of 1 copy the new ones, the values the arithmetic gives
// (old * 1 + new * 0 is the old sample exactly, old * 0 + new * 1 the new one). Returns the
// first pixel not done (fewer than four are left).
__attribute__((target("avx2"))) int BlendTriplesSteps(const uint8_t* s, uint8_t* d, const double* weight,
                                                      int w) {
    const __m256d one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        const __m256d wt = _mm256_loadu_pd(weight + x);
        if (_mm256_movemask_pd(_mm256_cmp_pd(wt, zero, _CMP_EQ_OQ)) == 0xF)
            continue;
        const uint8_t* sp = s + 3 * static_cast<ptrdiff_t>(x);
        uint8_t* dp = d + 3 * static_cast<ptrdiff_t>(x);
        if (_mm256_movemask_pd(_mm256_cmp_pd(wt, one, _CMP_EQ_OQ)) == 0xF) {
            std::memcpy(dp, sp, 12);
            continue;
        }
        const __m256d v = _mm256_sub_pd(one, wt);
        // The weights of the twelve samples: w0 w0 w0 w1 | w1 w1 w2 w2 | w2 w3 w3 w3.
        const __m256d w0 = _mm256_permute4x64_pd(wt, 0x40), w1 = _mm256_permute4x64_pd(wt, 0xA5),
                      w2 = _mm256_permute4x64_pd(wt, 0xFE);
        const __m256d v0 = _mm256_permute4x64_pd(v, 0x40), v1 = _mm256_permute4x64_pd(v, 0xA5),
                      v2 = _mm256_permute4x64_pd(v, 0xFE);
        auto mix = [&](int k, __m256d vk, __m256d wk) __attribute__((target("avx2"), always_inline)) {
            return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(FourSamples(dp + k), vk),
                                                     _mm256_mul_pd(FourSamples(sp + k), wk)));
        };
        const __m128i a = mix(0, v0, w0), b = mix(4, v1, w1), c = mix(8, v2, w2);
        // The truncated values are 0 .. 255: the saturating packs keep them.
        const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(a, b), _mm_packus_epi32(c, c));
        const int64_t first8 = _mm_cvtsi128_si64(bytes);
        const int32_t last4 = _mm_extract_epi32(bytes, 2);
        std::memcpy(dp, &first8, sizeof first8);
        std::memcpy(dp + 8, &last4, sizeof last4);
    }
    return x;
}

} // namespace
#endif

// Weight row y: the mean of the n x n box of wins centred on each cell, for rows n/2 ..
// height - n/2 - 2 and columns n/2 .. width - n/2 - 2; every other weight is 0 (with n = 1 the
// wins themselves). The rows of a run keep one count per column (col, width values) and slide
// it down, so the work per row does not grow with n. The counts are exact integers, hence the
// same for every split.
void CFocusComp::WeightRow(int y, int* col, bool& primed, double* weight) const {
    const int n = m_nWeightWindow;
    const int mw = m_nMapWidth, mh = m_nMapHeight, h = n / 2;
    const uint8_t* wins = m_wins.get();
    if (n == 1) {
        const uint8_t* wr = wins + static_cast<size_t>(y) * mw;
        for (int x = 0; x < mw; ++x)
            weight[x] = wr[x] ? 1.0 : 0.0;
        return;
    }
    const int r0 = h, r1 = mh - h - 2; // inclusive
    const int c0 = h, c1 = mw - h - 2;
    if (y < r0 || y > r1 || c0 > c1) {
        std::fill(weight, weight + mw, 0.0);
        return;
    }
    if (!primed) {
        std::fill(col, col + mw, 0);
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
    const double* meanOf = m_boxMean.data();
    std::fill(weight, weight + c0, 0.0);
    int sum = 0;
    for (int x = c0 - h; x <= c0 + h; ++x)
        sum += col[x];
    weight[c0] = meanOf[sum];
    int x = c0 + 1;
#if FOCUS_WIDE_STEPS
    if (planes::HasWideVectors())
        x = BoxMeansSteps(col, h, x, c1, sum, static_cast<double>(n) * n, weight);
#endif
    for (; x <= c1; ++x) {
        sum += col[x + h] - col[x - h - 1];
        weight[x] = meanOf[sum];
    }
    std::fill(weight + c1 + 1, weight + mw, 0.0);
}

void CFocusComp::MakeWeightRows() const {
    const int mw = m_nMapWidth, mh = m_nMapHeight;
    const bool zero = m_weightMap == WeightMap::Zero || !m_wins;
    constexpr int kRows = 16;
#pragma omp parallel
    {
        std::vector<int> col(zero ? 0 : static_cast<size_t>(std::max(mw, 1)));
#pragma omp for schedule(dynamic, 1)
        for (int ya = 0; ya < mh; ya += kRows) {
            bool primed = false;
            for (int y = ya, ye = std::min(mh, ya + kRows); y < ye; ++y) {
                if (zero)
                    std::fill(m_pWeight[y], m_pWeight[y] + mw, 0.0);
                else
                    WeightRow(y, col.data(), primed, m_pWeight[y]);
            }
        }
    }
    m_weightMap = WeightMap::Stored;
}

// Image rows [ya, yb) (from the top, all of one map row) of the composite: trunc(old (1 - w) +
// new w) per sample, w the weight of the pixel's cell in `weight`; sb and db are the bits of
// the working image and of the composite. For the stereo type the columns outside the common range are
// cleared after each row.
template <typename T>
void CFocusComp::BlendRows(const BYTE* sb, BYTE* db, int ya, int yb, const double* weight) {
    const int W = m_nWidth, H = m_nHeight, bc = m_nBits;
    const int spp = planes::SamplesPerPixel(bc);
    const size_t stride = DibStride(W, bc);
    const bool stereo = m_nScopeType == FOCUS_SCOPE_STEREO;
    const int clearLeft = stereo ? std::clamp(m_nMaxShift, 0, W) : 0;
    const int clearRight = stereo ? std::clamp(-m_nMinShift, 0, W) : 0;
    const int* cellX = m_cellX.data();
#if FOCUS_WIDE_STEPS
    const bool wide = planes::HasWideVectors();
#endif
    for (int y = ya; y < yb; ++y) {
        const size_t mem = static_cast<size_t>(H - 1 - y);
        const T* s = reinterpret_cast<const T*>(sb + mem * stride);
        T* d = reinterpret_cast<T*>(db + mem * stride);
        if (!m_bCoarse && spp == 3) {
            // A weight of 0 gives old * 1 + new * 0, the old sample exactly, and a weight of
            // 1 gives old * 0 + new * 1, the new sample exactly: runs of those are skipped or
            // copied, the pixels in between take the arithmetic in a vector loop. With 256-bit
            // vectors, 8-bit rows go four pixels at a time and only the last few come here.
            int x = 0;
#if FOCUS_WIDE_STEPS
            if constexpr (std::is_same_v<T, uint8_t>)
                if (wide)
                    x = BlendTriplesSteps(s, d, weight, W);
#endif
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
                        d[3 * i + 1] = static_cast<T>(static_cast<int>(d[3 * i + 1] * v + s[3 * i + 1] * w));
                        d[3 * i + 2] = static_cast<T>(static_cast<int>(d[3 * i + 2] * v + s[3 * i + 2] * w));
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
            std::fill(d + static_cast<size_t>(W - clearRight) * spp, d + static_cast<size_t>(W) * spp, T(0));
    }
}

template void CFocusComp::BlendRows<uint8_t>(const BYTE*, BYTE*, int, int, const double*);
template void CFocusComp::BlendRows<uint16_t>(const BYTE*, BYTE*, int, int, const double*);
