#include "Processors.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace rtl {

namespace {

struct CgroupMount
{
    std::string hierarchyRoot; // the group the mount shows at its mount point
    std::string mountPoint;
};

// Where the process's group of one hierarchy lies: a "cgroup2" mount, or a "cgroup" mount with
// the cpu controller.
struct CpuHierarchy
{
    bool unified = false;
    std::string groupPath; // from /proc/self/cgroup
    CgroupMount mount;
};

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

bool hasCpuController(const std::string &list)
{
    const std::vector<std::string> names = split(list, ',');
    return std::find(names.begin(), names.end(), "cpu") != names.end();
}

// The mount of the unified hierarchy, or of the v1 hierarchy with the cpu controller.
bool findMount(const std::string &root, bool unified, CgroupMount &found)
{
    std::ifstream mountinfo(root + "/proc/self/mountinfo");
    for (std::string line; std::getline(mountinfo, line);) {
        const size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        const std::vector<std::string> before = split(line.substr(0, dash), ' ');
        const std::vector<std::string> after = split(line.substr(dash + 3), ' ');
        if (before.size() < 5 || after.size() < 3)
            continue;
        const bool match = unified ? after[0] == "cgroup2" : after[0] == "cgroup" && hasCpuController(after[2]);
        if (match) {
            found = {before[3], before[4]};
            return true;
        }
    }
    return false;
}

std::vector<CpuHierarchy> cpuHierarchies(const std::string &root)
{
    std::vector<CpuHierarchy> hierarchies;
    std::ifstream groups(root + "/proc/self/cgroup");
    for (std::string line; std::getline(groups, line);) {
        // hierarchy-id:controllers:path; the unified hierarchy has id 0 and no controllers.
        const size_t first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        CpuHierarchy hierarchy;
        hierarchy.unified = line.compare(0, first, "0") == 0 && controllers.empty();
        hierarchy.groupPath = line.substr(second + 1);
        if ((hierarchy.unified || hasCpuController(controllers)) && findMount(root, hierarchy.unified, hierarchy.mount))
            hierarchies.push_back(hierarchy);
    }
    return hierarchies;
}

// The processors one group's quota grants; 0 when it sets none.
double groupQuota(const std::string &folder, bool unified)
{
    double quota = -1, period = 0;
    if (unified) {
        std::ifstream cpuMax(folder + "/cpu.max");
        std::string limit;
        if (!(cpuMax >> limit >> period) || limit == "max")
            return 0;
        quota = std::strtod(limit.c_str(), nullptr);
    } else {
        std::ifstream quotaFile(folder + "/cpu.cfs_quota_us"), periodFile(folder + "/cpu.cfs_period_us");
        if (!(quotaFile >> quota) || !(periodFile >> period))
            return 0;
    }
    return quota > 0 && period > 0 ? quota / period : 0;
}

// The smallest quota from the process's group up to the top of what the mount shows.
double pathQuota(const std::string &root, const CpuHierarchy &hierarchy)
{
    std::string relative = hierarchy.groupPath;
    const std::string &shown = hierarchy.mount.hierarchyRoot;
    const bool below = relative.compare(0, shown.size(), shown) == 0 &&
                       (relative.size() == shown.size() || relative[shown.size()] == '/');
    if (shown != "/" && below)
        relative.erase(0, shown.size());
    double smallest = 0;
    for (;;) {
        const double quota = groupQuota(root + hierarchy.mount.mountPoint + relative, hierarchy.unified);
        if (quota > 0 && (smallest == 0 || quota < smallest))
            smallest = quota;
        if (relative.empty() || relative == "/")
            return smallest;
        const size_t slash = relative.find_last_of('/');
        relative.erase(slash == std::string::npos ? 0 : std::max<size_t>(slash, 1));
    }
}

unsigned affinityProcessors()
{
    // A mask larger than the default set is needed on machines of more than 1024 processors.
    for (int processors = CPU_SETSIZE; processors <= (1 << 20); processors *= 2) {
        cpu_set_t *set = CPU_ALLOC(processors);
        const size_t size = CPU_ALLOC_SIZE(processors);
        const bool read = sched_getaffinity(0, size, set) == 0;
        const int count = read ? CPU_COUNT_S(size, set) : 0;
        CPU_FREE(set);
        if (read)
            return unsigned(count);
        if (errno != EINVAL)
            break;
    }
    return std::thread::hardware_concurrency();
}

} // namespace

unsigned CgroupProcessorLimit(const std::string &root)
{
    const std::string base = root == "/" ? std::string() : root;
    double smallest = 0;
    for (const CpuHierarchy &hierarchy : cpuHierarchies(base)) {
        const double quota = pathQuota(base, hierarchy);
        if (quota > 0 && (smallest == 0 || quota < smallest))
            smallest = quota;
    }
    return smallest > 0 ? unsigned(std::max(1.0, std::ceil(smallest))) : 0;
}

unsigned UsableProcessors()
{
    // Quotas are set when a container starts; the affinity mask may change while the program runs.
    static const unsigned quotaLimit = CgroupProcessorLimit();
    unsigned processors = std::max(1u, affinityProcessors());
    if (quotaLimit > 0)
        processors = std::min(processors, quotaLimit);
    return processors;
}

} // namespace rtl
