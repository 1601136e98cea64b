// The document's roughness state: the roughness and waviness curves of its current profile,
// their minima and the results Rz, Ra, Rzjis. The document runs ComputeRoughness whenever a
// measuring line moves and when the filter settings are accepted, passing its profile, its
// height scale and pitch, and the cut-off and end-effect choice of the processing parameters as
// they stand at that call.
#pragma once

#include "viewer3d/measure/core/ProfileFilter.h"
#include "viewer3d/measure/core/ProfileSeries.h"

namespace v3d {

// The smallest of samples 0..count-1 into *out (a sample replaces it only when strictly
// smaller; 99999.0 reads as the start for no samples); 1.
int FindSeriesMinimum(const ProfileSeries& s, double* out);

class ProfileRoughness {
public:
    // 1 when computed. 0 for no profile or a count not above 0, or when memory is refused; the
    // previous curves, minima and results then stay as they were.
    int ComputeRoughness(const int* profile, int count, double zScale, double pitch, double cutoff,
                         int endEffect);
    const RoughnessResults* GetSectionResults() const { return &results_; }
    const ProfileSeries& Roughness() const { return roughness_; }
    const ProfileSeries& Waviness() const { return waviness_; }
    double RoughnessMin() const { return roughnessMin_; }
    double WavinessMin() const { return wavinessMin_; }

private:
    ProfileSeries roughness_;
    ProfileSeries waviness_;
    double roughnessMin_ = 0.0;
    double wavinessMin_ = 0.0;
    RoughnessResults results_;
};

} // namespace v3d
