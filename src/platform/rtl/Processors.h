#pragma once
// The processors this process may use: those its affinity mask names, fewer where a control
// group's CPU quota grants less time than that.

#include <string>

namespace rtl {

/// The processors the calling thread may run on (its affinity mask, as `taskset` sets it),
/// lowered to the whole processors a control group's CPU quota grants; at least 1.
unsigned UsableProcessors();

/// The whole processors (rounded up) that the CPU quotas of the process's control groups grant,
/// the smallest along each group's path: cgroup v2 `cpu.max`, v1 `cpu.cfs_quota_us` over
/// `cpu.cfs_period_us`. `root` prefixes every path read ("/proc/self/cgroup",
/// "/proc/self/mountinfo" and the mount points named there); 0 when no quota is set.
unsigned CgroupProcessorLimit(const std::string &root = "/");

} // namespace rtl
