// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reduce/Colorways.h"
#include "reduce/ReduceColors.h"

#include <cstdint>
#include <vector>

class CSpriteImage;

// Import Colourways: pictures of one sprite in several colourways, each
// given to a palette row.
struct ColorwayRequest
{
    // The base picture first, then up to 15 more of its size.
    std::vector<const CSpriteImage*> pictures;
    // One palette row (0-15) per picture, each row once.
    std::vector<std::int32_t> rows;
    // More than 15 colour classes are reduced to 15 (the base picture
    // through Reduce Colours) rather than refused.
    bool reduce = false;
    // The reduction's; the alpha threshold counts for an exact build too.
    ReduceOptions options;
};
