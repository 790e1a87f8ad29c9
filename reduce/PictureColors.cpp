// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/PictureColors.h"

#include "image/SpriteImage.h"
#include "reduce/KeyTable.h"

namespace
{

constexpr std::uint32_t kColorKey = 0xFF00FF;
constexpr std::uint8_t kOpaque = 255;

// A pixel's colour, or kNoColor when it is transparent.
constexpr std::uint32_t kNoColor = 0xFFFFFFFF;

class CPixelReader
{
public:
    CPixelReader(const CSpriteImage& picture, std::int32_t threshold, PictureColors& colors)
        : m_picture(picture), m_threshold(threshold), m_colors(colors)
    {
    }

    std::uint32_t Read(std::int32_t i) const
    {
        const std::uint8_t* pixels = m_picture.GetPixels();
        switch (m_picture.GetBitsPerPixel())
        {
        case 8:
            return Indexed(pixels[i]);
        case 24:
            return Keyed(RgbOf(pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2]));
        default:
            return WithAlpha(pixels + 4 * i);
        }
    }

private:
    std::uint32_t Indexed(std::uint8_t index) const
    {
        const ColorEntry* entry = m_picture.GetColor(index);
        if (index == 0 || entry == nullptr)
            return kNoColor;
        return Keyed(RgbOf(entry->red, entry->green, entry->blue));
    }

    static std::uint32_t Keyed(std::uint32_t rgb) { return rgb == kColorKey ? kNoColor : rgb; }

    std::uint32_t WithAlpha(const std::uint8_t* pixel) const
    {
        const std::uint8_t alpha = pixel[3];
        if (alpha == 0)
            return kNoColor;
        if (alpha < m_threshold)
        {
            ++m_colors.madeTransparent;
            return kNoColor;
        }
        const std::uint32_t rgb = Keyed(RgbOf(pixel[0], pixel[1], pixel[2]));
        if (alpha != kOpaque && rgb != kNoColor)
            ++m_colors.madeOpaque;
        return rgb;
    }

    const CSpriteImage& m_picture;
    std::int32_t m_threshold;
    PictureColors& m_colors;
};

} // namespace

std::uint32_t RgbOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | blue;
}

LabColor LabOfRgb(std::uint32_t rgb)
{
    return RgbToLab(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

Result ReadPictureColors(const CSpriteImage& picture, std::int32_t alphaThreshold,
                         PictureColors& colors)
{
    const std::int32_t depth = picture.GetBitsPerPixel();
    if (depth != 8 && depth != 24 && depth != 32)
        return Failure(Reason::ReduceBadDepth, depth);
    if (alphaThreshold < kLowestAlphaThreshold || alphaThreshold > kHighestAlphaThreshold)
        return Failure(Reason::AlphaThresholdRange, alphaThreshold, kHighestAlphaThreshold);

    colors = PictureColors{};
    colors.width = picture.GetWidth();
    colors.height = picture.GetHeight();
    const std::int32_t count = colors.width * colors.height;
    colors.pixels.resize(std::size_t(count));
    CKeyTable numbers;
    const CPixelReader reader(picture, alphaThreshold, colors);
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint32_t rgb = reader.Read(i);
        if (rgb == kNoColor)
        {
            colors.pixels[std::size_t(i)] = PictureColors::kTransparent;
            continue;
        }
        const std::int32_t number = numbers.Number(rgb);
        if (number == std::int32_t(colors.colors.size()))
            colors.colors.push_back({rgb, 0, LabOfRgb(rgb)});
        ++colors.colors[std::size_t(number)].count;
        colors.pixels[std::size_t(i)] = number;
        ++colors.opaquePixels;
    }
    return {};
}
