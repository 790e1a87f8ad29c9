// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureTools.h"

#include "formats/ColorMapping.h"
#include "formats/PngFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace
{

constexpr std::uint16_t kWordStep = 127; // 256 steps stay distinct below 32768

// A picture of sheet indices 0 to `span` - 1 with 256 distinct colours.
CSpriteImage DistinctSheet(int width, int height, int span)
{
    CSpriteImage sheet;
    sheet.Create(width, height, 8);
    for (int i = 0; i < width * height; ++i)
        sheet.GetPixels()[i] = std::uint8_t((i * 7 + i / width * 3) % span);
    sheet.m_colorTable.SetSize(256);
    for (int i = 0; i < 256; ++i)
        sheet.m_colorTable.SetAt(i, ColorWordToEntry(std::uint16_t(i * kWordStep)));
    return sheet;
}

// A 6 x 4 picture of one colour, but for the pixels given another.
CSpriteImage TrueColor(const ColorEntry& fill,
                       std::initializer_list<std::tuple<int, int, ColorEntry>> others)
{
    CSpriteImage picture;
    picture.Create(6, 4, 24);
    for (int i = 0; i < 6 * 4; ++i)
        std::memcpy(picture.GetPixels() + 3 * i, &fill, 3);
    for (const auto& [x, y, color] : others)
        std::memcpy(picture.GetPixels() + 3 * (y * 6 + x), &color, 3);
    return picture;
}

TEST(ColorMapping, EditedPicturesGetTheSheetsIndicesBack)
{
    TempFolder folder;
    // Entry 200, unused, holds the colour of entry 3 too: indices in the
    // same order are kept all the same.
    CSpriteImage sheet = DistinctSheet(33, 17, 40);
    sheet.m_colorTable.SetAt(200, *sheet.GetColor(3));
    const std::string png = folder.Path("sheet.png");
    const std::string edited = folder.Path("edited.png");
    const std::string remap = "order = list(range(len(im.getcolors())))[::-1]\n"
                              "im.remap_palette(order).save('" +
                              edited + "')";
    const std::string rgb = "im.convert('RGB').save('" + edited + "')";
    const std::string rgba = "px = list(im.getdata())\nim = im.convert('RGBA')\nim.putdata([(255,"
                             " 0, 255, 0) if i == 0 else c for i, c in zip(px, im.getdata())])\n"
                             "im.save('" +
                             edited + "')";
    // The row exported and mapped, Pillow's edit (RGBA: index 0 transparent
    // in another colour), the mapping found.
    const std::tuple<std::int32_t, std::string, MappingKind> cases[] = {
        {kMapWholeTable, "", MappingKind::SameOrder},
        {2, "", MappingKind::SameOrder},
        {2, remap, MappingKind::Matched},
        {5, rgb, MappingKind::Matched},
        {7, rgba, MappingKind::Matched},
    };
    for (const auto& [row, edit, expectedKind] : cases)
    {
        SCOPED_TRACE(std::to_string(row) + ": " + edit);
        CSpriteImage exported = sheet;
        for (int i = 0; row != kMapWholeTable && i < exported.GetPixelBytes(); ++i)
            exported.GetPixels()[i] &= 0x0F;
        const Bytes indices(exported.GetPixels(), exported.GetPixels() + exported.GetPixelBytes());
        ASSERT_TRUE(SavePngFile(exported, png.c_str(), {row, false}));
        ASSERT_TRUE(edit.empty() || RunPython(folder, "im = Image.open('" + png + "')\n" + edit));
        CSpriteImage picture;
        ASSERT_TRUE(LoadPngFile((edit.empty() ? png : edited).c_str(), picture));
        CSpriteImage mapped;
        MappingKind kind{};
        const Result result = MapToSheetColors(picture, sheet.m_colorTable, row, mapped, kind);
        ASSERT_TRUE(result) << ReasonText(result);
        EXPECT_EQ(kind, expectedKind);
        ASSERT_EQ(mapped.m_colorTable.GetSize(), 256);
        EXPECT_EQ(Bytes(mapped.GetPixels(), mapped.GetPixels() + mapped.GetPixelBytes()), indices);
        EXPECT_EQ(*mapped.GetColor(255), *sheet.GetColor(255));
    }
}

TEST(ColorMapping, MissingAndAmbiguousColoursAreNamedWithTheirFirstPixel)
{
    CSpriteImage sheet = DistinctSheet(4, 4, 16);
    const ColorEntry twice = *sheet.GetColor(16 + 3);
    sheet.m_colorTable.SetAt(16 + 7, twice); // row 1 holds it at 3 and 7
    const ColorEntry stranger{0x12, 0x34, 0x57, 255};

    const CSpriteImage ambiguous = TrueColor(*sheet.GetColor(16), {{4, 2, twice}, {5, 3, twice}});
    const CSpriteImage missing = TrueColor(*sheet.GetColor(16), {{1, 0, stranger}});
    // An indexed picture whose entry 6 (used first at (1, 1)) holds no colour of the sheet.
    CSpriteImage indexed = sheet;
    indexed.m_colorTable.SetAt(6, stranger);
    CSpriteImage words;
    words.Create(2, 2, 16);
    const auto rgb = [](const ColorEntry& c) { return c.red << 16 | c.green << 8 | c.blue; };

    using Case = std::tuple<const CSpriteImage*, std::int32_t, Reason, std::int64_t, std::string>;
    const Case cases[] = {
        {&ambiguous, 1, Reason::ColorAmbiguous, rgb(twice), "(4, 2)"},
        {&missing, 1, Reason::ColorMissing, 0x123457, "(1, 0)"},
        {&ambiguous, 2, Reason::ColorMissing, rgb(*sheet.GetColor(16)), "(0, 0)"},
        {&indexed, kMapWholeTable, Reason::ColorMissing, 0x123457, "(1, 1)"},
        {&words, kMapWholeTable, Reason::MappingBadDepth, 16, ""},
        {&missing, 16, Reason::BadPaletteRow, 16, ""},
    };
    for (const auto& [picture, row, reason, value, detail] : cases)
    {
        CSpriteImage mapped;
        MappingKind kind{};
        const Result result = MapToSheetColors(*picture, sheet.m_colorTable, row, mapped, kind);
        EXPECT_EQ(std::tuple(result.reason, result.value, result.detail),
                  std::tuple(reason, value, detail))
            << row;
        EXPECT_EQ(mapped.GetPixels(), nullptr);
    }
}

} // namespace
