#include "image/SpriteImage.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>

namespace
{

void FillPattern(CSpriteImage& image)
{
    for (std::int32_t i = 0; i < image.GetPixelBytes(); ++i)
        image.GetPixels()[i] = static_cast<std::uint8_t>(i * 7 + 3);
}

TEST(SpriteImage, CreateSizesTheBufferByDepth)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(256, 288, 8));
    EXPECT_EQ(image.GetPixelBytes(), 73728);
    ASSERT_TRUE(image.Create(3, 2, 24));
    EXPECT_EQ(image.GetPixelBytes(), 18);
    ASSERT_TRUE(image.Create(3, 2, 16));
    EXPECT_EQ(image.GetPixelBytes(), 12);
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.GetHeight(), 2);
    EXPECT_EQ(image.GetBitsPerPixel(), 16);
}

TEST(SpriteImage, RefusedCreateKeepsTheOldShapeAndBuffer)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(4, 4, 32));
    std::uint8_t* before = image.GetPixels();
    for (auto [w, h, bits] :
         {std::tuple{4, 4, 4},
          {4, 4, 12},
          {4, 4, 0},
          {0, 4, 8},
          {4, -1, 8},
          // byte counts beyond the signed 32-bit range
          {65536, 65536, 8},
          {46341, 46341, 8},
          {std::numeric_limits<std::int32_t>::max(), 2, 32},
          // and beyond the 64-bit range
          {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(), 32}})
    {
        EXPECT_FALSE(image.Create(w, h, bits)) << w << "x" << h << "x" << bits;
        EXPECT_EQ(image.GetPixels(), before);
        EXPECT_EQ(image.GetWidth(), 4);
        EXPECT_EQ(image.GetBitsPerPixel(), 32);
    }
}

TEST(SpriteImage, ColourTableSurvivesCreateAndChecksIndices)
{
    CSpriteImage image;
    EXPECT_EQ(image.GetColor(0), nullptr);
    ASSERT_EQ(image.m_colorTable.SetSize(256), 1);
    ASSERT_TRUE(image.SetColor(5, 10, 20, 30, 255));
    ASSERT_TRUE(image.Create(16, 16, 8));
    const ColorEntry* entry = image.GetColor(5);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->red, 10);
    EXPECT_EQ(entry->green, 20);
    EXPECT_EQ(entry->blue, 30);
    EXPECT_EQ(entry->alpha, 255);
    EXPECT_TRUE(image.SetColor(255, 1, 2, 3, 4));
    EXPECT_FALSE(image.SetColor(-1, 1, 2, 3, 4));
    EXPECT_FALSE(image.SetColor(256, 1, 2, 3, 4));
    EXPECT_EQ(image.GetColor(-1), nullptr);
    EXPECT_EQ(image.GetColor(256), nullptr);
}

TEST(ColorTable, SetSizeStartsAgainWithZeroEntries)
{
    CColorTable table;
    EXPECT_EQ(table.SetSize(0), 1);
    EXPECT_EQ(table.GetSize(), 0);
    EXPECT_EQ(table.SetSize(-3), 1);
    EXPECT_EQ(table.GetSize(), 0);
    ASSERT_EQ(table.SetSize(4), 1);
    table.SetAt(2, 9, 9, 9, 9);
    ASSERT_EQ(table.SetSize(4), 1);
    for (std::int32_t i = 0; i < 4; ++i)
    {
        const ColorEntry* e = table.GetAt(i);
        EXPECT_EQ(e->red | e->green | e->blue | e->alpha, 0);
    }
}

TEST(SpriteImage, AssignmentIsADeepCopy)
{
    CSpriteImage source;
    ASSERT_TRUE(source.Create(5, 3, 24));
    FillPattern(source);
    source.m_colorTable.SetSize(3);
    source.SetColor(1, 7, 8, 9, 10);

    CSpriteImage copy;
    copy = source;
    ASSERT_EQ(copy.GetPixelBytes(), source.GetPixelBytes());
    EXPECT_NE(copy.GetPixels(), source.GetPixels());
    EXPECT_EQ(std::memcmp(copy.GetPixels(), source.GetPixels(), 45), 0);
    EXPECT_EQ(copy.m_colorTable.GetSize(), 3);

    copy.GetPixels()[0] ^= 0xFF;
    copy.SetColor(1, 0, 0, 0, 0);
    EXPECT_EQ(source.GetPixels()[0], 3);
    EXPECT_EQ(source.GetColor(1)->red, 7);

    auto& self = copy;
    copy = self;
    EXPECT_EQ(copy.GetWidth(), 5);
    EXPECT_EQ(copy.GetColor(1)->red, 0);

    CSpriteImage empty;
    copy = empty;
    EXPECT_EQ(copy.GetPixels(), nullptr);
    EXPECT_EQ(copy.GetWidth(), 0);
}

class NativeFormat : public ::testing::Test
{
protected:
    std::FILE* OpenFile(const char* mode)
    {
        return std::fopen(folder.Path("image.zarn").c_str(), mode);
    }
    TempFolder folder;
};

TEST_F(NativeFormat, RoundTripsHeaderAndRows)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(2, 1, 24));
    FillPattern(image);
    std::FILE* out = OpenFile("wb");
    ASSERT_TRUE(image.Serialize(out, false));
    std::fclose(out);

    const auto bytes = ReadBytes(folder.Path("image.zarn"));
    ASSERT_EQ(bytes.size(), 30u);
    const std::vector<std::uint8_t> header = {'Z', 'A', 'R', 'N', 0x00, 0x47, 0x4D, 0x49,
                                              1,   0,   0,   0,   2,    0,    0,    0,
                                              1,   0,   0,   0,   24,   0,    0,    0};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin()));

    CSpriteImage loaded;
    loaded.m_colorTable.SetSize(2);
    loaded.SetColor(1, 1, 2, 3, 4);
    std::FILE* in = OpenFile("rb");
    ASSERT_TRUE(loaded.Serialize(in, true));
    std::fclose(in);
    EXPECT_EQ(loaded.GetWidth(), 2);
    EXPECT_EQ(loaded.GetHeight(), 1);
    EXPECT_EQ(loaded.GetBitsPerPixel(), 24);
    EXPECT_EQ(std::memcmp(loaded.GetPixels(), image.GetPixels(), 6), 0);
    EXPECT_EQ(loaded.GetColor(1)->blue, 3);
}

TEST_F(NativeFormat, RefusesWrongHeadersAndKeepsTheImage)
{
    const std::vector<std::uint8_t> good = {'Z', 'A', 'R', 'N', 0x00, 0x47, 0x4D, 0x49, 1,
                                            0,   0,   0,   1,   0,    0,    0,    1,    0,
                                            0,   0,   8,   0,   0,    0,    42};
    auto withByte = [&](std::size_t at, std::uint8_t value)
    {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };
    for (const auto& bytes :
         {withByte(0, 'X'), withByte(5, 0), withByte(8, 2), withByte(20, 4), withByte(12, 0),
          std::vector<std::uint8_t>(good.begin(), good.begin() + 10)})
    {
        WriteBytes(folder.Path("image.zarn"), bytes);
        CSpriteImage image;
        ASSERT_TRUE(image.Create(3, 3, 8));
        std::FILE* in = OpenFile("rb");
        EXPECT_FALSE(image.Serialize(in, true));
        std::fclose(in);
        EXPECT_EQ(image.GetWidth(), 3);
    }
}

TEST_F(NativeFormat, ShortRowsLoadAsZeros)
{
    WriteBytes(folder.Path("image.zarn"),
               {'Z', 'A', 'R', 'N', 0x00, 0x47, 0x4D, 0x49, 1, 0, 0, 0, 4, 0,
                0,   0,   2,   0,   0,    0,    8,    0,    0, 0, 9, 9, 9});
    CSpriteImage image;
    std::FILE* in = OpenFile("rb");
    ASSERT_TRUE(image.Serialize(in, true));
    std::fclose(in);
    const std::vector<std::uint8_t> expected = {9, 9, 9, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.GetPixels()));
}

TEST_F(NativeFormat, EmptyImageOrNullStreamWritesNothing)
{
    CSpriteImage empty;
    std::FILE* out = OpenFile("wb");
    EXPECT_FALSE(empty.Serialize(out, false));
    std::fclose(out);
    EXPECT_TRUE(ReadBytes(folder.Path("image.zarn")).empty());
    EXPECT_FALSE(empty.Serialize(nullptr, true));
}

} // namespace
