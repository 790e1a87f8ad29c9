// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::string Shape(const CSpriteImage& image)
{
    return std::to_string(image.GetWidth()) + "x" + std::to_string(image.GetHeight()) + "x" +
           std::to_string(image.GetBitsPerPixel()) + ", " + std::to_string(image.GetPixelBytes());
}

TEST(SpriteImage, CreateRefusesBadShapesKeepingTheOldBufferAndColoursAreChecked)
{
    CSpriteImage image;
    ASSERT_EQ(image.m_colorTable.SetSize(256), 1);
    ASSERT_TRUE(image.SetColor(5, 10, 20, 30, 40));
    ASSERT_TRUE(image.Create(3, 2, 24));
    EXPECT_EQ(Shape(image), "3x2x24, 18");
    EXPECT_EQ(image.GetColor(5)->alpha, 40);
    // Another depth, sides below 1, byte counts beyond 32 bits (a row's alone
    // for 2^30 + 1 pixels of 4 bytes) and beyond 64 bits.
    const std::int32_t refused[][3] = {{3, 2, 12},           {0, 2, 8},         {3, 0, 8},
                                       {3, -1, 8},           {46341, 46341, 8}, {65536, 65536, 8},
                                       {1 << 30 | 1, 1, 32}, {kMax, kMax, 32}};
    for (const auto& [w, h, bits] : refused)
    {
        EXPECT_FALSE(image.Create(w, h, bits)) << w << "x" << h << "x" << bits;
        EXPECT_EQ(Shape(image), "3x2x24, 18");
    }
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

    copy = CSpriteImage();
    EXPECT_EQ(copy.GetPixels(), nullptr);
}

// Loads the image from bytes through a runtime stream.
bool Load(CSpriteImage& image, Bytes bytes)
{
    std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
    const bool loaded = image.Serialize(stream, true);
    std::fclose(stream);
    return loaded;
}

Bytes NativeFile(std::uint8_t width, std::uint8_t height, std::uint8_t bits, Bytes rows)
{
    const Bytes header = {'Z',   'A', 'R', 'N', 0x00,   0x47, 0x4D, 0x49, 1,    0, 0, 0,
                          width, 0,   0,   0,   height, 0,    0,    0,    bits, 0, 0, 0};
    rows.insert(rows.begin(), header.begin(), header.end());
    return rows;
}

// Saving is left to the replayed fuzz corpus, whose every loaded image must
// save back to the bytes it came from.
TEST(NativeFormat, RowsCutShortLoadAsZerosAndWrongHeadersAreRefused)
{
    CSpriteImage loaded;
    ASSERT_TRUE(Load(loaded, NativeFile(4, 2, 8, {9, 9, 9})));
    ASSERT_EQ(Shape(loaded), "4x2x8, 8");
    EXPECT_EQ(Bytes(loaded.GetPixels(), loaded.GetPixels() + 8), (Bytes{9, 9, 9, 0, 0, 0, 0, 0}));

    // Magic, tag, version and depth spoilt one at a time; a file cut inside
    // its header.
    const Bytes good = NativeFile(1, 1, 8, {42});
    std::vector<Bytes> bad(4, good);
    for (auto [file, at, value] : {std::tuple{0, 0, 'X'}, {1, 5, 0}, {2, 8, 2}, {3, 20, 4}})
        bad[file][at] = value;
    bad.emplace_back(good.begin(), good.begin() + 10);
    for (const Bytes& bytes : bad)
    {
        EXPECT_FALSE(Load(loaded, bytes));
        EXPECT_EQ(Shape(loaded), "4x2x8, 8");
    }
}

} // namespace
