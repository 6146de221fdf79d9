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

TEST(Random, JumpsAheadToWhereSteppingArrives)
{
    for (const uint32_t start : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
        uint32_t stepped = start;
        for (uint64_t steps = 0; steps <= 3000; ++steps) {
            ASSERT_EQ(rtl::SeedAfter(start, steps), stepped) << start << " after " << steps;
            stepped = stepped * 134775813u + 1u;
        }
        // The sequence has full period: 2^32 steps come back to the start.
        EXPECT_EQ(rtl::SeedAfter(start, uint64_t(1) << 32), start);
        EXPECT_EQ(rtl::SeedAfter(start, (uint64_t(1) << 32) + 7), rtl::SeedAfter(start, 7));
    }
}

TEST(Random, APrivateSequenceContinuesTheProgramWideOne)
{
    rtl::SetRandSeed(777);
    for (int i = 0; i < 5; ++i)
        rtl::Random();
    rtl::TRandomSequence sequence(rtl::SeedAfter(777, 5));
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(sequence.Next(), rtl::Random()) << i;
    EXPECT_EQ(sequence.Seed(), rtl::RandSeed());
}
