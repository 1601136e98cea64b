// The profile filter and the roughness parameters on profiles whose answers are known in closed
// form: cosines and square waves well below the cut-off, a sine at the cut-off, and section
// layouts counted by hand.
#include "viewer3d/measure/core/ProfileRoughness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace v3d;

namespace {

constexpr double kPi = 3.141592653589793;

// Heights are integers in the document; a z-scale of 1/1000 lets them carry fractions.
constexpr double kScale = 1e-3;

std::vector<int> sampled(int n, double (*f)(int)) {
    std::vector<int> p(n);
    for (int i = 0; i < n; ++i)
        p[i] = static_cast<int>(std::lround(f(i) / kScale));
    return p;
}

std::vector<double> samplesOf(const ProfileSeries& s) {
    std::vector<double> v(s.count);
    for (int i = 0; i < s.count; ++i)
        v[i] = GetVectorValue(&s.samples, i);
    return v;
}

// Amplitude of the period-lambda component over whole periods centred on sample c.
double amplitudeAt(const std::vector<double>& q, int c, int lambda, int periods) {
    double a = 0.0;
    double b = 0.0;
    const int m = lambda * periods;
    for (int i = c - m / 2; i < c - m / 2 + m; ++i) {
        a += q[i] * std::cos(2 * kPi * (i - c) / lambda);
        b += q[i] * std::sin(2 * kPi * (i - c) / lambda);
    }
    return 2.0 * std::hypot(a, b) / m;
}

const char* quot(const ProfileSeries& s) {
    for (int i = 0; i < CountPairs(&s.texts); ++i)
        if (std::strcmp(GetPairKey(&s.texts, i), "QUOT") == 0)
            return GetPairValue(&s.texts, i);
    return nullptr;
}

} // namespace

TEST(Roughness, CosineAndSquareWaveBelowTheCutOff) {
    const double a = 2.0;
    // A cosine of period 10 samples: its samples' mean |z| is 0.6472 a, its peaks +-a.
    std::vector<int> cosine(1001);
    double meanAbs = 0.0;
    for (int i = 0; i < 1001; ++i) {
        cosine[i] = static_cast<int>(std::lround(a * std::cos(2 * kPi * i / 10) / kScale));
        meanAbs += std::fabs(cosine[i] * kScale);
    }
    meanAbs /= 1001;
    EXPECT_NEAR(meanAbs / a, 0.6472, 0.0005);
    ProfileRoughness r;
    ASSERT_EQ(r.ComputeRoughness(cosine.data(), 1001, kScale, 1.0, 80.0, 1), 1);
    const RoughnessResults* res = r.GetSectionResults();
    EXPECT_NEAR(res->ra, meanAbs, 0.005 * meanAbs);
    EXPECT_NEAR(res->rz, 2 * a, 0.005 * 2 * a);
    EXPECT_NEAR(res->rzjis, 2 * a, 0.005 * 2 * a);
    // Twelve sections of 80 samples: not the standard five, so the count is noted.
    ASSERT_NE(quot(r.Roughness()), nullptr);
    EXPECT_STREQ(quot(r.Roughness()), "12");

    // A +-a square wave of period 10.
    std::vector<int> square(1001);
    for (int i = 0; i < 1001; ++i)
        square[i] = static_cast<int>(std::lround((i % 10 < 5 ? a : -a) / kScale));
    ASSERT_EQ(r.ComputeRoughness(square.data(), 1001, kScale, 1.0, 80.0, 1), 1);
    EXPECT_NEAR(res->ra, a, 0.005 * a);
    EXPECT_NEAR(res->rz, 2 * a, 0.005 * 2 * a);
    EXPECT_NEAR(res->rzjis, 2 * a, 0.005 * 2 * a);

    // Without end-effect handling the first and last 80 samples of the roughness profile are 0:
    // the sections 20..99, ..., 900..980 average |cos| over what is left of them.
    ASSERT_EQ(r.ComputeRoughness(cosine.data(), 1001, kScale, 1.0, 80.0, 0), 1);
    double expected = 0.0;
    for (int s = 0; s < 12; ++s) {
        const int start = 20 + 80 * s;
        const int end = s == 11 ? 981 : start + 80;
        double sum = 0.0;
        for (int i = start; i < end; ++i)
            sum += (i >= 80 && i <= 920) ? std::fabs(a * std::cos(2 * kPi * i / 10)) : 0.0;
        expected += sum / (end - start);
    }
    expected /= 12;
    EXPECT_NEAR(res->ra, expected, 0.005 * expected);
}

TEST(Roughness, SineAtTheCutOffSplitsAsTheFiltersTransmit) {
    // A cosine of period 80 = the cut-off, even about the profile's centre so that the form
    // removal takes nothing from it. The plain Gaussian mean line keeps 50 % of it; the
    // regression filter keeps 84.7 %; the roughness profile gets the rest.
    std::vector<int> p(1001);
    for (int i = 0; i < 1001; ++i)
        p[i] = static_cast<int>(std::lround(std::cos(2 * kPi * (i - 500) / 80) / kScale));
    ProfileRoughness r;
    const struct {
        int flag;
        double wavy;
        double rough;
    } cases[] = {{0, 0.500, 0.500}, {1, 0.847, 0.153}};
    for (const auto& c : cases) {
        ASSERT_EQ(r.ComputeRoughness(p.data(), 1001, kScale, 1.0, 80.0, c.flag), 1);
        const double w = amplitudeAt(samplesOf(r.Waviness()), 500, 80, 3);
        const double q = amplitudeAt(samplesOf(r.Roughness()), 500, 80, 3);
        EXPECT_NEAR(w, c.wavy, 0.005) << c.flag;
        EXPECT_NEAR(q, c.rough, 0.005) << c.flag;
        // Mean line and roughness add up to the primary profile everywhere the filter ran.
        EXPECT_NEAR(GetVectorValue(&r.Waviness().samples, 500) + GetVectorValue(&r.Roughness().samples, 500),
                    std::cos(0.0) - 0.0254, 0.002);
    }
}

TEST(Roughness, EndsSectionsAndSectionCounts) {
    ProfileRoughness r;
    std::vector<int> p = sampled(1001, [](int i) { return std::sin(i * 0.7) + 0.01 * i; });

    // Flag 0: exactly 0.0 in the first and last N = 80 samples of both curves, values between.
    ASSERT_EQ(r.ComputeRoughness(p.data(), 1001, kScale, 1.0, 80.0, 0), 1);
    for (int i : {0, 79, 921, 1000}) {
        EXPECT_EQ(GetVectorValue(&r.Roughness().samples, i), 0.0) << i;
        EXPECT_EQ(GetVectorValue(&r.Waviness().samples, i), 0.0) << i;
    }
    EXPECT_NE(GetVectorValue(&r.Roughness().samples, 80), 0.0);
    // Flag 1: every point is filtered.
    ASSERT_EQ(r.ComputeRoughness(p.data(), 1001, kScale, 1.0, 80.0, 1), 1);
    EXPECT_NE(GetVectorValue(&r.Roughness().samples, 0), 0.0);
    EXPECT_NE(GetVectorValue(&r.Waviness().samples, 1000), 0.0);
    // A profile shorter than 2N + 1 without end-effect handling: curves of zeros.
    ASSERT_EQ(r.ComputeRoughness(p.data(), 150, kScale, 1.0, 80.0, 0), 1);
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(GetVectorValue(&r.Waviness().samples, i), 0.0);

    // Sections of the evaluation length: exactly five cut-offs note nothing, four and six do.
    const struct {
        int n;
        const char* q;
    } counts[] = {{401, "5"}, {321, "4"}, {481, "6"}};
    for (const auto& c : counts) {
        ASSERT_EQ(r.ComputeRoughness(p.data(), c.n, kScale, 1.0, 80.0, 1), 1);
        if (std::strcmp(c.q, "5") == 0)
            EXPECT_EQ(quot(r.Roughness()), nullptr);
        else
            EXPECT_STREQ(quot(r.Roughness()), c.q);
    }

    // One sample: nothing to remove, no section, all results 0 and "QUOT" = "0".
    const int one = 1234;
    ASSERT_EQ(r.ComputeRoughness(&one, 1, 1.0, 1.0, 80.0, 1), 1);
    EXPECT_EQ(r.GetSectionResults()->rz, 0.0);
    EXPECT_EQ(r.GetSectionResults()->ra, 0.0);
    EXPECT_EQ(r.GetSectionResults()->rzjis, 0.0);
    EXPECT_STREQ(quot(r.Roughness()), "0");
    // The waviness of one sample is the sample itself (its mean line), the roughness 0.
    EXPECT_DOUBLE_EQ(GetVectorValue(&r.Waviness().samples, 0), 1234.0);
    EXPECT_DOUBLE_EQ(GetVectorValue(&r.Roughness().samples, 0), 0.0);
}

TEST(Roughness, SectionLayoutRemainderSplitAndLastSectionMean) {
    // n = 1001, pitch 1, cut-off 80: L = 1000, K = 12, o = 20, N = 80; sections 20..99, ...,
    // 900..980, the last one inclusive of 980. Marks just outside the sections change nothing.
    ProfileSeries s;
    ASSERT_EQ(SizeProfileSeries(&s, 1001, 1.0), 0);
    SetVectorValue(&s.samples, 19, 1000.0);
    SetVectorValue(&s.samples, 981, -1000.0);
    SetVectorValue(&s.samples, 20, 3.0);
    SetVectorValue(&s.samples, 980, 7.0);
    RoughnessResults res;
    EvaluateRoughness(&s, 80.0, &res);
    EXPECT_DOUBLE_EQ(res.rz, (3.0 + 7.0) / 12);
    // The last section holds 81 samples and its mean divides by 81.
    EXPECT_DOUBLE_EQ(res.ra, (3.0 / 80 + 7.0 / 81) / 12);
    EXPECT_STREQ(quot(s), "12");

    // A cut-off of 0 or less evaluates with 80.0.
    RoughnessResults zero;
    EvaluateRoughness(&s, 0.0, &zero);
    EXPECT_DOUBLE_EQ(zero.rz, res.rz);
    EvaluateRoughness(&s, std::nan(""), &zero);
    EXPECT_DOUBLE_EQ(zero.ra, res.ra);
}

TEST(Roughness, TenPointHeightWithFewPeaks) {
    ProfileSeries s;
    // Two peaks (3 and 5, the second a run of two samples) and one valley (-4) about level 0.
    const double v[] = {0, 3, 0, -4, -1, 0, 2, 5, 0};
    ASSERT_EQ(SizeProfileSeries(&s, 9, 1.0), 0);
    for (int i = 0; i < 9; ++i)
        SetVectorValue(&s.samples, i, v[i]);
    double out = 0.0;
    ASSERT_EQ(TenPointHeight(s, 0, 8, 0.0, &out), 1);
    EXPECT_DOUBLE_EQ(out, (3.0 + 5.0) / 2 + 4.0);
    // Never above the reference level: the level stands for the peak mean.
    ASSERT_EQ(TenPointHeight(s, 2, 5, 0.5, &out), 1);
    EXPECT_DOUBLE_EQ(out, 0.5 + 4.0);
    // Seven peaks: the five highest count.
    const double w[] = {1, -1, 2, -1, 3, -1, 4, -1, 5, -1, 6, -1, 7, -1};
    ASSERT_EQ(SizeProfileSeries(&s, 14, 1.0), 0);
    for (int i = 0; i < 14; ++i)
        SetVectorValue(&s.samples, i, w[i]);
    ASSERT_EQ(TenPointHeight(s, 0, 13, 0.0, &out), 1);
    EXPECT_DOUBLE_EQ(out, (7 + 6 + 5 + 4 + 3) / 5.0 + 1.0);
}

TEST(Roughness, ProfilesWithSamplesThatAreNoNumberEndWithNoRoughness) {
    // A NaN between a peak and a valley: neither above nor below the level, it must not hold
    // the walk (the test's time-out ends a hang).
    ProfileSeries s;
    const double v[] = {0, 3, std::nan(""), -4, -1, 0, 2, 5, 0};
    ASSERT_EQ(SizeProfileSeries(&s, 9, 1.0), 0);
    for (int i = 0; i < 9; ++i)
        SetVectorValue(&s.samples, i, v[i]);
    double out = -1.0;
    ASSERT_EQ(TenPointHeight(s, 0, 8, 0.0, &out), 1);
    EXPECT_EQ(out, 0.0);
    // A level that is no number, on finite samples.
    SetVectorValue(&s.samples, 2, 0.0);
    out = -1.0;
    ASSERT_EQ(TenPointHeight(s, 0, 8, std::nan(""), &out), 1);
    EXPECT_EQ(out, 0.0);

    // Whole evaluations: one infinite sample in 1001 makes every result 0.
    ASSERT_EQ(SizeProfileSeries(&s, 1001, 1.0), 0);
    for (int i = 0; i < 1001; ++i)
        SetVectorValue(&s.samples, i, std::sin(i * 0.5));
    RoughnessResults res;
    EvaluateRoughness(&s, 80.0, &res);
    ASSERT_GT(res.rzjis, 0.0);
    SetVectorValue(&s.samples, 500, HUGE_VAL);
    EvaluateRoughness(&s, 80.0, &res);
    EXPECT_EQ(res.rz, 0.0);
    EXPECT_EQ(res.ra, 0.0);
    EXPECT_EQ(res.rzjis, 0.0);
    // Through the document's computation: a z-scale that is no number.
    std::vector<int> p = sampled(400, [](int i) { return std::sin(i * 0.3); });
    ProfileRoughness r;
    r.ComputeRoughness(p.data(), 400, std::nan(""), 1.0, 80.0, 1);
    EXPECT_EQ(r.GetSectionResults()->rzjis, 0.0);
}

TEST(Roughness, IllPosedWindowsAndBadParametersGiveFiniteResults) {
    std::vector<int> p = sampled(200, [](int i) { return std::sin(i * 0.3) * 2 + (i % 7) * 0.1; });
    ProfileRoughness r;
    // Cut-off below twice the pitch (80 at 50 per pixel): half-width 1, two-point windows at the
    // ends. Every value stays finite; a two-point window's fit passes through its samples.
    ASSERT_EQ(r.ComputeRoughness(p.data(), 200, kScale, 50.0, 80.0, 1), 1);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(std::isfinite(GetVectorValue(&r.Roughness().samples, i))) << i;
        ASSERT_TRUE(std::isfinite(GetVectorValue(&r.Waviness().samples, i))) << i;
    }
    EXPECT_NEAR(GetVectorValue(&r.Roughness().samples, 0), 0.0, 1e-9);
    EXPECT_TRUE(std::isfinite(r.GetSectionResults()->ra));
    EXPECT_TRUE(std::isfinite(r.GetSectionResults()->rzjis));
    // Two samples: the fit is their line; one sample: its weighted mean.
    ASSERT_EQ(r.ComputeRoughness(p.data(), 2, kScale, 1.0, 80.0, 1), 1);
    EXPECT_NEAR(GetVectorValue(&r.Roughness().samples, 1), 0.0, 1e-12);
    EXPECT_TRUE(std::isfinite(GetVectorValue(&r.Waviness().samples, 1)));

    // A pitch of 0, below 0 or not finite counts as 1.0; a non-finite cut-off as one <= 0 (the
    // filter then uses the pitch, the sections 80).
    ProfileRoughness ref;
    ASSERT_EQ(ref.ComputeRoughness(p.data(), 200, kScale, 1.0, 80.0, 1), 1);
    for (double pitch : {0.0, -2.0, std::nan(""), double(INFINITY)}) {
        ASSERT_EQ(r.ComputeRoughness(p.data(), 200, kScale, pitch, 80.0, 1), 1);
        EXPECT_DOUBLE_EQ(r.GetSectionResults()->ra, ref.GetSectionResults()->ra) << pitch;
        EXPECT_DOUBLE_EQ(r.GetSectionResults()->rz, ref.GetSectionResults()->rz) << pitch;
    }
    ASSERT_EQ(ref.ComputeRoughness(p.data(), 200, kScale, 1.0, 0.0, 0), 1);
    ASSERT_EQ(r.ComputeRoughness(p.data(), 200, kScale, 1.0, std::nan(""), 0), 1);
    EXPECT_DOUBLE_EQ(r.GetSectionResults()->ra, ref.GetSectionResults()->ra);
    // A cut-off below the pitch filters with half-width 1 like a cut-off of 0.
    ASSERT_EQ(r.ComputeRoughness(p.data(), 200, kScale, 1.0, 0.5, 0), 1);
    EXPECT_EQ(GetVectorValue(&r.Roughness().samples, 0), 0.0);
    EXPECT_NE(GetVectorValue(&r.Roughness().samples, 1), 0.0);
    EXPECT_DOUBLE_EQ(GetVectorValue(&r.Roughness().samples, 1), GetVectorValue(&ref.Roughness().samples, 1));
}

TEST(Roughness, HugeHalfWidthFitsTheWholeProfile) {
    // A cut-off far beyond the profile: every window covers the whole profile with weights that
    // are equal to 1e-12, so the mean line is the profile's own least-squares parabola, here
    // solved by Cramer's rule over centred moments.
    const int n = 300;
    std::vector<int> p = sampled(n, [](int i) { return std::sin(i * 0.05) * 3 + std::cos(i * 0.31); });
    ProfileRoughness r;
    ASSERT_EQ(r.ComputeRoughness(p.data(), n, kScale, 1.0, 1e12, 1), 1);
    const std::vector<double> primary = [&] {
        ProfileSeries s;
        SizeProfileSeries(&s, n, 1.0);
        for (int i = 0; i < n; ++i)
            SetVectorValue(&s.samples, i, p[i] * kScale);
        RemoveLinearTrend(&s);
        return samplesOf(s);
    }();
    double m[5] = {}, t[3] = {};
    for (int i = 0; i < n; ++i) {
        const double x = i - (n - 1) / 2.0;
        for (int k = 0; k < 5; ++k)
            m[k] += std::pow(x, k);
        for (int k = 0; k < 3; ++k)
            t[k] += std::pow(x, k) * primary[i];
    }
    auto det3 = [](double a, double b, double c, double d, double e, double f, double g, double h, double k) {
        return a * (e * k - f * h) - b * (d * k - f * g) + c * (d * h - e * g);
    };
    const double D = det3(m[0], m[1], m[2], m[1], m[2], m[3], m[2], m[3], m[4]);
    const double c0 = det3(t[0], m[1], m[2], t[1], m[2], m[3], t[2], m[3], m[4]) / D;
    const double c1 = det3(m[0], t[0], m[2], m[1], t[1], m[3], m[2], t[2], m[4]) / D;
    const double c2 = det3(m[0], m[1], t[0], m[1], m[2], t[1], m[2], m[3], t[2]) / D;
    for (int i : {0, 37, 150, 299}) {
        const double x = i - (n - 1) / 2.0;
        EXPECT_NEAR(GetVectorValue(&r.Waviness().samples, i), c0 + c1 * x + c2 * x * x, 1e-6) << i;
    }
}

TEST(Roughness, NothingToComputeKeepsThePreviousResults) {
    std::vector<int> p = sampled(500, [](int i) { return std::sin(i * 0.9); });
    ProfileRoughness r;
    ASSERT_EQ(r.ComputeRoughness(p.data(), 500, kScale, 1.0, 80.0, 1), 1);
    const double ra = r.GetSectionResults()->ra;
    const double first = GetVectorValue(&r.Roughness().samples, 10);
    EXPECT_EQ(r.ComputeRoughness(nullptr, 500, kScale, 1.0, 80.0, 1), 0);
    EXPECT_EQ(r.ComputeRoughness(p.data(), 0, kScale, 1.0, 80.0, 1), 0);
    EXPECT_EQ(r.ComputeRoughness(p.data(), -5, kScale, 1.0, 80.0, 1), 0);
    EXPECT_EQ(r.GetSectionResults()->ra, ra);
    EXPECT_EQ(GetVectorValue(&r.Roughness().samples, 10), first);
    EXPECT_EQ(r.Roughness().count, 500);
    // The minima are the curves' smallest samples.
    double lowest = 1e300;
    for (int i = 0; i < 500; ++i)
        lowest = std::min(lowest, GetVectorValue(&r.Roughness().samples, i));
    EXPECT_EQ(r.RoughnessMin(), lowest);
}

TEST(Roughness, BoundedVectorsAndSeries) {
    BoundedVector v;
    EXPECT_EQ(GetVectorValue(&v, 0), kOutOfRangeValue);
    EXPECT_EQ(AllocZeroVector(&v, -2, 3), 0);
    EXPECT_EQ(AllocVector(&v, 0, 1), 1); // storage exists: refused, range kept
    EXPECT_EQ(v.lo, -2);
    EXPECT_EQ(SetVectorValue(&v, -2, 1.5), 1);
    EXPECT_EQ(SetVectorValue(&v, 4, 1.5), 0);
    EXPECT_EQ(GetVectorValue(&v, -2), 1.5);
    EXPECT_EQ(GetVectorValue(&v, 3), 0.0);
    EXPECT_EQ(GetVectorValue(&v, -3), kOutOfRangeValue);
    EXPECT_EQ(FreeVector(&v), 0);
    EXPECT_EQ(FreeVector(&v), 1);
    EXPECT_EQ(GetVectorValue(&v, 0), kOutOfRangeValue);

    ProfileSeries a, b;
    ASSERT_EQ(SizeProfileSeries(&a, 3, 0.5), 0);
    SetVectorValue(&a.samples, 2, 9.0);
    SetPairListValue(&a.texts, "QUOT", "3");
    AppendNamedValue(&a.values, "x", 1.0);
    EXPECT_EQ(CopyProfileSeries(&a, &b), 0);
    EXPECT_EQ(b.count, 3);
    EXPECT_EQ(b.pitch, 0.5);
    EXPECT_EQ(GetVectorValue(&b.samples, 2), 9.0);
    EXPECT_STREQ(quot(b), "3");
    EXPECT_EQ(CountNamedValues(&b.values), 1);
    ResetProfileSeries(&b);
    EXPECT_EQ(CountPairs(&b.texts), 0);
    EXPECT_EQ(GetVectorValue(&b.samples, 0), kOutOfRangeValue);

    // The trend of a straight line is the line itself.
    ASSERT_EQ(SizeProfileSeries(&a, 5, 1.0), 0);
    for (int i = 0; i < 5; ++i)
        SetVectorValue(&a.samples, i, 3.0 + 2.0 * i);
    RemoveLinearTrend(&a);
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(GetVectorValue(&a.samples, i), 0.0, 1e-12);
    // The solver's answer to a known system.
    double m[3][4] = {{2, 1, 1, 5}, {1, 3, 2, 9}, {1, 0, 0, 1}};
    SolveNormalEquations3(m);
    EXPECT_NEAR(m[0][3], 1.0, 1e-12);
    EXPECT_NEAR(m[1][3], 2.0, 1e-12);
    EXPECT_NEAR(m[2][3], 1.0, 1e-12);
}
