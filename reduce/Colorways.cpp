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

Result CheckCounts(const std::vector<const CSpriteImage*>& pictures,
                   const std::vector<PaletteRow>& rows)
{
    if (pictures.empty() || pictures.size() > kMostColorways)
        return Failure(Reason::ColorwayCount, std::int64_t(pictures.size()), kMostColorways);
    if (rows.size() != pictures.size())
        return Failure(Reason::ColorwayRowCount, std::int64_t(rows.size()),
                       std::int64_t(pictures.size()));
    return {};
}

// Reads picture p (0 the base) and checks it against the base, unless it
// is the base: its size, and transparency in the same pixels. Pictures are read
// one at a time into the same buffers: eight sheets of pixel numbers at
// once would cost more in fresh memory than in work.
Result ReadPicture(const CSpriteImage& picture, std::size_t p, std::int32_t alphaThreshold,
                   const PictureColors* against, PictureColors& colors)
{
    if (Result read = ReadPictureColors(picture, alphaThreshold, colors); !read)
    {
        read.detail = "picture " + std::to_string(p + 1);
        return read;
    }
    if (against == nullptr)
        return {};
    const PictureColors& base = *against;
    if (colors.width != base.width || colors.height != base.height)
        return PictureFailure(Reason::ColorwaySizeDiffers, p,
                              std::to_string(colors.width) + " x " + std::to_string(colors.height) +
                                  ", the base " + std::to_string(base.width) + " x " +
                                  std::to_string(base.height));
    for (std::size_t i = 0; i < base.pixels.size(); ++i)
        if ((base.pixels[i] == PictureColors::kTransparent) !=
            (colors.pixels[i] == PictureColors::kTransparent))
            return PictureFailure(Reason::ColorwayTransparencyDiffers, p,
                                  PixelText(std::int64_t(i), base.width));
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
// picture's in turn. Each split remembers, for each class, the class it
// came from and the picture's colour, which is all that is kept of the
// pictures read.
class CPixelClasses
{
public:
    explicit CPixelClasses(const PictureColors& base)
        : m_classes(base.pixels), m_count(std::int32_t(base.colors.size()))
    {
    }

    void Split(const PictureColors& picture)
    {
        CPairNumbers split(m_count, std::int32_t(picture.colors.size()));
        std::vector<std::pair<std::int32_t, std::int32_t>>& origins = m_origins.emplace_back();
        for (std::size_t i = 0; i < m_classes.size(); ++i)
        {
            if (m_classes[i] < 0)
                continue;
            const std::int32_t number = split.Number(m_classes[i], picture.pixels[i]);
            if (number == std::int32_t(origins.size()))
                origins.emplace_back(m_classes[i], picture.pixels[i]);
            m_classes[i] = number;
        }
        m_count = split.Count();
    }

    const std::vector<std::int32_t>& Classes() const { return m_classes; }
    std::int32_t Count() const { return m_count; }

    // The number of the colour that picture p (0 the base) has in class c.
    std::int32_t ColorOf(std::size_t p, std::int32_t c) const
    {
        for (std::size_t split = m_origins.size(); split-- > 0;)
        {
            const auto& [origin, color] = m_origins[split][std::size_t(c)];
            if (split + 1 == p)
                return color;
            c = origin;
        }
        return c;
    }

private:
    std::vector<std::int32_t> m_classes;
    std::int32_t m_count;
    std::vector<std::vector<std::pair<std::int32_t, std::int32_t>>> m_origins;
};

std::vector<std::uint8_t> EntriesOf(const std::vector<std::int32_t>& classes)
{
    std::vector<std::uint8_t> entries(classes.size());
    for (std::size_t i = 0; i < classes.size(); ++i)
        entries[i] = std::uint8_t(classes[i] + 1);
    return entries;
}

// What is kept of a picture once its pixels are split into classes.
struct PictureSummary
{
    std::vector<PictureColor> colors;
    std::int64_t opaquePixels = 0;
    std::int64_t madeTransparent = 0;
    std::int64_t madeOpaque = 0;
};

PictureSummary SummaryOf(const PictureColors& colors)
{
    return {colors.colors, colors.opaquePixels, colors.madeTransparent, colors.madeOpaque};
}

// Each class's colour in picture p, in its nearest 15-bit colour, as
// entries 1 onwards.
PaletteRow ExactRow(const PictureSummary& picture, const CPixelClasses& classes, std::size_t p,
                    PaletteRow row)
{
    for (std::int32_t c = 0; c < classes.Count(); ++c)
    {
        const std::vector<PictureColor> color{picture.colors[std::size_t(classes.ColorOf(p, c))]};
        row[std::size_t(c) + 1] = ColorWordToEntry(BestWordFor(color, {0}));
    }
    return row;
}

// What showing each class in its row's 15-bit colour changes in picture p.
ReduceReport ExactReport(const PictureSummary& picture, const CPixelClasses& classes, std::size_t p,
                         const std::vector<std::int64_t>& classSizes, const PaletteRow& row)
{
    ReduceReport report;
    report.opaquePixels = picture.opaquePixels;
    report.madeTransparent = picture.madeTransparent;
    report.madeOpaque = picture.madeOpaque;
    double total = 0;
    for (std::int32_t c = 0; c < classes.Count(); ++c)
    {
        const PictureColor& color = picture.colors[std::size_t(classes.ColorOf(p, c))];
        const ColorEntry& shown = row[std::size_t(c) + 1];
        const float difference = DeltaE2000(color.lab, WordLab(EntryToColorWord(shown)));
        const std::int64_t size = classSizes[std::size_t(c)];
        total += double(difference) * double(size);
        report.largestError = std::max(report.largestError, double(difference));
        if (color.rgb != RgbOf(shown.red, shown.green, shown.blue))
            report.changedPixels += size;
    }
    if (report.opaquePixels > 0)
        report.meanError = total / double(report.opaquePixels);
    return report;
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

Result FinishSheet(const PictureColors& base, const std::vector<std::uint8_t>& entries,
                   ColorwaySheet& sheet)
{
    CSpriteImage picture;
    if (!picture.Create(base.width, base.height, 8))
        return Failure(Reason::OutOfMemory);
    std::copy(entries.begin(), entries.end(), picture.GetPixels());
    picture.m_colorTable.SetSize(kPaletteRowSize);
    for (std::int32_t entry = 0; entry < kPaletteRowSize; ++entry)
        picture.m_colorTable.SetAt(entry, sheet.rows[0][std::size_t(entry)]);
    sheet.sheet = picture;
    return {};
}

} // namespace

Result BuildColorways(const std::vector<const CSpriteImage*>& pictures,
                      const std::vector<PaletteRow>& rows, std::int32_t alphaThreshold,
                      ColorwaySheet& sheet)
{
    if (Result counted = CheckCounts(pictures, rows); !counted)
        return counted;
    PictureColors base, other;
    if (Result read = ReadPicture(*pictures[0], 0, alphaThreshold, nullptr, base); !read)
        return read;
    CPixelClasses classes(base);
    std::vector<PictureSummary> summaries{SummaryOf(base)};
    for (std::size_t p = 1; p < pictures.size(); ++p)
    {
        if (Result read = ReadPicture(*pictures[p], p, alphaThreshold, &base, other); !read)
            return read;
        classes.Split(other);
        summaries.push_back(SummaryOf(other));
    }
    const std::vector<std::int32_t>& pixelClasses = classes.Classes();
    if (classes.Count() > kMostClasses)
    {
        const auto first = std::find(pixelClasses.begin(), pixelClasses.end(), kMostClasses) -
                           pixelClasses.begin();
        Result tooMany = Failure(Reason::ColorwayTooManyClasses, classes.Count(), kMostClasses);
        tooMany.detail = PixelText(first, base.width);
        return tooMany;
    }
    std::vector<std::int64_t> classSizes(std::size_t(classes.Count()), 0);
    for (std::int32_t c : pixelClasses)
        if (c >= 0)
            ++classSizes[std::size_t(c)];
    ColorwaySheet built;
    built.classCount = classes.Count();
    for (std::size_t p = 0; p < pictures.size(); ++p)
    {
        built.rows.push_back(ExactRow(summaries[p], classes, p, rows[p]));
        built.reports.push_back(ExactReport(summaries[p], classes, p, classSizes, built.rows[p]));
    }
    if (Result finished = FinishSheet(base, EntriesOf(pixelClasses), built); !finished)
        return finished;
    sheet = std::move(built);
    return {};
}

Result ReduceColorways(const std::vector<const CSpriteImage*>& pictures,
                       const std::vector<PaletteRow>& rows, const ReduceOptions& options,
                       ColorwaySheet& sheet)
{
    if (Result counted = CheckCounts(pictures, rows); !counted)
        return counted;
    PictureColors base, other;
    if (Result read = ReadPicture(*pictures[0], 0, options.alphaThreshold, nullptr, base); !read)
        return read;
    ReducedPicture reduced;
    if (Result done = ReduceColors(base, rows[0], options, reduced); !done)
        return done;
    const std::uint8_t* indices = reduced.picture.GetPixels();
    const std::vector<std::uint8_t> entries(indices, indices + reduced.picture.GetPixelBytes());
    CPixelClasses classes(base);
    ColorwaySheet built;
    built.rows.push_back(reduced.row);
    built.reports.push_back(reduced.report);
    for (std::size_t p = 1; p < pictures.size(); ++p)
    {
        if (Result read = ReadPicture(*pictures[p], p, options.alphaThreshold, &base, other); !read)
            return read;
        classes.Split(other);
        built.rows.push_back(RowFor(other, entries, rows[p]));
        built.reports.push_back(MeasureReduction(other, entries, built.rows[p]));
    }
    built.classCount = classes.Count();
    if (Result finished = FinishSheet(base, entries, built); !finished)
        return finished;
    sheet = std::move(built);
    return {};
}
