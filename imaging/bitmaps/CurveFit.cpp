// Polynomial least-squares fit by the downhill simplex method.
#include "imaging/bitmaps/CurveFit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr double kTolerance = 1e-10;
constexpr int kMaxTerms = 5;

struct Vertex {
    double a[kMaxTerms] = {};
    double f = 0.0;
};

// Spread of values over the vertices relative to their size; zero spread is converged
// whatever the values (all-zero data included).
bool Converged(const double* values, int count) {
    double lo = values[0], hi = values[0];
    for (int i = 1; i < count; ++i) {
        lo = std::min(lo, values[i]);
        hi = std::max(hi, values[i]);
    }
    const double spread = hi - lo;
    if (spread == 0.0)
        return true;
    const double size = hi != 0.0 ? std::fabs(hi) : std::fabs(lo);
    return spread <= kTolerance * size;
}

} // namespace

int FitTermCount(int modelType) {
    switch (modelType) {
    case 0:
    case 4:
    case 5:
    case 6:
        return 2;
    case 1:
        return 3;
    case 2:
        return 4;
    case 3:
        return 5;
    default:
        return 0;
    }
}

double EvaluatePolynomial(int modelType, const double* a, double x) {
    const int t = FitTermCount(modelType);
    double v = 0.0;
    for (int i = t - 1; i >= 0; --i)
        v = v * x + a[i];
    return v;
}

double FitResidualSum(int modelType, const double* a, const double* x, const double* y, int count) {
    double s = 0.0;
    for (int i = 0; i < count; ++i) {
        const double r = y[i] - EvaluatePolynomial(modelType, a, x[i]);
        s += r * r;
    }
    return s;
}

void* FitAlloc(size_t bytes) {
    void* p = std::calloc(1, bytes ? bytes : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void FitFree(void* block) {
    std::free(block);
}

int FitPolynomial(int modelType, const double* x, const double* y, int count, double coefficients[5]) {
    const int t = FitTermCount(modelType);
    if (t == 0 || count < 1 || !x || !y)
        return 0;
    // Working copy of the points.
    double* px = static_cast<double*>(FitAlloc(sizeof(double) * 2 * static_cast<size_t>(count)));
    double* py = px + count;
    std::memcpy(px, x, sizeof(double) * count);
    std::memcpy(py, y, sizeof(double) * count);

    // Start: the line through the first and the last point.
    double start[kMaxTerms] = {};
    const double dx = px[count - 1] - px[0];
    start[1] = dx != 0.0 ? (py[count - 1] - py[0]) / dx : 1.0;
    start[0] = py[0] - start[1] * px[0];

    // Steps in the scale of the data: a change of a tenth of the y range over the x range.
    double xr = 0.0, ylo = py[0], yhi = py[0], ymax = 0.0;
    for (int i = 0; i < count; ++i) {
        xr = std::max(xr, std::fabs(px[i]));
        ylo = std::min(ylo, py[i]);
        yhi = std::max(yhi, py[i]);
        ymax = std::max(ymax, std::fabs(py[i]));
    }
    if (xr == 0.0)
        xr = 1.0;
    const double ys = std::max({yhi - ylo, 1e-6 * ymax, 1e-12});
    double step[kMaxTerms];
    for (int i = 0; i < t; ++i)
        step[i] = 0.1 * ys / std::pow(xr, i);

    const double root2 = std::sqrt(2.0);
    const double pOff = (std::sqrt(t + 1.0) + t - 1.0) / (t * root2);
    const double qOff = (std::sqrt(t + 1.0) - 1.0) / (t * root2);
    Vertex v[kMaxTerms + 1];
    for (int j = 0; j <= t; ++j) {
        for (int i = 0; i < t; ++i)
            v[j].a[i] = start[i] + (j == 0 ? 0.0 : step[i] * (i == j - 1 ? pOff : qOff));
        v[j].f = FitResidualSum(modelType, v[j].a, px, py, count);
    }

    auto evaluate = [&](Vertex& w) { w.f = FitResidualSum(modelType, w.a, px, py, count); };
    const int maxIter = 100 * t * t;
    for (int iter = 0; iter < maxIter; ++iter) {
        bool done = true;
        double vals[kMaxTerms + 1];
        for (int i = 0; i < t && done; ++i) {
            for (int j = 0; j <= t; ++j)
                vals[j] = v[j].a[i];
            done = Converged(vals, t + 1);
        }
        if (done) {
            for (int j = 0; j <= t; ++j)
                vals[j] = v[j].f;
            done = Converged(vals, t + 1);
        }
        if (done)
            break;

        int worst = 0, best = 0;
        for (int j = 1; j <= t; ++j) {
            if (v[j].f > v[worst].f)
                worst = j;
            if (v[j].f < v[best].f)
                best = j;
        }
        Vertex c;
        for (int j = 0; j <= t; ++j)
            if (j != worst)
                for (int i = 0; i < t; ++i)
                    c.a[i] += v[j].a[i] / t;
        Vertex r;
        for (int i = 0; i < t; ++i)
            r.a[i] = 2.0 * c.a[i] - v[worst].a[i];
        evaluate(r);
        const double fBest = v[best].f;
        if (r.f < fBest) {
            Vertex e;
            for (int i = 0; i < t; ++i)
                e.a[i] = 2.0 * r.a[i] - c.a[i];
            evaluate(e);
            v[worst] = e.f > fBest ? r : e;
        } else if (r.f <= v[worst].f) {
            v[worst] = r;
        } else {
            Vertex k;
            for (int i = 0; i < t; ++i)
                k.a[i] = 0.5 * (v[worst].a[i] + c.a[i]);
            evaluate(k);
            if (k.f <= v[worst].f) {
                v[worst] = k;
            } else {
                const Vertex b = v[best];
                for (int j = 0; j <= t; ++j) {
                    if (j == best)
                        continue;
                    for (int i = 0; i < t; ++i)
                        v[j].a[i] = 0.5 * (v[j].a[i] + b.a[i]);
                    evaluate(v[j]);
                }
            }
        }
    }

    for (int i = 0; i < kMaxTerms; ++i) {
        double m = 0.0;
        if (i < t) {
            for (int j = 0; j <= t; ++j)
                m += v[j].a[i];
            m /= (t + 1);
        }
        coefficients[i] = m;
    }
    FitFree(px);
    return 1;
}
