#pragma once
// Runs code under a file size limit, as "ulimit -f" sets one: a write past `limit` bytes of any
// file fails with EFBIG (the signal it would raise is ignored meanwhile).

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

inline void WithFileSizeLimit(rlim_t limit, const std::function<void()> &body)
{
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved;
    lowered.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    body();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
}
