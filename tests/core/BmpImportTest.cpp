#include "image/SpriteImage.h"
#include "io/BinaryFile.h"
#include "tests/core/BmpFiles.h"
#include "tests/core/TestFiles.h"

#include <IL/il.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

// The tests stand between the import and DevIL to count its sessions: a
// refused file must never start DevIL, and every session must be ended.
namespace
{
int g_devilStarts = 0;
int g_devilShutdowns = 0;
} // namespace

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

using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<std::vector<std::uint32_t>>;

std::vector<ColorEntry> Colours(int count)
{
    std::vector<ColorEntry> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back({std::uint8_t(i * 5 + 1), std::uint8_t(255 - i), std::uint8_t(i * 3), 0});
    return colours;
}

std::array<int, 4> Rgba(const ColorEntry& c)
{
    return {c.red, c.green, c.blue, c.alpha};
}

bool Import(const Bytes& bytes, CSpriteImage& image)
{
    TempFolder folder;
    WriteBytes(folder.Path("picture.bmp"), bytes);
    return image.LoadBMP(folder.Path("picture.bmp").c_str());
}

bool ImportFromMemory(Bytes bytes, CSpriteImage& image)
{
    CBinaryFile file;
    return file.Attach(fmemopen(bytes.data(), bytes.size(), "rb"), 1) && image.ReadBMP(file);
}

// Indices as given, and a 256-entry table: the colours with alpha 255, then zeros.
void ExpectIndexed(CSpriteImage& image, const Rows& rows, const std::vector<ColorEntry>& colours)
{
    ASSERT_EQ(image.GetWidth(), std::int32_t(rows[0].size()));
    ASSERT_EQ(image.GetHeight(), std::int32_t(rows.size()));
    ASSERT_EQ(image.GetBitsPerPixel(), 8);
    Bytes indices;
    for (const auto& row : rows)
        indices.insert(indices.end(), row.begin(), row.end());
    EXPECT_EQ(Bytes(image.GetPixels(), image.GetPixels() + image.GetPixelBytes()), indices);
    ASSERT_EQ(image.m_colorTable.GetSize(), 256);
    for (int i = 0; i < 256; ++i)
    {
        ColorEntry want = {0, 0, 0, 0};
        if (i < int(colours.size()))
            want = {colours[i].red, colours[i].green, colours[i].blue, 255};
        EXPECT_EQ(Rgba(*image.GetColor(i)), Rgba(want)) << "entry " << i;
    }
}

BmpPicture Indexed(const Rows& rows, int bits, int colourCount, bool topDown = false)
{
    BmpPicture picture;
    picture.width = std::int32_t(rows[0].size());
    picture.height = std::int32_t(topDown ? -rows.size() : rows.size());
    picture.bits = std::uint16_t(bits);
    picture.colorsUsed = colourCount == (1 << bits) ? 0 : std::uint32_t(colourCount);
    picture.palette = StoredPalette(Colours(colourCount));
    picture.pixels = StoredRows(rows, bits, topDown);
    return picture;
}

BmpPicture RunLength(int bits, std::int32_t width, std::int32_t height, Bytes codes)
{
    BmpPicture picture = Indexed({{0}}, bits, 16);
    picture.width = width;
    picture.height = height;
    picture.compression = bits == 8 ? 1 : 2;
    picture.pixels = std::move(codes);
    return picture;
}

TEST(BmpImport, IndexedPicturesComeBackAsIndicesTopRowFirst)
{
    // 17 pixels a row, so the file pads every row; 16 colours at 8 bits
    // leave 240 table entries to be zeroed.
    for (int bits : {1, 4, 8})
        for (bool topDown : {false, true})
        {
            const int colourCount = bits == 8 ? 16 : 1 << bits;
            Rows rows(5, std::vector<std::uint32_t>(17));
            for (std::uint32_t y = 0; y < rows.size(); ++y)
                for (std::uint32_t x = 0; x < rows[y].size(); ++x)
                    rows[y][x] = (x * 7 + y * 3) % colourCount;
            CSpriteImage image;
            ASSERT_TRUE(Import(BuildBmp(Indexed(rows, bits, colourCount, topDown)), image)) << bits;
            ExpectIndexed(image, rows, Colours(colourCount));
        }
}

TEST(BmpImport, RunLengthPicturesAreExpandedAndSkippedPixelsAreZero)
{
    // RLE8, bottom row: three 7s, then 1 2 3 as literals; top row: six 9s.
    CSpriteImage image;
    ASSERT_TRUE(
        Import(BuildBmp(RunLength(8, 6, 2, {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 6, 9, 0, 1})), image));
    ExpectIndexed(image, {{9, 9, 9, 9, 9, 9}, {7, 7, 7, 1, 2, 3}}, Colours(16));
    // RLE4, bottom row: 1 2 1 2 as a run, then 3 4 5 as literals; top row: 5 and 10 in turn.
    ASSERT_TRUE(Import(
        BuildBmp(RunLength(4, 7, 2, {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 7, 0x5A, 0, 1})), image));
    ExpectIndexed(image, {{5, 10, 5, 10, 5, 10, 5}, {1, 2, 1, 2, 3, 4, 5}}, Colours(16));

    // A dirty picture first, so that the decoder's next blocks come from
    // memory it has just written to; then one 5, a move right 2 and up 1,
    // one 6, and the end of the picture.
    ASSERT_TRUE(Import(BuildBmp(RunLength(8, 4, 4, {16, 0xAB, 0, 1})), image));
    ASSERT_TRUE(Import(BuildBmp(RunLength(8, 4, 4, {1, 5, 0, 2, 2, 1, 1, 6, 0, 1})), image));
    ExpectIndexed(image, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 6}, {5, 0, 0, 0}}, Colours(16));
}

TEST(BmpImport, DirectColourPicturesComeBackAsRedGreenBlueBytes)
{
    // DevIL decodes every direct-colour BMP to 24 bits, dropping alpha.
    const Bytes rgb = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0xA0, 0xB0, 0xC0};
    const struct
    {
        std::uint16_t bits;
        std::vector<std::uint32_t> masks;
        std::vector<std::uint32_t> stored; // one row, left to right
        Bytes expected;
    } cases[] = {
        {24, {}, {0x102030, 0x405060, 0xA0B0C0}, rgb},
        {32, {}, {0x80102030, 0xFF405060, 0x00A0B0C0}, rgb},
        {32, {0xFF, 0xFF00, 0xFF0000}, {0x302010, 0x605040, 0xC0B0A0}, rgb},
        {16, {}, {0x7C00, 0x03E0, 0x0421}, {0xF8, 0, 0, 0, 0xF8, 0, 8, 8, 8}}, // 5 bits a channel
        {16, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x0841}, {0xF8, 0, 0, 0, 0xFC, 0, 8, 8, 8}},
    };
    for (const auto& c : cases)
    {
        BmpPicture picture;
        picture.width = 3;
        picture.height = 1;
        picture.bits = c.bits;
        picture.compression = c.masks.empty() ? 0 : 3;
        picture.masks = c.masks;
        picture.pixels = StoredRows({c.stored}, c.bits);
        CSpriteImage image;
        ASSERT_TRUE(Import(BuildBmp(picture), image)) << c.bits;
        EXPECT_EQ(image.GetBitsPerPixel(), 24) << c.bits;
        EXPECT_EQ(Bytes(image.GetPixels(), image.GetPixels() + 9), c.expected) << c.bits << " bits";
        EXPECT_EQ(image.m_colorTable.GetSize(), 0);
    }
}

TEST(BmpImport, Os2PictureComesBackTopRowFirstWithThreeByteColours)
{
    // DevIL hands these back bottom row first whatever origin was asked for.
    const Rows rows = {{1, 2, 3}, {200, 201, 255}};
    BmpPicture os2 = Indexed(rows, 8, 256);
    os2.headerSize = 12;
    os2.palette = StoredPalette(Colours(256), 3);
    CSpriteImage image;
    ASSERT_TRUE(Import(BuildBmp(os2), image));
    ExpectIndexed(image, rows, Colours(256));
}

TEST(BmpImport, ExportedSheetComesBackWithItsIndicesAndColours)
{
    Rows rows(288, std::vector<std::uint32_t>(256));
    CSpriteImage sheet;
    ASSERT_TRUE(sheet.Create(256, 288, 8));
    ASSERT_EQ(sheet.m_colorTable.SetSize(256), 1);
    const std::vector<ColorEntry> colours = Colours(256); // alpha 0, which the file does not carry
    for (int i = 0; i < 256; ++i)
        sheet.m_colorTable.SetAt(i, colours[i]);
    for (std::uint32_t y = 0; y < rows.size(); ++y)
        for (std::uint32_t x = 0; x < rows[y].size(); ++x)
            sheet.GetPixels()[y * 256 + x] = std::uint8_t(rows[y][x] = (x + 3 * y) % 256);
    TempFolder folder;
    ASSERT_TRUE(sheet.SaveBMP(folder.Path("sheet.bmp").c_str()));
    CSpriteImage image;
    ASSERT_TRUE(image.LoadBMP(folder.Path("sheet.bmp").c_str()));
    ExpectIndexed(image, rows, colours);
}

bool Convert(const std::string& from, const std::string& options, const std::string& to)
{
    return std::system(("/usr/bin/convert '" + from + "' " + options + " '" + to + "'").c_str()) ==
           0;
}

TEST(BmpImport, PalettePicturesFromImageMagickComeBack)
{
    // ImageMagick writes the 124-byte header, run-length coded at 8 bits
    // unless told otherwise, and 4 bits for 16 colours or fewer.
    for (const auto& [options, colourCount] : {std::pair{"-type palette", 20},
                                               {"-type palette -compress none", 20},
                                               {"-type palette", 10}})
    {
        TempFolder folder;
        std::vector<ColorEntry> colours = Colours(colourCount);
        std::reverse(colours.begin(), colours.end());
        std::string ppm = "P3\n5 " + std::to_string(colourCount / 5) + "\n255\n";
        for (const ColorEntry& c : colours)
            ppm += std::to_string(c.red) + " " + std::to_string(c.green) + " " +
                   std::to_string(c.blue) + "\n";
        WriteBytes(folder.Path("in.ppm"), Bytes(ppm.begin(), ppm.end()));
        ASSERT_TRUE(Convert(folder.Path("in.ppm"), options, folder.Path("out.bmp")));
        ASSERT_EQ(ReadBytes(folder.Path("out.bmp")).at(14), 124);

        CSpriteImage image;
        ASSERT_TRUE(image.LoadBMP(folder.Path("out.bmp").c_str())) << options << colourCount;
        ASSERT_EQ(image.GetPixelBytes(), colourCount);
        for (int i = 0; i < colourCount; ++i)
            EXPECT_EQ(Rgba(*image.GetColor(image.GetPixels()[i])),
                      Rgba({colours[i].red, colours[i].green, colours[i].blue, 255}))
                << "pixel " << i << ", " << options << ", " << colourCount;
    }
}

// Files the check stops before DevIL sees them, each named for what it is.
std::vector<std::pair<std::string, Bytes>> RefusedFiles()
{
    TempFolder folder;
    const bool madePng = Convert("xc:red", "", folder.Path("red.png"));
    const Bytes good = BuildBmp(Indexed({{1, 2, 3}, {4, 5, 6}}, 8, 16));
    auto with =
        [&good](std::size_t at, std::uint32_t value, std::size_t at2 = 0, std::uint32_t value2 = 0)
    {
        Bytes bytes = good;
        SetDword(bytes, at, value);
        if (at2 != 0)
            SetDword(bytes, at2, value2);
        return bytes;
    };
    return {
        {"a PNG picture", madePng ? ReadBytes(folder.Path("red.png")) : Bytes{}},
        {"an empty file", {}},
        {"a file cut inside its rows", Bytes(good.begin(), good.end() - 3)},
        {"100000 x 100000 pixels", with(18, 100000, 22, 100000)},
        {"65537 x 65536 pixels", with(18, 65537, 22, 65536)},
        {"pixels at 0x80000000", with(10, 0x80000000u)},
        {"300 palette colours", with(46, 300)},
    };
}

TEST(BmpImport, RefusedFilesNeverReachDevilAndRepeatedFailuresLeaveNothingBehind)
{
    auto files = RefusedFiles();
    ASSERT_EQ(files[0].second.at(1), 'P') << "the PNG is a real one";
    // Passes the check, but DevIL finds the 256-colour palette it expects cut short.
    BmpPicture shortPalette = Indexed({{1, 2}}, 8, 16);
    shortPalette.colorsUsed = 0;
    const Bytes devilRefuses = BuildBmp(shortPalette);

    const int startsBefore = g_devilStarts;
    for (int round = 0; round < 20; ++round)
    {
        for (const auto& [what, bytes] : files)
        {
            CSpriteImage image;
            ASSERT_TRUE(image.Create(2, 2, 32));
            ASSERT_EQ(image.m_colorTable.SetSize(5), 1);
            EXPECT_FALSE(Import(bytes, image)) << what;
            EXPECT_EQ(image.GetBitsPerPixel(), 32) << what;
            EXPECT_EQ(image.m_colorTable.GetSize(), 5) << what;
        }
        CSpriteImage image;
        EXPECT_FALSE(Import(devilRefuses, image));
        EXPECT_EQ(image.GetBitsPerPixel(), 0);
    }
    EXPECT_EQ(g_devilStarts - startsBefore, 20);
    EXPECT_EQ(g_devilShutdowns, g_devilStarts);
    CSpriteImage image;
    EXPECT_FALSE(image.LoadBMP("/nonexistent/picture.bmp"));
}

// Every byte of small files of each kind set to telling values, and every
// truncation: the import may refuse, but must never read or write out of
// bounds (the sanitizer build watches) nor report a shape it does not hold.
TEST(BmpImport, DamagedFilesNeverHurtTheImport)
{
    BmpPicture bitFields;
    bitFields.width = 3;
    bitFields.height = 2;
    bitFields.bits = 16;
    bitFields.compression = 3;
    bitFields.masks = {0xF800, 0x07E0, 0x001F};
    bitFields.pixels = StoredRows({{1, 2, 3}, {4, 5, 6}}, 16);
    for (const Bytes& original :
         {BuildBmp(RunLength(8, 6, 2, {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 0, 6, 9, 0, 1})),
          BuildBmp(Indexed({{1, 2, 3}}, 4, 16)), BuildBmp(bitFields)})
    {
        for (std::size_t at = 0; at < original.size(); ++at)
            for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF})
            {
                Bytes damaged = original;
                damaged[at] = value;
                CSpriteImage image;
                if (ImportFromMemory(damaged, image))
                {
                    EXPECT_EQ(std::int64_t(image.GetPixelBytes()),
                              CSpriteImage::ByteCountFor(image.GetWidth(), image.GetHeight(),
                                                         image.GetBitsPerPixel()));
                }
            }
        for (std::size_t length = 1; length < original.size(); ++length)
        {
            CSpriteImage image;
            ImportFromMemory(Bytes(original.begin(), original.begin() + length), image);
        }
    }
}

} // namespace
