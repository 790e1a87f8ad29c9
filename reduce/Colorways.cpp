// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/Colorways.h"

#include "reduce/ColorChoice.h"
#include "reduce/KeyTable.h"

#include <algorithm>
#include <string>

namespace
{

constexpr std::int32_t kMostClasses = kPaletteRowSize - 1;

std::string PixelText(std::int64_t i, std::int32_t width)
{
    return "(" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
}

Result PictureFailure(Reason reason, std::size_t picture, std::string detail)
{
    Result result = Failure(reason, std::int64_t(picture) + 1);
    result.detail = std::move(detail);
    return result;
}

// Reads every picture and checks that they fit together.
Result ReadColorways(const std::vector<const CSpriteImage*>& pictures,
                     const std::vector<PaletteRow>& rows, std::int32_t alphaThreshold,
                     std::vector<PictureColors>& colors)
{
    if (pictures.empty() || pictures.size() > kMostColorways)
        return Failure(Reason::ColorwayCount, std::int64_t(pictures.size()), kMostColorways);
    if (rows.size() != pictures.size())
        return Failure(Reason::ColorwayRowCount, std::int64_t(rows.size()),
                       std::int64_t(pictures.size()));
    colors.resize(pictures.size());
    for (std::size_t p = 0; p < pictures.size(); ++p)
    {
        if (Result read = ReadPictureColors(*pictures[p], alphaThreshold, colors[p]); !read)
        {
            read.detail = "picture " + std::to_string(p + 1);
            return read;
        }
        const PictureColors& base = colors[0];
        if (colors[p].width != base.width || colors[p].height != base.height)
            return PictureFailure(Reason::ColorwaySizeDiffers, p,
                                  std::to_string(colors[p].width) + " x " +
                                      std::to_string(colors[p].height) + ", the base " +
                                      std::to_string(base.width) + " x " +
                                      std::to_string(base.height));
        for (std::size_t i = 0; i < base.pixels.size(); ++i)
            if ((base.pixels[i] == PictureColors::kTransparent) !=
                (colors[p].pixels[i] == PictureColors::kTransparent))
                return PictureFailure(Reason::ColorwayTransparencyDiffers, p,
                                      PixelText(std::int64_t(i), base.width));
    }
    return {};
}

// Numbers the pairs of a class and a colour, in the order they first come:
// through a table of every pair while that is small, as it is for pictures
// that make a sheet, else through a hash table.
class CPairNumbers
{
public:
    CPairNumbers(std::int32_t classes, std::int32_t colors)
        : m_colors(colors), m_table(std::size_t(classes) * std::size_t(colors) <= kMostTablePairs
                                        ? std::size_t(classes) * std::size_t(colors)
                                        : 0,
                                    -1)
    {
    }

    std::int32_t Number(std::int32_t pairClass, std::int32_t color)
    {
        if (m_table.empty())
        {
            const std::int32_t number =
                m_hashed.Number(std::uint64_t(pairClass) << 32 | std::uint32_t(color));
            m_count = m_hashed.Count();
            return number;
        }
        std::int32_t& number =
            m_table[std::size_t(pairClass) * std::size_t(m_colors) + std::size_t(color)];
        if (number < 0)
            number = m_count++;
        return number;
    }

    std::int32_t Count() const { return m_count; }

private:
    static constexpr std::size_t kMostTablePairs = 1 << 16;

    std::int32_t m_colors;
    std::vector<std::int32_t> m_table;
    CKeyTable m_hashed;
    std::int32_t m_count = 0;
};

// Each pixel's class, numbered in the order classes first appear (rows top
// first), -1 where transparent: the base's colours, split by each further
// picture's in turn.
std::vector<std::int32_t> PixelClasses(const std::vector<PictureColors>& colors,
                                       std::int32_t& classCount)
{
    std::vector<std::int32_t> classes = colors[0].pixels;
    classCount = std::int32_t(colors[0].colors.size());
    for (std::size_t p = 1; p < colors.size(); ++p)
    {
        CPairNumbers split(classCount, std::int32_t(colors[p].colors.size()));
        for (std::size_t i = 0; i < classes.size(); ++i)
            if (classes[i] >= 0)
                classes[i] = split.Number(classes[i], colors[p].pixels[i]);
        classCount = split.Count();
    }
    return classes;
}

std::vector<std::uint8_t> EntriesOf(const std::vector<std::int32_t>& classes)
{
    std::vector<std::uint8_t> entries(classes.size());
    for (std::size_t i = 0; i < classes.size(); ++i)
        entries[i] = std::uint8_t(classes[i] + 1);
    return entries;
}

// Each class's colour in one picture, in its nearest 15-bit colour, as
// entries 1 onwards.
PaletteRow ExactRow(const PictureColors& colors, const std::vector<std::int32_t>& firstPixels,
                    PaletteRow row)
{
    for (std::size_t c = 0; c < firstPixels.size(); ++c)
    {
        const std::vector<PictureColor> color{
            colors.colors[std::size_t(colors.pixels[std::size_t(firstPixels[c])])]};
        row[c + 1] = ColorWordToEntry(BestWordFor(color, {0}));
    }
    return row;
}

// Each entry's colour in one picture: the 15-bit colour nearest its pixels.
PaletteRow RowFor(const PictureColors& colors, const std::vector<std::uint8_t>& entries,
                  PaletteRow row)
{
    std::vector<PictureColor> members;
    std::vector<std::uint8_t> memberEntries;
    CKeyTable numbers;
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        if (entries[i] == 0)
            continue;
        const std::int32_t colour = colors.pixels[i];
        const std::int32_t number =
            numbers.Number(std::uint64_t(entries[i]) << 32 | std::uint32_t(colour));
        if (number == std::int32_t(members.size()))
        {
            members.push_back(colors.colors[std::size_t(colour)]);
            members.back().count = 0;
            memberEntries.push_back(entries[i]);
        }
        ++members[std::size_t(number)].count;
    }
    for (std::uint8_t entry = 1; entry < kPaletteRowSize; ++entry)
    {
        std::vector<std::int32_t> group;
        for (std::size_t m = 0; m < members.size(); ++m)
            if (memberEntries[m] == entry)
                group.push_back(std::int32_t(m));
        if (!group.empty())
            row[entry] = ColorWordToEntry(BestWordFor(members, group));
    }
    return row;
}

Result FinishSheet(const std::vector<PictureColors>& colors,
                   const std::vector<std::uint8_t>& entries, ColorwaySheet& sheet)
{
    CSpriteImage picture;
    if (!picture.Create(colors[0].width, colors[0].height, 8))
        return Failure(Reason::OutOfMemory);
    std::copy(entries.begin(), entries.end(), picture.GetPixels());
    picture.m_colorTable.SetSize(kPaletteRowSize);
    for (std::int32_t entry = 0; entry < kPaletteRowSize; ++entry)
        picture.m_colorTable.SetAt(entry, sheet.rows[0][std::size_t(entry)]);
    sheet.sheet = picture;
    return {};
}

// What showing each class in its row's 15-bit colour changes in one picture.
ReduceReport ExactReport(const PictureColors& colors, const std::vector<std::int32_t>& firstPixels,
                         const std::vector<std::int64_t>& classSizes, const PaletteRow& row)
{
    ReduceReport report;
    report.opaquePixels = colors.opaquePixels;
    report.madeTransparent = colors.madeTransparent;
    report.madeOpaque = colors.madeOpaque;
    double total = 0;
    for (std::size_t c = 0; c < firstPixels.size(); ++c)
    {
        const PictureColor& color =
            colors.colors[std::size_t(colors.pixels[std::size_t(firstPixels[c])])];
        const ColorEntry& shown = row[c + 1];
        const float difference = DeltaE2000(color.lab, WordLab(EntryToColorWord(shown)));
        total += double(difference) * double(classSizes[c]);
        report.largestError = std::max(report.largestError, double(difference));
        if (color.rgb != RgbOf(shown.red, shown.green, shown.blue))
            report.changedPixels += classSizes[c];
    }
    if (report.opaquePixels > 0)
        report.meanError = total / double(report.opaquePixels);
    return report;
}

} // namespace

Result BuildColorways(const std::vector<const CSpriteImage*>& pictures,
                      const std::vector<PaletteRow>& rows, std::int32_t alphaThreshold,
                      ColorwaySheet& sheet)
{
    std::vector<PictureColors> colors;
    if (Result read = ReadColorways(pictures, rows, alphaThreshold, colors); !read)
        return read;
    std::int32_t classCount = 0;
    const std::vector<std::int32_t> classes = PixelClasses(colors, classCount);
    if (classCount > kMostClasses)
    {
        const auto first =
            std::find(classes.begin(), classes.end(), kMostClasses) - classes.begin();
        Result tooMany = Failure(Reason::ColorwayTooManyClasses, classCount, kMostClasses);
        tooMany.detail = PixelText(first, colors[0].width);
        return tooMany;
    }
    std::vector<std::int32_t> firstPixels;
    std::vector<std::int64_t> classSizes(std::size_t(classCount), 0);
    for (std::size_t i = 0; i < classes.size(); ++i)
    {
        if (classes[i] < 0)
            continue;
        if (classes[i] == std::int32_t(firstPixels.size()))
            firstPixels.push_back(std::int32_t(i));
        ++classSizes[std::size_t(classes[i])];
    }
    ColorwaySheet built;
    built.classCount = classCount;
    for (std::size_t p = 0; p < colors.size(); ++p)
    {
        built.rows.push_back(ExactRow(colors[p], firstPixels, rows[p]));
        built.reports.push_back(ExactReport(colors[p], firstPixels, classSizes, built.rows[p]));
    }
    if (Result finished = FinishSheet(colors, EntriesOf(classes), built); !finished)
        return finished;
    sheet = std::move(built);
    return {};
}

Result ReduceColorways(const std::vector<const CSpriteImage*>& pictures,
                       const std::vector<PaletteRow>& rows, const ReduceOptions& options,
                       ColorwaySheet& sheet)
{
    std::vector<PictureColors> colors;
    if (Result read = ReadColorways(pictures, rows, options.alphaThreshold, colors); !read)
        return read;
    ReducedPicture base;
    if (Result reduced = ReduceColors(colors[0], rows[0], options, base); !reduced)
        return reduced;
    const std::vector<std::uint8_t> entries(
        base.picture.GetPixels(), base.picture.GetPixels() + base.picture.GetPixelBytes());
    ColorwaySheet built;
    PixelClasses(colors, built.classCount);
    built.rows.push_back(base.row);
    for (std::size_t p = 1; p < colors.size(); ++p)
        built.rows.push_back(RowFor(colors[p], entries, rows[p]));
    for (std::size_t p = 0; p < colors.size(); ++p)
        built.reports.push_back(MeasureReduction(colors[p], entries, built.rows[p]));
    if (Result finished = FinishSheet(colors, entries, built); !finished)
        return finished;
    sheet = std::move(built);
    return {};
}
