// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/PictureColors.h"

#include "image/SpriteImage.h"

namespace
{

constexpr std::uint32_t kColorKey = 0xFF00FF;
constexpr std::uint8_t kOpaque = 255;
constexpr std::size_t kCellCount = 1 << 15;

// A pixel's colour, or kNoColor when it is transparent.
constexpr std::uint32_t kNoColor = 0xFFFFFFFF;

std::uint32_t Keyed(std::uint32_t rgb)
{
    return rgb == kColorKey ? kNoColor : rgb;
}

// Numbers a picture's colours through their 15-bit cells, each cell heading
// a list of its colours: a few steps for any picture, and small tables.
class CColorCollector
{
public:
    explicit CColorCollector(PictureColors& colors) : m_colors(colors), m_cellFirst(kCellCount, -1)
    {
    }

    // Every pixel's colour through read(i), which answers 0xRRGGBB or kNoColor.
    template <typename Read>
    void Collect(Read read)
    {
        const std::size_t count = std::size_t(m_colors.width) * std::size_t(m_colors.height);
        m_colors.pixels.resize(count);
        std::int32_t* numbers = m_colors.pixels.data();
        // Runs of one colour, common in sprites, are numbered and counted once.
        std::uint32_t lastRgb = kNoColor;
        std::int32_t lastNumber = PictureColors::kTransparent;
        std::size_t runStart = 0;
        for (std::size_t i = 0; i < count; ++i)
        {
            const std::uint32_t rgb = read(i);
            if (rgb != lastRgb)
            {
                CountRun(lastNumber, i - runStart);
                runStart = i;
                lastRgb = rgb;
                lastNumber = rgb == kNoColor ? PictureColors::kTransparent : Number(rgb);
            }
            numbers[i] = lastNumber;
        }
        CountRun(lastNumber, count - runStart);
        for (const PictureColor& color : m_colors.colors)
            m_colors.opaquePixels += color.count;
    }

private:
    void CountRun(std::int32_t number, std::size_t length)
    {
        if (number != PictureColors::kTransparent)
            m_colors.colors[std::size_t(number)].count += std::int32_t(length);
    }

    std::int32_t Number(std::uint32_t rgb)
    {
        const std::uint32_t cell = (rgb >> 9 & 0x7C00) | (rgb >> 6 & 0x3E0) | (rgb >> 3 & 0x1F);
        for (std::int32_t n = m_cellFirst[cell]; n >= 0; n = m_nextInCell[std::size_t(n)])
            if (m_colors.colors[std::size_t(n)].rgb == rgb)
                return n;
        const auto number = std::int32_t(m_colors.colors.size());
        m_colors.colors.push_back({rgb, 0, LabOfRgb(rgb)});
        m_nextInCell.push_back(m_cellFirst[cell]);
        m_cellFirst[cell] = number;
        return number;
    }

    PictureColors& m_colors;
    std::vector<std::int32_t> m_cellFirst;
    std::vector<std::int32_t> m_nextInCell;
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

    // The buffers are kept: reading pictures one after another into the
    // same colours costs no fresh memory.
    colors.width = picture.GetWidth();
    colors.height = picture.GetHeight();
    colors.colors.clear();
    colors.pixels.clear();
    colors.opaquePixels = colors.madeTransparent = colors.madeOpaque = 0;
    CColorCollector collector(colors);
    const std::uint8_t* pixels = picture.GetPixels();
    if (depth == 8)
    {
        // Index 0, and any index past the table, is transparent as shown.
        std::uint32_t table[256];
        for (std::int32_t index = 0; index < 256; ++index)
        {
            const ColorEntry* entry = picture.GetColor(index);
            table[index] = index == 0 || entry == nullptr
                               ? kNoColor
                               : Keyed(RgbOf(entry->red, entry->green, entry->blue));
        }
        collector.Collect([&](std::size_t i) { return table[pixels[i]]; });
    }
    else if (depth == 24)
    {
        collector.Collect(
            [&](std::size_t i)
            { return Keyed(RgbOf(pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2])); });
    }
    else
    {
        // Counted apart from `colors`, which the collector writes to.
        std::int64_t madeTransparent = 0, madeOpaque = 0;
        collector.Collect(
            [&](std::size_t i)
            {
                const std::uint8_t* pixel = pixels + 4 * i;
                const std::uint8_t alpha = pixel[3];
                if (alpha == 0)
                    return kNoColor;
                if (alpha < alphaThreshold)
                {
                    ++madeTransparent;
                    return kNoColor;
                }
                const std::uint32_t rgb = Keyed(RgbOf(pixel[0], pixel[1], pixel[2]));
                if (alpha != kOpaque && rgb != kNoColor)
                    ++madeOpaque;
                return rgb;
            });
        colors.madeTransparent = madeTransparent;
        colors.madeOpaque = madeOpaque;
    }
    return {};
}
