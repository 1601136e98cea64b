// The penalised least-squares smoother of the focus measure and the filters: the banded
// solver, its output conversion, and the kernels that run it along rows and along columns of a
// plane, in blocks whose runs share the solver's steps. Every sample goes through the same
// operations whatever the block, the vector width or the thread, so the results are the same
// to the bit.
#pragma once

#include "imaging/compose/PlaneKernels.h"

#include <cmath>
#include <numbers>

namespace planes {

// Penalised least-squares smoother along one dimension: solves (I + lambda D'D) z = scale * y
// for a run of n samples, D the (n - 2) x n second-difference operator, by banded forward
// elimination without pivoting and back substitution in double precision. The elimination
// does not depend on the samples, so it is done once per run length and lambda; each run
// then costs O(n). Runs of 1 or 2 samples have no second difference: z = scale * y.
class BandSmoother {
public:
    BandSmoother() = default;
    BandSmoother(int n, double lambda) { Build(n, lambda); }

    // lambda = (1 / (2 sin(pi / period)))^4: the gain is one half at that period.
    static double LambdaForPeriod(int period) {
        const double s = 2.0 * std::sin(std::numbers::pi / period);
        const double q = 1.0 / s;
        return q * q * q * q;
    }

    void Build(int n, double lambda) {
        n_ = n;
        const size_t sz = static_cast<size_t>(std::max(n, 0));
        diag_.assign(sz, 0.0);
        up1_.assign(sz, 0.0);
        up2_.assign(sz, 0.0);
        m1_.assign(sz, 0.0);
        m2_.assign(sz, 0.0);
        if (n < 3)
            return;
        // Integer pattern of D'D: every row of D adds the outer product of (1, -2, 1).
        std::vector<int> cd(sz, 0), c1(sz, 0), c2(sz, 0);
        for (int r = 0; r + 2 < n; ++r) {
            cd[r] += 1;
            cd[r + 1] += 4;
            cd[r + 2] += 1;
            c1[r] -= 2;
            c1[r + 1] -= 2;
            c2[r] += 1;
        }
        std::vector<double> low1(sz, 0.0), low2(sz, 0.0); // A[i][i-1], A[i][i-2]
        for (int k = 0; k < n; ++k) {
            diag_[k] = 1.0 + lambda * cd[k];
            up1_[k] = lambda * c1[k];
            up2_[k] = lambda * c2[k];
        }
        for (int k = 1; k < n; ++k)
            low1[k] = up1_[k - 1];
        for (int k = 2; k < n; ++k)
            low2[k] = up2_[k - 2];
        for (int k = 0; k < n; ++k) {
            const double piv = diag_[k];
            if (k + 1 < n) {
                const double m = low1[k + 1] / piv;
                m1_[k] = m;
                diag_[k + 1] -= m * up1_[k];
                if (k + 2 < n)
                    up1_[k + 1] -= m * up2_[k];
            }
            if (k + 2 < n) {
                const double m = low2[k + 2] / piv;
                m2_[k] = m;
                low1[k + 2] -= m * up1_[k];
                diag_[k + 2] -= m * up2_[k];
            }
        }
    }

    int size() const { return n_; }

    // The factors of the elimination, for kernels that carry out Solve's operations in an
    // order of their own (each value still sees exactly Solve's operations).
    struct Factors {
        const double *m1, *m2, *diag, *up1, *up2;
    };
    Factors factors() const { return {m1_.data(), m2_.data(), diag_.data(), up1_.data(), up2_.data()}; }

    // Solves in place for one run of n values (the right-hand side on entry).
    void Solve(double* b) const {
        const int n = n_;
        if (n < 3)
            return;
        for (int k = 0; k < n; ++k) {
            if (k + 1 < n)
                b[k + 1] -= m1_[k] * b[k];
            if (k + 2 < n)
                b[k + 2] -= m2_[k] * b[k];
        }
        b[n - 1] = b[n - 1] / diag_[n - 1];
        b[n - 2] = (b[n - 2] - up1_[n - 2] * b[n - 1]) / diag_[n - 2];
        for (int k = n - 3; k >= 0; --k)
            b[k] = (b[k] - up1_[k] * b[k + 1] - up2_[k] * b[k + 2]) / diag_[k];
    }

    // Solves in place for `count` interleaved runs: value k of run c is at b[k * count + c].
    // Each run goes through exactly the operations of Solve. Processors with 256-bit vectors
    // run the same loops four runs at a time; without fused multiply-add every operation is
    // rounded as in the scalar code, so the results are the same to the bit.
    void SolveMany(double* b, int count) const {
#if defined(__x86_64__) && defined(__GNUC__)
        static const bool wide = __builtin_cpu_supports("avx2");
        if (wide) {
            SolveManyWide(b, count);
            return;
        }
#endif
        SolveManyBody(b, count);
    }

private:
#if defined(__x86_64__) && defined(__GNUC__)
    __attribute__((target("avx2"), noinline)) void SolveManyWide(double* b, int count) const {
        SolveManyBody(b, count);
    }
#endif

    __attribute__((always_inline)) inline void SolveManyBody(double* b, int count) const {
        const int n = n_;
        if (n < 3)
            return;
        const ptrdiff_t cs = count;
        // Step k subtracts from values k + 1 and k + 2, two different values, so one pass over
        // the runs does both with the same operations.
        for (int k = 0; k + 2 < n; ++k) {
            const double* bk = b + k * cs;
            double* bn = b + (k + 1) * cs;
            double* bn2 = b + (k + 2) * cs;
            const double m1 = m1_[k], m2 = m2_[k];
#pragma omp simd
            for (int c = 0; c < count; ++c) {
                const double v = bk[c];
                bn[c] -= m1 * v;
                bn2[c] -= m2 * v;
            }
        }
        {
            const double* bk = b + (n - 2) * cs;
            double* bn = b + (n - 1) * cs;
            const double m1 = m1_[n - 2];
#pragma omp simd
            for (int c = 0; c < count; ++c)
                bn[c] -= m1 * bk[c];
        }
        {
            double* bl = b + (n - 1) * cs;
            const double dl = diag_[n - 1];
#pragma omp simd
            for (int c = 0; c < count; ++c)
                bl[c] = bl[c] / dl;
            double* bm = b + (n - 2) * cs;
            const double u = up1_[n - 2], dm = diag_[n - 2];
#pragma omp simd
            for (int c = 0; c < count; ++c)
                bm[c] = (bm[c] - u * bl[c]) / dm;
        }
        for (int k = n - 3; k >= 0; --k) {
            double* bk = b + k * cs;
            const double* b1 = bk + cs;
            const double* b2 = bk + 2 * cs;
            const double u1 = up1_[k], u2 = up2_[k], d = diag_[k];
#pragma omp simd
            for (int c = 0; c < count; ++c)
                bk[c] = (bk[c] - u1 * b1[c] - u2 * b2[c]) / d;
        }
    }

private:
    int n_ = 0;
    std::vector<double> diag_, up1_, up2_, m1_, m2_;
};

// Output sample of the smoother: trunc((scale / 100 + z) / scale), 0 when negative, maxValue - 1
// when it reaches maxValue.
inline int SmoothOutput(double z, double scale, int maxValue) {
    const double v = scale == 1.0 ? 0.01 + z : (scale / 100.0 + z) / scale; // x / 1.0 is x
    if (!(v > -1.0))
        return 0; // negative (and NaN) values
    if (v >= static_cast<double>(maxValue))
        return maxValue - 1;
    const int t = static_cast<int>(v);
    return t < 0 ? 0 : (t >= maxValue ? maxValue - 1 : t);
}

// SmoothOutput of one value already offset and scaled (v), written without branches so that
// loops over it vectorise: v <= -1 and NaN give 0, v >= maxValue gives maxValue - 1, any other
// v truncates into 0 .. maxValue - 1 (a v in (-1, 0) truncates to 0). Both choices of each
// select are plain values, so the compiler turns them into vector selects.
inline int SmoothOutputOf(double v, double maxValue, double maxLess1) {
    const double lo = v > -1.0 ? v : 0.0;
    const double c = lo < maxValue ? lo : maxLess1;
    return static_cast<int>(c);
}

// SmoothOutput of n values z[0 .. n-1] into d[0], d[dstep], ...
template <ptrdiff_t DS, typename Tout>
__attribute__((always_inline)) inline void SmoothOutputRun(const double* z, Tout* d, ptrdiff_t dstep, int n,
                                                           double scale, int maxValue) {
    const ptrdiff_t ds = DS ? DS : dstep;
    const double top = static_cast<double>(maxValue), top1 = top - 1.0;
    if (scale == 1.0) {
#pragma omp simd
        for (int i = 0; i < n; ++i)
            d[i * ds] = static_cast<Tout>(SmoothOutputOf(0.01 + z[i], top, top1));
    } else {
        const double add = scale / 100.0;
#pragma omp simd
        for (int i = 0; i < n; ++i)
            d[i * ds] = static_cast<Tout>(SmoothOutputOf((add + z[i]) / scale, top, top1));
    }
}

#if VT_HAS_WIDE_COPY
// 4 x 4 transpose of doubles: a, b, c, d become the columns of the rows they were.
__attribute__((target("avx2"), always_inline)) inline void Transpose4(__m256d& a, __m256d& b, __m256d& c,
                                                                      __m256d& d) {
    const __m256d t0 = _mm256_unpacklo_pd(a, b), t1 = _mm256_unpackhi_pd(a, b);
    const __m256d t2 = _mm256_unpacklo_pd(c, d), t3 = _mm256_unpackhi_pd(c, d);
    a = _mm256_permute2f128_pd(t0, t2, 0x20);
    b = _mm256_permute2f128_pd(t1, t3, 0x20);
    c = _mm256_permute2f128_pd(t0, t2, 0x31);
    d = _mm256_permute2f128_pd(t1, t3, 0x31);
}

// b[x * cnt + r] = scale * srow[r][x] for x < w, r < cnt: the row smoother's interleaving of
// 16-bit rows, four rows by four samples at a time (each value is converted and multiplied
// exactly as one at a time; the transpose only moves values).
template <typename Tin>
VT_WIDE_VECTORS void InterleaveRowsWide(const Tin* const* srow, int cnt, int w, double scale, double* b) {
    static_assert(std::is_same_v<Tin, uint16_t>);
    const __m256d s = _mm256_set1_pd(scale);
    const int w4 = w & ~3, c4 = cnt & ~3;
    for (int r0 = 0; r0 < c4; r0 += 4) {
        for (int x = 0; x < w4; x += 4) {
            __m256d v[4];
            for (int i = 0; i < 4; ++i) {
                const __m128i u = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(srow[r0 + i] + x));
                v[i] = _mm256_mul_pd(s, _mm256_cvtepi32_pd(_mm_cvtepu16_epi32(u)));
            }
            Transpose4(v[0], v[1], v[2], v[3]);
            for (int j = 0; j < 4; ++j)
                _mm256_storeu_pd(b + static_cast<size_t>(x + j) * cnt + r0, v[j]);
        }
    }
    for (int x = 0; x < w; ++x) {
        double* bx = b + static_cast<size_t>(x) * cnt;
        for (int r = x < w4 ? c4 : 0; r < cnt; ++r)
            bx[r] = scale * srow[r][x];
    }
}

// out[r * tile + i] = b[i * cnt + r] for i < nx, r < cnt, four by four where it can.
template <typename T = double>
VT_WIDE_VECTORS void DeinterleaveTileWide(const T* b, int cnt, int nx, T* out, int tile) {
    const int n4 = nx & ~3, c4 = cnt & ~3;
    for (int r0 = 0; r0 < c4; r0 += 4) {
        for (int i = 0; i < n4; i += 4) {
            __m256d v[4];
            for (int j = 0; j < 4; ++j)
                v[j] = _mm256_loadu_pd(b + static_cast<size_t>(i + j) * cnt + r0);
            Transpose4(v[0], v[1], v[2], v[3]);
            for (int k = 0; k < 4; ++k)
                _mm256_storeu_pd(out + (r0 + k) * tile + i, v[k]);
        }
    }
    for (int i = 0; i < nx; ++i)
        for (int r = i < n4 ? c4 : 0; r < cnt; ++r)
            out[r * tile + i] = b[static_cast<size_t>(i) * cnt + r];
}

// Columns x0 .. x0 + 3 of the four rows r, each a vector of the four rows' samples times s
// (each rounded as one at a time).
__attribute__((target("avx2"), always_inline)) inline void RowGroupColumns(const uint16_t* const* r, int x0,
                                                                           const __m256d& s, __m256d* c) {
    for (int i = 0; i < 4; ++i) {
        const __m128i u = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(r[i] + x0));
        c[i] = _mm256_mul_pd(s, _mm256_cvtepi32_pd(_mm_cvtepu16_epi32(u)));
    }
    Transpose4(c[0], c[1], c[2], c[3]);
}

// Column x of the four rows r times s.
__attribute__((target("avx2"), always_inline)) inline __m256d RowGroupColumn(const uint16_t* const* r, int x,
                                                                             const __m256d& s) {
    return _mm256_mul_pd(s, _mm256_set_pd(r[3][x], r[2][x], r[1][x], r[0][x]));
}

// Step k of the forward elimination of BandSmoother::Solve on four runs at once: p0 holds
// b[k], p1 b[k + 1] and x b[k + 2] as they stand; b[k] is final and goes to `out`, and p0, p1
// move on to b[k + 1], b[k + 2].
__attribute__((target("avx2"), always_inline)) inline void
ForwardStep(const BandSmoother::Factors& f, int k, const __m256d& x, __m256d& p0, __m256d& p1, double* out) {
    const __m256d next = _mm256_sub_pd(p1, _mm256_mul_pd(_mm256_set1_pd(f.m1[k]), p0));
    const __m256d later = _mm256_sub_pd(x, _mm256_mul_pd(_mm256_set1_pd(f.m2[k]), p0));
    _mm256_storeu_pd(out, p0);
    p0 = next;
    p1 = later;
}

// Step k of the back substitution below the last two values: z[k] from the eliminated v and
// q1 = z[k + 1], q2 = z[k + 2], which then move on to z[k], z[k + 1].
__attribute__((target("avx2"), always_inline)) inline __m256d
BackStep(const BandSmoother::Factors& f, int k, const __m256d& v, __m256d& q1, __m256d& q2) {
    const __m256d t = _mm256_sub_pd(v, _mm256_mul_pd(_mm256_set1_pd(f.up1[k]), q1));
    const __m256d z = _mm256_div_pd(_mm256_sub_pd(t, _mm256_mul_pd(_mm256_set1_pd(f.up2[k]), q2)),
                                    _mm256_set1_pd(f.diag[k]));
    q2 = q1;
    q1 = z;
    return z;
}

// SmoothOutputOf of four solved values, before the truncation: (add + z) / scale (add + z at
// scale 1), then the clamps as selects.
struct SmoothOutputConstants {
    __m256d add, scale, top, top1, low;
    bool unit;
};
__attribute__((target("avx2"), always_inline)) inline SmoothOutputConstants
SmoothOutputConstantsOf(double scale, int maxValue) {
    return {_mm256_set1_pd(scale == 1.0 ? 0.01 : scale / 100.0),
            _mm256_set1_pd(scale),
            _mm256_set1_pd(maxValue),
            _mm256_set1_pd(maxValue - 1.0),
            _mm256_set1_pd(-1.0),
            scale == 1.0};
}
// Unit says at compile time what o.unit says, for loops that are compiled for each.
template <bool Unit>
__attribute__((target("avx2"), always_inline)) inline __m256d
SmoothOutputValuesAt(const SmoothOutputConstants& o, __m256d z) {
    __m256d v = _mm256_add_pd(o.add, z);
    if constexpr (!Unit)
        v = _mm256_div_pd(v, o.scale);
    const __m256d lo = _mm256_and_pd(_mm256_cmp_pd(v, o.low, _CMP_GT_OQ), v);
    return _mm256_blendv_pd(o.top1, lo, _mm256_cmp_pd(lo, o.top, _CMP_LT_OQ));
}
__attribute__((target("avx2"), always_inline)) inline __m256d
SmoothOutputValues(const SmoothOutputConstants& o, __m256d z) {
    return o.unit ? SmoothOutputValuesAt<true>(o, z) : SmoothOutputValuesAt<false>(o, z);
}

// The last step of the forward elimination on G vectors of runs (p0 holds b[n - 2], p1 b[n - 1])
// and at once the back substitution's first two values: z[n - 1] into q2, z[n - 2] into q1.
template <int G>
__attribute__((target("avx2"), always_inline)) inline void TurnAround(const BandSmoother::Factors& f, int n,
                                                                      const __m256d* p0, const __m256d* p1,
                                                                      __m256d* q1, __m256d* q2) {
    const __m256d m1 = _mm256_set1_pd(f.m1[n - 2]);
    for (int g = 0; g < G; ++g) {
        const __m256d last = _mm256_sub_pd(p1[g], _mm256_mul_pd(m1, p0[g]));
        q2[g] = _mm256_div_pd(last, _mm256_set1_pd(f.diag[n - 1]));
        q1[g] = _mm256_div_pd(_mm256_sub_pd(p0[g], _mm256_mul_pd(_mm256_set1_pd(f.up1[n - 2]), q2[g])),
                              _mm256_set1_pd(f.diag[n - 2]));
    }
}

// Sixteen rows of 16-bit samples (srow[0 .. 15] into drow[0 .. 15]) through the row smoother,
// four groups of four rows, each group's rows side by side in the lanes of a vector. The
// forward elimination takes each column of a group as it is converted from the source, with
// the two values it still changes held in registers; the back substitution hands each four
// solved columns to the output conversion. The back substitution takes the four groups step
// by step together, so that each step has four independent chains; the forward elimination,
// whose steps wait less, two groups at a time. b keeps the eliminated values between the two
// passes (16 per column). Each value goes through exactly the operations of BandSmoother::Solve and
// SmoothOutput, so the results are those of SolveMany to the bit, without its passes of
// interleaving and deinterleaving over the whole block. Runs of at least 8 samples.
VT_WIDE_VECTORS inline void SmoothSixteenRowsWide(const uint16_t* const* srow, uint16_t* const* drow,
                                                  const BandSmoother& sm, double scale, int maxValue,
                                                  double* b) {
    // Four groups at once would hold more values in the forward elimination than there are
    // vector registers; the back substitution's chain of divisions needs all four to keep busy.
    constexpr int G = 4, GF = 2;
    const BandSmoother::Factors f = sm.factors();
    const int n = sm.size();
    const __m256d s = _mm256_set1_pd(scale);
    auto at = [b](int k, int g) { return b + (static_cast<size_t>(k) * G + g) * 4; };
    __m256d q1[G], q2[G];

    for (int ga = 0; ga < G; ga += GF) {
        // Forward: the first four columns start p0 and p1 and take two steps.
        const uint16_t* const* sr = srow + 4 * ga;
        __m256d p0[GF], p1[GF];
#pragma GCC unroll 4
        for (int g = 0; g < GF; ++g) {
            __m256d c[4];
            RowGroupColumns(sr + 4 * g, 0, s, c);
            p0[g] = c[0];
            p1[g] = c[1];
            ForwardStep(f, 0, c[2], p0[g], p1[g], at(0, ga + g));
            ForwardStep(f, 1, c[3], p0[g], p1[g], at(1, ga + g));
        }
        int x0 = 4;
        for (; x0 + 4 <= n; x0 += 4) {
            __m256d c[GF][4];
#pragma GCC unroll 4
            for (int g = 0; g < GF; ++g)
                RowGroupColumns(sr + 4 * g, x0, s, c[g]);
#pragma GCC unroll 4
            for (int j = 0; j < 4; ++j)
#pragma GCC unroll 4
                for (int g = 0; g < GF; ++g)
                    ForwardStep(f, x0 + j - 2, c[g][j], p0[g], p1[g], at(x0 + j - 2, ga + g));
        }
        for (int x = x0; x < n; ++x)
#pragma GCC unroll 4
            for (int g = 0; g < GF; ++g)
                ForwardStep(f, x - 2, RowGroupColumn(sr + 4 * g, x, s), p0[g], p1[g], at(x - 2, ga + g));
        TurnAround<GF>(f, n, p0, p1, q1 + ga, q2 + ga);
    }

    // Back substitution. The columns from t0 on (two to five, the last two among them) one at a
    // time, each sample of them converted on its own; below them four columns at a time.
    const SmoothOutputConstants o = SmoothOutputConstantsOf(scale, maxValue);
    const int t0 = (n - 2) & ~3;
    auto out = [&](int x, int g, const __m256d& z) __attribute__((target("avx2"), always_inline)) {
        alignas(32) double lanes[4];
        _mm256_store_pd(lanes, SmoothOutputValues(o, z));
        for (int i = 0; i < 4; ++i)
            drow[4 * g + i][x] = static_cast<uint16_t>(static_cast<int>(lanes[i]));
    };
#pragma GCC unroll 4
    for (int g = 0; g < G; ++g) {
        out(n - 1, g, q2[g]);
        out(n - 2, g, q1[g]);
    }
    for (int x = n - 3; x >= t0; --x)
#pragma GCC unroll 4
        for (int g = 0; g < G; ++g)
            out(x, g, BackStep(f, x, _mm256_loadu_pd(at(x, g)), q1[g], q2[g]));
    // The columns below, four at a time, compiled apart for the unit scale and the others.
    auto fours = [&]<bool Unit>() __attribute__((target("avx2"), always_inline)) {
        for (int x0 = t0 - 4; x0 >= 0; x0 -= 4) {
            __m256d z[G][4];
#pragma GCC unroll 4
            for (int j = 3; j >= 0; --j)
#pragma GCC unroll 4
                for (int g = 0; g < G; ++g)
                    z[g][j] = BackStep(f, x0 + j, _mm256_loadu_pd(at(x0 + j, g)), q1[g], q2[g]);
#pragma GCC unroll 4
            for (int g = 0; g < G; ++g) {
                __m256d* zg = z[g];
#pragma GCC unroll 4
                for (int j = 0; j < 4; ++j)
                    zg[j] = SmoothOutputValuesAt<Unit>(o, zg[j]);
                Transpose4(zg[0], zg[1], zg[2], zg[3]);
#pragma GCC unroll 4
                for (int i = 0; i < 4; ++i) {
                    const __m128i t = _mm256_cvttpd_epi32(zg[i]);
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(drow[4 * g + i] + x0),
                                     _mm_packus_epi32(t, t));
                }
            }
        }
    };
    if (o.unit)
        fours.template operator()<true>();
    else
        fours.template operator()<false>();
}
#endif

// One block of `cnt` rows from y0 through the row smoother, b the interleaved buffer. Wide is
// set in the copy compiled for 256-bit vectors.
template <ptrdiff_t SS, ptrdiff_t DS, bool Wide = false, typename Tin, typename Tout>
__attribute__((always_inline)) inline void SmoothRowBlock(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst,
                                                          const BandSmoother& sm, double scale, int maxValue,
                                                          int y0, int cnt, double* b) {
    constexpr int kBlock = 16;
    const ptrdiff_t sps = SS ? SS : src.pixStep, dps = DS ? DS : dst.pixStep;
    const int w = src.width;
    // Column by column, the block's rows side by side: the buffer is written and read in
    // memory order and every row of the plane is walked forwards.
    const Tin* srow[kBlock];
    Tout* drow[kBlock];
    for (int r = 0; r < cnt; ++r) {
        srow[r] = src.row(y0 + r);
        drow[r] = dst.row(y0 + r);
    }
#if VT_HAS_WIDE_COPY
    if constexpr (Wide && SS == 1 && DS == 1 && std::is_same_v<Tin, uint16_t> &&
                  std::is_same_v<Tout, uint16_t>) {
        // Whole blocks of 16-bit rows without the interleaved passes.
        if (cnt == kBlock && w >= 8) {
            SmoothSixteenRowsWide(srow, drow, sm, scale, maxValue, b);
            return;
        }
    }
    constexpr bool wideRows = Wide && SS == 1 && std::is_same_v<Tin, uint16_t>;
    if constexpr (wideRows)
        InterleaveRowsWide(srow, cnt, w, scale, b);
#else
    constexpr bool wideRows = false;
#endif
    if constexpr (!wideRows) {
        for (int x = 0; x < w; ++x) {
            double* bx = b + static_cast<size_t>(x) * cnt;
            for (int r = 0; r < cnt; ++r)
                bx[r] = scale * srow[r][x * sps];
        }
    }
    sm.SolveMany(b, cnt);
    constexpr int kTile = 64;
    double out[kBlock * kTile];
    for (int xa = 0; xa < w; xa += kTile) {
        const int nx = std::min(kTile, w - xa);
        // Transpose a tile back to rows, then convert each row's run in one loop.
#if VT_HAS_WIDE_COPY
        if constexpr (Wide)
            DeinterleaveTileWide(b + static_cast<size_t>(xa) * cnt, cnt, nx, out, kTile);
#endif
        if constexpr (!Wide || !VT_HAS_WIDE_COPY) {
            for (int i = 0; i < nx; ++i) {
                const double* bx = b + static_cast<size_t>(xa + i) * cnt;
                for (int r = 0; r < cnt; ++r)
                    out[r * kTile + i] = bx[r];
            }
        }
        for (int r = 0; r < cnt; ++r)
            SmoothOutputRun<DS>(out + r * kTile, drow[r] + xa * dps, dps, nx, scale, maxValue);
    }
}

template <ptrdiff_t SS, ptrdiff_t DS, typename Tin, typename Tout>
VT_WIDE_VECTORS void SmoothRowBlockWide(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst,
                                        const BandSmoother& sm, double scale, int maxValue, int y0, int cnt,
                                        double* b) {
    SmoothRowBlock<SS, DS, true>(src, dst, sm, scale, maxValue, y0, cnt, b);
}

// Calls f.template operator()<S, Wide>() with S = 1 for unit sample steps (else 0) and Wide
// for the copy compiled for 256-bit vectors, where the processor has them.
template <typename F> inline void DispatchBlock(bool unitSteps, bool wide, const F& f) {
    const bool w = VT_HAS_WIDE_COPY && wide;
    if (unitSteps)
        w ? f.template operator()<1, true>() : f.template operator()<1, false>();
    else
        w ? f.template operator()<0, true>() : f.template operator()<0, false>();
}

// Rows y0 .. y0 + cnt - 1 (at most 16) of src through the row smoother into the same rows of
// dst; b holds 16 x width values.
template <typename Tin, typename Tout>
void SmoothRowBlockOf(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, const BandSmoother& sm,
                      double scale, int maxValue, int y0, int cnt, double* b, bool wide) {
    DispatchBlock(src.pixStep == 1 && dst.pixStep == 1, wide, [&]<ptrdiff_t S, bool W>() {
        if constexpr (W)
            SmoothRowBlockWide<S, S>(src, dst, sm, scale, maxValue, y0, cnt, b);
        else
            SmoothRowBlock<S, S>(src, dst, sm, scale, maxValue, y0, cnt, b);
    });
}

// Smooths every row of src into dst (they may be the same plane). Rows go through the solver
// a block at a time, interleaved, so that the elimination runs across rows instead of along
// one dependent chain; each row still sees exactly the operations of BandSmoother::Solve.
template <ptrdiff_t SS, ptrdiff_t DS, typename Tin, typename Tout>
void SmoothRowsPlaneSteps(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, const BandSmoother& sm,
                          double scale, int maxValue) {
    const int w = src.width, h = src.height;
    constexpr int kBlock = 16;
    const int blocks = (h + kBlock - 1) / kBlock;
    const bool wide = VT_HAS_WIDE_COPY && HasWideVectors();
#pragma omp parallel
    {
        std::vector<double> b(static_cast<size_t>(std::max(w, 1)) * kBlock);
#pragma omp for schedule(dynamic, 1)
        for (int bi = 0; bi < blocks; ++bi) {
            const int y0 = bi * kBlock;
            const int cnt = std::min(kBlock, h - y0);
            if (wide)
                SmoothRowBlockWide<SS, DS>(src, dst, sm, scale, maxValue, y0, cnt, b.data());
            else
                SmoothRowBlock<SS, DS>(src, dst, sm, scale, maxValue, y0, cnt, b.data());
        }
    }
}

template <typename Tin, typename Tout>
void SmoothRowsPlane(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, const BandSmoother& sm,
                     double scale, int maxValue) {
    if (src.pixStep == 1 && dst.pixStep == 1)
        SmoothRowsPlaneSteps<1, 1>(src, dst, sm, scale, maxValue);
    else
        SmoothRowsPlaneSteps<0, 0>(src, dst, sm, scale, maxValue);
}

constexpr int kColumnPrefetchRows = 16;

// One block of `cnt` columns from x0 through the column smoother, b the interleaved buffer;
// out(y, z) takes the cnt solved values z of row y, left to right.
template <ptrdiff_t SS, typename Tin, typename Out>
__attribute__((always_inline)) inline void SmoothColumnBlock(const PlaneRef<Tin>& src, const BandSmoother& sm,
                                                             double scale, int x0, int cnt, double* b,
                                                             const Out& out) {
    const ptrdiff_t sps = SS ? SS : src.pixStep;
    const int h = src.height;
    // A block's samples of one row are a row apart from those of the next, a new page each
    // time, where the processor's own prefetch stops: the rows some way ahead are asked for.
    constexpr int kAhead = kColumnPrefetchRows;
    for (int y = 0; y < h; ++y) {
        const Tin* s = src.row(y) + x0 * sps;
        if (y + kAhead < h)
            __builtin_prefetch(src.row(y + kAhead) + x0 * sps);
        double* by = b + static_cast<size_t>(y) * cnt;
#pragma omp simd
        for (int c = 0; c < cnt; ++c)
            by[c] = scale * s[c * sps];
    }
    sm.SolveMany(b, cnt);
    for (int y = 0; y < h; ++y)
        out(y, static_cast<const double*>(b + static_cast<size_t>(y) * cnt));
}

template <ptrdiff_t SS, typename Tin, typename Out>
VT_WIDE_VECTORS void SmoothColumnBlockWide(const PlaneRef<Tin>& src, const BandSmoother& sm, double scale,
                                           int x0, int cnt, double* b, const Out& out) {
    SmoothColumnBlock<SS>(src, sm, scale, x0, cnt, b, out);
}

// Columns x0 .. x0 + cnt - 1 of src through the column smoother, b holding cnt x height
// values; out(y, z) takes the solved values of row y. An out marked always_inline runs in
// the copy compiled for 256-bit vectors too.
template <typename Tin, typename Out>
void SmoothColumnBlockTo(const PlaneRef<Tin>& src, const BandSmoother& sm, double scale, int x0, int cnt,
                         double* b, bool wide, const Out& out) {
    DispatchBlock(src.pixStep == 1, wide, [&]<ptrdiff_t S, bool W>() {
        if constexpr (W)
            SmoothColumnBlockWide<S>(src, sm, scale, x0, cnt, b, out);
        else
            SmoothColumnBlock<S>(src, sm, scale, x0, cnt, b, out);
    });
}

#if VT_HAS_WIDE_COPY
// Sixteen neighbouring 16-bit samples from p, four vectors of four, each times s.
__attribute__((target("avx2"), always_inline)) inline void SixteenSamples(const uint16_t* p, const __m256d& s,
                                                                          __m256d* c) {
    const __m256i u = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m128i lo = _mm256_castsi256_si128(u), hi = _mm256_extracti128_si256(u, 1);
    c[0] = _mm256_mul_pd(s, _mm256_cvtepi32_pd(_mm_cvtepu16_epi32(lo)));
    c[1] = _mm256_mul_pd(s, _mm256_cvtepi32_pd(_mm_cvtepu16_epi32(_mm_srli_si128(lo, 8))));
    c[2] = _mm256_mul_pd(s, _mm256_cvtepi32_pd(_mm_cvtepu16_epi32(hi)));
    c[3] = _mm256_mul_pd(s, _mm256_cvtepi32_pd(_mm_cvtepu16_epi32(_mm_srli_si128(hi, 8))));
}

// Columns x0 .. x0 + 15 of a 16-bit plane through the column smoother into the same columns of
// dst (which may be src): four vectors of four columns go down the rows together, each row's
// samples converted as the forward elimination takes them, the two values each step still
// changes held in registers, and each row's solved values converted and stored as the back
// substitution gives them. b keeps the eliminated values between the passes (16 per row).
// The same operations as SolveMany and SmoothOutputRun, to the bit. Runs of at least 3 rows.
VT_WIDE_VECTORS inline void SmoothSixteenColumnsWide(const PlaneRef<uint16_t>& src,
                                                     const PlaneRef<uint16_t>& dst, const BandSmoother& sm,
                                                     double scale, int maxValue, int x0, double* b) {
    constexpr int V = 4;
    constexpr int kAhead = kColumnPrefetchRows;
    const BandSmoother::Factors f = sm.factors();
    const int n = sm.size();
    const __m256d s = _mm256_set1_pd(scale);
    auto at = [b](int k, int v) { return b + (static_cast<size_t>(k) * V + v) * 4; };

    __m256d p0[V], p1[V], c[V];
    SixteenSamples(src.row(0) + x0, s, p0);
    SixteenSamples(src.row(1) + x0, s, p1);
    for (int k = 0; k + 2 < n; ++k) {
        // The strip's samples of one row are a row apart from those of the next, a new page
        // each time, where the processor's own prefetch stops.
        if (k + 2 + kAhead < n)
            __builtin_prefetch(src.row(k + 2 + kAhead) + x0);
        SixteenSamples(src.row(k + 2) + x0, s, c);
#pragma GCC unroll 4
        for (int v = 0; v < V; ++v)
            ForwardStep(f, k, c[v], p0[v], p1[v], at(k, v));
    }
    __m256d q1[V], q2[V];
    TurnAround<V>(f, n, p0, p1, q1, q2);

    const SmoothOutputConstants o = SmoothOutputConstantsOf(scale, maxValue);
    auto out = [&](int y, const __m256d* z) __attribute__((target("avx2"), always_inline)) {
        if (y >= kAhead)
            __builtin_prefetch(dst.row(y - kAhead) + x0, 1);
        __m128i t[V];
        for (int v = 0; v < V; ++v)
            t[v] = _mm256_cvttpd_epi32(SmoothOutputValues(o, z[v]));
        uint16_t* d = dst.row(y) + x0;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi32(t[0], t[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_packus_epi32(t[2], t[3]));
    };
    out(n - 1, q2);
    out(n - 2, q1);
    for (int k = n - 3; k >= 0; --k) {
        __m256d z[V];
#pragma GCC unroll 4
        for (int v = 0; v < V; ++v)
            z[v] = BackStep(f, k, _mm256_loadu_pd(at(k, v)), q1[v], q2[v]);
        out(k, z);
    }
}
#endif

// Columns x0 .. x0 + cnt - 1 of src through the column smoother into the same columns of dst;
// b holds cnt x height values.
template <typename Tin, typename Tout>
void SmoothColumnBlockOf(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, const BandSmoother& sm,
                         double scale, int maxValue, int x0, int cnt, double* b, bool wide) {
    const ptrdiff_t dps = dst.pixStep;
#if VT_HAS_WIDE_COPY
    if constexpr (std::is_same_v<Tin, uint16_t> && std::is_same_v<Tout, uint16_t>) {
        // Strips of whole sixteens of 16-bit columns without the interleaved passes.
        if (wide && src.pixStep == 1 && dps == 1 && cnt % 16 == 0 && sm.size() >= 3) {
            for (int h = 0; h < cnt; h += 16)
                SmoothSixteenColumnsWide(src, dst, sm, scale, maxValue, x0 + h, b);
            return;
        }
    }
#endif
    const int ahead = dst.height - kColumnPrefetchRows;
    if (dps == 1)
        SmoothColumnBlockTo(
            src, sm, scale, x0, cnt, b, wide, [&](int y, const double* z) __attribute__((always_inline)) {
                if (y < ahead)
                    __builtin_prefetch(dst.row(y + kColumnPrefetchRows) + x0, 1);
                SmoothOutputRun<1>(z, dst.row(y) + x0, 1, cnt, scale, maxValue);
            });
    else
        SmoothColumnBlockTo(
            src, sm, scale, x0, cnt, b, wide, [&](int y, const double* z) __attribute__((always_inline)) {
                if (y < ahead)
                    __builtin_prefetch(dst.row(y + kColumnPrefetchRows) + x0 * dps, 1);
                SmoothOutputRun<0>(z, dst.row(y) + x0 * dps, dps, cnt, scale, maxValue);
            });
}

// Smooths every column of src into dst (they may be the same plane), a block of neighbouring
// columns at a time so that rows are read in memory order.
template <typename Tin, typename Tout>
void SmoothColumnsPlane(const PlaneRef<Tin>& src, const PlaneRef<Tout>& dst, const BandSmoother& sm,
                        double scale, int maxValue) {
    const int w = src.width, h = src.height;
    constexpr int kBlock = 32;
    const int blocks = (w + kBlock - 1) / kBlock;
    const bool wide = HasWideVectors();
#pragma omp parallel
    {
        std::vector<double> b(static_cast<size_t>(std::max(h, 1)) * kBlock);
#pragma omp for schedule(dynamic, 1)
        for (int bi = 0; bi < blocks; ++bi) {
            const int x0 = bi * kBlock;
            SmoothColumnBlockOf(src, dst, sm, scale, maxValue, x0, std::min(kBlock, w - x0), b.data(), wide);
        }
    }
}

} // namespace planes
