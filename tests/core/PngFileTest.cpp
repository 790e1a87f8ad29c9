#include "PictureTools.h"

#include "formats/PngFile.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace
{

constexpr std::size_t kSignatureBytes = 8;
constexpr std::size_t kBitDepthAt = 24; // signature, IHDR length and type, width, height

Result ReadPngBytes(const Bytes& bytes, CSpriteImage& image)
{
    static std::uint8_t none = 0;
    CBinaryFile file;
    file.Attach(fmemopen(bytes.empty() ? &none : const_cast<std::uint8_t*>(bytes.data()),
                         bytes.size(), "rb"),
                1);
    return ReadPng(file, image);
}

bool HasChunk(const Bytes& png, const char* type)
{
    return std::search(png.begin(), png.end(), type, type + 4) != png.end();
}

// Offsets of each chunk's length field, in file order.
std::vector<std::size_t> ChunkOffsets(const Bytes& png)
{
    std::vector<std::size_t> offsets;
    for (std::size_t at = kSignatureBytes; at + 12 <= png.size();)
    {
        offsets.push_back(at);
        at +=
            12 + (std::size_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
    }
    return offsets;
}

Bytes Chunk(const char* type, const Bytes& data)
{
    Bytes chunk(8 + data.size());
    for (int i = 0; i < 4; ++i)
    {
        chunk[i] = std::uint8_t(data.size() >> (24 - 8 * i));
        chunk[4 + i] = std::uint8_t(type[i]);
    }
    std::copy(data.begin(), data.end(), chunk.begin() + 8);
    const uLong crc = crc32(0, chunk.data() + 4, uInt(chunk.size() - 4));
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(std::uint8_t(crc >> shift));
    return chunk;
}

// A PNG whose header promises a picture of the given size; its pixel data
// is far too short for it, so only a check of the header can refuse it.
Bytes PngOfSize(std::uint32_t width, std::uint32_t height)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (const std::uint32_t side : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr.push_back(std::uint8_t(side >> shift));
    ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0}); // 8-bit indexed
    for (const Bytes& chunk : {Chunk("IHDR", ihdr), Chunk("PLTE", Bytes(3)),
                               Chunk("IDAT", {0x78, 0x01}), Chunk("IEND", {})})
        png.insert(png.end(), chunk.begin(), chunk.end());
    return png;
}

void ExpectSameRgb(const ColorEntry& a, const std::uint8_t* rgb)
{
    EXPECT_EQ(a.red, rgb[0]);
    EXPECT_EQ(a.green, rgb[1]);
    EXPECT_EQ(a.blue, rgb[2]);
}

TEST(PngFile, SheetsComeBackWithTheirIndicesAndColoursAndPillowAgrees)
{
    TempFolder folder;
    const CSpriteImage sheet = RandomSheet(7);
    const struct
    {
        PngWriteOptions options;
        int depth;
    } cases[] = {
        {{kPngWholeTable, false}, 8}, {{3, false}, 4}, {{0, true}, 4}, {{kPngWholeTable, true}, 8}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.options.paletteRow);
        const std::string path = folder.Path("sheet.png");
        ASSERT_TRUE(SavePngFile(sheet, path.c_str(), c.options));
        const Bytes png = ReadBytes(path);
        EXPECT_EQ(png[kBitDepthAt], c.depth);
        EXPECT_EQ(HasChunk(png, "tRNS"), c.options.transparentIndexZero);

        CSpriteImage read;
        ASSERT_TRUE(LoadPngFile(path.c_str(), read));
        ASSERT_EQ(read.GetBitsPerPixel(), 8);
        ASSERT_EQ(read.m_colorTable.GetSize(), 256);
        EXPECT_EQ(0, std::memcmp(read.GetPixels(), sheet.GetPixels(), sheet.GetPixelBytes()));
        const int first = c.depth == 4 ? 16 * c.options.paletteRow : 0;
        const int count = c.depth == 4 ? 16 : 256;
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(*read.GetColor(i), *sheet.GetColor(first + i)) << i;

        const PillowDecoded pillow = DecodeWithPillow(folder, path);
        EXPECT_EQ(pillow.mode, "P");
        EXPECT_EQ(pillow.pixels,
                  Bytes(sheet.GetPixels(), sheet.GetPixels() + sheet.GetPixelBytes()));
        ASSERT_GE(pillow.palette.size(), std::size_t(3 * count));
        for (int i = 0; i < count; ++i)
            ExpectSameRgb(*sheet.GetColor(first + i), &pillow.palette[3 * i]);
    }
}

TEST(PngFile, PngAndBmpOfOnePictureImportAlike)
{
    TempFolder folder;
    // The BMP import takes no alpha, so RGBA pictures are left out.
    for (const int bits : {8, 24})
    {
        SCOPED_TRACE(bits);
        CSpriteImage picture;
        ASSERT_TRUE(FillRandom(picture, 37, 11, bits, 3));
        const std::string png = folder.Path("p.png");
        const std::string bmp = folder.Path("p.bmp");
        ASSERT_TRUE(SavePngFile(picture, png.c_str(), {}));
        ASSERT_TRUE(picture.SaveBMP(bmp.c_str()));
        CSpriteImage fromPng;
        CSpriteImage fromBmp;
        ASSERT_TRUE(LoadPngFile(png.c_str(), fromPng));
        ASSERT_TRUE(fromBmp.LoadBMP(bmp.c_str()));
        ASSERT_EQ(fromPng.GetBitsPerPixel(), fromBmp.GetBitsPerPixel());
        ASSERT_EQ(fromPng.GetPixelBytes(), fromBmp.GetPixelBytes());
        EXPECT_EQ(0,
                  std::memcmp(fromPng.GetPixels(), fromBmp.GetPixels(), fromPng.GetPixelBytes()));
        ASSERT_EQ(fromPng.m_colorTable.GetSize(), fromBmp.m_colorTable.GetSize());
        for (int i = 0; i < fromPng.m_colorTable.GetSize(); ++i)
            EXPECT_EQ(*fromPng.GetColor(i), *fromBmp.GetColor(i)) << i;
    }
}

// Pictures other programs wrote import to exactly what Pillow decodes.
TEST(PngFile, ForeignPngsImportToWhatPillowDecodes)
{
    TempFolder folder;
    const std::string source = folder.Path("source.png");
    // A 23 x 9 picture of 12 colours, RGBA with some transparency.
    ASSERT_TRUE(
        RunPython(folder, "im = Image.new('RGBA', (23, 9))\n"
                          "im.putdata([((x * 40) % 256, (y * 30) % 256, (x * y * 7) % 256,"
                          " 255 if (x + y) % 5 else 0) for y in range(9) for x in range(23)])\n"
                          "im.save('" +
                              source + "')"));
    const std::string out = folder.Path("foreign.png");
    const std::string pillowFrom = "im = Image.open('" + source + "')\n";
    const struct
    {
        const char* name;
        bool pillow; // else ImageMagick
        std::string command;
        int bits; // of the imported image
    } cases[] = {
        {"P 1-bit", true, "im.convert('RGB').quantize(2).save('" + out + "', bits=1)", 8},
        {"P 2-bit", true, "im.convert('RGB').quantize(4).save('" + out + "', bits=2)", 8},
        {"P 4-bit short palette", true,
         "im.convert('RGB').quantize(11).save('" + out + "', bits=4)", 8},
        {"P 8-bit short palette", true, "im.convert('RGB').quantize(5).save('" + out + "')", 8},
        {"P 8-bit 200 colours", true, "im.convert('RGB').quantize(200).save('" + out + "')", 8},
        {"grey 1-bit", true, "im.convert('1').save('" + out + "')", 8},
        {"grey 8-bit", true, "im.convert('L').save('" + out + "')", 8},
        {"grey+alpha 8-bit", true, "im.convert('LA').save('" + out + "')", 32},
        {"RGB 8-bit", true, "im.convert('RGB').save('" + out + "')", 24},
        {"RGBA 8-bit", true, "im.save('" + out + "')", 32},
        {"IM P interlaced", false, source + " -interlace PNG PNG8:" + out, 8},
        {"IM grey 2-bit", false,
         source + " -colorspace Gray -depth 2 -define png:bit-depth=2 -define png:color-type=0 " +
             out,
         8},
        {"IM grey 4-bit interlaced", false,
         source +
             " -colorspace Gray -depth 4 -interlace PNG -define png:bit-depth=4 -define "
             "png:color-type=0 " +
             out,
         8},
        {"IM RGB 16-bit", false, source + " -alpha off -depth 16 PNG48:" + out, 24},
        {"IM RGBA 16-bit interlaced", false, source + " -depth 16 -interlace PNG PNG64:" + out, 32},
        {"IM RGB 8-bit interlaced", false, source + " -alpha off -interlace PNG PNG24:" + out, 24},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::remove(out.c_str());
        ASSERT_TRUE(c.pillow ? RunPython(folder, pillowFrom + c.command) : RunConvert(c.command));
        const PillowDecoded pillow = DecodeWithPillow(folder, out);
        CSpriteImage image;
        ASSERT_TRUE(LoadPngFile(out.c_str(), image));
        ASSERT_EQ(image.GetBitsPerPixel(), c.bits);
        ASSERT_EQ(image.GetWidth(), 23);
        ASSERT_EQ(image.GetHeight(), 9);
        const std::uint8_t* pixels = image.GetPixels();
        if (pillow.mode == "P")
        {
            EXPECT_EQ(pillow.pixels, Bytes(pixels, pixels + image.GetPixelBytes()));
            for (std::size_t i = 0; i < pillow.palette.size() / 3; ++i)
                ExpectSameRgb(*image.GetColor(int(i)), &pillow.palette[3 * i]);
        }
        else if (c.bits == 8) // grey: the level is the index, its colour the level scaled
        {
            ASSERT_EQ(pillow.pixels.size(), std::size_t(image.GetPixelBytes()));
            for (int i = 0; i < image.GetPixelBytes(); ++i)
                ASSERT_EQ(image.GetColor(pixels[i])->red, pillow.pixels[i]) << i;
        }
        else
            EXPECT_EQ(pillow.pixels, Bytes(pixels, pixels + image.GetPixelBytes()));
    }
}

TEST(PngFile, EveryTruncationAndDamageFailsWithAReason)
{
    TempFolder folder;
    const std::string path = folder.Path("small.png");
    CSpriteImage picture;
    ASSERT_TRUE(FillRandom(picture, 5, 3, 8, 11));
    ASSERT_TRUE(SavePngFile(picture, path.c_str(), {kPngWholeTable, true}));
    const Bytes png = ReadBytes(path);
    for (std::size_t size = 0; size < png.size(); ++size)
    {
        CSpriteImage image;
        const Result result = ReadPngBytes(Bytes(png.begin(), png.begin() + size), image);
        ASSERT_FALSE(result) << size;
        EXPECT_TRUE(result.reason == Reason::EndedEarly || result.reason == Reason::Png) << size;
        EXPECT_EQ(image.GetPixels(), nullptr);
    }
    // A flipped CRC in each chunk, critical or not.
    for (const std::size_t chunk : ChunkOffsets(png))
    {
        Bytes damaged = png;
        const std::size_t crcAt = chunk + 8 + (std::size_t(png[chunk + 2]) << 8 | png[chunk + 3]);
        damaged[crcAt] ^= 0x01;
        CSpriteImage image;
        const Result result = ReadPngBytes(damaged, image);
        EXPECT_EQ(result.reason, Reason::Png) << chunk;
        EXPECT_NE(ReasonText(result).find("CRC"), std::string::npos) << ReasonText(result);
    }
    CSpriteImage image;
    EXPECT_EQ(ReadPngBytes(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}, image).reason,
              Reason::Png);
}

TEST(PngFile, SizesOverTheImportLimitsAreRefusedFromTheHeader)
{
    const struct
    {
        std::uint32_t width, height;
        Reason reason;
        std::int64_t value;
    } cases[] = {{16385, 1, Reason::Png, 0},
                 {1, 16385, Reason::Png, 0},
                 {16384, 4097, Reason::BmpTooManyPixels, 16384LL * 4097}};
    for (const auto& c : cases)
    {
        CSpriteImage image;
        const Result result = ReadPngBytes(PngOfSize(c.width, c.height), image);
        EXPECT_EQ(result.reason, c.reason) << c.width << " x " << c.height;
        EXPECT_EQ(result.value, c.value);
    }
}

TEST(PngFile, PicturesThatCannotBeWrittenAreRefusedAndTheOldFileKept)
{
    TempFolder folder;
    const std::string path = folder.Path("kept.png");
    WriteBytes(path, {1, 2, 3});
    CSpriteImage wideIndex = RandomSheet(5, 8, 8);
    wideIndex.GetPixels()[9] = 16;
    CSpriteImage words;
    ASSERT_TRUE(FillRandom(words, 4, 4, 16, 1));
    const CSpriteImage sheet = RandomSheet(6);
    const struct
    {
        const CSpriteImage* image;
        PngWriteOptions options;
        Reason reason;
        std::int64_t value;
    } cases[] = {{&wideIndex, {2, false}, Reason::PngIndexOverRow, 16},
                 {&sheet, {16, false}, Reason::BadPaletteRow, 16},
                 {&words, {}, Reason::PngUnsupported, 0}};
    for (const auto& c : cases)
    {
        const Result result = SavePngFile(*c.image, path.c_str(), c.options);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_EQ(result.value, c.value);
    }
    {
        const FileSizeLimit limit(1000);
        EXPECT_EQ(SavePngFile(sheet, path.c_str(), {}).reason, Reason::System);
    }
    EXPECT_EQ(ReadBytes(path), (Bytes{1, 2, 3}));
    EXPECT_EQ(FileNames(folder.Root()), std::set<std::string>{"kept.png"});
}

} // namespace
