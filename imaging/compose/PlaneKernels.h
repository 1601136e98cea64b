// Per-plane image kernels shared by the conversions, the filters and the focus composer.
//
// A kernel sees one colour plane of an image through a PlaneRef: a pointer to the first sample
// of the top row, the distance between rows (negative for the bottom-up rows of a bitmap) and
// the distance between neighbouring samples of a row, all counted in samples. The same kernel
// thus reads one plane of a 24- or 48-bit bitmap, an 8- or 16-bit bitmap, or a plain buffer.
//
// Kernels take everything they need as arguments (never the thread's selected plane) and run
// their rows in parallel with OpenMP. Every output sample is computed by the same sequence of
// operations whichever thread runs it, so results do not depend on the number of threads.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>
#include <vector>

#ifdef _OPENMP
#include <omp.h>
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace planes {

// Threads of the parallel kernels started from the calling thread; 0 for one per processor.
inline void SetThreadCount(int threads) {
#ifdef _OPENMP
    omp_set_num_threads(threads > 0 ? threads : omp_get_num_procs());
#else
    (void)threads;
#endif
}

// Threads the parallel kernels started from the calling thread use now.
inline int ThreadCountNow() {
#ifdef _OPENMP
    return omp_get_max_threads();
#else
    return 1;
#endif
}

// Sets the calling thread's kernel threads for its lifetime and gives back the count it found.
class ScopedThreadCount {
public:
    explicit ScopedThreadCount(int threads) : before_(ThreadCountNow()) { SetThreadCount(threads); }
    ~ScopedThreadCount() { SetThreadCount(before_); }
    ScopedThreadCount(const ScopedThreadCount&) = delete;
    ScopedThreadCount& operator=(const ScopedThreadCount&) = delete;

private:
    int before_;
};

template <typename T> struct PlaneRef {
    using value_type = T;
    T* top = nullptr;      // sample (0, 0), the top-left one
    ptrdiff_t rowStep = 0; // samples from row y to row y + 1
    ptrdiff_t pixStep = 1; // samples from column x to column x + 1
    int width = 0;
    int height = 0;

    T* row(int y) const { return top + y * rowStep; }
    T& at(int x, int y) const { return top[y * rowStep + x * pixStep]; }
};

// A plain row-major buffer of width x height samples.
template <typename T> PlaneRef<T> BufferPlane(T* data, int width, int height) {
    PlaneRef<T> p;
    p.top = data;
    p.rowStep = width;
    p.pixStep = 1;
    p.width = width;
    p.height = height;
    return p;
}

// True where the processor has 256-bit integer and double vectors (AVX2). Copies of the
// smoothing loops compiled for them never use fused multiply-add, so each operation rounds
// exactly as in the plain copies and the results are the same to the bit.
inline bool HasWideVectors() {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
#else
    return false;
#endif
}

// Marks the copies of kernels compiled for 256-bit vectors (here and in PlaneSmoothing.h).
#if defined(__x86_64__) && defined(__GNUC__)
#define VT_WIDE_VECTORS __attribute__((target("avx2"), noinline))
#define VT_HAS_WIDE_COPY 1
#else
#define VT_WIDE_VECTORS
#define VT_HAS_WIDE_COPY 0
#endif

// Runs f, a lambda marked always_inline, from a copy compiled for 256-bit vectors where the
// processor has them. Integer loops give the same results whatever the vector width.
template <typename F> VT_WIDE_VECTORS void RunWideCopy(const F& f) {
    f();
}
template <typename F> inline void RunVectorised(bool wide, const F& f) {
    if (VT_HAS_WIDE_COPY && wide)
        RunWideCopy(f);
    else
        f();
}

template <typename Tin, typename Tout> void CopyPlane(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst) {
    const int w = std::min(src.width, dst.width), h = std::min(src.height, dst.height);
#pragma omp parallel for schedule(dynamic, 4)
    for (int y = 0; y < h; ++y) {
        const Tin* s = src.row(y);
        Tout* d = dst.row(y);
        for (int x = 0; x < w; ++x)
            d[x * dst.pixStep] = static_cast<Tout>(s[x * src.pixStep]);
    }
}

// (max + min) >> 1 of one row of three planes, w samples with the given sample steps.
template <ptrdiff_t PS, ptrdiff_t DS, typename Tin, typename Tout>
__attribute__((always_inline)) inline void LightnessRowSteps(const Tin* pr, const Tin* pg, const Tin* pb,
                                                             Tout* d, int w, ptrdiff_t rs, ptrdiff_t gs,
                                                             ptrdiff_t bs, ptrdiff_t ds) {
    rs = PS ? PS : rs;
    gs = PS ? PS : gs;
    bs = PS ? PS : bs;
    ds = DS ? DS : ds;
#pragma omp simd
    for (int x = 0; x < w; ++x) {
        // Maximum and minimum in the sample type (narrow vector lanes), their sum wider.
        const Tin vr = pr[x * rs], vg = pg[x * gs], vb = pb[x * bs];
        const Tin mx = std::max(vr, std::max(vg, vb));
        const Tin mn = std::min(vr, std::min(vg, vb));
        d[x * ds] = static_cast<Tout>((static_cast<int>(mx) + static_cast<int>(mn)) >> 1);
    }
}

#if VT_HAS_WIDE_COPY
// Shuffle v of sample s: for each of 16 pixels, the byte of its sample s in the v-th 16 bytes
// of their 48, or -1 (zero) where another 16 hold it.
struct TriplePicks {
    alignas(16) int8_t at[3][3][16];
};
constexpr TriplePicks MakeTriplePicks() {
    TriplePicks t{};
    for (int s = 0; s < 3; ++s)
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 16; ++i) {
                const int at = 3 * i + s - 16 * v;
                t.at[s][v][i] = static_cast<int8_t>(at >= 0 && at < 16 ? at : -1);
            }
    return t;
}
inline constexpr TriplePicks kTriplePicks = MakeTriplePicks();

// Lightness of the first w pixels of 8-bit samples in threes (p[3x], p[3x + 1], p[3x + 2]; the
// order of the three does not change the maximum and the minimum), sixteen pixels at a time:
// the three samples of each pixel are gathered into three vectors by byte shuffles. Returns the
// first pixel not done (fewer than sixteen are left).
VT_WIDE_VECTORS inline int LightnessOfTriples(const uint8_t* p, uint16_t* d, int w) {
    __m128i shuffle[3][3];
    for (int s = 0; s < 3; ++s)
        for (int v = 0; v < 3; ++v)
            shuffle[s][v] = _mm_load_si128(reinterpret_cast<const __m128i*>(kTriplePicks.at[s][v]));
    int x = 0;
    for (; x + 16 <= w; x += 16) {
        const uint8_t* q = p + 3 * static_cast<ptrdiff_t>(x);
        const __m128i third[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 32))};
        __m128i c[3];
        for (int s = 0; s < 3; ++s)
            c[s] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(third[0], shuffle[s][0]),
                                             _mm_shuffle_epi8(third[1], shuffle[s][1])),
                                _mm_shuffle_epi8(third[2], shuffle[s][2]));
        const __m128i mx = _mm_max_epu8(c[0], _mm_max_epu8(c[1], c[2]));
        const __m128i mn = _mm_min_epu8(c[0], _mm_min_epu8(c[1], c[2]));
        const __m256i sum = _mm256_add_epi16(_mm256_cvtepu8_epi16(mx), _mm256_cvtepu8_epi16(mn));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_srli_epi16(sum, 1));
    }
    return x;
}
#endif

// Lightness of row y of three planes into d (w = dst width, sample step ds). Integer
// arithmetic: the same values whatever the vector width.
template <typename Tin, typename Tout>
inline void LightnessRow(const PlaneRef<Tin>& r, const PlaneRef<Tin>& g, const PlaneRef<Tin>& b, int y,
                         Tout* d, int w, ptrdiff_t ds, bool wide) {
    const Tin* pr = r.row(y);
    const Tin* pg = g.row(y);
    const Tin* pb = b.row(y);
#if VT_HAS_WIDE_COPY
    if constexpr (std::is_same_v<Tin, uint8_t> && std::is_same_v<Tout, uint16_t>) {
        // The three planes of one 24-bit bitmap: samples side by side in threes.
        const Tin* first = std::min({pr, pg, pb});
        if (wide && r.pixStep == 3 && g.pixStep == 3 && b.pixStep == 3 && ds == 1 &&
            std::max({pr, pg, pb}) == first + 2 && (pr - first) + (pg - first) + (pb - first) == 3) {
            const int done = LightnessOfTriples(first, d, w);
            LightnessRowSteps<3, 1>(pr + 3 * done, pg + 3 * done, pb + 3 * done, d + done, w - done, 3, 3, 3,
                                    1);
            return;
        }
    }
#endif
    if (r.pixStep == 3 && g.pixStep == 3 && b.pixStep == 3 && ds == 1)
        RunVectorised(
            wide, [&]() __attribute__((always_inline)) {
                LightnessRowSteps<3, 1>(pr, pg, pb, d, w, 3, 3, 3, 1);
            });
    else
        LightnessRowSteps<0, 0>(pr, pg, pb, d, w, r.pixStep, g.pixStep, b.pixStep, ds);
}

// (max + min) >> 1 of three planes of one image.
template <typename Tin, typename Tout>
void LightnessPlane(const PlaneRef<Tin>& r, const PlaneRef<Tin>& g, const PlaneRef<Tin>& b,
                    const PlaneRef<Tout>& dst) {
    const int w = dst.width, h = dst.height;
    const bool wide = HasWideVectors();
#pragma omp parallel for schedule(dynamic, 4)
    for (int y = 0; y < h; ++y)
        LightnessRow(r, g, b, y, dst.row(y), w, dst.pixStep, wide);
}

// The edge measure keeps to 16-bit lanes for samples up to this: a + 2c + b stays below
// 16384 and |Gx| + |Gy| below 32768, so every sum is that of the int arithmetic.
constexpr int kNarrowEdgeMax = 4095;

#if VT_HAS_WIDE_COPY
__attribute__((target("avx2"), always_inline)) inline __m256i SixteenAt(const uint16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// l + 2 m + r of three samples in a line, sixteen lines at once.
__attribute__((target("avx2"), always_inline)) inline __m256i EdgeTaps(__m256i l, __m256i m, __m256i r) {
    return _mm256_add_epi16(_mm256_add_epi16(l, _mm256_add_epi16(m, m)), r);
}

// Columns j0 .. of the edge row of 16-bit samples up to kNarrowEdgeMax (and maxValue not above
// it), sixteen at a time in 16-bit lanes; returns the first column not done (before w - 1).
VT_WIDE_VECTORS inline int EdgeRowNarrow(const uint16_t* a, const uint16_t* c, const uint16_t* b, uint16_t* d,
                                         int j0, int w, int maxValue) {
    const __m256i cap = _mm256_set1_epi16(static_cast<int16_t>(maxValue - 1));
    int j = j0;
    for (; j + 16 <= w - 1; j += 16) {
        const __m256i al = SixteenAt(a + j - 1), ac = SixteenAt(a + j), ar = SixteenAt(a + j + 1);
        const __m256i bl = SixteenAt(b + j - 1), bc = SixteenAt(b + j), br = SixteenAt(b + j + 1);
        const __m256i gx =
            _mm256_sub_epi16(EdgeTaps(ar, SixteenAt(c + j + 1), br), EdgeTaps(al, SixteenAt(c + j - 1), bl));
        const __m256i gy = _mm256_sub_epi16(EdgeTaps(bl, bc, br), EdgeTaps(al, ac, ar));
        const __m256i v = _mm256_add_epi16(_mm256_abs_epi16(gx), _mm256_abs_epi16(gy));
        // v < maxValue ? v : maxValue - 1 is the smaller of v and maxValue - 1.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + j), _mm256_min_epi16(v, cap));
    }
    return j;
}
#endif

// One output row of the 3 x 3 edge measure from the rows above (a), at (c) and below (b) (no
// sample above maxValue): columns 1 .. w-3 computed, column 0 takes column 1, columns w-2 and
// w-1 take column w-3.
template <typename Tin, typename Tout>
inline void EdgeRow(const Tin* a, const Tin* c, const Tin* b, Tout* d, int w, ptrdiff_t ps, ptrdiff_t pd,
                    int maxValue, bool wide) {
    if (ps == 1 && pd == 1) {
        int j0 = 1;
#if VT_HAS_WIDE_COPY
        if constexpr (std::is_same_v<Tin, uint16_t> && std::is_same_v<Tout, uint16_t>)
            if (wide && maxValue <= kNarrowEdgeMax)
                j0 = EdgeRowNarrow(a, c, b, d, j0, w, maxValue);
#endif
        // Plain buffers: the same arithmetic in a loop the compiler can vectorise.
        RunVectorised(
            wide, [&]() __attribute__((always_inline)) {
#pragma omp simd
                for (int j = j0; j < w - 1; ++j) {
                    const int gx =
                        (a[j + 1] + 2 * c[j + 1] + b[j + 1]) - (a[j - 1] + 2 * c[j - 1] + b[j - 1]);
                    const int gy = (b[j - 1] + 2 * b[j] + b[j + 1]) - (a[j - 1] + 2 * a[j] + a[j + 1]);
                    const int v = std::abs(gx) + std::abs(gy);
                    d[j] = static_cast<Tout>(v < maxValue ? v : maxValue - 1);
                }
            });
    } else {
        for (int j = 1; j < w - 1; ++j) {
            const int jl = (j - 1) * ps, jc = j * ps, jr = (j + 1) * ps;
            const int gx = (a[jr] + 2 * c[jr] + b[jr]) - (a[jl] + 2 * c[jl] + b[jl]);
            const int gy = (b[jl] + 2 * b[jc] + b[jr]) - (a[jl] + 2 * a[jc] + a[jr]);
            const int v = std::abs(gx) + std::abs(gy);
            d[j * pd] = static_cast<Tout>(v < maxValue ? v : maxValue - 1);
        }
    }
    d[0] = d[pd];
    d[(w - 2) * pd] = d[(w - 3) * pd];
    d[(w - 1) * pd] = d[(w - 3) * pd];
}

// 3 x 3 edge measure |Gx| + |Gy|, capped at maxValue - 1 when it reaches maxValue. Inner rows
// 1 .. h-2 and columns 1 .. w-3 are computed; column 0 takes column 1, columns w-2 and w-1 take
// column w-3, row 0 takes row 1 and row h-1 takes row h-2. Images narrower or shorter than 3
// samples are copied through. Source and target must not overlap.
template <typename Tin, typename Tout>
void EdgePlane(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, int maxValue) {
    const int w = src.width, h = src.height;
    if (w < 3 || h < 3) {
        CopyPlane(src, dst);
        return;
    }
    const ptrdiff_t ps = src.pixStep, pd = dst.pixStep;
    const bool wide = HasWideVectors();
#pragma omp parallel for schedule(dynamic, 4)
    for (int i = 1; i < h - 1; ++i)
        EdgeRow(src.row(i - 1), src.row(i), src.row(i + 1), dst.row(i), w, ps, pd, maxValue, wide);
    Tout* r0 = dst.row(0);
    const Tout* r1 = dst.row(1);
    Tout* rl = dst.row(h - 1);
    const Tout* rm = dst.row(h - 2);
    for (int x = 0; x < w; ++x) {
        r0[x * pd] = r1[x * pd];
        rl[x * pd] = rm[x * pd];
    }
}

// Accumulator of the moving maximum: 8- and 16-bit samples are kept in the sample type (a
// maximum never leaves the range of its operands, and narrow lanes put twice or four times as
// many in a vector).
template <typename Tin>
using MaxAcc = std::conditional_t<std::is_unsigned_v<Tin> && sizeof(Tin) <= 2, Tin, int>;

// The larger of two values, by value (std::max returns a reference, which keeps loops from
// vectorising).
template <typename T> __attribute__((always_inline)) inline T MaxOf(T a, T b) {
    return a < b ? b : a;
}

// Row y of the moving maximum over winW x winH samples of a plane of w x h samples, whose rows
// srcRow(r) gives (sample step SS, or sps when SS is 0); cmx and acc hold w values each. Rows
// within winH / 2 of the top or bottom and columns within winW / 2 of either side keep the
// source values.
template <ptrdiff_t SS, ptrdiff_t DS, typename Tin, typename Tout, typename RowOf>
__attribute__((always_inline)) inline void MaxRowSteps(const RowOf& srcRow, int y, Tout* d, int w, int h,
                                                       int winW, int winH, ptrdiff_t sps, ptrdiff_t dps,
                                                       MaxAcc<Tin>* cmx, MaxAcc<Tin>* acc, bool wide) {
    using Acc = MaxAcc<Tin>;
    // Constants when the steps are known at compile time, also inside the vector copy.
    const ptrdiff_t ss = SS ? SS : sps, ds = DS ? DS : dps;
    const int hw = winW / 2, hh = winH / 2;
    const int up = hh, down = winH - 1 - hh; // rows above and below the centre
    const int y0 = hh, y1 = h - hh;          // inner rows [y0, y1)
    const int x0 = hw, x1 = w - hw;          // inner columns [x0, x1)
    const Tin* s = srcRow(y);
    if (y < y0 || y >= y1 || x0 >= x1) {
        for (int x = 0; x < w; ++x)
            d[x * ds] = static_cast<Tout>(s[x * ss]);
        return;
    }
    RunVectorised(
        wide, [&]() __attribute__((always_inline)) {
            // Column maxima of the window's rows; the common 5 x 5 window in one pass each way.
            if (winH == 5) {
                const Tin *r0 = srcRow(y - 2), *r1 = srcRow(y - 1), *r2 = srcRow(y), *r3 = srcRow(y + 1),
                          *r4 = srcRow(y + 2);
#pragma omp simd
                for (int x = 0; x < w; ++x) {
                    const Acc a = MaxOf<Acc>(r0[x * ss], r1[x * ss]), b = MaxOf<Acc>(r2[x * ss], r3[x * ss]);
                    cmx[x] = MaxOf<Acc>(MaxOf<Acc>(a, b), r4[x * ss]);
                }
            } else {
                const Tin* first = srcRow(y - up);
#pragma omp simd
                for (int x = 0; x < w; ++x)
                    cmx[x] = static_cast<Acc>(first[x * ss]);
                for (int r = y - up + 1; r <= y + down; ++r) {
                    const Tin* rr = srcRow(r);
#pragma omp simd
                    for (int x = 0; x < w; ++x) {
                        const Acc v = static_cast<Acc>(rr[x * ss]);
                        cmx[x] = cmx[x] < v ? v : cmx[x];
                    }
                }
            }
            for (int x = 0; x < x0; ++x)
                d[x * ds] = static_cast<Tout>(s[x * ss]);
            // Maximum over the window of column maxima.
            const int inner = x1 - x0;
            Tout* dd = d + x0 * ds;
            if (winW == 5) {
#pragma omp simd
                for (int i = 0; i < inner; ++i) {
                    const Acc a = MaxOf<Acc>(cmx[i], cmx[i + 1]), b = MaxOf<Acc>(cmx[i + 2], cmx[i + 3]);
                    dd[i * ds] = static_cast<Tout>(MaxOf<Acc>(MaxOf<Acc>(a, b), cmx[i + 4]));
                }
                return;
            }
#pragma omp simd
            for (int i = 0; i < inner; ++i)
                acc[i] = cmx[i];
            for (int c = 1; c < winW; ++c) {
                const Acc* cm = cmx + c;
#pragma omp simd
                for (int i = 0; i < inner; ++i)
                    acc[i] = acc[i] < cm[i] ? cm[i] : acc[i];
            }
#pragma omp simd
            for (int i = 0; i < inner; ++i)
                dd[i * ds] = static_cast<Tout>(acc[i]);
        });
    for (int x = std::max(x1, x0); x < w; ++x)
        d[x * ds] = static_cast<Tout>(s[x * ss]);
}

template <typename Tin, typename Tout, typename RowOf>
inline void MaxRow(const RowOf& srcRow, int y, Tout* d, int w, int h, int winW, int winH, ptrdiff_t sps,
                   ptrdiff_t dps, MaxAcc<Tin>* cmx, MaxAcc<Tin>* acc, bool wide) {
    if (sps == 1 && dps == 1)
        MaxRowSteps<1, 1, Tin>(srcRow, y, d, w, h, winW, winH, 1, 1, cmx, acc, wide);
    else
        MaxRowSteps<0, 0, Tin>(srcRow, y, d, w, h, winW, winH, sps, dps, cmx, acc, wide);
}

// Moving maximum over a window of winW x winH samples. For odd sizes the window is centred;
// an even size reaches one sample further up (left) than down (right). Output rows within
// winH / 2 of the top or bottom and columns within winW / 2 of either side keep the source
// values. Source and target must not overlap.
template <typename Tin, typename Tout>
void MaxPlane(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, int winW, int winH) {
    const int w = src.width, h = src.height;
    const bool wide = HasWideVectors();
    auto rowOf = [&](int r) { return static_cast<const Tin*>(src.row(r)); };
#pragma omp parallel
    {
        std::vector<MaxAcc<Tin>> colMax(static_cast<size_t>(std::max(w, 1)));
        std::vector<MaxAcc<Tin>> rowMax(static_cast<size_t>(std::max(w, 1)));
#pragma omp for schedule(dynamic, 4)
        for (int y = 0; y < h; ++y)
            MaxRow<Tin>(rowOf, y, dst.row(y), w, h, winW, winH, src.pixStep, dst.pixStep, colMax.data(),
                        rowMax.data(), wide);
    }
}

// The cells of a box average from a sw x sh plane to dw x dh: destination (k, i) is the integer
// mean of the source samples of rows trunc(i * ry) + j (whole j < ry) and columns
// trunc(k * rx) + l (whole l < rx), with ry and rx the real size ratios; the mean divides by
// the number of samples actually summed.
class ShrinkGrid {
public:
    ShrinkGrid() = default;
    ShrinkGrid(int sw, int sh, int dw, int dh) { Build(sw, sh, dw, dh); }

    void Build(int sw, int sh, int dw, int dh) {
        sw_ = sw;
        sh_ = sh;
        dw_ = dw;
        dh_ = dh;
        colStart_.clear();
        colCount_.clear();
        if (dw < 1 || dh < 1 || sw < 1 || sh < 1)
            return;
        ry_ = static_cast<double>(sh) / dh;
        const double rx = static_cast<double>(sw) / dw;
        nj_ = 0;
        while (nj_ < ry_)
            ++nj_;
        int nl = 0;
        while (nl < rx)
            ++nl;
        colStart_.resize(static_cast<size_t>(dw));
        colCount_.resize(static_cast<size_t>(dw));
        for (int k = 0; k < dw; ++k) {
            const int c0 = static_cast<int>(k * rx);
            colStart_[k] = c0;
            colCount_[k] = std::max(0, std::min(nl, sw - c0));
        }
    }

    bool empty() const { return colStart_.empty(); }
    // The source rows of destination row i: [FirstRow(i), FirstRow(i) + RowCount(i)).
    int FirstRow(int i) const { return static_cast<int>(i * ry_); }
    int RowCount(int i) const { return std::max(0, std::min(nj_, sh_ - FirstRow(i))); }

    // Destination row i into d (sample step ds) from the source rows srcRow(r) (sample step ss).
    template <typename Tin, typename Tout, typename RowOf>
    void Row(const RowOf& srcRow, ptrdiff_t ss, int i, Tout* d, ptrdiff_t ds, int maxValue) const {
        const int r0 = FirstRow(i), rows = RowCount(i);
        for (int k = 0; k < dw_; ++k) {
            int64_t sum = 0;
            for (int j = 0; j < rows; ++j) {
                const Tin* s = srcRow(r0 + j);
                for (int l = 0; l < colCount_[k]; ++l)
                    sum += s[(colStart_[k] + l) * ss];
            }
            const int64_t count = static_cast<int64_t>(rows) * colCount_[k];
            int64_t v = count > 0 ? sum / count : 0;
            v = std::clamp<int64_t>(v, 0, maxValue);
            d[k * ds] = static_cast<Tout>(v);
        }
    }

private:
    int sw_ = 0, sh_ = 0, dw_ = 0, dh_ = 0, nj_ = 0;
    double ry_ = 1.0;
    std::vector<int> colStart_, colCount_;
};

// Box average to another size (the cells of ShrinkGrid).
template <typename Tin, typename Tout>
void ShrinkPlane(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, int maxValue) {
    const ShrinkGrid grid(src.width, src.height, dst.width, dst.height);
    if (grid.empty())
        return;
    auto rowOf = [&](int r) { return static_cast<const Tin*>(src.row(r)); };
#pragma omp parallel for schedule(dynamic, 4)
    for (int i = 0; i < dst.height; ++i)
        grid.Row<Tin>(rowOf, src.pixStep, i, dst.row(i), dst.pixStep, maxValue);
}

} // namespace planes
