// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureTools.h"
#include "tests/core/BmpFiles.h"

#include "formats/BmpCheck.h"
#include "formats/BmpFile.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <IL/il.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>

// The tests stand between the import and DevIL to count its sessions: a
// refused file must never start DevIL, and every session must be ended.
static int g_devilStarts = 0;
static int g_devilShutdowns = 0;

void ILAPIENTRY ilInit()
{
    static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "ilInit"));
    ++g_devilStarts;
    real();
}

void ILAPIENTRY ilShutDown()
{
    static const auto real = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "ilShutDown"));
    ++g_devilShutdowns;
    real();
}

namespace
{

Result Import(const Bytes& bytes, CSpriteImage& image)
{
    TempFolder folder;
    WriteBytes(folder.Path("picture.bmp"), bytes);
    return LoadBmpPicture(folder.Path("picture.bmp").c_str(), image);
}

// Indices as given, and a 256-entry table: the colours with alpha 255, then zeros.
void ExpectIndexed(const CSpriteImage& image, const BmpRows& rows,
                   const std::vector<ColorEntry>& colours)
{
    ASSERT_EQ(std::tuple(image.GetWidth(), image.GetHeight(), image.GetBitsPerPixel(),
                         image.m_colorTable.GetSize()),
              std::tuple(std::int32_t(rows[0].size()), std::int32_t(rows.size()), 8, 256));
    Bytes indices;
    for (const auto& row : rows)
        indices.insert(indices.end(), row.begin(), row.end());
    EXPECT_EQ(Bytes(image.GetPixels(), image.GetPixels() + image.GetPixelBytes()), indices);
    std::vector<ColorEntry> want(256, ColorEntry{0, 0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        want[i] = {colours[i].red, colours[i].green, colours[i].blue, 255};
    EXPECT_EQ(std::vector<ColorEntry>(image.GetColor(0), image.GetColor(0) + 256), want);
}

// Rows of indices below colourCount that differ from row to row.
BmpRows Pattern(std::uint32_t width, std::uint32_t height, std::uint32_t colourCount)
{
    BmpRows rows(height, std::vector<std::uint32_t>(width));
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            rows[y][x] = (x * 97 + y * 61) % colourCount;
    return rows;
}

BmpPicture RunLength(int bits, std::int32_t width, std::int32_t height, Bytes codes)
{
    BmpPicture picture = IndexedBmp({{0}}, bits, 16);
    picture.width = width;
    picture.height = height;
    picture.compression = bits == 8 ? 1 : 2;
    picture.pixels = std::move(codes);
    return picture;
}

TEST(BmpImport, IndexedPicturesComeBackAsIndicesTopRowFirst)
{
    // Three pixels a row, so every row is padded; 16 colours at 8 bits
    // leave 240 table entries to be zeroed. Rows stored either way up and
    // the larger headers give what the basic one gives. DevIL hands OS/2
    // pictures back bottom row first whatever origin was asked for; their
    // colours take three bytes, and DevIL expects all 256.
    const int cases[][2] = {{1, 2}, {4, 16}, {8, 16}, {8, 256}};
    for (const auto& [bits, colourCount] : cases)
        for (const std::uint32_t headerSize : {12, 40, 124})
            for (const bool topDown : {false, true})
            {
                if (headerSize == 12 && (topDown || colourCount != 256))
                    continue;
                SCOPED_TRACE(std::to_string(bits) + " bits, header " + std::to_string(headerSize));
                const BmpRows rows = Pattern(3, 5, colourCount);
                BmpPicture picture = IndexedBmp(rows, bits, colourCount, topDown);
                picture.headerSize = headerSize;
                if (headerSize == 12)
                    picture.palette = StoredPalette(TestColours(256), 3);
                CSpriteImage image;
                ASSERT_TRUE(Import(BuildBmp(picture), image));
                ExpectIndexed(image, rows, TestColours(colourCount));
            }
}

TEST(BmpImport, RunLengthPicturesAreExpandedAndSkippedPixelsAreZero)
{
    // RLE8, bottom row: three 7s, then 1 2 3 as literals; top row: six 9s.
    CSpriteImage image;
    ASSERT_TRUE(
        Import(BuildBmp(RunLength(8, 6, 2, {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 6, 9, 0, 1})), image));
    ExpectIndexed(image, {{9, 9, 9, 9, 9, 9}, {7, 7, 7, 1, 2, 3}}, TestColours(16));
    // RLE4, bottom row: 1 2 1 2 as a run, then 3 4 5 as literals; top row: 5 and 10 in turn.
    ASSERT_TRUE(Import(
        BuildBmp(RunLength(4, 7, 2, {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 7, 0x5A, 0, 1})), image));
    ExpectIndexed(image, {{5, 10, 5, 10, 5, 10, 5}, {1, 2, 1, 2, 3, 4, 5}}, TestColours(16));

    // A dirty picture first, whose freed blocks the next import may get
    // again; then one 5, a move right 2 and up 1, one 6, and the end of the
    // picture.
    const BmpRows dirty(128, std::vector<std::uint32_t>(128, 0xAB));
    BmpRows skipped = Pattern(128, 128, 1);
    skipped[127][0] = 5;
    skipped[126][3] = 6;
    ASSERT_TRUE(Import(BuildBmp(IndexedBmp(dirty, 8, 256)), image));
    ASSERT_TRUE(Import(BuildBmp(RunLength(8, 128, 128, {1, 5, 0, 2, 2, 1, 1, 6, 0, 1})), image));
    ExpectIndexed(image, skipped, TestColours(16));
}

TEST(BmpImport, DirectColourPicturesComeBackAsRedGreenBlueBytes)
{
    // DevIL decodes every direct-colour BMP to 24 bits, dropping alpha.
    const Bytes rgb = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0xA0, 0xB0, 0xC0};
    // Bits, bit-field masks, one row of stored values, the bytes expected.
    const std::tuple<int, std::vector<std::uint32_t>, std::vector<std::uint32_t>, Bytes> cases[] = {
        {24, {}, {0x102030, 0x405060, 0xA0B0C0}, rgb},
        {32, {0xFF, 0xFF00, 0xFF0000}, {0x302010, 0x605040, 0xC0B0A0}, rgb},
        {16, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x0841}, {0xF8, 0, 0, 0, 0xFC, 0, 8, 8, 8}},
    };
    for (const auto& [bits, masks, stored, expected] : cases)
        for (const std::uint32_t headerSize : {40, 124})
        {
            SCOPED_TRACE(std::to_string(bits) + " bits, header " + std::to_string(headerSize));
            BmpPicture picture = IndexedBmp({stored}, bits, 0);
            picture.headerSize = headerSize;
            picture.compression = masks.empty() ? 0 : 3;
            picture.masks = masks;
            CSpriteImage image;
            ASSERT_TRUE(Import(BuildBmp(picture), image));
            EXPECT_EQ(std::tuple(image.GetBitsPerPixel(), image.m_colorTable.GetSize()),
                      std::tuple(24, 0));
            EXPECT_EQ(Bytes(image.GetPixels(), image.GetPixels() + 9), expected);
        }
}

TEST(BmpImport, RunLengthPicturesFromImageMagickComeBack)
{
    // From a picture of 20 colours ImageMagick writes run-length codes
    // behind the 124-byte header.
    TempFolder folder;
    CSpriteImage picture;
    ASSERT_TRUE(FillRandom(picture, 5, 4, 24, 20));
    ASSERT_TRUE(picture.SaveBMP(folder.Path("in.bmp").c_str()));
    ASSERT_TRUE(RunConvert(folder.Path("in.bmp") + " -type palette " + folder.Path("out.bmp")));
    const Bytes out = ReadBytes(folder.Path("out.bmp"));
    ASSERT_EQ(std::tuple(out.at(14), out.at(28), out.at(30)), std::tuple(124, 8, 1));
    CSpriteImage image;
    ASSERT_TRUE(image.LoadBMP(folder.Path("out.bmp").c_str()));
    ASSERT_EQ(image.GetPixelBytes(), 20);
    for (int i = 0; i < 20; ++i)
    {
        const std::uint8_t* rgb = picture.GetPixels() + 3 * i;
        EXPECT_EQ(*image.GetColor(image.GetPixels()[i]), (ColorEntry{rgb[0], rgb[1], rgb[2], 255}))
            << i;
    }
}

// The first `kept` bytes of a file, with double words set in them.
Bytes With(Bytes file, std::initializer_list<std::pair<std::size_t, std::uint32_t>> set,
           std::size_t kept = SIZE_MAX)
{
    file.resize(std::min(kept, file.size()));
    for (const auto& [at, value] : set)
        SetDword(file, at, value);
    return file;
}

TEST(BmpImport, CraftedFilesAreRefusedForTheirFaultAndLeaveTheImageAlone)
{
    // 126 bytes: the headers, 16 colours and two rows of 4 bytes.
    const Bytes good = BuildBmp(IndexedBmp({{1, 2, 3}, {4, 5, 15}}, 8, 16));
    const std::pair<Bytes, std::string> cases[] = {
        {With(good, {{0, 0x38464947}}), "not a BMP file: no \"BM\" signature"}, // "GIF8"
        {With(good, {}, 53), "too short for a BMP file"},
        {With(good, {{14, 64}}), "unsupported BMP header of 64 bytes"},
        {With(good, {{26, 2 | 8 << 16}}), "2 colour planes: a BMP picture has 1"},
        {With(good, {{28, 2}}), "unsupported depth of 2 bits per pixel"},
        {With(good, {{30, 4}}), "compression 4 does not fit the picture's depth"},
        {With(good, {{30, 1}, {22, ~0u}}), "a run-length picture stored top row first"},
        {With(good, {{18, 0}}), "width 0 is not a picture's width"},
        {With(good, {{18, 16385}}), "width 16385 is over the limit of 16384"},
        {With(good, {{22, 0}}), "height 0 is not a picture's height"},
        {With(good, {{22, 0x80000000u}}), "height 2147483648 is over the limit of 16384"},
        {With(good, {{18, 16384}, {22, 4097}}), "67125248 pixels are over the limit of 67108864"},
        {With(good, {{28, 4}, {46, 17}}), "17 palette colours are more than the depth allows"},
        {With(good, {{10, 53}}), "pixel data offset 53 lies inside the headers, which end at 54"},
        {With(good, {{10, 126}}), "pixel data offset 126 lies outside the file"},
        // A 40-byte header with bit fields keeps its masks in the next 12 bytes.
        {With(good, {{28, 16}, {30, 3}, {10, 65}}),
         "pixel data offset 65 lies inside the headers, which end at 66"},
        {With(good, {}, 125), "the rows need 8 bytes but the file holds 7"},
        // DevIL then expects 256 colours and finds the file cut short.
        {With(good, {{46, 0}}), "DevIL could not decode the picture"},
    };
    const int startsBefore = g_devilStarts;
    for (const auto& [bytes, reason] : cases)
    {
        CSpriteImage image;
        ASSERT_TRUE(image.Create(2, 2, 32) && image.m_colorTable.SetSize(5));
        EXPECT_EQ(ReasonText(Import(bytes, image)), reason);
        EXPECT_EQ(std::tuple(image.GetBitsPerPixel(), image.m_colorTable.GetSize()),
                  std::tuple(32, 5))
            << reason;
    }
    // Only the last file reached DevIL, which refused it and ended its session.
    EXPECT_EQ(g_devilStarts, startsBefore + 1);
    EXPECT_EQ(g_devilShutdowns, g_devilStarts);
}

Bytes BytesForDevil(Bytes file)
{
    file.resize(file.size() + 1000, 0x55); // junk after the picture
    CBinaryFile stream;
    stream.Attach(fmemopen(file.data(), file.size(), "rb"), 1);
    Bytes handed;
    ReadBmpForDecoding(stream, handed);
    return handed;
}

TEST(BmpImport, JunkAfterThePictureStaysUnread)
{
    // A stored picture ends with its rows; run-length codes end where the
    // longest codes for the pixels could: four bytes a pixel skipped one
    // by one, and an end code for each row and for the picture.
    const Bytes stored = BuildBmp(IndexedBmp(Pattern(3, 5, 16), 4, 16));
    EXPECT_EQ(BytesForDevil(stored), stored);
    const Bytes coded = BuildBmp(RunLength(8, 6, 2, {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 6, 9, 0, 1}));
    EXPECT_EQ(BytesForDevil(coded).size(), coded[10] + 4 * 6 * 2 + 2 * 2 + 2u);
}

} // namespace
