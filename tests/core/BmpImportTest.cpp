#include "image/SpriteImage.h"
#include "io/BinaryFile.h"
#include "tests/core/BmpFiles.h"
#include "tests/core/TestFiles.h"

#include <IL/il.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

// The tests stand between the import and DevIL to count its sessions: a
// refused file must never start DevIL, and every session must end cleanly.
namespace {

struct DevilCalls
{
    int starts = 0;
    int deletes = 0;
    int shutdowns = 0;
};
DevilCalls g_devilCalls;

template <typename Function>
Function RealDevil(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

void ILAPIENTRY ilInit()
{
    static const auto real = RealDevil<void (*)()>("ilInit");
    ++g_devilCalls.starts;
    real();
}

void ILAPIENTRY ilDeleteImages(ILsizei count, const ILuint* names)
{
    static const auto real = RealDevil<void (*)(ILsizei, const ILuint*)>("ilDeleteImages");
    ++g_devilCalls.deletes;
    real(count, names);
}

void ILAPIENTRY ilShutDown()
{
    static const auto real = RealDevil<void (*)()>("ilShutDown");
    ++g_devilCalls.shutdowns;
    real();
}

namespace {

using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<std::vector<std::uint32_t>>;

std::vector<ColorEntry> Colours(int count)
{
    std::vector<ColorEntry> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back({std::uint8_t(i * 5 + 1), std::uint8_t(255 - i), std::uint8_t(i * 3), 0});
    return colours;
}

bool Import(const Bytes& bytes, CSpriteImage& image)
{
    TempFolder folder;
    WriteBytes(folder.Path("picture.bmp"), bytes);
    return image.LoadBMP(folder.Path("picture.bmp").c_str());
}

Bytes Pixels(const CSpriteImage& image)
{
    return Bytes(image.GetPixels(), image.GetPixels() + image.GetPixelBytes());
}

Bytes Flatten(const Rows& rows)
{
    Bytes out;
    for (const auto& row : rows)
        out.insert(out.end(), row.begin(), row.end());
    return out;
}

void ExpectIndexed(CSpriteImage& image, const Rows& rows, const std::vector<ColorEntry>& colours)
{
    EXPECT_EQ(image.GetWidth(), std::int32_t(rows[0].size()));
    EXPECT_EQ(image.GetHeight(), std::int32_t(rows.size()));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    EXPECT_EQ(Pixels(image), Flatten(rows));
    ASSERT_EQ(image.m_colorTable.GetSize(), 256);
    for (int i = 0; i < 256; ++i) {
        const ColorEntry& got = *image.GetColor(i);
        const ColorEntry want = i < int(colours.size())
                                    ? ColorEntry{colours[i].red, colours[i].green, colours[i].blue, 255}
                                    : ColorEntry{0, 0, 0, 0};
        EXPECT_TRUE(got.red == want.red && got.green == want.green && got.blue == want.blue &&
                    got.alpha == want.alpha)
            << "entry " << i;
    }
}

BmpPicture Indexed(const Rows& rows, int bits, int colourCount, bool topDown = false)
{
    BmpPicture picture;
    picture.width = std::int32_t(rows[0].size());
    picture.height = topDown ? -std::int32_t(rows.size()) : std::int32_t(rows.size());
    picture.bits = std::uint16_t(bits);
    picture.colorsUsed = colourCount == (1 << bits) ? 0 : std::uint32_t(colourCount);
    picture.palette = StoredPalette(Colours(colourCount));
    picture.pixels = StoredRows(rows, bits, topDown);
    return picture;
}

TEST(BmpImport, SixteenColoursFillA256EntryTableWhicheverWayRowsAreStored)
{
    const Rows rows = {{1, 2, 3}, {4, 5, 15}}; // 3 pixels: the file pads rows to 4 bytes
    for (bool topDown : {false, true}) {
        CSpriteImage image;
        ASSERT_TRUE(Import(BuildBmp(Indexed(rows, 8, 16, topDown)), image)) << topDown;
        ExpectIndexed(image, rows, Colours(16));
    }
}

TEST(BmpImport, OneFourAndEightBitPicturesComeBackAsIndices)
{
    for (int bits : {1, 4, 8}) {
        Rows rows(16, std::vector<std::uint32_t>(17));
        for (std::uint32_t y = 0; y < rows.size(); ++y)
            for (std::uint32_t x = 0; x < rows[y].size(); ++x)
                rows[y][x] = (x * 7 + y * 17) % (1u << bits);
        CSpriteImage image;
        ASSERT_TRUE(Import(BuildBmp(Indexed(rows, bits, 1 << bits)), image)) << bits;
        ExpectIndexed(image, rows, Colours(1 << bits));
    }
}

TEST(BmpImport, RunLengthPicturesAreExpanded)
{
    BmpPicture rle8 = Indexed({{0}}, 8, 16);
    rle8.width = 6;
    rle8.height = 2;
    rle8.compression = 1;
    // Bottom row: a run of three 7s, then 1 2 3 as literals; top row: six 9s.
    rle8.pixels = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 6, 9, 0, 1};
    BmpPicture rle4 = Indexed({{0}}, 4, 16);
    rle4.width = 7;
    rle4.height = 2;
    rle4.compression = 2;
    // Bottom row: 1 2 1 2 as a run, then 3 4 5 as literals; top row: 5 10 alternating.
    rle4.pixels = {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 7, 0x5A, 0, 1};
    const std::pair<BmpPicture, Rows> cases[] = {
        {rle8, {{9, 9, 9, 9, 9, 9}, {7, 7, 7, 1, 2, 3}}},
        {rle4, {{5, 10, 5, 10, 5, 10, 5}, {1, 2, 1, 2, 3, 4, 5}}},
    };
    for (const auto& [picture, expected] : cases) {
        CSpriteImage image;
        ASSERT_TRUE(Import(BuildBmp(picture), image)) << picture.bits;
        ExpectIndexed(image, expected, Colours(16));
    }
}

TEST(BmpImport, PixelsARunLengthPictureSkipsAreZero)
{
    BmpPicture picture = Indexed({{0}}, 8, 16);
    picture.width = 4;
    picture.height = 4;
    picture.compression = 1;
    // A dirty picture first, so that the decoder's next blocks come from
    // memory it has just written to.
    picture.pixels = {4, 0xAB, 0, 0, 4, 0xAB, 0, 0, 4, 0xAB, 0, 0, 4, 0xAB, 0, 1};
    CSpriteImage dirty;
    ASSERT_TRUE(Import(BuildBmp(picture), dirty));
    // One 5, a move right 2 and up 1, one 6, then the end of the picture.
    picture.pixels = {1, 5, 0, 2, 2, 1, 1, 6, 0, 1};
    CSpriteImage image;
    ASSERT_TRUE(Import(BuildBmp(picture), image));
    ExpectIndexed(image, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 6}, {5, 0, 0, 0}}, Colours(16));
}

} // namespace

namespace {

TEST(BmpImport, DirectColourPicturesComeBackRedGreenBlue)
{
    struct Case
    {
        std::uint16_t bits;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        std::vector<std::uint32_t> stored; // left to right, one row
        Bytes expected;                    // red, green, blue per pixel
    };
    const Case cases[] = {
        {24, 0, {}, {0x102030, 0x405060, 0xA0B0C0}, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0xA0, 0xB0, 0xC0}},
        {32, 0, {}, {0x80102030, 0xFF405060, 0x00A0B0C0}, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0xA0, 0xB0, 0xC0}},
        {32, 3, {0xFF, 0xFF00, 0xFF0000}, {0x302010, 0x605040, 0xC0B0A0}, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0xA0, 0xB0, 0xC0}},
        // 5 bits a channel, red highest
        {16, 0, {}, {0x7C00, 0x03E0, 0x0421}, {0xF8, 0, 0, 0, 0xF8, 0, 0x08, 0x08, 0x08}},
        {16, 3, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07E0, 0x0841}, {0xF8, 0, 0, 0, 0xFC, 0, 0x08, 0x08, 0x08}},
    };
    for (const Case& c : cases) {
        BmpPicture picture;
        picture.width = 3;
        picture.height = 1;
        picture.bits = c.bits;
        picture.compression = c.compression;
        picture.masks = c.masks;
        picture.pixels = StoredRows({c.stored}, c.bits);
        CSpriteImage image;
        ASSERT_TRUE(Import(BuildBmp(picture), image)) << c.bits;
        EXPECT_EQ(image.GetBitsPerPixel(), 24) << c.bits;
        EXPECT_EQ(Pixels(image), c.expected) << c.bits << " bits, compression " << c.compression;
        EXPECT_EQ(image.m_colorTable.GetSize(), 0);
    }
}

} // namespace

namespace {

TEST(BmpImport, Os2PictureComesBackTopRowFirstWithThreeByteColours)
{
    const Rows rows = {{1, 2, 3}, {200, 201, 255}};
    BmpPicture os2;
    os2.headerSize = 12;
    os2.width = 3;
    os2.height = 2;
    os2.palette = StoredPalette(Colours(256), 3);
    os2.pixels = StoredRows(rows, 8);
    CSpriteImage image;
    ASSERT_TRUE(Import(BuildBmp(os2), image));
    ExpectIndexed(image, rows, Colours(256));
}

TEST(BmpImport, ExportedSheetComesBackWithItsIndicesAndColours)
{
    Rows rows(288, std::vector<std::uint32_t>(256));
    for (std::uint32_t y = 0; y < rows.size(); ++y)
        for (std::uint32_t x = 0; x < rows[y].size(); ++x)
            rows[y][x] = (x + 3 * y) % 256;
    CSpriteImage image;
    ASSERT_TRUE(Import(BuildBmp(Indexed(rows, 8, 256)), image));
    ExpectIndexed(image, rows, Colours(256));
}

// A picture of distinct colours as a text PPM, for ImageMagick to convert.
std::string PpmOf(const std::vector<ColorEntry>& colours, int width)
{
    std::string ppm = "P3\n" + std::to_string(width) + " " +
                      std::to_string(colours.size() / width) + "\n255\n";
    for (const ColorEntry& c : colours)
        ppm += std::to_string(c.red) + " " + std::to_string(c.green) + " " + std::to_string(c.blue) + "\n";
    return ppm;
}

TEST(BmpImport, PalettePicturesFromImageMagickComeBack)
{
    // ImageMagick writes the 124-byte header, run-length coded at 8 bits
    // unless told otherwise, and 4 bits for 16 colours or fewer.
    struct Case
    {
        const char* options;
        int colourCount;
    };
    for (const Case c : {Case{"", 20}, Case{"-compress none", 20}, Case{"", 10}}) {
        TempFolder folder;
        std::vector<ColorEntry> colours = Colours(c.colourCount);
        std::reverse(colours.begin(), colours.end());
        const std::string ppm = PpmOf(colours, 5);
        WriteBytes(folder.Path("in.ppm"), Bytes(ppm.begin(), ppm.end()));
        const std::string command = "/usr/bin/convert '" + folder.Path("in.ppm") + "' -type palette " +
                                    c.options + " '" + folder.Path("out.bmp") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const Bytes bmp = ReadBytes(folder.Path("out.bmp"));
        ASSERT_GE(bmp.size(), 54u);
        ASSERT_EQ(bmp[14], 124);

        CSpriteImage image;
        ASSERT_TRUE(image.LoadBMP(folder.Path("out.bmp").c_str())) << c.options << c.colourCount;
        ASSERT_EQ(image.GetWidth(), 5);
        ASSERT_EQ(image.GetHeight(), c.colourCount / 5);
        for (int i = 0; i < c.colourCount; ++i) {
            const ColorEntry* got = image.GetColor(image.GetPixels()[i]);
            ASSERT_NE(got, nullptr);
            EXPECT_TRUE(got->red == colours[i].red && got->green == colours[i].green &&
                        got->blue == colours[i].blue && got->alpha == 255)
                << "pixel " << i << " of " << c.colourCount << " " << c.options;
        }
    }
}

} // namespace

namespace {

Bytes PngPicture()
{
    TempFolder folder;
    const std::string path = folder.Path("red.png");
    if (std::system(("/usr/bin/convert -size 2x2 xc:red '" + path + "'").c_str()) != 0)
        return {};
    return ReadBytes(path);
}

// Files the check must stop before DevIL sees them, each named for what it is.
std::vector<std::pair<std::string, Bytes>> RefusedFiles()
{
    const Bytes good = BuildBmp(Indexed({{1, 2, 3}, {4, 5, 6}}, 8, 16));
    auto with = [&good](std::size_t at, std::uint32_t value) {
        Bytes bytes = good;
        SetDword(bytes, at, value);
        return bytes;
    };
    BmpPicture bitFields;
    bitFields.width = 1;
    bitFields.height = 1;
    bitFields.bits = 32;
    bitFields.compression = 3;
    bitFields.masks = {0xFF0000, 0xFF00, 0xFF};
    bitFields.pixels = {1, 2, 3, 4};
    Bytes masksInHeader = BuildBmp(bitFields);
    SetDword(masksInHeader, 10, 62);

    Bytes huge = with(18, 100000);
    SetDword(huge, 22, 100000);
    Bytes wrapping = with(18, 65537);
    SetDword(wrapping, 22, 65536);
    return {
        {"a PNG picture", PngPicture()},
        {"an empty file", {}},
        {"a file cut inside its rows", Bytes(good.begin(), good.end() - 3)},
        {"a file cut inside its header", Bytes(good.begin(), good.begin() + 30)},
        {"100000 x 100000 pixels", huge},
        {"65537 x 65536 pixels", wrapping},
        {"pixels at 0x80000000", with(10, 0x80000000u)},
        {"300 palette colours", with(46, 300)},
        {"bit-field masks inside the header", masksInHeader},
    };
}

TEST(BmpImport, RefusedFilesNeverReachDevilAndLeaveTheImageAlone)
{
    const auto files = RefusedFiles();
    ASSERT_GT(files[0].second.size(), 8u);
    ASSERT_EQ(files[0].second[1], 'P'); // the PNG is a real one
    const DevilCalls before = g_devilCalls;
    for (const auto& [what, bytes] : files) {
        CSpriteImage image;
        ASSERT_TRUE(image.Create(2, 2, 32));
        ASSERT_EQ(image.m_colorTable.SetSize(5), 1);
        EXPECT_FALSE(Import(bytes, image)) << what;
        EXPECT_EQ(image.GetWidth(), 2) << what;
        EXPECT_EQ(image.GetBitsPerPixel(), 32) << what;
        EXPECT_EQ(image.m_colorTable.GetSize(), 5) << what;
    }
    CSpriteImage image;
    TempFolder folder;
    EXPECT_FALSE(image.LoadBMP(folder.Path("missing.bmp").c_str()));
    EXPECT_EQ(g_devilCalls.starts, before.starts);
}

// Passes the check, but DevIL finds the 256-colour palette it expects cut short.
Bytes DevilRefusesThis()
{
    BmpPicture picture = Indexed({{1, 2}}, 8, 16);
    picture.colorsUsed = 0;
    return BuildBmp(picture);
}

TEST(BmpImport, DevilFailureEndsTheSession)
{
    const DevilCalls before = g_devilCalls;
    CSpriteImage image;
    EXPECT_FALSE(Import(DevilRefusesThis(), image));
    EXPECT_EQ(image.GetBitsPerPixel(), 0);
    EXPECT_EQ(g_devilCalls.starts, before.starts + 1);
    EXPECT_EQ(g_devilCalls.deletes, before.deletes + 1);
    EXPECT_EQ(g_devilCalls.shutdowns, before.shutdowns + 1);
}

// The sanitizer build's leak check watches this one.
TEST(BmpImport, RepeatedFailedImportsLeaveNothingBehind)
{
    std::vector<std::pair<std::string, Bytes>> files = RefusedFiles();
    files.emplace_back("refused by DevIL", DevilRefusesThis());
    const DevilCalls before = g_devilCalls;
    for (int round = 0; round < 50; ++round)
        for (const auto& [what, bytes] : files) {
            CSpriteImage image;
            ASSERT_FALSE(Import(bytes, image)) << what;
        }
    EXPECT_EQ(g_devilCalls.starts - before.starts, 50);
    EXPECT_EQ(g_devilCalls.shutdowns, g_devilCalls.starts);
    EXPECT_EQ(g_devilCalls.deletes, g_devilCalls.starts);
}

} // namespace

namespace {

bool ReadFromMemory(Bytes bytes, CSpriteImage& image)
{
    CBinaryFile file;
    if (!file.Attach(fmemopen(bytes.data(), bytes.size(), "rb"), 1))
        return false;
    return image.ReadBMP(file);
}

// Every byte of small files of each kind set to telling values, and every
// truncation: the import may refuse, but must never read or write out of
// bounds (the sanitizer build watches) nor report a shape it does not hold.
TEST(BmpImport, DamagedFilesNeverHurtTheImport)
{
    BmpPicture rle8 = Indexed({{0}}, 8, 16);
    rle8.width = 6;
    rle8.height = 2;
    rle8.compression = 1;
    rle8.pixels = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 0, 6, 9, 0, 1};
    BmpPicture bitFields;
    bitFields.width = 3;
    bitFields.height = 2;
    bitFields.bits = 16;
    bitFields.compression = 3;
    bitFields.masks = {0xF800, 0x07E0, 0x001F};
    bitFields.pixels = StoredRows({{1, 2, 3}, {4, 5, 6}}, 16);
    for (const Bytes& original : {BuildBmp(rle8), BuildBmp(Indexed({{1, 2, 3}}, 4, 16)),
                                  BuildBmp(bitFields)}) {
        for (std::size_t at = 0; at < original.size(); ++at)
            for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                Bytes damaged = original;
                damaged[at] = value;
                CSpriteImage image;
                if (ReadFromMemory(damaged, image)) {
                    EXPECT_EQ(image.GetPixelBytes(),
                              image.GetWidth() * image.GetHeight() * image.GetBitsPerPixel() / 8);
                }
            }
        for (std::size_t length = 1; length < original.size(); ++length) {
            CSpriteImage image;
            ReadFromMemory(Bytes(original.begin(), original.begin() + length), image);
        }
    }
}

} // namespace
