#include "viewer3d/measure/core/ProfileFilter.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

namespace v3d {

namespace {

constexpr double kPi = 3.141592653589793;
// A pivot below this share of its row's own diagonal entry counts as zero: the window has too
// few distinct positions for the order of the fit.
constexpr double kPivotShare = 1e-9;

double usablePitch(double pitch) {
    return std::isfinite(pitch) && pitch > 0 ? pitch : 1.0;
}

// The weighted fit's value at the window centre: second order where the window allows it, one
// order lower where its pivot vanishes, down to the weighted mean.
double regressionAtCentre(const double s[5], const double t[3]) {
    double a[3][4] = {{s[0], s[1], s[2], t[0]}, {s[1], s[2], s[3], t[1]}, {s[2], s[3], s[4], t[2]}};
    double b[3][4];
    std::copy(&a[0][0], &a[0][0] + 12, &b[0][0]);
    // Run the elimination of SolveNormalEquations3 and watch its pivots.
    int wellPosed = 3;
    for (int i = 0; i < 3 && wellPosed == 3; ++i) {
        if (!(std::fabs(b[i][i]) > kPivotShare * std::fabs(a[i][i])) || a[i][i] == 0.0) {
            wellPosed = i;
            break;
        }
        const double r = 1.0 / b[i][i];
        for (int c = i + 1; c <= 3; ++c) {
            b[i][c] *= r;
            for (int j = i + 1; j <= 2; ++j)
                b[j][c] -= b[j][i] * b[i][c];
        }
    }
    if (wellPosed == 3) {
        SolveNormalEquations3(a);
        return a[0][3];
    }
    if (wellPosed == 2) {
        const double det = s[0] * s[2] - s[1] * s[1];
        return (t[0] * s[2] - s[1] * t[1]) / det;
    }
    return s[0] != 0.0 ? t[0] / s[0] : 0.0;
}

} // namespace

void RemoveLinearTrend(ProfileSeries* s) {
    if (!s || s->count <= 0)
        return;
    const int n = s->count;
    double sumZ = 0.0;
    double sumI = 0.0;
    for (int i = 0; i < n; ++i) {
        sumZ += GetVectorValue(&s->samples, i);
        sumI += i;
    }
    const double meanZ = sumZ / n;
    const double meanI = sumI / n;
    double sxx = 0.0;
    double sxz = 0.0;
    for (int i = 0; i < n; ++i) {
        sxx += (i - meanI) * (i - meanI);
        sxz += (GetVectorValue(&s->samples, i) - meanZ) * i;
    }
    double slope = 0.0;
    double intercept = 0.0;
    if (sxx > 0) {
        slope = sxz / sxx;
        intercept = meanZ - meanI * slope;
    }
    for (int i = 0; i < n; ++i)
        SetVectorValue(&s->samples, i, GetVectorValue(&s->samples, i) - (intercept + slope * i));
}

int SeriesMean(const ProfileSeries& s, double* mean) {
    double sum = 0.0;
    for (int i = 0; i < s.count; ++i)
        sum += GetVectorValue(&s.samples, i);
    if (mean)
        *mean = s.count > 0 ? sum / s.count : 0.0;
    return 1;
}

int SolveNormalEquations3(double a[3][4]) {
    for (int i = 0; i < 3; ++i) {
        const double r = 1.0 / a[i][i];
        for (int c = i + 1; c <= 3; ++c) {
            a[i][c] *= r;
            for (int j = i + 1; j <= 2; ++j)
                a[j][c] -= a[j][i] * a[i][c];
        }
    }
    a[1][3] -= a[2][3] * a[1][2];
    a[0][3] -= a[1][3] * a[0][1] + a[2][3] * a[0][2];
    return 1;
}

void GaussianMeanLine(const std::vector<double>& z, double pitch, double cutoff, int endEffect,
                      std::vector<double>* mean, int* from, int* to) {
    const int n = static_cast<int>(z.size());
    const double p = usablePitch(pitch);
    double lc = std::isfinite(cutoff) ? cutoff : 0.0;
    double half = std::trunc(lc / p);
    if (!(half >= 1.0)) {
        half = 1.0;
        lc = p;
    }
    // Samples beyond the profile take no part: the window never needs to reach further than
    // n - 1 samples, whatever the cut-off.
    const int N = static_cast<int>(std::min(half, static_cast<double>(std::max(1, n - 1))));
    std::vector<double> w(static_cast<size_t>(N) + 1);
    for (int j = 0; j <= N; ++j) {
        const double u = j * p * kGaussConstant / lc;
        w[j] = (kGaussConstant / lc) * std::exp(-kPi * u * u);
    }
    double sum = w[0];
    for (int j = 1; j <= N; ++j)
        sum += 2 * w[j];
    mean->assign(static_cast<size_t>(n), 0.0);
    if (endEffect == 0) {
        *from = N;
        *to = n - N - 1;
        for (int k = N; k <= n - N - 1; ++k) {
            double m = 0.0;
            for (int j = -N; j <= N; ++j)
                m += z[k + j] * w[std::abs(j)];
            (*mean)[k] = m / sum;
        }
        return;
    }
    *from = 0;
    *to = n - 1;
    for (int j = 0; j <= N; ++j)
        w[j] /= sum;
    for (int k = 0; k < n; ++k) {
        double s[5] = {};
        double t[3] = {};
        const int j0 = std::max(-N, -k);
        const int j1 = std::min(N, n - 1 - k);
        for (int j = j0; j <= j1; ++j) {
            const double x = j * p;
            const double om = w[std::abs(j)];
            const double zz = z[k + j];
            const double ox = om * x;
            const double ox2 = ox * x;
            s[0] += om;
            s[1] += ox;
            s[2] += ox2;
            s[3] += ox2 * x;
            s[4] += ox2 * x * x;
            t[0] += om * zz;
            t[1] += ox * zz;
            t[2] += ox2 * zz;
        }
        (*mean)[k] = regressionAtCentre(s, t);
    }
}

int TenPointHeight(const ProfileSeries& s, int first, int last, double m, double* out) {
    auto at = [&](int i) { return GetVectorValue(&s.samples, i); };
    // A sample or level that is no number is neither above nor below the level: no peak or
    // valley could be told, and the profile has no ten-point height.
    bool finite = std::isfinite(m);
    for (int i = first; finite && i <= last; ++i)
        finite = std::isfinite(at(i));
    if (!finite) {
        if (out)
            *out = 0.0;
        return 1;
    }
    double peaks[5];
    double valleys[5];
    std::fill(peaks, peaks + 5, -DBL_MAX);
    std::fill(valleys, valleys + 5, DBL_MAX);
    int peakCount = 0;
    int valleyCount = 0;
    for (int i = first; i <= last;) {
        while (i <= last && at(i) <= m)
            ++i;
        bool any = false;
        double height = -DBL_MAX;
        while (i <= last && at(i) >= m) {
            height = std::max(height, at(i));
            any = true;
            ++i;
        }
        if (!any) {
            ++i; // every round moves on, whatever the samples compare like
            continue;
        }
        ++peakCount;
        for (int k = 0; k < 5; ++k)
            if (peaks[k] < height) {
                std::copy_backward(peaks + k, peaks + 4, peaks + 5);
                peaks[k] = height;
                break;
            }
    }
    for (int i = first; i <= last;) {
        while (i <= last && at(i) >= m)
            ++i;
        bool any = false;
        double depth = DBL_MAX;
        while (i <= last && at(i) <= m) {
            depth = std::min(depth, at(i));
            any = true;
            ++i;
        }
        if (!any) {
            ++i; // every round moves on, whatever the samples compare like
            continue;
        }
        ++valleyCount;
        for (int k = 0; k < 5; ++k)
            if (valleys[k] > depth) {
                std::copy_backward(valleys + k, valleys + 4, valleys + 5);
                valleys[k] = depth;
                break;
            }
    }
    peakCount = std::min(peakCount, 5);
    valleyCount = std::min(valleyCount, 5);
    double peakMean = m;
    double valleyMean = m;
    if (peakCount > 0) {
        double sum = 0.0;
        for (int k = 0; k < peakCount; ++k)
            sum += peaks[k];
        peakMean = sum / peakCount;
    }
    if (valleyCount > 0) {
        double sum = 0.0;
        for (int k = 0; k < valleyCount; ++k)
            sum += valleys[k];
        valleyMean = sum / valleyCount;
    }
    if (out)
        *out = std::fabs(peakMean) + std::fabs(valleyMean);
    return 1;
}

void EvaluateRoughness(ProfileSeries* s, double cutoff, RoughnessResults* results) {
    if (!s || !results)
        return;
    const int n = s->count;
    const double p = usablePitch(s->pitch);
    const double lc = std::isfinite(cutoff) && cutoff > 0 ? cutoff : 80.0;
    const double length = std::max(0, n - 1) * p;
    // Counts in real arithmetic first: a cut-off far below the pitch makes them huge.
    const long long K = static_cast<long long>(std::min(std::trunc(length / lc), 1e15));
    const long long o = static_cast<long long>(std::min(std::trunc(std::fmod(length, lc) * 0.5 / p), 1e15));
    const long long N = static_cast<long long>(std::min(std::trunc(lc / p), 1e15));
    double sumRz = 0.0;
    double sumRa = 0.0;
    double sumRzjis = 0.0;
    bool finite = true;
    for (int i = 0; finite && i < n; ++i)
        finite = std::isfinite(GetVectorValue(&s->samples, i));
    // A profile with a sample that is no number has no roughness (all three stay 0).
    if (N > 0 && K > 0 && finite) {
        double reference = 0.0;
        SeriesMean(*s, &reference);
        for (long long sec = 1; sec <= K; ++sec) {
            const long long start = o + (sec - 1) * N;
            const long long end = o + sec * N; // exclusive
            const long long lastTaken = std::min<long long>(sec == K ? end : end - 1, n - 1);
            double hi = -DBL_MAX;
            double lo = DBL_MAX;
            double sumAbs = 0.0;
            long long taken = 0;
            for (long long i = start; i <= lastTaken; ++i) {
                const double z = GetVectorValue(&s->samples, static_cast<int>(i));
                hi = std::max(hi, z);
                lo = std::min(lo, z);
                sumAbs += std::fabs(z);
                ++taken;
            }
            if (taken == 0)
                continue;
            sumRz += std::fabs(hi) + std::fabs(lo);
            sumRa += sumAbs / static_cast<double>(taken);
            double rzjis = 0.0;
            TenPointHeight(*s, static_cast<int>(start), static_cast<int>(std::min<long long>(end - 1, n - 1)),
                           reference, &rzjis);
            sumRzjis += rzjis;
        }
    }
    if (K != 0) {
        results->rz = sumRz / static_cast<double>(K);
        results->ra = sumRa / static_cast<double>(K);
        results->rzjis = sumRzjis / static_cast<double>(K);
    } else {
        *results = RoughnessResults{};
    }
    if (K != 5) {
        char text[32];
        std::snprintf(text, sizeof text, "%lld", K);
        SetPairListValue(&s->texts, "QUOT", text);
    }
}

} // namespace v3d
