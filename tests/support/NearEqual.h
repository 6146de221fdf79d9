#pragma once
// Near-equality checks that print expected, actual and their difference.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

inline ::testing::AssertionResult NearRelative(long double expected, long double actual, long double tolerance)
{
    const long double difference = std::fabs(expected - actual);
    const long double scale = std::max<long double>(std::fabs(expected), 1.0L);
    if (difference <= tolerance * scale)
        return ::testing::AssertionSuccess();
    std::ostringstream text;
    text.precision(18);
    text << "expected " << expected << ", actual " << actual << ", difference " << difference
         << " exceeds " << tolerance * scale;
    return ::testing::AssertionFailure() << text.str();
}

#define EXPECT_NEAR_REL(expected, actual, tolerance) EXPECT_TRUE(NearRelative((expected), (actual), (tolerance)))
