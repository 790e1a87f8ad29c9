// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures for the colour reduction and colourway tests, drawn in code.

#include "image/ColorWord.h"
#include "image/SpriteImage.h"

#include <cstdint>
#include <functional>

// A 32-bit picture whose pixel (x, y) is color(x, y).
inline CSpriteImage DrawPicture(int width, int height,
                                const std::function<ColorEntry(int, int)>& color)
{
    CSpriteImage picture;
    picture.Create(width, height, 32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const ColorEntry c = color(x, y);
            std::uint8_t* pixel = picture.GetPixels() + 4 * (y * width + x);
            pixel[0] = c.red, pixel[1] = c.green, pixel[2] = c.blue, pixel[3] = c.alpha;
        }
    return picture;
}

inline ColorEntry PixelOf(const CSpriteImage& picture, int x, int y)
{
    const std::uint8_t* pixel = picture.GetPixels() + 4 * (y * picture.GetWidth() + x);
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

inline bool SameColor(const ColorEntry& x, const ColorEntry& y)
{
    return x.red == y.red && x.green == y.green && x.blue == y.blue;
}

constexpr ColorEntry kClear{0, 0, 0, 0};

// A 15-bit colour, opaque, from its 5-bit channels.
inline ColorEntry Word(int red, int green, int blue)
{
    return ColorWordToEntry(std::uint16_t(red | green << 5 | blue << 10));
}

// A 24 x 16 sprite of `classes` regions (at most 15) in the colours of
// `palette`, on a transparent ground: bands of varying width, so every
// region has pixels in many places.
inline CSpriteImage Sprite(const ColorEntry* palette, int classes)
{
    return DrawPicture(24, 16,
                       [=](int x, int y)
                       {
                           if ((x + y) % 7 == 0 || y == 0)
                               return kClear;
                           return palette[(x / 3 + y * 5 + x * y / 11) % classes];
                       });
}
