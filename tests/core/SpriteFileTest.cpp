// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpriteFileTestFiles.h"

#include "formats/SpriteFile.h"
#include "formats/TrailingBlock.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace
{

TEST(SpriteCodec, ColourWordsFollowTheWorkedExamples)
{
    // Red in the low bits; bit 15 is not a colour, and it is dropped when
    // the word is written again.
    const std::pair<std::uint16_t, ColorEntry> words[] = {
        {0x001F, {248, 0, 0, 255}},     {0x03E0, {0, 248, 0, 255}},
        {0x7C00, {0, 0, 248, 255}},     {0x1234, {160, 136, 32, 255}},
        {0x7FFF, {248, 248, 248, 255}}, {0xFFFF, {248, 248, 248, 255}},
    };
    for (const auto& [word, entry] : words)
        EXPECT_EQ(ColorWordToEntry(word), entry) << word;
    // A colour from elsewhere loses its low bits and its alpha.
    EXPECT_EQ(EntryToColorWord({255, 128, 64, 7}), 0x221F);
    for (std::uint32_t word = 0; word <= 0xFFFF; ++word)
        ASSERT_EQ(EntryToColorWord(ColorWordToEntry(std::uint16_t(word))), word & 0x7FFF);
}

TEST(SpriteFile, SeededFilesLoadAndSaveBackByteForByteButBit15)
{
    TempFolder folder;
    // Empty, cut inside a colour word and inside the pixels, a bare sheet,
    // and trailing blocks of 1 and 5000 bytes. What a short file lacks is
    // opaque black and index 0, and a colour word cut in half reads as 0.
    // How pixels and colours are packed the writer's test shows.
    for (const std::size_t length : {0, 301, 513, 37376, 37377, 42376})
    {
        SCOPED_TRACE(length);
        const Bytes original = RandomBytes(std::uint32_t(length), length);
        Bytes expected = original;
        expected.resize(std::max<std::size_t>(length, kSprSheetBytes), 0);
        for (std::size_t i = 1; i < kSprPaletteBytes; i += 2)
            expected[i] &= 0x7F;
        if (length < kSprPaletteBytes && length % 2)
            expected[length - 1] = 0;
        const std::string path = folder.Path("sheet.spr");
        WriteBytes(path, original);
        CSpriteImage image;
        CTrailingBlock trailing;
        ASSERT_TRUE(image.LoadSPR(path.c_str()) && CTrailingBlock::Read(path.c_str(), trailing));
        ASSERT_EQ(std::tuple(image.GetWidth(), image.GetHeight(), image.GetBitsPerPixel(),
                             image.m_colorTable.GetSize(), trailing.Size()),
                  std::tuple(256, 288, 8, 256, std::int64_t(expected.size() - kSprSheetBytes)));
        ASSERT_TRUE(SaveSpriteFile(image, path.c_str(), SpriteLayout::Spr, &trailing));
        EXPECT_EQ(ReadBytes(path), expected);
    }
}

TEST(SpriteFile, Sp2IsABareSheetInTheGreyRampAndSavedBare)
{
    TempFolder folder;
    const Bytes file = RandomBytes(2, kSp2SheetBytes + 500);
    const std::string path = folder.Path("sheet.sp2");
    WriteBytes(path, file);
    CSpriteImage image;
    ASSERT_TRUE(image.LoadSP2(path.c_str()));
    ASSERT_EQ(std::tuple(image.GetWidth(), image.GetHeight(), image.m_colorTable.GetSize()),
              std::tuple(256, 256, 256));
    for (int i = 0; i < 256; ++i)
    {
        const auto level = static_cast<std::uint8_t>(16 * (i % 16));
        ASSERT_EQ(*image.GetColor(i), ColorEntry({level, level, level, 255})) << i;
    }
    // The layout follows the sheet, not the name; nothing past the sheet
    // is kept, and a trailing block is not written.
    const std::string saved = folder.Path("saved.spr");
    const CTrailingBlock trailing({1, 2, 3, 4});
    ASSERT_TRUE(SaveSpriteFile(image, saved.c_str(), SpriteLayout::Sp2, &trailing));
    EXPECT_EQ(ReadBytes(saved), Bytes(file.begin(), file.begin() + kSp2SheetBytes));
}

TEST(SpriteFile, OtherImagesAreCutOrPaddedWithIndexZeroAndColourWordZero)
{
    TempFolder folder;
    const std::tuple<int, int, int> shapes[] = {{3, 2, 0}, {300, 300, 20}, {1, 400, 256}};
    for (const auto& [width, height, colourCount] : shapes)
    {
        SCOPED_TRACE(width);
        CSpriteImage image;
        ASSERT_TRUE(FillRandom(image, width, height, 8, 7, colourCount));
        const std::string path = folder.Path("odd.spr");
        ASSERT_TRUE(SaveSpriteFile(image, path.c_str(), SpriteLayout::Spr, nullptr));
        Bytes expected(37376, 0);
        for (int i = 0; i < colourCount; ++i)
        {
            expected[2 * i] = EntryToColorWord(*image.GetColor(i)) & 0xFF;
            expected[2 * i + 1] = EntryToColorWord(*image.GetColor(i)) >> 8;
        }
        for (int y = 0; y < std::min(height, 288); ++y)
            for (int x = 0; x < std::min(width, 256); ++x)
                expected[512 + y * 128 + x / 2] |= (image.GetPixels()[y * width + x] & 0x0F)
                                                   << x % 2 * 4;
        EXPECT_EQ(ReadBytes(path), expected);
    }
}

// That the old file is kept the replacer's tests show.
TEST(SpriteFile, AFullDiskFailsTheSave)
{
    TempFolder folder;
    const std::string path = folder.Path("full.spr");
    CSpriteImage sheet;
    ASSERT_TRUE(FillRandom(sheet, 256, 288, 8, 4));
    const CTrailingBlock trailing(RandomBytes(5, 2624));
    // The disk fills in the pixels, or at the last byte of the trailing
    // block, which may show only when the file is flushed.
    for (const rlim_t room : {20000u, 39999u})
    {
        FileSizeLimit fullDisk(room);
        SheetSaveStep step = SheetSaveStep::Check;
        const Result saved =
            SaveSpriteFile(sheet, path.c_str(), SpriteLayout::Spr, &trailing, nullptr, &step);
        EXPECT_EQ(std::tuple(saved.reason, saved.systemError, step),
                  std::tuple(Reason::System, EFBIG, SheetSaveStep::Write))
            << room;
    }
}

} // namespace
