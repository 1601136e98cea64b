#include "imaging/bitmaps/CurveFit.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CurveFit, TermCountsAndUnknownModels) {
    const int expected[] = {2, 3, 4, 5, 2, 2, 2, 0};
    for (int type = 0; type < 8; ++type)
        EXPECT_EQ(FitTermCount(type), expected[type]) << type;
    double x[2] = {0, 1}, y[2] = {0, 1}, c[5];
    EXPECT_EQ(FitPolynomial(7, x, y, 2, c), 0);
    EXPECT_EQ(FitPolynomial(-1, x, y, 2, c), 0);
    const double a[5] = {1, 2, 3, 4, 5};
    EXPECT_DOUBLE_EQ(EvaluatePolynomial(0, a, 2.0), 5.0);
    EXPECT_DOUBLE_EQ(EvaluatePolynomial(3, a, 2.0), 1 + 4 + 12 + 32 + 80);
    EXPECT_DOUBLE_EQ(EvaluatePolynomial(5, a, 2.0), 5.0); // two-coefficient models are lines
}

TEST(CurveFit, RecoversALineAndAParabola) {
    double x[11], y[11], q[11];
    for (int i = 0; i < 11; ++i) {
        x[i] = i;
        y[i] = 2.0 + 3.0 * i;
        q[i] = 1.0 - 2.0 * i + 0.5 * i * i;
    }
    double c[5];
    ASSERT_EQ(FitPolynomial(0, x, y, 11, c), 1);
    EXPECT_NEAR(c[0], 2.0, 1e-6);
    EXPECT_NEAR(c[1], 3.0, 1e-6);
    EXPECT_EQ(c[2], 0.0);
    ASSERT_EQ(FitPolynomial(1, x, q, 11, c), 1);
    EXPECT_LT(FitResidualSum(1, c, x, q, 11), 1e-3);
    EXPECT_NEAR(c[2], 0.5, 1e-2);
    EXPECT_EQ(c[3], 0.0);
    EXPECT_EQ(c[4], 0.0);
}

TEST(CurveFit, AllZeroDataConvergesToZeroWithoutDividingByZero) {
    double x[4] = {0, 1, 2, 3}, y[4] = {0, 0, 0, 0}, c[5];
    ASSERT_EQ(FitPolynomial(3, x, y, 4, c), 1);
    for (double v : c) {
        EXPECT_TRUE(std::isfinite(v));
        EXPECT_NEAR(v, 0.0, 1e-9);
    }
}
