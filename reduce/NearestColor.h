// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reduce/LabColor.h"

#include <cstdint>
#include <vector>

// The colour nearest `lab` among `choices`, by CIEDE2000, and how far it is.
// CIEDE2000 costs far more than a distance in CIELAB and orders colours
// nearly as that does: with a shortlist, only that many choices nearest in
// CIELAB are weighed by CIEDE2000. Ties go to the earlier choice.
struct Nearest
{
    std::int32_t position = -1;
    float difference = 0;
};

constexpr std::int32_t kWholeList = 0;

Nearest NearestColor(const LabColor& lab, const std::vector<LabColor>& choices,
                     std::int32_t shortlist = kWholeList);

// The nearest by distance in CIELAB, and that distance.
Nearest NearestInLab(const LabColor& lab, const std::vector<LabColor>& choices);

inline float LabDistanceSquared(const LabColor& first, const LabColor& second)
{
    const float dL = first.L - second.L;
    const float da = first.a - second.a;
    const float db = first.b - second.b;
    return dL * dL + da * da + db * db;
}
