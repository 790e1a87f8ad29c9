#include "image/SpriteImage.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <numeric>

namespace
{

using Bytes = std::vector<std::uint8_t>;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::string Shape(const CSpriteImage& image)
{
    return std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()) + "x" +
           std::to_string(image.GetBitsPerPixel()) + ", " + std::to_string(image.GetPixelBytes());
}

TEST(SpriteImage, CreateRefusesBadShapesAndKeepsTheOldBuffer)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(3, 2, 24));
    EXPECT_EQ(Shape(image), "3x2x24, 18");
    const std::uint8_t* before = image.GetPixels();
    // Other depths, sides below 1, byte counts beyond 32 and 64 bits.
    const std::int32_t refused[][3] = {{3, 2, 4},         {3, 2, 12},    {3, 2, 0},
                                       {0, 2, 8},         {3, -1, 8},    {65536, 65536, 8},
                                       {46341, 46341, 8}, {kMax, 2, 32}, {kMax, kMax, 32}};
    for (const auto& [w, h, bits] : refused)
    {
        EXPECT_FALSE(image.Create(w, h, bits)) << w << "x" << h << "x" << bits;
        EXPECT_EQ(image.GetPixels(), before);
        EXPECT_EQ(Shape(image), "3x2x24, 18");
    }
}

TEST(SpriteImage, ColourTableSurvivesCreateAndChecksIndices)
{
    CSpriteImage image;
    ASSERT_EQ(image.m_colorTable.SetSize(256), 1);
    ASSERT_TRUE(image.SetColor(5, 10, 20, 30, 40));
    ASSERT_TRUE(image.Create(16, 16, 8));
    EXPECT_EQ(image.GetColor(5)->alpha, 40);
    for (std::int32_t index : {-1, 256})
    {
        EXPECT_FALSE(image.SetColor(index, 1, 2, 3, 4));
        EXPECT_EQ(image.GetColor(index), nullptr);
    }
}

TEST(SpriteImage, AssignmentIsADeepCopy)
{
    CSpriteImage source;
    ASSERT_TRUE(source.Create(5, 3, 24));
    std::iota(source.GetPixels(), source.GetPixels() + 45, std::uint8_t(1));
    source.m_colorTable.SetSize(3);
    source.SetColor(1, 7, 8, 9, 10);

    CSpriteImage copy;
    copy = source;
    ASSERT_EQ(Shape(copy), "5x3x24, 45");
    EXPECT_EQ(std::memcmp(copy.GetPixels(), source.GetPixels(), 45), 0);
    copy.GetPixels()[0] ^= 0xFF;
    copy.SetColor(1, 0, 0, 0, 0);
    EXPECT_EQ(source.GetPixels()[0], 1);
    EXPECT_EQ(source.GetColor(1)->red, 7);

    auto& self = copy;
    copy = self;
    EXPECT_EQ(copy.GetPixels()[0], 1 ^ 0xFF);
    EXPECT_EQ(copy.m_colorTable.GetSize(), 3);
    copy = CSpriteImage();
    EXPECT_EQ(copy.GetPixels(), nullptr);
}

// Serializes through a runtime stream on the file at path.
bool Serialize(CSpriteImage& image, const std::string& path, bool loading)
{
    std::FILE* stream = std::fopen(path.c_str(), loading ? "rb" : "wb");
    const bool done = image.Serialize(stream, loading);
    std::fclose(stream);
    return done;
}

Bytes NativeFile(std::uint8_t width, std::uint8_t height, std::uint8_t bits, Bytes rows)
{
    const Bytes header = {'Z',   'A', 'R', 'N', 0x00,   0x47, 0x4D, 0x49, 1,    0, 0, 0,
                          width, 0,   0,   0,   height, 0,    0,    0,    bits, 0, 0, 0};
    rows.insert(rows.begin(), header.begin(), header.end());
    return rows;
}

TEST(NativeFormat, RoundTripsHeaderAndRowsAndRefusesWrongHeaders)
{
    TempFolder folder;
    const std::string path = folder.Path("image.zarn");
    CSpriteImage image;
    ASSERT_TRUE(image.Create(2, 1, 24));
    std::iota(image.GetPixels(), image.GetPixels() + 6, std::uint8_t(1));
    ASSERT_TRUE(Serialize(image, path, false));
    EXPECT_EQ(ReadBytes(path), NativeFile(2, 1, 24, {1, 2, 3, 4, 5, 6}));

    // Rows cut short load as zeros.
    CSpriteImage loaded;
    WriteBytes(path, NativeFile(4, 2, 8, {9, 9, 9}));
    ASSERT_TRUE(Serialize(loaded, path, true));
    ASSERT_EQ(Shape(loaded), "4x2x8, 8");
    EXPECT_EQ(Bytes(loaded.GetPixels(), loaded.GetPixels() + 8), (Bytes{9, 9, 9, 0, 0, 0, 0, 0}));

    // Magic, version, depth and width spoilt one at a time; a file cut
    // inside its header.
    const Bytes good = NativeFile(1, 1, 8, {42});
    std::vector<Bytes> bad(5, good);
    for (auto [file, at, value] :
         {std::tuple{0, 0, 'X'}, {1, 5, 0}, {2, 8, 2}, {3, 20, 4}, {4, 12, 0}})
        bad[file][at] = value;
    bad.emplace_back(good.begin(), good.begin() + 10);
    for (const Bytes& bytes : bad)
    {
        WriteBytes(path, bytes);
        EXPECT_FALSE(Serialize(loaded, path, true));
        EXPECT_EQ(Shape(loaded), "4x2x8, 8");
    }
}

} // namespace
