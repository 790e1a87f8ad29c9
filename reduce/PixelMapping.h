// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reduce/PictureColors.h"

#include <array>
#include <cstdint>
#include <vector>

enum class Dithering
{
    None,      // each colour shown by its nearest row colour
    Ordered,   // a 4 × 4 Bayer pattern of the two nearest row colours
    Diffusion, // Floyd-Steinberg error diffusion, at a strength from 0 to 100 %
};

constexpr std::int32_t kFullStrength = 100;

// One opaque colour of a palette row: its entry (1-15) and how it shows.
struct RowColor
{
    std::int32_t entry = 0;
    std::uint32_t rgb = 0;
    LabColor lab;
};

RowColor MakeRowColor(std::int32_t entry, std::uint16_t word);

// Each pixel's entry in the row: 0 where it is transparent. Without
// dithering every colour gets its nearest row colour by CIEDE2000 (weighed
// among the three nearest in CIELAB, which all but never misses). A colour
// the row holds exactly is never dithered, nor takes or passes on error:
// flat areas stay flat, and a picture in the row's colours maps exactly
// with any dithering. An empty `row` gives entry 0 everywhere.
std::vector<std::uint8_t> MapPixels(const PictureColors& colors, const std::vector<RowColor>& row,
                                    Dithering dithering, std::int32_t strength);
