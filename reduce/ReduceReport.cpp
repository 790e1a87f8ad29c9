// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/ReduceReport.h"

#include <algorithm>

ColorEntry ShownColor(const ColorEntry& entry)
{
    return ColorWordToEntry(EntryToColorWord(entry));
}

ReduceReport MeasureReduction(const PictureColors& colors, const std::vector<std::uint8_t>& entries,
                              const PaletteRow& row)
{
    std::array<LabColor, kPaletteRowSize> shown;
    std::array<std::uint32_t, kPaletteRowSize> rgb{};
    for (std::size_t e = 0; e < row.size(); ++e)
    {
        const ColorEntry color = ShownColor(row[e]);
        rgb[e] = RgbOf(color.red, color.green, color.blue);
        shown[e] = WordLab(EntryToColorWord(row[e]));
    }
    // Each colour's difference to the entry it was last given: all its
    // pixels' entry without dithering, most of them with.
    struct Last
    {
        std::int32_t entry = -1;
        float difference = 0;
    };
    std::vector<Last> last(colors.colors.size());

    ReduceReport report;
    report.opaquePixels = colors.opaquePixels;
    report.madeTransparent = colors.madeTransparent;
    report.madeOpaque = colors.madeOpaque;
    double total = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        const std::int32_t number = colors.pixels[i];
        if (number == PictureColors::kTransparent)
            continue;
        const PictureColor& color = colors.colors[std::size_t(number)];
        const std::uint8_t entry = entries[i];
        Last& known = last[std::size_t(number)];
        if (known.entry != entry)
            known = {entry, DeltaE2000(color.lab, shown[entry])};
        total += known.difference;
        report.largestError = std::max(report.largestError, double(known.difference));
        if (color.rgb != rgb[entry])
            ++report.changedPixels;
    }
    if (report.opaquePixels > 0)
        report.meanError = total / double(report.opaquePixels);
    return report;
}
