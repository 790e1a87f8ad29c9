#include "SpriteFileTestFiles.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

namespace
{

TEST(ColorWord, ConvertsAsTheWorkedExamplesShow)
{
    struct Case
    {
        std::uint16_t word;
        ColorEntry entry;
        std::uint16_t written;
    };
    const Case cases[] = {
        {0x7FFF, {248, 248, 248, 255}, 0x7FFF}, {0x001F, {248, 0, 0, 255}, 0x001F},
        {0x03E0, {0, 248, 0, 255}, 0x03E0},     {0x7C00, {0, 0, 248, 255}, 0x7C00},
        {0x1234, {160, 136, 32, 255}, 0x1234},  {0xFFFF, {248, 248, 248, 255}, 0x7FFF},
    };
    for (const Case& c : cases)
    {
        EXPECT_TRUE(ColorWordToEntry(c.word) == c.entry) << c.word;
        EXPECT_EQ(EntryToColorWord(c.entry), c.written) << c.word;
    }
    // A colour from elsewhere loses its low bits and its alpha.
    EXPECT_EQ(EntryToColorWord({255, 128, 64, 7}), 0x221F);
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word)
        ASSERT_EQ(EntryToColorWord(ColorWordToEntry(static_cast<std::uint16_t>(word))),
                  word & 0x7FFF);
}

TEST(PixelPair, LeftPixelInLowNibbleAndOnlyLowBitsKept)
{
    EXPECT_EQ(PackPixelPair(1, 2), 0x21);
    EXPECT_EQ(PackPixelPair(0x1A, 0x03), 0x3A);
    EXPECT_EQ(PackPixelPair(0x35, 0x3F), 0xF5);
}

TEST(SpriteLayoutChoice, OnlyAnSp2ExtensionInAnyCaseMeansSp2)
{
    for (const char* path : {"a.SP2", "a.Sp2", "a.sp2", "/x/y/sheet.spr.sp2", ".sp2"})
        EXPECT_EQ(ChooseSpriteLayout(path), SpriteLayout::Sp2) << path;
    for (const char* path :
         {"a.spr", "a.SPR", "a.bin", "none", "a.sp2.bak", "a.sp22", "/dir.sp2/sheet", ""})
        EXPECT_EQ(ChooseSpriteLayout(path), SpriteLayout::Spr) << path;
    EXPECT_EQ(ChooseSpriteLayout(nullptr), SpriteLayout::Spr);
}

class SpriteReaderTest : public ::testing::Test
{
protected:
    TempFolder folder;
};

TEST_F(SpriteReaderTest, SprGivesEveryColourAndPixelInFileOrder)
{
    const Bytes file = RandomBytes(1, 37376);
    const std::string path = folder.Path("sheet.spr");
    WriteBytes(path, file);

    CSpriteImage image;
    ASSERT_TRUE(image.LoadSPR(path.c_str()));
    ASSERT_EQ(image.GetWidth(), 256);
    ASSERT_EQ(image.GetHeight(), 288);
    ASSERT_EQ(image.GetBitsPerPixel(), 8);
    ASSERT_EQ(image.m_colorTable.GetSize(), 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_TRUE(*image.GetColor(i) ==
                    ColorWordToEntry(static_cast<std::uint16_t>(U16At(file, 2 * i))))
            << i;
    for (std::size_t k = 0; k < 36864; ++k)
        ASSERT_EQ(PackPixelPair(image.GetPixels()[2 * k], image.GetPixels()[2 * k + 1]),
                  file[512 + k])
            << k;
}

TEST_F(SpriteReaderTest, ShortAndEmptySprFilesLoadWithOpaqueBlackAndIndexZero)
{
    // Cut inside a colour word, and inside the pixels.
    for (const std::size_t length : {0u, 301u, 513u})
    {
        SCOPED_TRACE(length);
        const std::string path = folder.Path("short.spr");
        WriteBytes(path, Bytes(length, 0xFF));

        CSpriteImage image;
        ASSERT_TRUE(image.LoadSPR(path.c_str()));
        for (std::size_t i = 0; i < 256; ++i)
        {
            const std::uint8_t level = 2 * i + 1 < length ? 248 : 0;
            ASSERT_TRUE(*image.GetColor(static_cast<std::int32_t>(i)) ==
                        ColorEntry({level, level, level, 255}));
        }
        const std::size_t loadedPixels = length > 512 ? (length - 512) * 2 : 0;
        for (std::size_t i = 0; i < 256 * 288; ++i)
            ASSERT_EQ(image.GetPixels()[i], i < loadedPixels ? 15 : 0) << i;

        TrailingBlock block;
        ASSERT_TRUE(ReadTrailingBlock(path.c_str(), block));
        EXPECT_EQ(block.size, 0);
        EXPECT_EQ(SaveSpriteFile(&image, path.c_str(), SpriteLayout::Spr, nullptr, 0),
                  SpriteSaveResult::Written);
        EXPECT_EQ(ReadBytes(path).size(), 37376u);
    }
}

TEST_F(SpriteReaderTest, Sp2IsABareSheetInTheGreyRampAndSavedBare)
{
    const Bytes file = RandomBytes(2, 32768 + 500);
    const std::string path = folder.Path("sheet.sp2");
    WriteBytes(path, file);

    CSpriteImage image;
    ASSERT_TRUE(image.LoadSP2(path.c_str()));
    ASSERT_EQ(image.GetWidth(), 256);
    ASSERT_EQ(image.GetHeight(), 256);
    ASSERT_EQ(image.m_colorTable.GetSize(), 256);
    for (int i = 0; i < 256; ++i)
    {
        const auto level = static_cast<std::uint8_t>(16 * (i % 16));
        ASSERT_TRUE(*image.GetColor(i) == ColorEntry({level, level, level, 255})) << i;
    }

    // The layout follows the sheet, not the name; nothing past the sheet
    // is kept, and a trailing block is not written.
    const std::string saved = folder.Path("saved.spr");
    const std::uint8_t trailing[4] = {1, 2, 3, 4};
    ASSERT_EQ(SaveSpriteFile(&image, saved.c_str(), SpriteLayout::Sp2, trailing, 4),
              SpriteSaveResult::Written);
    EXPECT_EQ(ReadBytes(saved), Bytes(file.begin(), file.begin() + 32768));
}

TEST_F(SpriteReaderTest, MissingFilesAreNotLoaded)
{
    const std::string missing = folder.Path("missing.spr");
    CSpriteImage image;
    TrailingBlock block;
    EXPECT_FALSE(image.LoadSPR(missing.c_str()));
    EXPECT_FALSE(image.LoadSP2(missing.c_str()));
    EXPECT_FALSE(ReadTrailingBlock(missing.c_str(), block));
}

} // namespace
