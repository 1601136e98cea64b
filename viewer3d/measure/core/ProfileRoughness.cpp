#include "viewer3d/measure/core/ProfileRoughness.h"

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace v3d {

namespace {

void swapSeries(ProfileSeries* a, ProfileSeries* b) {
    std::swap(a->samples, b->samples);
    std::swap(a->count, b->count);
    std::swap(a->pitch, b->pitch);
    std::swap(a->values.next, b->values.next);
    std::swap(a->texts.next, b->texts.next);
}

} // namespace

int FindSeriesMinimum(const ProfileSeries& s, double* out) {
    double m = GetVectorValue(&s.samples, 0);
    for (int i = 1; i < s.count; ++i) {
        const double v = GetVectorValue(&s.samples, i);
        if (v < m)
            m = v;
    }
    if (out)
        *out = m;
    return 1;
}

int ProfileRoughness::ComputeRoughness(const int* profile, int count, double zScale, double pitch,
                                       double cutoff, int endEffect) {
    if (!profile || count <= 0)
        return 0;
    try {
        // The new curves are built aside and take the old ones' place only when complete.
        ProfileSeries primary;
        if (SizeProfileSeries(&primary, count, pitch) != 0)
            return 0;
        for (int i = 0; i < count; ++i)
            SetVectorValue(&primary.samples, i, static_cast<double>(profile[i]) * zScale);
        RemoveLinearTrend(&primary);

        // Both curves come from one mean line: the waviness is the mean line, the roughness the
        // primary profile less it (both 0 outside the filtered range without end-effect handling).
        std::vector<double> z(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            z[i] = GetVectorValue(&primary.samples, i);
        std::vector<double> mean;
        int from = 0;
        int to = -1;
        GaussianMeanLine(z, pitch, cutoff, endEffect, &mean, &from, &to);

        ProfileSeries rough;
        ProfileSeries wavy;
        if (SizeProfileSeries(&rough, count, pitch) != 0 || SizeProfileSeries(&wavy, count, pitch) != 0)
            return 0;
        for (int k = from; k <= to; ++k) {
            SetVectorValue(&rough.samples, k, z[k] - mean[k]);
            SetVectorValue(&wavy.samples, k, mean[k]);
        }
        RoughnessResults results;
        EvaluateRoughness(&rough, cutoff, &results);
        double roughMin = 0.0;
        double wavyMin = 0.0;
        FindSeriesMinimum(rough, &roughMin);
        FindSeriesMinimum(wavy, &wavyMin);

        swapSeries(&rough, &roughness_);
        swapSeries(&wavy, &waviness_);
        roughnessMin_ = roughMin;
        wavinessMin_ = wavyMin;
        results_ = results;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

} // namespace v3d
