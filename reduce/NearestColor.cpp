// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/NearestColor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace
{

constexpr std::size_t kLongestShortlist = 8;

Nearest WeighAll(const LabColor& lab, const std::vector<LabColor>& choices)
{
    Nearest nearest{-1, std::numeric_limits<float>::max()};
    for (std::size_t i = 0; i < choices.size(); ++i)
    {
        const float difference = DeltaE2000(lab, choices[i]);
        if (difference < nearest.difference)
            nearest = {std::int32_t(i), difference};
    }
    return nearest;
}

} // namespace

Nearest NearestColor(const LabColor& lab, const std::vector<LabColor>& choices,
                     std::int32_t shortlist)
{
    const std::size_t listed = std::min<std::size_t>(std::size_t(shortlist), kLongestShortlist);
    if (shortlist == kWholeList || choices.size() <= listed)
        return WeighAll(lab, choices);

    // The `listed` nearest in CIELAB, kept sorted by distance.
    std::array<std::pair<float, std::int32_t>, kLongestShortlist> best;
    std::size_t held = 0;
    for (std::size_t i = 0; i < choices.size(); ++i)
    {
        const float distance = LabDistanceSquared(lab, choices[i]);
        if (held == listed && distance >= best[held - 1].first)
            continue;
        std::size_t at = held < listed ? held++ : held - 1;
        for (; at > 0 && best[at - 1].first > distance; --at)
            best[at] = best[at - 1];
        best[at] = {distance, std::int32_t(i)};
    }
    Nearest nearest{-1, std::numeric_limits<float>::max()};
    for (std::size_t i = 0; i < held; ++i)
    {
        const std::int32_t position = best[i].second;
        const float difference = DeltaE2000(lab, choices[std::size_t(position)]);
        if (difference < nearest.difference ||
            (difference == nearest.difference && position < nearest.position))
            nearest = {position, difference};
    }
    return nearest;
}

Nearest NearestInLab(const LabColor& lab, const std::vector<LabColor>& choices)
{
    Nearest nearest{-1, std::numeric_limits<float>::max()};
    for (std::size_t i = 0; i < choices.size(); ++i)
    {
        const float distance = LabDistanceSquared(lab, choices[i]);
        if (distance < nearest.difference)
            nearest = {std::int32_t(i), distance};
    }
    nearest.difference = std::sqrt(nearest.difference);
    return nearest;
}
