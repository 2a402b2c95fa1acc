#include "engine/SpringTank.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ScaledClip, ClipsAndZeroesTinyValues) {
    EXPECT_EQ(SpringTank::scaledClip(5.0f), 0.5f);
    EXPECT_EQ(SpringTank::scaledClip(-30.0f), -1.0f);
    EXPECT_EQ(SpringTank::scaledClip(30.0f), 1.0f);
    // |z| up to 2^-25 becomes exactly 0.
    EXPECT_EQ(SpringTank::scaledClip(5e-8f), 0.0f);
    EXPECT_EQ(SpringTank::scaledClip(-2.9e-7f), 0.0f);
}

TEST(ScaledClip, StaysWithinFullScaleWhereTheRoundingsNoLongerCancel) {
    // Around 2^24 the single-precision steps alone would give up to 2.
    for (float o = 1.5e8f; o < 7e8f; o += 997.0f) {
        const float c = SpringTank::scaledClip(o);
        ASSERT_LE(std::fabs(c), 1.0f) << o;
        ASSERT_LE(std::fabs(SpringTank::scaledClip(-o)), 1.0f) << o;
    }
    EXPECT_TRUE(std::isnan(SpringTank::scaledClip(std::numeric_limits<float>::infinity())));
}

}  // namespace
