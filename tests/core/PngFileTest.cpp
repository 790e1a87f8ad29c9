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

constexpr std::size_t kBitDepthAt = 24; // signature, IHDR length and type, width, height

Result ReadPngBytes(Bytes bytes, CSpriteImage& image)
{
    bytes.reserve(1); // fmemopen wants a buffer even for no bytes
    CBinaryFile file;
    file.Attach(fmemopen(bytes.data(), bytes.size(), "rb"), 1);
    return ReadPng(file, image);
}

Bytes Big32(std::uint32_t value)
{
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
            std::uint8_t(value)};
}

void AddChunk(Bytes& png, const char* type, const Bytes& data)
{
    Bytes chunk = Big32(std::uint32_t(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const Bytes crc = Big32(std::uint32_t(crc32(0, chunk.data() + 4, uInt(chunk.size() - 4))));
    chunk.insert(chunk.end(), crc.begin(), crc.end());
    png.insert(png.end(), chunk.begin(), chunk.end());
}

// An 8-bit indexed PNG whose header promises the given size and whose pixel
// data is far too short for it, so only a check of the header can refuse it.
Bytes PngOfSize(std::uint32_t width, std::uint32_t height)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr = Big32(width);
    const Bytes h = Big32(height);
    ihdr.insert(ihdr.end(), h.begin(), h.end());
    ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0});
    AddChunk(png, "IHDR", ihdr);
    AddChunk(png, "PLTE", Bytes(3));
    AddChunk(png, "IDAT", {0x78, 0x01});
    AddChunk(png, "IEND", {});
    return png;
}

void ExpectSameRgb(const ColorEntry& a, const std::uint8_t* rgb)
{
    EXPECT_EQ(std::tuple(a.red, a.green, a.blue), std::tuple(rgb[0], rgb[1], rgb[2]));
}

TEST(PngFile, SheetsComeBackWithTheirIndicesAndColoursAndPillowAgrees)
{
    TempFolder folder;
    const CSpriteImage sheet = RandomSheet(7);
    const Bytes pixels(sheet.GetPixels(), sheet.GetPixels() + sheet.GetPixelBytes());
    const std::string path = folder.Path("sheet.png");
    const std::pair<PngWriteOptions, int> cases[] = {
        {{kPngWholeTable, false}, 8}, {{3, false}, 4}, {{0, true}, 4}, {{kPngWholeTable, true}, 8}};
    for (const auto& [options, depth] : cases)
    {
        SCOPED_TRACE(options.paletteRow);
        ASSERT_TRUE(SavePngFile(sheet, path.c_str(), options));
        const Bytes png = ReadBytes(path);
        EXPECT_EQ(png[kBitDepthAt], depth);
        const char* trns = "tRNS";
        EXPECT_EQ(std::search(png.begin(), png.end(), trns, trns + 4) != png.end(),
                  options.transparentIndexZero);
        CSpriteImage read;
        ASSERT_TRUE(LoadPngFile(path.c_str(), read));
        ASSERT_EQ(std::tuple(read.GetBitsPerPixel(), read.m_colorTable.GetSize()),
                  std::tuple(8, 256));
        EXPECT_EQ(Bytes(read.GetPixels(), read.GetPixels() + read.GetPixelBytes()), pixels);
        const PillowDecoded pillow = DecodeWithPillow(folder, path);
        EXPECT_EQ(pillow.mode, "P");
        EXPECT_EQ(pillow.pixels, pixels);
        const int first = depth == 4 ? 16 * options.paletteRow : 0;
        const int count = depth == 4 ? 16 : 256;
        ASSERT_GE(pillow.palette.size(), std::size_t(3 * count));
        for (int i = 0; i < count; ++i)
        {
            EXPECT_EQ(*read.GetColor(i), *sheet.GetColor(first + i)) << i;
            ExpectSameRgb(*sheet.GetColor(first + i), &pillow.palette[3 * i]);
        }
    }
}

// Pictures other programs wrote import to exactly what Pillow decodes.
TEST(PngFile, ForeignPngsImportToWhatPillowDecodes)
{
    TempFolder folder;
    const std::string source = folder.Path("source.png");
    // A 23 x 9 picture of 12 colours, RGBA with some transparency.
    ASSERT_TRUE(RunPython(folder, "im = Image.new('RGBA', (23, 9))\nim.putdata([((x * 40) % 256,"
                                  " (y * 30) % 256, (x * y * 7) % 256, 255 if (x + y) % 5 else 0)"
                                  " for y in range(9) for x in range(23)])\nim.save('" +
                                      source + "')"));
    const std::string out = folder.Path("foreign.png");
    const auto pillow = [&](const std::string& convert, const std::string& save = "")
    { return "im = Image.open('" + source + "')" + convert + ".save('" + out + "'" + save + ")"; };
    const auto magick = [&](const std::string& options, const std::string& to = "")
    { return source + " " + options + " " + to + out; };
    const std::string grey = "-colorspace Gray -define png:color-type=0 -define png:bit-depth=";
    // Pillow's (else ImageMagick's) command, the bits of the imported image.
    const std::tuple<bool, std::string, int> cases[] = {
        {true, pillow(".convert('RGB').quantize(2)", ", bits=1"), 8},
        {true, pillow(".convert('RGB').quantize(4)", ", bits=2"), 8},
        {true, pillow(".convert('RGB').quantize(11)", ", bits=4"), 8},
        {true, pillow(".convert('RGB').quantize(5)"), 8},
        {true, pillow(".convert('RGB').quantize(200)"), 8},
        {true, pillow(".convert('1')"), 8},
        {true, pillow(".convert('L')"), 8},
        {true, pillow(".convert('LA')"), 32},
        {true, pillow(".convert('RGB')"), 24},
        {true, pillow(""), 32},
        {false, magick("-interlace PNG", "PNG8:"), 8},
        {false, magick("-depth 2 " + grey + "2"), 8},
        {false, magick("-depth 4 -interlace PNG " + grey + "4"), 8},
        {false, magick("-alpha off -depth 16", "PNG48:"), 24},
        {false, magick("-depth 16 -interlace PNG", "PNG64:"), 32},
        {false, magick("-alpha off -interlace PNG", "PNG24:"), 24},
    };
    for (const auto& [byPillow, command, bits] : cases)
    {
        SCOPED_TRACE(command);
        std::remove(out.c_str());
        ASSERT_TRUE(byPillow ? RunPython(folder, command) : RunConvert(command));
        const PillowDecoded decoded = DecodeWithPillow(folder, out);
        CSpriteImage image;
        ASSERT_TRUE(LoadPngFile(out.c_str(), image));
        ASSERT_EQ(std::tuple(image.GetBitsPerPixel(), image.GetWidth(), image.GetHeight()),
                  std::tuple(bits, 23, 9));
        const Bytes pixels(image.GetPixels(), image.GetPixels() + image.GetPixelBytes());
        if (bits == 8 && decoded.mode != "P") // grey: the level is the index, its colour the level
            for (std::size_t i = 0; i < pixels.size(); ++i)
                ASSERT_EQ(image.GetColor(pixels[i])->red, decoded.pixels.at(i)) << i;
        else
            EXPECT_EQ(decoded.pixels, pixels);
        for (std::size_t i = 0; i < decoded.palette.size() / 3; ++i)
            ExpectSameRgb(*image.GetColor(int(i)), &decoded.palette[3 * i]);
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
        EXPECT_TRUE(result.reason == Reason::EndedEarly || result.reason == Reason::Png) << size;
        EXPECT_EQ(image.GetPixels(), nullptr);
    }
    // A flipped CRC in each chunk, critical or not (no chunk here is over 64 KiB).
    for (std::size_t chunk = 8; chunk + 12 <= png.size();
         chunk += 12 + (png[chunk + 2] << 8 | png[chunk + 3]))
    {
        Bytes damaged = png;
        damaged[chunk + 8 + (png[chunk + 2] << 8 | png[chunk + 3])] ^= 0x01;
        CSpriteImage image;
        const Result result = ReadPngBytes(damaged, image);
        EXPECT_EQ(result.reason, Reason::Png) << chunk;
        EXPECT_NE(ReasonText(result).find("CRC"), std::string::npos) << ReasonText(result);
    }
    CSpriteImage image;
    EXPECT_EQ(ReadPngBytes({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}, image).reason, Reason::Png);
}

TEST(PngFile, SizesOverTheImportLimitsAreRefusedFromTheHeader)
{
    const std::tuple<std::uint32_t, std::uint32_t, Reason, std::int64_t> cases[] = {
        {16385, 1, Reason::Png, 0},
        {1, 16385, Reason::Png, 0},
        {16384, 4097, Reason::BmpTooManyPixels, 16384LL * 4097}};
    for (const auto& [width, height, reason, value] : cases)
    {
        CSpriteImage image;
        const Result result = ReadPngBytes(PngOfSize(width, height), image);
        EXPECT_EQ(std::tuple(result.reason, result.value), std::tuple(reason, value)) << width;
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
    const std::tuple<const CSpriteImage*, PngWriteOptions, Reason, std::int64_t> cases[] = {
        {&wideIndex, {2, false}, Reason::PngIndexOverRow, 16},
        {&sheet, {16, false}, Reason::BadPaletteRow, 16},
        {&words, {}, Reason::PngUnsupported, 0}};
    for (const auto& [image, options, reason, value] : cases)
    {
        const Result result = SavePngFile(*image, path.c_str(), options);
        EXPECT_EQ(std::tuple(result.reason, result.value), std::tuple(reason, value));
    }
    {
        const FileSizeLimit limit(1000);
        EXPECT_EQ(SavePngFile(sheet, path.c_str(), {}).reason, Reason::System);
    }
    EXPECT_EQ(ReadBytes(path), (Bytes{1, 2, 3}));
    EXPECT_EQ(FileNames(folder.Root()), std::set<std::string>{"kept.png"});
}

} // namespace
