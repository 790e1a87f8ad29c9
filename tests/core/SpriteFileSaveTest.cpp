#include "SpriteFileTestFiles.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

namespace
{

// What the window holds after opening an SPR file.
struct OpenedSheet
{
    CSpriteImage image;
    TrailingBlock trailing;
    ~OpenedSheet() { delete[] trailing.data; }

    bool Open(const std::string& path)
    {
        return image.LoadSPR(path.c_str()) && ReadTrailingBlock(path.c_str(), trailing);
    }
    SpriteSaveResult Save(const std::string& path) const
    {
        return SaveSpriteFile(&image, path.c_str(), SpriteLayout::Spr, trailing.data,
                              trailing.size);
    }
};

class SpriteSaveTest : public ::testing::Test
{
protected:
    TempFolder folder;
};

TEST_F(SpriteSaveTest, SeededSheetsSaveBackByteForByteButBit15)
{
    // 37376 bytes is a bare sheet; 40000 carries a 2624-byte trailing block.
    const std::size_t trailingSizes[] = {0, 2624, 1, 777, 5000};
    for (std::uint32_t seed = 0; seed < std::size(trailingSizes); ++seed)
    {
        SCOPED_TRACE(seed);
        const Bytes original = RandomBytes(seed, 37376 + trailingSizes[seed]);
        Bytes expected = original;
        for (std::size_t i = 1; i < 512; i += 2)
            expected[i] &= 0x7F;
        const std::string path = folder.Path("sheet.spr");
        WriteBytes(path, original);

        OpenedSheet sheet;
        ASSERT_TRUE(sheet.Open(path));
        EXPECT_EQ(sheet.trailing.size, static_cast<std::int32_t>(trailingSizes[seed]));
        ASSERT_EQ(sheet.Save(path), SpriteSaveResult::Written);
        ASSERT_EQ(ReadBytes(path), expected);
        ASSERT_EQ(sheet.Save(path), SpriteSaveResult::Written);
        ASSERT_EQ(ReadBytes(path), expected);
    }
}

TEST_F(SpriteSaveTest, ImagesOfOtherSizesAreCutOrPaddedWithIndexZero)
{
    const std::pair<int, int> shapes[] = {{3, 2},   {300, 300}, {255, 1},
                                          {1, 400}, {256, 288}, {256, 256}};
    for (const auto& [width, height] : shapes)
    {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        CSpriteImage image;
        ASSERT_TRUE(image.Create(width, height, 8));
        const Bytes pixels = RandomBytes(static_cast<std::uint32_t>(width),
                                         static_cast<std::size_t>(width) * height);
        std::copy(pixels.begin(), pixels.end(), image.GetPixels());

        for (const SpriteLayout layout : {SpriteLayout::Spr, SpriteLayout::Sp2})
        {
            const std::string path = folder.Path("odd");
            ASSERT_EQ(SaveSpriteFile(&image, path.c_str(), layout, nullptr, 0),
                      SpriteSaveResult::Written);
            const Bytes saved = ReadBytes(path);
            const int rows = layout == SpriteLayout::Spr ? 288 : 256;
            const std::size_t start = layout == SpriteLayout::Spr ? 512 : 0;
            ASSERT_EQ(saved.size(), start + rows * 128u);
            for (int y = 0; y < rows; ++y)
            {
                for (int x = 0; x < 256; ++x)
                {
                    const bool inside = x < width && y < height;
                    const int expected =
                        inside ? pixels[static_cast<std::size_t>(y) * width + x] & 0x0F : 0;
                    const std::uint8_t pair = saved[start + y * 128 + x / 2];
                    ASSERT_EQ(x % 2 ? pair >> 4 : pair & 0x0F, expected) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(SpriteSaveTest, MissingColoursAreWrittenAsZeroWords)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(256, 288, 8));
    std::fill_n(image.GetPixels(), image.GetPixelBytes(), 0);
    for (const int count : {0, 20})
    {
        image.m_colorTable.SetSize(count);
        for (int i = 0; i < count; ++i)
            image.SetColor(i, 255, 255, 255, 255);
        const std::string path = folder.Path("few.spr");
        ASSERT_EQ(SaveSpriteFile(&image, path.c_str(), SpriteLayout::Spr, nullptr, 0),
                  SpriteSaveResult::Written);
        const Bytes saved = ReadBytes(path);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(U16At(saved, 2 * i), i < count ? 0x7FFFu : 0u) << i;
    }
}

TEST_F(SpriteSaveTest, RefusalsLeaveTheFilesAlone)
{
    const std::string existing = folder.Path("existing.spr");
    const Bytes before = RandomBytes(1, 100);
    WriteBytes(existing, before);
    CSpriteImage sheet;
    ASSERT_TRUE(sheet.Create(256, 288, 8));
    CSpriteImage neverCreated;
    CSpriteImage deep;
    ASSERT_TRUE(deep.Create(256, 288, 24));

    const auto save = [&](const CSpriteImage* image, const char* path)
    { return SaveSpriteFile(image, path, SpriteLayout::Spr, nullptr, 0); };
    EXPECT_EQ(save(nullptr, existing.c_str()), SpriteSaveResult::NoImage);
    EXPECT_EQ(save(&sheet, nullptr), SpriteSaveResult::NoFileName);
    EXPECT_EQ(save(&sheet, ""), SpriteSaveResult::NoFileName);
    EXPECT_EQ(save(&neverCreated, existing.c_str()), SpriteSaveResult::NotEightBit);
    EXPECT_EQ(save(&deep, existing.c_str()), SpriteSaveResult::NotEightBit);
    EXPECT_EQ(save(&deep, folder.Path("new.spr").c_str()), SpriteSaveResult::NotEightBit);
    EXPECT_EQ(save(&sheet, folder.Path("missing/sheet.spr").c_str()),
              SpriteSaveResult::CannotCreate);
    EXPECT_EQ(ReadBytes(existing), before);
    EXPECT_EQ(FileCount(folder.Root()), 1u);
}

TEST_F(SpriteSaveTest, EveryFailedWriteIsReportedAndTheOldFileKept)
{
    const Bytes original = RandomBytes(4, 40000);
    const std::string path = folder.Path("keep.spr");
    WriteBytes(path, original);
    OpenedSheet sheet;
    ASSERT_TRUE(sheet.Open(path));

    // One write fails: in the colours, at the first and last pixel byte, at
    // the first and last byte of the trailing block.
    for (const std::size_t bad : {0u, 1u, 511u, 512u, 37375u, 37376u, 39999u})
    {
        FailingWriteFile file(bad);
        EXPECT_FALSE(WriteSpriteSheet(file, sheet.image, SpriteLayout::Spr, sheet.trailing.data,
                                      sheet.trailing.size))
            << bad;
    }
    FailingWriteFile sp2(32767);
    EXPECT_FALSE(WriteSpriteSheet(sp2, sheet.image, SpriteLayout::Sp2, nullptr, 0));
    CBinaryFile notOpen;
    EXPECT_FALSE(WriteSpriteSheet(notOpen, sheet.image, SpriteLayout::Spr, nullptr, 0));

    // The disk fills early, or at the last byte, which may show only when
    // the file is flushed.
    std::fill(sheet.image.GetPixels(), sheet.image.GetPixels() + 256 * 288, 3);
    for (const rlim_t room : {20000u, 39999u})
    {
        FileSizeLimit fullDisk(room);
        EXPECT_EQ(sheet.Save(path), SpriteSaveResult::WriteFailed) << room;
    }
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(FileCount(folder.Root()), 1u);
}

} // namespace
