// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "reduce/LabColor.h"

#include <cstdint>
#include <vector>

class CSpriteImage;

// Alpha at or above the threshold is opaque, below it transparent; alpha 0
// is always transparent, whatever the threshold.
constexpr std::int32_t kDefaultAlphaThreshold = 128;
constexpr std::int32_t kLowestAlphaThreshold = 1;
constexpr std::int32_t kHighestAlphaThreshold = 255;

// One colour of a picture's opaque pixels, and how many pixels have it.
struct PictureColor
{
    std::uint32_t rgb = 0; // 0xRRGGBB
    std::int32_t count = 0;
    LabColor lab;
};

// A picture as opaque colours: what the colour reduction and the colourways
// work on. A pixel is transparent as the view shows it: index 0 of an 8-bit
// picture, the colour key (red 255, green 0, blue 255) at any depth, and in
// a 32-bit picture alpha below the threshold. Partial alpha is never blended
// into the colour: a pixel is made transparent or opaque, and counted.
struct PictureColors
{
    static constexpr std::int32_t kTransparent = -1;

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<PictureColor> colors; // in the order they first appear
    std::vector<std::int32_t>
        pixels; // per pixel, rows top first: a colour's number or kTransparent
    std::int64_t opaquePixels = 0;
    std::int64_t madeTransparent = 0; // alpha 1 to threshold - 1
    std::int64_t madeOpaque = 0;      // alpha threshold to 254
};

// Fails for a depth other than 8, 24 or 32 bits, or a threshold outside 1-255,
// leaving `colors` as they were; otherwise `colors` are replaced, their
// buffers reused.
Result ReadPictureColors(const CSpriteImage& picture, std::int32_t alphaThreshold,
                         PictureColors& colors);

std::uint32_t RgbOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
LabColor LabOfRgb(std::uint32_t rgb);
