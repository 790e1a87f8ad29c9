// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drawing one row of image pixels over a row of surface colours, one
// function per image depth. Each takes the first image pixel's bytes, the
// surface colours beneath the row (under) and where the result goes (dst),
// which may be the same row, and draws count pixels.

#include <array>
#include <cstdint>

class CColorTable;

// Marks a transparent palette entry. Surface colours always carry 0xFF in
// their top byte, so no colour is mistaken for it.
constexpr std::uint32_t kTransparent = 0;

// The surface colour of every 8-bit index, or kTransparent for index 0, for
// entries holding the colour key and for indices the table does not hold.
using PaletteTable = std::array<std::uint32_t, 256>;
PaletteTable MakePaletteTable(const CColorTable& table);

// The colour key: red 255, green 0, blue 255 is never drawn.
constexpr bool IsColorKey(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return red == 255 && green == 0 && blue == 255;
}

// x div 255 for 0 <= x <= 255 * 255, without a division.
constexpr std::uint32_t Div255(std::uint32_t x)
{
    return (x + 1 + (x >> 8)) >> 8;
}

// One channel of source s with alpha a over surface channel d:
// (d * (255 - a) + s * a) div 255.
constexpr std::uint8_t BlendChannel(std::uint8_t d, std::uint8_t s, std::uint8_t a)
{
    return std::uint8_t(Div255(std::uint32_t(d) * (255u - a) + std::uint32_t(s) * a));
}

void DrawSpan8(const std::uint8_t* src, const PaletteTable& palette, const std::uint32_t* under,
               std::uint32_t* dst, std::int32_t count);
void DrawSpan16(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                std::int32_t count);
void DrawSpan24(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                std::int32_t count);
void DrawSpan32(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                std::int32_t count);

// The one of those for bytesPerPixel 1 to 4; the palette counts for 1 only.
void DrawSpan(std::int32_t bytesPerPixel, const std::uint8_t* src, const PaletteTable& palette,
              const std::uint32_t* under, std::uint32_t* dst, std::int32_t count);
