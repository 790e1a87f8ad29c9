// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/ReduceColors.h"

#include "reduce/ColorChoice.h"

#include <algorithm>

namespace
{

constexpr std::int32_t kOpaqueEntries = kPaletteRowSize - 1;

std::uint32_t RgbOfEntry(const ColorEntry& entry)
{
    return RgbOf(entry.red, entry.green, entry.blue);
}

// Entries 1-15 the target keeps as they are.
std::vector<std::int32_t> KeptEntries(const PictureColors& colors, const PaletteRow& row,
                                      ReduceTarget target)
{
    std::vector<std::int32_t> kept;
    if (target == ReduceTarget::NewColors)
        return kept;
    for (std::int32_t entry = 1; entry < kPaletteRowSize; ++entry)
    {
        if (target == ReduceTarget::FixedColors)
        {
            kept.push_back(entry);
            continue;
        }
        const std::uint32_t rgb = RgbOfEntry(row[std::size_t(entry)]);
        const bool held = std::any_of(kept.begin(), kept.end(),
                                      [&](std::int32_t other)
                                      { return RgbOfEntry(row[std::size_t(other)]) == rgb; });
        const bool used = std::any_of(colors.colors.begin(), colors.colors.end(),
                                      [&](const PictureColor& color) { return color.rgb == rgb; });
        if (used && !held)
            kept.push_back(entry);
    }
    return kept;
}

// The new words, darkest first, into the entries not kept, lowest first.
void PlaceWords(std::vector<std::uint16_t> words, const std::vector<std::int32_t>& kept,
                PaletteRow& row, std::vector<RowColor>& colors)
{
    std::sort(words.begin(), words.end(),
              [](std::uint16_t x, std::uint16_t y) { return WordLab(x).L < WordLab(y).L; });
    std::size_t next = 0;
    for (std::int32_t entry = 1; entry < kPaletteRowSize && next < words.size(); ++entry)
    {
        if (std::find(kept.begin(), kept.end(), entry) != kept.end())
            continue;
        row[std::size_t(entry)] = ColorWordToEntry(words[next]);
        colors.push_back(MakeRowColor(entry, words[next++]));
    }
}

CSpriteImage IndexedPicture(const PictureColors& colors, const std::vector<std::uint8_t>& entries,
                            const PaletteRow& row)
{
    CSpriteImage picture;
    if (!picture.Create(colors.width, colors.height, 8))
        return picture;
    std::copy(entries.begin(), entries.end(), picture.GetPixels());
    picture.m_colorTable.SetSize(kPaletteRowSize);
    for (std::int32_t entry = 0; entry < kPaletteRowSize; ++entry)
        picture.m_colorTable.SetAt(entry, row[std::size_t(entry)]);
    return picture;
}

} // namespace

Result ReduceColors(const PictureColors& colors, const PaletteRow& row,
                    const ReduceOptions& options, ReducedPicture& reduced)
{
    if (options.strength < 0 || options.strength > kFullStrength)
        return Failure(Reason::DitherStrengthRange, options.strength, kFullStrength);

    const std::vector<std::int32_t> kept = KeptEntries(colors, row, options.target);
    std::vector<RowColor> rowColors;
    std::vector<std::uint16_t> keptWords;
    for (std::int32_t entry : kept)
    {
        keptWords.push_back(EntryToColorWord(row[std::size_t(entry)]));
        rowColors.push_back(MakeRowColor(entry, keptWords.back()));
    }
    PaletteRow newRow = row;
    const auto free = std::int32_t(kOpaqueEntries - kept.size());
    PlaceWords(ChooseColorWords(colors.colors, keptWords, free), kept, newRow, rowColors);

    const std::vector<std::uint8_t> entries =
        MapPixels(colors, rowColors, options.dithering, options.strength);
    CSpriteImage picture = IndexedPicture(colors, entries, newRow);
    if (picture.GetPixels() == nullptr && !entries.empty())
        return Failure(Reason::OutOfMemory);
    reduced.picture = std::move(picture);
    reduced.row = newRow;
    reduced.report = MeasureReduction(colors, entries, newRow);
    return {};
}

Result ReduceColors(const CSpriteImage& picture, const PaletteRow& row,
                    const ReduceOptions& options, ReducedPicture& reduced)
{
    PictureColors colors;
    if (Result read = ReadPictureColors(picture, options.alphaThreshold, colors); !read)
        return read;
    return ReduceColors(colors, row, options, reduced);
}
