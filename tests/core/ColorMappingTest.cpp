#include "PictureTools.h"

#include "formats/ColorMapping.h"
#include "formats/PngFile.h"

#include <gtest/gtest.h>

#include <cstring>

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

CSpriteImage TrueColor(int width, int height, const ColorEntry& fill)
{
    CSpriteImage picture;
    picture.Create(width, height, 24);
    for (int i = 0; i < width * height; ++i)
        std::memcpy(picture.GetPixels() + 3 * i, &fill, 3);
    return picture;
}

void SetPixel(CSpriteImage& picture, int x, int y, const ColorEntry& color)
{
    std::memcpy(picture.GetPixels() + 3 * (y * picture.GetWidth() + x), &color, 3);
}

TEST(ColorMapping, EditedPicturesGetTheSheetsIndicesBack)
{
    TempFolder folder;
    const CSpriteImage sheet = DistinctSheet(33, 17, 40);
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
        {kMapWholeTable, "", MappingKind::SameOrder},  {2, "", MappingKind::SameOrder},
        {kMapWholeTable, remap, MappingKind::Matched}, {2, remap, MappingKind::Matched},
        {kMapWholeTable, rgb, MappingKind::Matched},   {5, rgb, MappingKind::Matched},
        {kMapWholeTable, rgba, MappingKind::Matched},
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
        const Bytes read(picture.GetPixels(), picture.GetPixels() + picture.GetPixelBytes());
        ASSERT_TRUE(edit != remap || read != indices) << "the edit kept the indices";
        CSpriteImage mapped;
        MappingKind kind{};
        const Result result = MapToSheetColors(picture, sheet.m_colorTable, row, mapped, kind);
        ASSERT_TRUE(result) << ReasonText(result);
        EXPECT_EQ(kind, expectedKind);
        ASSERT_EQ(std::tuple(mapped.GetBitsPerPixel(), mapped.m_colorTable.GetSize()),
                  std::tuple(8, 256));
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

    CSpriteImage ambiguous = TrueColor(6, 4, *sheet.GetColor(16));
    SetPixel(ambiguous, 4, 2, twice);
    SetPixel(ambiguous, 5, 3, twice);
    CSpriteImage missing = TrueColor(6, 4, *sheet.GetColor(16));
    SetPixel(missing, 1, 0, stranger);
    // An indexed picture whose entry 6 (used first at (1, 1)) holds no colour of the sheet.
    CSpriteImage indexed = sheet;
    indexed.m_colorTable.SetAt(6, stranger);
    CSpriteImage words;
    words.Create(2, 2, 16);
    const ColorEntry first = *sheet.GetColor(16);
    const std::uint32_t firstRgb = first.red << 16 | first.green << 8 | first.blue;
    const std::uint32_t twiceRgb = twice.red << 16 | twice.green << 8 | twice.blue;

    using Case = std::tuple<const CSpriteImage*, std::int32_t, Reason, std::int64_t, std::string>;
    const Case cases[] = {
        {&ambiguous, 1, Reason::ColorAmbiguous, twiceRgb, "(4, 2)"},
        {&ambiguous, kMapWholeTable, Reason::ColorAmbiguous, twiceRgb, "(4, 2)"},
        {&missing, 1, Reason::ColorMissing, 0x123457, "(1, 0)"},
        {&ambiguous, 2, Reason::ColorMissing, firstRgb, "(0, 0)"},
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
    CSpriteImage mapped;
    MappingKind kind{};
    const std::string text =
        ReasonText(MapToSheetColors(missing, sheet.m_colorTable, 1, mapped, kind));
    EXPECT_NE(text.find("#123457 at pixel (1, 0)"), std::string::npos) << text;
}

TEST(ColorMapping, IndicesInTheSameOrderAreKeptEvenWhereAColourIsHeldTwice)
{
    CSpriteImage sheet = DistinctSheet(8, 8, 16);
    sheet.m_colorTable.SetAt(7, *sheet.GetColor(3));
    CSpriteImage mapped;
    MappingKind kind{};
    ASSERT_TRUE(MapToSheetColors(sheet, sheet.m_colorTable, 0, mapped, kind));
    EXPECT_EQ(kind, MappingKind::SameOrder);
    EXPECT_EQ(0, std::memcmp(mapped.GetPixels(), sheet.GetPixels(), sheet.GetPixelBytes()));
}

} // namespace
