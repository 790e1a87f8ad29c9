// SPDX-License-Identifier: GPL-3.0-or-later
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

Result ReadPngBytes(Bytes bytes, CSpriteImage& image)
{
    CBinaryFile file;
    file.Attach(fmemopen(bytes.data(), bytes.size(), "rb"), 1);
    return ReadPng(file, image);
}

// The PNG with another size in its header, whose CRC is made right again;
// the pixel data stays far too short, so only a check of the header can
// refuse it.
Bytes Resized(Bytes png, std::uint32_t width, std::uint32_t height)
{
    for (int i = 0; i < 4; ++i)
    {
        png[16 + i] = std::uint8_t(width >> (24 - 8 * i));
        png[20 + i] = std::uint8_t(height >> (24 - 8 * i));
    }
    const auto crc = std::uint32_t(crc32(0, png.data() + 12, 17)); // IHDR's type and data
    for (int i = 0; i < 4; ++i)
        png[29 + i] = std::uint8_t(crc >> (24 - 8 * i));
    return png;
}

void ExpectSameRgb(const ColorEntry& a, const std::uint8_t* rgb)
{
    EXPECT_EQ(std::tuple(a.red, a.green, a.blue), std::tuple(rgb[0], rgb[1], rgb[2]));
}

// Reading them back is the fuzz target's round trip.
TEST(PngFile, SheetsAreWrittenAsPillowDecodesThem)
{
    TempFolder folder;
    CSpriteImage sheet;
    ASSERT_TRUE(FillRandom(sheet, 256, 288, 8, 7));
    for (int i = 0; i < sheet.GetPixelBytes(); ++i)
        sheet.GetPixels()[i] &= 0x0F; // for the export of a palette row
    const Bytes pixels(sheet.GetPixels(), sheet.GetPixels() + sheet.GetPixelBytes());
    const std::string path = folder.Path("sheet.png");
    // The options, the depth written, the first colour of the palette.
    const std::tuple<PngWriteOptions, int, int> cases[] = {{{kPngWholeTable, false}, 8, 0},
                                                           {{3, true}, 4, 48}};
    for (const auto& [options, depth, first] : cases)
    {
        SCOPED_TRACE(options.paletteRow);
        ASSERT_TRUE(SavePngFile(sheet, path.c_str(), options));
        const Bytes png = ReadBytes(path);
        EXPECT_EQ(png[24], depth); // after the signature, IHDR's length and type, the size
        const char* trns = "tRNS";
        EXPECT_EQ(std::search(png.begin(), png.end(), trns, trns + 4) != png.end(),
                  options.transparentIndexZero);
        const PillowDecoded pillow = DecodeWithPillow(folder, path);
        EXPECT_EQ(std::pair(pillow.mode, pillow.pixels), std::pair(std::string("P"), pixels));
        ASSERT_GE(pillow.palette.size(), 3u << depth);
        for (int i = 0; i < 1 << depth; ++i)
            ExpectSameRgb(*sheet.GetColor(first + i), &pillow.palette[3 * i]);
    }
}

// Pictures other programs wrote import to exactly what Pillow decodes.
TEST(PngFile, ForeignPngsImportToWhatPillowDecodes)
{
    TempFolder folder;
    const std::string source = folder.Path("source.png");
    CSpriteImage rgba;
    ASSERT_TRUE(FillRandom(rgba, 23, 9, 32, 3) && SavePngFile(rgba, source.c_str(), {}));
    const std::string out = folder.Path("foreign.png");
    const auto pillow = [&](const std::string& convert, const std::string& save = "")
    { return "im = Image.open('" + source + "')" + convert + ".save('" + out + "'" + save + ")"; };
    const auto magick = [&](const std::string& options, const std::string& to = "")
    { return source + " " + options + " " + to + out; };
    const std::string grey4 = "-define png:color-type=0 -define png:bit-depth=4";
    // Pillow's (else ImageMagick's) command, the bits of the imported image:
    // packed and whole indices, grey of one bit and interlaced of four,
    // grey with alpha, colour, and interlaced colour with alpha of 16 bits
    // a channel.
    const std::tuple<bool, std::string, int> cases[] = {
        {true, pillow(".convert('RGB').quantize(11)", ", bits=4"), 8},
        {true, pillow(".convert('RGB').quantize(200)"), 8},
        {true, pillow(".convert('1')"), 8},
        {false, magick("-interlace PNG -colorspace Gray " + grey4), 8},
        {true, pillow(".convert('LA')"), 32},
        {true, pillow(".convert('RGB')"), 24},
        {false, magick("-depth 16 -interlace PNG", "PNG64:"), 32},
    };
    for (const auto& [byPillow, command, bits] : cases)
    {
        SCOPED_TRACE(command);
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

TEST(PngFile, DamagedAndOversizedFilesFailWithAReasonAndLeaveNoPicture)
{
    TempFolder folder;
    const std::string path = folder.Path("small.png");
    CSpriteImage picture;
    ASSERT_TRUE(FillRandom(picture, 5, 3, 8, 11));
    ASSERT_TRUE(SavePngFile(picture, path.c_str(), {kPngWholeTable, true}));
    const Bytes png = ReadBytes(path);
    // Cut in the pixels, another signature, a side and a picture over the
    // limits every picture reader has (libpng would refuse them in words of
    // its own), and a flipped CRC in each chunk, critical or not (no chunk
    // here is over 64 KiB).
    std::vector<std::pair<Bytes, Reason>> cases = {
        {Bytes(png.begin(), png.end() - 20), Reason::EndedEarly},
        {{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}, Reason::PngNoSignature},
        {Resized(png, 16385, 1), Reason::PictureWidthOverLimit},
        {Resized(png, 1, 16385), Reason::PictureHeightOverLimit},
        {Resized(png, 16384, 4097), Reason::PictureTooManyPixels}};
    for (std::size_t chunk = 8; chunk + 12 <= png.size();
         chunk += 12 + (png[chunk + 2] << 8 | png[chunk + 3]))
    {
        cases.emplace_back(png, Reason::Png);
        cases.back().first[chunk + 8 + (png[chunk + 2] << 8 | png[chunk + 3])] ^= 0x01;
    }
    for (const auto& [bytes, reason] : cases)
    {
        CSpriteImage image;
        const Result result = ReadPngBytes(bytes, image);
        EXPECT_EQ(result.reason, reason) << ReasonText(result);
        EXPECT_EQ(image.GetPixels(), nullptr);
    }
    CSpriteImage wide;
    EXPECT_EQ(ReasonText(ReadPngBytes(Resized(png, 16385, 1), wide)),
              "width 16385 is over the limit of 16384");
}

TEST(PngFile, PicturesThatCannotBeWrittenAreRefusedAndTheOldFileKept)
{
    TempFolder folder;
    const std::string path = folder.Path("kept.png");
    WriteBytes(path, {1, 2, 3});
    CSpriteImage sheet;
    ASSERT_TRUE(FillRandom(sheet, 128, 128, 8, 6));
    sheet.GetPixels()[0] = 16;
    CSpriteImage words;
    ASSERT_TRUE(FillRandom(words, 4, 4, 16, 1));
    const std::tuple<const CSpriteImage*, PngWriteOptions, Reason, std::int64_t> cases[] = {
        {&sheet, {2, false}, Reason::PngIndexOverRow, 16},
        {&sheet, {16, false}, Reason::BadPaletteRow, 16},
        {&words, {}, Reason::PngUnsupported, 0}};
    for (const auto& [image, options, reason, value] : cases)
    {
        const Result result = SavePngFile(*image, path.c_str(), options);
        EXPECT_EQ(std::tuple(result.reason, result.value), std::tuple(reason, value));
    }
    {
        const FileSizeLimit limit(1000); // the writes fail before the commit

        EXPECT_EQ(SavePngFile(sheet, path.c_str(), {}).reason, Reason::System);
    }
    EXPECT_EQ(ReadBytes(path), (Bytes{1, 2, 3}));
}

} // namespace
