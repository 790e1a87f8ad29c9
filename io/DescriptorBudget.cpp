// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/DescriptorBudget.h"

#include <algorithm>
#include <sys/resource.h>

namespace
{
// Descriptors kept for standard streams, inputs, files being written and
// the libraries'.
constexpr rlim_t kKeptDescriptors = 64;
constexpr rlim_t kDescriptorsPerFile = 2;
constexpr rlim_t kPlaces = 2;
} // namespace

std::size_t FilesThatMayWaitOpen(std::size_t most)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return most;
    const rlim_t spare = limit.rlim_cur > kKeptDescriptors ? limit.rlim_cur - kKeptDescriptors : 0;
    return std::clamp<std::size_t>(spare / (kDescriptorsPerFile * kPlaces), 1, most);
}
