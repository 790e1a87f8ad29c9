#include "SpriteFileTestFiles.h"
#include "tests/core/BmpFiles.h"

#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace
{

// A pixel as the value a BMP stores: an index, a 16-bit word, or a colour
// with blue in the low byte.
std::uint32_t StoredValue(const std::uint8_t* p, int bits)
{
    if (bits <= 16)
        return bits == 8 ? p[0] : p[0] | p[1] << 8;
    return p[2] | p[1] << 8 | p[0] << 16 | (bits == 32 ? std::uint32_t(p[3]) << 24 : 0u);
}

// The file the writer owes for an image: the 40-byte header with size and
// resolution left zero, for 8 bits all 256 colours (missing ones zero), then
// the pixels bottom row first, each row filled with zeros to four bytes.
Bytes ExpectedFile(const CSpriteImage& image)
{
    const int bits = image.GetBitsPerPixel();
    BmpRows rows(static_cast<std::size_t>(image.GetHeight()));
    const std::uint8_t* p = image.GetPixels();
    for (auto& row : rows)
        for (int x = 0; x < image.GetWidth(); ++x, p += bits / 8)
            row.push_back(StoredValue(p, bits));
    std::vector<ColorEntry> colours(bits == 8 ? 256 : 0, ColorEntry{0, 0, 0, 0});
    for (int i = 0; i < std::min<int>(image.m_colorTable.GetSize(), int(colours.size())); ++i)
        colours[i] = *image.GetColor(i);
    Bytes file = BuildBmp({.width = image.GetWidth(),
                           .height = image.GetHeight(),
                           .bits = std::uint16_t(bits),
                           .palette = StoredPalette(colours),
                           .masks = {},
                           .pixels = StoredRows(rows, bits)});
    for (const std::size_t field : {34, 38, 42})
        SetDword(file, field, 0);
    return file;
}

TEST(BmpWriter, FilesHoldHeaderColoursAndRowsBottomFirst)
{
    TempFolder folder;
    // Sheets, rows that need filling, colours with alpha and missing ones,
    // and rows wider than any buffer the writer might use.
    const struct
    {
        int width, height, bits, colours;
        std::size_t size;
    } cases[] = {{256, 288, 8, 256, 74806}, {3, 2, 8, 2, 1086},      {3, 2, 24, 0, 78},
                 {3, 1, 16, 0, 62},         {1999, 2, 24, 0, 12054}, {1999, 2, 32, 0, 16046}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.size);
        CSpriteImage image;
        ASSERT_TRUE(FillRandom(image, c.width, c.height, c.bits, c.size, c.colours));
        const std::string path = folder.Path("export.bmp");
        ASSERT_TRUE(image.SaveBMP(path.c_str()));
        const Bytes file = ReadBytes(path);
        EXPECT_EQ(file.size(), c.size);
        EXPECT_EQ(file, ExpectedFile(image));
    }
}

TEST(BmpWriter, FailuresAreReportedAndKeepTheOldFile)
{
    TempFolder folder;
    CSpriteImage empty;
    CSpriteImage sheet;
    ASSERT_TRUE(FillRandom(sheet, 256, 288, 8, 5));
    CBinaryFile notOpen;
    EXPECT_FALSE(sheet.WriteBMP(notOpen));
    EXPECT_FALSE(empty.SaveBMP(folder.Path("empty.bmp").c_str()));
    EXPECT_FALSE(sheet.SaveBMP(folder.Path("missing/out.bmp").c_str()));
    EXPECT_EQ(FileCount(folder.Root()), 0u);

    // One write fails: in the file header, the info header, the palette,
    // the first row and the last byte; for 24 bits in the pixels and the
    // fill bytes.
    CSpriteImage rgb;
    ASSERT_TRUE(FillRandom(rgb, 3, 2, 24, 5));
    const std::pair<const CSpriteImage*, std::size_t> failures[] = {
        {&sheet, 0},    {&sheet, 13},    {&sheet, 30}, {&sheet, 100}, {&sheet, 1078},
        {&sheet, 1200}, {&sheet, 74805}, {&rgb, 60},   {&rgb, 63},    {&rgb, 77}};
    for (const auto& [image, bad] : failures)
    {
        FailingWriteFile file(bad);
        EXPECT_FALSE(image->WriteBMP(file)) << bad;
    }

    const std::string path = folder.Path("old.bmp");
    WriteBytes(path, Bytes(5000, 0x5A));
    for (const rlim_t room : {40000u, 74805u})
    {
        FileSizeLimit fullDisk(room);
        EXPECT_FALSE(sheet.SaveBMP(path.c_str())) << room;
    }
    EXPECT_EQ(ReadBytes(path), Bytes(5000, 0x5A));
    EXPECT_EQ(FileCount(folder.Root()), 1u);
}

// Pillow, an independent decoder, reads an exported sheet back: mode and
// size, the palette as red, green, blue, then the pixels top row first.
TEST(BmpWriter, PillowSeesEveryPixelAndColour)
{
    TempFolder folder;
    if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0)
        GTEST_SKIP() << "needs /usr/bin/python3 with Pillow";
    CSpriteImage sheet;
    ASSERT_TRUE(FillRandom(sheet, 256, 288, 8, 31));
    const std::string bmp = folder.Path("sheet.bmp");
    const std::string decoded = folder.Path("decoded");
    ASSERT_TRUE(sheet.SaveBMP(bmp.c_str()));
    const std::string command =
        "/usr/bin/python3 -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "sys.stdout.buffer.write((\"%s %dx%d\\n\" % (im.mode, *im.size)).encode() + "
        "bytes(im.getpalette()[:768]) + im.tobytes())' '" +
        bmp + "' > '" + decoded + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::string header = "P 256x288\n";
    Bytes expected(header.begin(), header.end());
    for (int i = 0; i < 256; ++i)
        expected.insert(expected.end(), {sheet.GetColor(i)->red, sheet.GetColor(i)->green,
                                         sheet.GetColor(i)->blue});
    expected.insert(expected.end(), sheet.GetPixels(), sheet.GetPixels() + 256 * 288);
    EXPECT_EQ(ReadBytes(decoded), expected);
}

} // namespace
