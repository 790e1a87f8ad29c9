// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PixelSpans.h"

#include "image/ColorTable.h"
#include "render/Surface.h"
#include "render/WideSpans.h"

namespace
{

constexpr std::uint16_t kKeyWord16 = 0x7C1F; // red 31, green 0, blue 31
constexpr std::uint16_t kColorBits16 = 0x7FFF;
constexpr std::uint32_t kFiveBits = 31;

std::uint8_t Red(std::uint32_t color)
{
    return std::uint8_t(color >> 16);
}
std::uint8_t Green(std::uint32_t color)
{
    return std::uint8_t(color >> 8);
}
std::uint8_t Blue(std::uint32_t color)
{
    return std::uint8_t(color);
}

// A 5-bit channel spread over 8 bits: c * 8, except that full intensity
// stays full (31 gives 255, not 248).
std::uint8_t Expand5(std::uint32_t c)
{
    return std::uint8_t(c == kFiveBits ? 255 : c * 8);
}

std::uint32_t BlendPixel(const std::uint8_t* src, std::uint32_t under)
{
    if (IsColorKey(src[0], src[1], src[2]))
        return under;
    const std::uint8_t alpha = src[3];
    return MakeRgb(BlendChannel(Red(under), src[0], alpha),
                   BlendChannel(Green(under), src[1], alpha),
                   BlendChannel(Blue(under), src[2], alpha));
}

} // namespace

PaletteTable MakePaletteTable(const CColorTable& table)
{
    PaletteTable palette;
    palette.fill(kTransparent);
    const std::int32_t held = table.GetSize() < 256 ? table.GetSize() : 256;
    for (std::int32_t index = 1; index < held; ++index)
    {
        const ColorEntry& entry = *table.GetAt(index);
        if (!IsColorKey(entry.red, entry.green, entry.blue))
            palette[std::size_t(index)] = MakeRgb(entry.red, entry.green, entry.blue);
    }
    return palette;
}

void DrawSpan8(const std::uint8_t* src, const PaletteTable& palette, const std::uint32_t* under,
               std::uint32_t* dst, std::int32_t count)
{
    // Without a branch: sheets mix transparent and opaque pixels too finely
    // for branch prediction.
    for (std::int32_t i = DrawWide8(src, palette, under, dst, count); i < count; ++i)
    {
        const std::uint32_t color = palette[src[i]];
        const std::uint32_t opaque = 0u - (color >> 31);
        dst[i] = (color & opaque) | (under[i] & ~opaque);
    }
}

void DrawSpan16(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint32_t word = src[2 * i] | std::uint32_t(src[2 * i + 1]) << 8;
        dst[i] = (word & kColorBits16) == kKeyWord16
                     ? under[i]
                     : MakeRgb(Expand5((word >> 10) & kFiveBits), Expand5((word >> 5) & kFiveBits),
                               Expand5(word & kFiveBits));
    }
}

void DrawSpan24(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                std::int32_t count)
{
    for (std::int32_t i = DrawWide24(src, under, dst, count); i < count; ++i)
    {
        const std::uint8_t* pixel = src + 3 * i;
        dst[i] = IsColorKey(pixel[0], pixel[1], pixel[2]) ? under[i]
                                                          : MakeRgb(pixel[0], pixel[1], pixel[2]);
    }
}

void DrawSpan32(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                std::int32_t count)
{
    for (std::int32_t i = DrawWide32(src, under, dst, count); i < count; ++i)
        dst[i] = BlendPixel(src + 4 * i, under[i]);
}

void DrawSpan(std::int32_t bytesPerPixel, const std::uint8_t* src, const PaletteTable& palette,
              const std::uint32_t* under, std::uint32_t* dst, std::int32_t count)
{
    switch (bytesPerPixel)
    {
    case 1:
        DrawSpan8(src, palette, under, dst, count);
        break;
    case 2:
        DrawSpan16(src, under, dst, count);
        break;
    case 3:
        DrawSpan24(src, under, dst, count);
        break;
    case 4:
        DrawSpan32(src, under, dst, count);
        break;
    default:
        break;
    }
}
