// The Gaussian profile filter of the roughness standards and the roughness parameters Rz, Ra
// and Rzjis of a filtered profile.
//
// The filter's weighting function is s(x) = exp(-pi (x / (alpha lc))^2) / (alpha lc) with
// 1/alpha = 2.128934038861662. With end-effect handling off (flag 0) the mean line is the plain
// weighted mean and the first and last half-width of both curves stay 0; with it on (flag 1) the
// mean line is a weighted second-order regression over the window, cut at the profile's ends.
#pragma once

#include "viewer3d/measure/core/ProfileSeries.h"

#include <vector>

namespace v3d {

// The three results in the order their readers index them.
struct RoughnessResults {
    double rz = 0.0;
    double ra = 0.0;
    double rzjis = 0.0;
};

// The weight constant as the filter uses it (the exact sqrt(pi / ln 2) is 2.1289340388624525).
constexpr double kGaussConstant = 2.128934038861662;

// Subtracts the least-squares line over the sample index; a single sample stays as it is.
void RemoveLinearTrend(ProfileSeries* s);
// Mean of samples 0..count-1 into *mean (0 for no samples); 1.
int SeriesMean(const ProfileSeries& s, double* mean);
// Rz, Ra and Rzjis of a roughness profile over the sections of the cut-off (a cut-off not above
// 0 counts as 80.0); with other than five sections texts gets "QUOT" = the section count.
void EvaluateRoughness(ProfileSeries* s, double cutoff, RoughnessResults* results);
// Ten-point height of samples first..last about the reference level m into *out; 1.
int TenPointHeight(const ProfileSeries& s, int first, int last, double m, double* out);
// Solves the 3 x 3 system in columns 0..2 with the right side in column 3, in place, without
// pivoting: the solution stands in column 3. 1.
int SolveNormalEquations3(double a[3][4]);

// The mean line of z at every sample (flag 1) or at samples from..to (flag 0; elsewhere 0.0 and
// from > to when the profile is shorter than a window). Shared by the filter and the document's
// computation, which derives both curves from one mean line.
void GaussianMeanLine(const std::vector<double>& z, double pitch, double cutoff, int endEffect,
                      std::vector<double>* mean, int* from, int* to);

} // namespace v3d
