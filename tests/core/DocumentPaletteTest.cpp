#include "SpriteFileTestFiles.h"

#include "doc/SpriteDocument.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

std::vector<std::uint16_t> ColorWords(const CSpriteDocument& document)
{
    std::vector<std::uint16_t> words;
    for (std::int32_t i = 0; i < kSprColorCount; ++i)
        words.push_back(EntryToColorWord(*document.Source()->GetColor(i)));
    return words;
}

bool SamePixels(const CSpriteImage& a, const CSpriteImage& b)
{
    return a.GetPixelBytes() == b.GetPixelBytes() &&
           std::memcmp(a.GetPixels(), b.GetPixels(), std::size_t(a.GetPixelBytes())) == 0;
}

class DocumentPalette : public ::testing::Test
{
protected:
    std::string Open(CSpriteDocument& document, const char* name, std::uint32_t seed)
    {
        WriteBytes(folder.Path(name), RandomSpr(seed));
        EXPECT_TRUE(document.Open(folder.Path(name)).result);
        return folder.Path(name);
    }

    TempFolder folder;
    CSpriteDocument from;
    CSpriteDocument into;
};

// Every format round-trips the colour words, whole or one row; loading
// changes colours only, and Save writes them.
TEST_F(DocumentPalette, EveryFormatRoundTripsWholeTableAndRow)
{
    Open(from, "from.spr", 3);
    const std::string intoPath = Open(into, "into.spr", 4);
    const CSpriteImage pixels(*into.Source());
    const std::vector<std::uint16_t> fromWords = ColorWords(from);
    for (const PaletteFormat format :
         {PaletteFormat::Jasc, PaletteFormat::Riff, PaletteFormat::Gimp, PaletteFormat::Act,
          PaletteFormat::ColorWords})
    {
        SCOPED_TRACE(int(format));
        ASSERT_TRUE(into.Open(intoPath).result);
        std::vector<std::uint16_t> expected = ColorWords(into);
        ASSERT_TRUE(from.SavePalette(folder.Path("row"), format, 3));
        into.ChoosePaletteRow(5);
        ASSERT_TRUE(into.LoadPalette(folder.Path("row")));
        std::copy_n(fromWords.begin() + 48, 16, expected.begin() + 80);
        EXPECT_EQ(ColorWords(into), expected);
        EXPECT_EQ(EntryToColorWord(*into.Display()->m_colorTable.GetAt(0)), expected[80]);
        EXPECT_TRUE(into.IsModified());

        ASSERT_TRUE(from.SavePalette(folder.Path("all"), format, std::nullopt));
        ASSERT_TRUE(into.LoadPalette(folder.Path("all")));
        EXPECT_EQ(ColorWords(into), fromWords);
        EXPECT_TRUE(SamePixels(*into.Source(), pixels));
    }
    ASSERT_TRUE(into.SaveAs(folder.Path("saved.spr")));
    const Bytes saved = ReadBytes(folder.Path("saved.spr"));
    const Bytes source = RandomSpr(3);
    EXPECT_TRUE(std::equal(source.begin(), source.begin() + kSprPaletteBytes, saved.begin()));

    // Colours past entry 255 and files that are no palette change nothing.
    EXPECT_EQ(into.ReplaceColors(std::vector<ColorEntry>(16), 250).reason,
              Reason::PalettePastTable);
    WriteBytes(folder.Path("junk.pal"), Bytes(7, 'x'));
    EXPECT_EQ(into.LoadPalette(folder.Path("junk.pal")).message, Message::LoadPaletteFailed);
    EXPECT_EQ(ColorWords(into), fromWords);
}

} // namespace
