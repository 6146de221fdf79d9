#include "platform/rtl/Random.h"

#include <gtest/gtest.h>

TEST(Random, FollowsTheLinearCongruentialRecurrence)
{
    rtl::SetRandSeed(0);
    EXPECT_EQ(rtl::Random(), 1.0 / 4294967296.0);
    EXPECT_EQ(rtl::RandSeed(), 1u);
    rtl::Random();
    EXPECT_EQ(rtl::RandSeed(), 134775814u);
    rtl::SetRandSeed(0xFFFFFFFFu);
    rtl::Random();
    EXPECT_EQ(rtl::RandSeed(), uint32_t(0xFFFFFFFFull * 134775813ull + 1ull));
}

TEST(Random, StaysInTheUnitInterval)
{
    rtl::Randomize();
    for (int i = 0; i < 100000; ++i) {
        const double v = rtl::Random();
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
    }
}
