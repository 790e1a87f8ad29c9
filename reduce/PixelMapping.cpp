// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/PixelMapping.h"

#include "image/ColorWord.h"
#include "reduce/NearestColor.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr std::int32_t kWordCount = 1 << 15;
constexpr std::int32_t kMappingShortlist = 3;
constexpr std::int32_t kBayerSize = 4;
constexpr std::int32_t kBayer[kBayerSize][kBayerSize] = {
    {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
constexpr float kBayerLevels = kBayerSize * kBayerSize;
constexpr float kFieldScale = 8;
constexpr std::int32_t kFieldMax = 31;
// Floyd-Steinberg's shares of a pixel's error, in sixteenths.
constexpr float kAhead = 7.0f / 16, kBehindBelow = 3.0f / 16, kBelow = 5.0f / 16,
                kAheadBelow = 1.0f / 16;

std::vector<LabColor> LabsOf(const std::vector<RowColor>& row)
{
    std::vector<LabColor> labs;
    for (const RowColor& color : row)
        labs.push_back(color.lab);
    return labs;
}

std::array<float, 3> Channels(std::uint32_t rgb)
{
    return {float(rgb >> 16 & 0xFF), float(rgb >> 8 & 0xFF), float(rgb & 0xFF)};
}

std::array<float, 3> Linear(std::uint32_t rgb)
{
    return {LinearOf(std::uint8_t(rgb >> 16)), LinearOf(std::uint8_t(rgb >> 8)),
            LinearOf(std::uint8_t(rgb))};
}

// How a colour is shown: by one row colour, or by a mix of two, the second
// where the Bayer level lies below `share`.
struct Mix
{
    std::int32_t first = 0;
    std::int32_t second = 0;
    float share = 0;
};

// The two nearest row colours by CIEDE2000, mixed in linear light in the
// share that comes nearest the colour.
Mix MixFor(const PictureColor& color, const std::vector<RowColor>& row,
           const std::vector<LabColor>& labs)
{
    const Nearest nearest = NearestColor(color.lab, labs, kMappingShortlist);
    Mix mix{nearest.position, nearest.position, 0};
    if (row[std::size_t(nearest.position)].rgb == color.rgb)
        return mix;
    // The second is the nearest of another colour: a row may hold one twice.
    std::vector<LabColor> others;
    std::vector<std::int32_t> positions;
    for (std::size_t i = 0; i < row.size(); ++i)
        if (row[i].rgb != row[std::size_t(mix.first)].rgb)
        {
            others.push_back(labs[i]);
            positions.push_back(std::int32_t(i));
        }
    if (others.empty())
        return mix;
    mix.second =
        positions[std::size_t(NearestColor(color.lab, others, kMappingShortlist).position)];

    const std::array<float, 3> p = Linear(color.rgb);
    const std::array<float, 3> a = Linear(row[std::size_t(mix.first)].rgb);
    const std::array<float, 3> b = Linear(row[std::size_t(mix.second)].rgb);
    float along = 0, length = 0;
    for (std::size_t c = 0; c < 3; ++c)
    {
        along += (p[c] - a[c]) * (b[c] - a[c]);
        length += (b[c] - a[c]) * (b[c] - a[c]);
    }
    mix.share = length > 0 ? std::clamp(along / length, 0.0f, 1.0f) : 0;
    return mix;
}

std::vector<std::uint8_t> MapNearest(const PictureColors& colors, const std::vector<RowColor>& row)
{
    const std::vector<LabColor> labs = LabsOf(row);
    std::vector<std::uint8_t> entries(colors.colors.size());
    for (std::size_t i = 0; i < colors.colors.size(); ++i)
        entries[i] = std::uint8_t(
            row[std::size_t(NearestColor(colors.colors[i].lab, labs, kMappingShortlist).position)]
                .entry);
    std::vector<std::uint8_t> pixels(colors.pixels.size(), 0);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (colors.pixels[i] != PictureColors::kTransparent)
            pixels[i] = entries[std::size_t(colors.pixels[i])];
    return pixels;
}

std::vector<std::uint8_t> MapOrdered(const PictureColors& colors, const std::vector<RowColor>& row)
{
    const std::vector<LabColor> labs = LabsOf(row);
    std::vector<Mix> mixes;
    for (const PictureColor& color : colors.colors)
        mixes.push_back(MixFor(color, row, labs));
    std::vector<std::uint8_t> pixels(colors.pixels.size(), 0);
    for (std::int32_t y = 0; y < colors.height; ++y)
        for (std::int32_t x = 0; x < colors.width; ++x)
        {
            const std::size_t i = std::size_t(y) * std::size_t(colors.width) + std::size_t(x);
            if (colors.pixels[i] == PictureColors::kTransparent)
                continue;
            const Mix& mix = mixes[std::size_t(colors.pixels[i])];
            const float level =
                (float(kBayer[y % kBayerSize][x % kBayerSize]) + 0.5f) / kBayerLevels;
            pixels[i] =
                std::uint8_t(row[std::size_t(level < mix.share ? mix.second : mix.first)].entry);
        }
    return pixels;
}

// Error diffusion: each pixel's colour with the error passed on to it is
// looked up as the nearest 15-bit colour, whose nearest row colour is found
// once and kept in a table over all 32768.
class CDiffusion
{
public:
    CDiffusion(const PictureColors& colors, const std::vector<RowColor>& row, std::int32_t strength)
        : m_colors(colors), m_row(row), m_labs(LabsOf(row)),
          m_strength(float(strength) / kFullStrength), m_nearest(kWordCount, -1),
          m_exact(colors.colors.size()),
          m_errors(2, std::vector<std::array<float, 3>>(std::size_t(colors.width) + 2))
    {
        for (std::size_t i = 0; i < colors.colors.size(); ++i)
            m_exact[i] = ExactEntry(colors.colors[i].rgb);
    }

    std::vector<std::uint8_t> Run()
    {
        std::vector<std::uint8_t> pixels(m_colors.pixels.size(), 0);
        for (std::int32_t y = 0; y < m_colors.height; ++y)
        {
            std::vector<std::array<float, 3>>& here = m_errors[std::size_t(y % 2)];
            std::vector<std::array<float, 3>>& below = m_errors[std::size_t(1 - y % 2)];
            std::fill(below.begin(), below.end(), std::array<float, 3>{});
            // Serpentine: every other row runs right to left.
            const bool forward = y % 2 == 0;
            const std::int32_t step = forward ? 1 : -1;
            for (std::int32_t n = 0; n < m_colors.width; ++n)
            {
                const std::int32_t x = forward ? n : m_colors.width - 1 - n;
                const std::size_t i = std::size_t(y) * std::size_t(m_colors.width) + std::size_t(x);
                if (m_colors.pixels[i] != PictureColors::kTransparent)
                    pixels[i] = Pixel(m_colors.pixels[i], x, step, here, below);
            }
        }
        return pixels;
    }

private:
    using ErrorRow = std::vector<std::array<float, 3>>;

    std::int32_t ExactEntry(std::uint32_t rgb) const
    {
        for (const RowColor& color : m_row)
            if (color.rgb == rgb)
                return color.entry;
        return 0;
    }

    std::uint8_t Pixel(std::int32_t number, std::int32_t x, std::int32_t step, ErrorRow& here,
                       ErrorRow& below)
    {
        if (m_exact[std::size_t(number)] != 0)
            return std::uint8_t(m_exact[std::size_t(number)]);
        // Error rows hold one spare column each side.
        const std::size_t at = std::size_t(x + 1);
        const std::array<float, 3> source = Channels(m_colors.colors[std::size_t(number)].rgb);
        std::array<float, 3> wanted{};
        std::uint16_t word = 0;
        for (std::size_t c = 0; c < 3; ++c)
        {
            wanted[c] = std::clamp(source[c] + m_strength * here[at][c], 0.0f, 255.0f);
            const auto field =
                std::min(std::int32_t(std::lround(wanted[c] / kFieldScale)), kFieldMax);
            word = std::uint16_t(word | field << (5 * c));
        }
        const RowColor& chosen = m_row[std::size_t(NearestTo(word))];
        const std::array<float, 3> shown = Channels(chosen.rgb);
        for (std::size_t c = 0; c < 3; ++c)
        {
            const float error = wanted[c] - shown[c];
            here[std::size_t(std::int32_t(at) + step)][c] += kAhead * error;
            below[std::size_t(std::int32_t(at) - step)][c] += kBehindBelow * error;
            below[at][c] += kBelow * error;
            below[std::size_t(std::int32_t(at) + step)][c] += kAheadBelow * error;
        }
        return std::uint8_t(chosen.entry);
    }

    std::int32_t NearestTo(std::uint16_t word)
    {
        std::int32_t& nearest = m_nearest[word];
        if (nearest < 0)
            nearest = NearestColor(WordLab(word), m_labs, kMappingShortlist).position;
        return nearest;
    }

    const PictureColors& m_colors;
    const std::vector<RowColor>& m_row;
    std::vector<LabColor> m_labs;
    float m_strength;
    std::vector<std::int32_t> m_nearest; // by colour word, -1 until needed
    std::vector<std::int32_t> m_exact;   // by picture colour: the entry holding it, or 0
    std::vector<ErrorRow> m_errors;      // the row being mapped and the next, alternately
};

} // namespace

RowColor MakeRowColor(std::int32_t entry, std::uint16_t word)
{
    const ColorEntry shown = ColorWordToEntry(word);
    return {entry, RgbOf(shown.red, shown.green, shown.blue), WordLab(word)};
}

std::vector<std::uint8_t> MapPixels(const PictureColors& colors, const std::vector<RowColor>& row,
                                    Dithering dithering, std::int32_t strength)
{
    if (row.empty())
        return std::vector<std::uint8_t>(colors.pixels.size(), 0);
    switch (dithering)
    {
    case Dithering::Ordered:
        return MapOrdered(colors, row);
    case Dithering::Diffusion:
        return CDiffusion(colors, row, strength).Run();
    case Dithering::None:
        break;
    }
    return MapNearest(colors, row);
}
