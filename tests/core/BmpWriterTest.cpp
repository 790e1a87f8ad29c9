#include "SpriteFileTestFiles.h"

#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

// An image of the given shape with seeded random pixels and 256 colours.
void Fill(CSpriteImage& image, int width, int height, int bits, std::uint32_t seed)
{
    ASSERT_TRUE(image.Create(width, height, bits));
    const Bytes pixels = RandomBytes(seed, static_cast<std::size_t>(image.GetPixelBytes()));
    std::copy(pixels.begin(), pixels.end(), image.GetPixels());
    const Bytes colours = RandomBytes(seed + 1, 1024);
    image.m_colorTable.SetSize(256);
    for (int i = 0; i < 256; ++i)
        image.SetColor(i, colours[4 * i], colours[4 * i + 1], colours[4 * i + 2],
                       colours[4 * i + 3]);
}

// The file's bytes from offset on.
Bytes Tail(const Bytes& file, std::size_t offset)
{
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(std::min(offset, file.size())),
                 file.end());
}

void ExpectHeaders(const Bytes& file, int width, int height, int bits, std::uint32_t offBits,
                   std::uint32_t size)
{
    ASSERT_EQ(file.size(), size);
    EXPECT_EQ(U16At(file, 0), 0x4D42u); // "BM"
    EXPECT_EQ(U32At(file, 2), size);
    EXPECT_EQ(U32At(file, 6), 0u);
    EXPECT_EQ(U32At(file, 10), offBits);
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(U32At(file, 18), static_cast<std::uint32_t>(width));
    EXPECT_EQ(U32At(file, 22), static_cast<std::uint32_t>(height)); // positive: bottom-up
    EXPECT_EQ(U32At(file, 26), 1u | bits << 16);                    // planes, bits
    EXPECT_EQ(Bytes(file.begin() + 30, file.begin() + 54), Bytes(24, 0));
}

class BmpWriterTest : public ::testing::Test
{
protected:
    TempFolder folder;

    Bytes Export(const CSpriteImage& image)
    {
        const std::string path = folder.Path("export.bmp");
        EXPECT_TRUE(image.SaveBMP(path.c_str()));
        return ReadBytes(path);
    }
};

TEST_F(BmpWriterTest, SheetsCarryAllColoursAndRowsBottomUp)
{
    for (const int height : {288, 256})
    {
        SCOPED_TRACE(height);
        CSpriteImage sheet;
        Fill(sheet, 256, height, 8, static_cast<std::uint32_t>(height));
        const Bytes file = Export(sheet);
        ExpectHeaders(file, 256, height, 8, 1078, height == 288 ? 74806 : 66614);
        for (int i = 0; i < 256; ++i)
        {
            const ColorEntry& c = *sheet.GetColor(i);
            EXPECT_EQ(U32At(file, 54 + 4 * i), c.blue | c.green << 8 | c.red << 16) << i;
        }
        for (int row = 0; row < height; ++row)
        {
            const std::uint8_t* imageRow = sheet.GetPixels() + (height - 1 - row) * 256;
            ASSERT_TRUE(std::equal(imageRow, imageRow + 256, file.begin() + 1078 + row * 256))
                << row;
        }
    }
}

TEST_F(BmpWriterTest, RowsAreFilledWithZerosToFourBytes)
{
    CSpriteImage indexed;
    ASSERT_TRUE(indexed.Create(3, 2, 8));
    const Bytes indices = {1, 2, 3, 4, 5, 6};
    std::copy(indices.begin(), indices.end(), indexed.GetPixels());
    Bytes file = Export(indexed);
    ExpectHeaders(file, 3, 2, 8, 1078, 1086);
    EXPECT_EQ(Tail(file, 1078), (Bytes{4, 5, 6, 0, 1, 2, 3, 0}));

    CSpriteImage rgb;
    ASSERT_TRUE(rgb.Create(3, 2, 24));
    for (int i = 0; i < 18; ++i)
        rgb.GetPixels()[i] = static_cast<std::uint8_t>(0x10 * (i + 1));
    file = Export(rgb);
    ExpectHeaders(file, 3, 2, 24, 54, 78);
    EXPECT_EQ(Tail(file, 54),
              (Bytes{0xC0, 0xB0, 0xA0, 0xF0, 0xE0, 0xD0, 0x20, 0x10, 0x00, 0, 0, 0,
                     0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0x90, 0x80, 0x70, 0, 0, 0}));
}

TEST_F(BmpWriterTest, WordsGoOutAsStoredAndColoursBlueFirst)
{
    CSpriteImage words;
    ASSERT_TRUE(words.Create(3, 1, 16));
    const Bytes stored = {0x34, 0x12, 0xFF, 0x7F, 0x01, 0x80};
    std::copy(stored.begin(), stored.end(), words.GetPixels());
    Bytes file = Export(words);
    ExpectHeaders(file, 3, 1, 16, 54, 62);
    EXPECT_EQ(Tail(file, 54), (Bytes{0x34, 0x12, 0xFF, 0x7F, 0x01, 0x80, 0, 0}));

    // Rows far wider than any buffer the writer might use.
    for (const int bits : {24, 32})
    {
        CSpriteImage wide;
        Fill(wide, 1999, 2, bits, 77);
        file = Export(wide);
        const std::size_t bytesPerPixel = bits / 8;
        const std::size_t stride = (1999 * bytesPerPixel + 3) / 4 * 4;
        ExpectHeaders(file, 1999, 2, bits, 54, static_cast<std::uint32_t>(54 + 2 * stride));
        for (std::size_t y = 0; y < 2; ++y)
        {
            for (std::size_t x = 0; x < 1999; ++x)
            {
                Bytes pixel(wide.GetPixels() + ((1 - y) * 1999 + x) * bytesPerPixel,
                            wide.GetPixels() + ((1 - y) * 1999 + x + 1) * bytesPerPixel);
                std::swap(pixel[0], pixel[2]);
                const auto written =
                    file.begin() + static_cast<std::ptrdiff_t>(54 + y * stride + x * bytesPerPixel);
                ASSERT_TRUE(std::equal(pixel.begin(), pixel.end(), written))
                    << bits << ": " << x << "," << y;
            }
        }
    }
}

TEST_F(BmpWriterTest, PaletteDropsAlphaAndZerosMissingEntries)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(4, 1, 8));
    std::fill_n(image.GetPixels(), 4, 0);
    image.m_colorTable.SetSize(2);
    image.SetColor(0, 0xF8, 0x80, 0x08, 255);
    image.SetColor(1, 1, 2, 3, 0);
    const Bytes file = Export(image);
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 62),
              (Bytes{0x08, 0x80, 0xF8, 0x00, 3, 2, 1, 0}));
    EXPECT_EQ(Bytes(file.begin() + 62, file.begin() + 1078), Bytes(1016, 0));
}

TEST_F(BmpWriterTest, FailuresWriteNothingOrKeepTheOldFile)
{
    CSpriteImage empty;
    FailingWriteFile stream(100000);
    EXPECT_FALSE(empty.WriteBMP(stream));
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_FALSE(empty.SaveBMP(folder.Path("empty.bmp").c_str()));

    CSpriteImage sheet;
    Fill(sheet, 256, 288, 8, 5);
    CBinaryFile notOpen;
    EXPECT_FALSE(sheet.WriteBMP(notOpen));
    EXPECT_FALSE(sheet.SaveBMP(folder.Path("missing/out.bmp").c_str()));
    EXPECT_EQ(FileCount(folder.Root()), 0u);

    // One write fails: in the file header, the info header, the palette,
    // the first row and the last byte.
    for (const std::size_t bad : {0u, 13u, 30u, 100u, 1078u, 1200u, 74805u})
    {
        FailingWriteFile file(bad);
        EXPECT_FALSE(sheet.WriteBMP(file)) << bad;
    }
    CSpriteImage rgb;
    Fill(rgb, 3, 2, 24, 5);
    for (const std::size_t bad : {60u, 63u, 77u}) // pixels, fill bytes, last fill byte
    {
        FailingWriteFile file(bad);
        EXPECT_FALSE(rgb.WriteBMP(file)) << bad;
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

// Pillow reads the file back: mode and size, the palette as RGB, then the
// pixels top row first.
constexpr char kDecodeScript[] = R"(import sys
from PIL import Image
im = Image.open(sys.argv[1])
im.load()
with open(sys.argv[2], 'wb') as out:
    out.write(('%s %d %d\n' % (im.mode, im.size[0], im.size[1])).encode())
    if im.mode == 'P':
        out.write(bytes(im.getpalette()[:768]))
    out.write(im.tobytes())
)";

class PillowDecodeTest : public BmpWriterTest
{
protected:
    void SetUp() override
    {
        if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0)
            GTEST_SKIP() << "needs /usr/bin/python3 with Pillow";
        WriteBytes(folder.Path("decode.py"),
                   Bytes(kDecodeScript, kDecodeScript + sizeof kDecodeScript - 1));
    }

    // The decoded bytes after the "mode width height" line, which goes to header.
    Bytes Decode(const CSpriteImage& image, std::string& header)
    {
        const std::string bmp = folder.Path("decode.bmp");
        const std::string decoded = folder.Path("decoded");
        EXPECT_TRUE(image.SaveBMP(bmp.c_str()));
        const std::string command =
            "/usr/bin/python3 '" + folder.Path("decode.py") + "' '" + bmp + "' '" + decoded + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        Bytes bytes = ReadBytes(decoded);
        const auto newline = std::find(bytes.begin(), bytes.end(), '\n');
        header.assign(bytes.begin(), newline);
        return Bytes(newline == bytes.end() ? newline : newline + 1, bytes.end());
    }
};

TEST_F(PillowDecodeTest, SeesEveryPixelAndColour)
{
    CSpriteImage sheet;
    Fill(sheet, 256, 288, 8, 31);
    std::string header;
    Bytes decoded = Decode(sheet, header);
    ASSERT_EQ(header, "P 256 288");
    ASSERT_EQ(decoded.size(), 768u + 256 * 288);
    for (int i = 0; i < 256; ++i)
    {
        const ColorEntry& c = *sheet.GetColor(i);
        EXPECT_EQ(Bytes(decoded.begin() + 3 * i, decoded.begin() + 3 * i + 3),
                  (Bytes{c.red, c.green, c.blue}))
            << i;
    }
    EXPECT_TRUE(std::equal(decoded.begin() + 768, decoded.end(), sheet.GetPixels()));

    CSpriteImage rgb;
    Fill(rgb, 5, 3, 24, 32);
    decoded = Decode(rgb, header);
    EXPECT_EQ(header, "RGB 5 3");
    EXPECT_EQ(decoded, Bytes(rgb.GetPixels(), rgb.GetPixels() + 45));
}

} // namespace
