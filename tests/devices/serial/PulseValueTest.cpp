#include "devices/serial/PulseValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

TEST(PulseValue, CutsToFourDecimalsKeepingExactlyTypedValues) {
    EXPECT_DOUBLE_EQ(TruncatePulseValue(0.12346), 0.1234);
    EXPECT_DOUBLE_EQ(TruncatePulseValue(100.0 / 2000.0), 0.05);
    EXPECT_DOUBLE_EQ(TruncatePulseValue(0.00019), 0.0001);
    EXPECT_DOUBLE_EQ(TruncatePulseValue(-0.12346), -0.1234);
    EXPECT_EQ(TruncatePulseValue(0.0), 0.0);
    EXPECT_TRUE(std::isnan(TruncatePulseValue(std::nan(""))));

    // Every value typed with four decimals is stored as typed (formatted back, it reads the same).
    for (int n = 1; n <= 9999; ++n) {
        char typed[16];
        std::snprintf(typed, sizeof typed, "0.%04d", n);
        const double stored = TruncatePulseValue(std::stod(typed));
        char back[16];
        std::snprintf(back, sizeof back, "%.4f", stored);
        ASSERT_STREQ(back, typed);
        ASSERT_LE(std::fabs(stored * 10000.0 - n), 1e-9) << typed;
    }
}

} // namespace
