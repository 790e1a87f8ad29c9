#include "CliRunner.h"

#include "doc/SpriteDocument.h"
#include "formats/PngFile.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{

std::string Text(const Bytes& bytes)
{
    return {bytes.begin(), bytes.end()};
}

Bytes Words(const Bytes& spr)
{
    return {spr.begin(), spr.begin() + kSprPaletteBytes};
}

// Sheets go to PNG and come back byte for byte; the PNG is 8-bit indexed
// with the whole table, or 4-bit for one row, with tRNS only when asked.
TEST(PngConversion, SprToPngAndBackIsByteIdentical)
{
    TempFolder folder;
    WriteBytes(folder.Path("s1.spr"), RandomSpr(1, 70));
    WriteBytes(folder.Path("s2.spr"), RandomSpr(2, 0));
    ASSERT_EQ(RunConvert(folder, {"s1.spr", "s2.spr", "--to", "png", "-o", "."}).status, 0);
    for (const char* name : {"s1", "s2"})
    {
        const std::string png = std::string(name) + ".png";
        const CliRun back = RunConvert(folder, {png, "--trailing-from", std::string(name) + ".spr",
                                                "-o", std::string(name) + "b.spr"});
        ASSERT_EQ(back.status, 0) << back.err;
        EXPECT_EQ(ReadBytes(folder.Path(std::string(name) + "b.spr")),
                  ReadBytes(folder.Path(std::string(name) + ".spr")));
    }
    ASSERT_EQ(RunConvert(folder, {"s1.spr", "--palette-row=3", "-o", "row.png"}).status, 0);
    ASSERT_EQ(RunConvert(folder, {"s1.spr", "--transparent-zero", "-o", "t.png"}).status, 0);
    // IHDR's depth and colour type, then whether a tRNS chunk is there.
    const std::tuple<const char*, int, bool> shapes[] = {
        {"s1.png", 8, false}, {"row.png", 4, false}, {"t.png", 8, true}};
    for (const auto& [name, depth, transparent] : shapes)
    {
        const Bytes png = ReadBytes(folder.Path(name));
        ASSERT_GT(png.size(), 26u);
        EXPECT_EQ(png[24], depth) << name;
        EXPECT_EQ(png[25], 3) << name;
        EXPECT_EQ(Text(png).find("tRNS") != std::string::npos, transparent) << name;
    }
    const CliRun info = RunConvert(folder, {"--info", "row.png"});
    EXPECT_EQ(info.out.substr(0, 28), "row.png: PNG, 256x288, 8-bit") << info.out;
}

// Whole tables and rows through every palette format, back into a sheet
// through --palette and --palette-at: the colour words arrive unchanged.
TEST(PaletteConversion, EveryFormatCarriesTheColourWords)
{
    TempFolder folder;
    const Bytes from = RandomSpr(3, 0);
    const Bytes into = RandomSpr(4, 0);
    WriteBytes(folder.Path("from.spr"), from);
    WriteBytes(folder.Path("into.spr"), into);
    for (const std::string format : {"pal", "gpl", "act"})
    {
        SCOPED_TRACE(format);
        ASSERT_EQ(RunConvert(folder, {"from.spr", "-o", "all." + format}).status, 0);
        // A palette becomes another palette as it is.
        ASSERT_EQ(RunConvert(folder, {"all." + format, "--to", "pal", "-o", "copy.pal"}).status, 0);
        ASSERT_EQ(
            RunConvert(folder, {"into.spr", "--palette", "copy.pal", "-o", "whole.spr"}).status, 0);
        EXPECT_EQ(Words(ReadBytes(folder.Path("whole.spr"))), Words(from));

        ASSERT_EQ(
            RunConvert(folder, {"from.spr", "--palette-row", "2", "-o", "row." + format}).status,
            0);
        ASSERT_EQ(RunConvert(folder, {"into.spr", "--palette", "row." + format, "--palette-at=32",
                                      "-o", "row.spr"})
                      .status,
                  0);
        Bytes expected = Words(into);
        std::copy_n(from.begin() + 64, 32, expected.begin() + 64);
        EXPECT_EQ(Words(ReadBytes(folder.Path("row.spr"))), expected);
    }
    EXPECT_EQ(RunConvert(folder, {"--info", "row.gpl", "all.act"}).out,
              "row.gpl: palette, GIMP, 16 colours\nall.act: palette, ACT, 256 colours\n");
    const CliRun past = RunConvert(
        folder, {"into.spr", "--palette", "row.pal", "--palette-at", "250", "-o", "past.spr"});
    EXPECT_EQ(past.status, 1);
    EXPECT_NE(past.err.find("16 colours from entry 250 go past"), std::string::npos) << past.err;
}

// A truecolour picture of what row 3 shows gets the sheet's indices back
// through --match-palette; one foreign colour fails, named with its pixel.
TEST(PaletteConversion, MatchPaletteRecoversIndicesOrNamesTheColour)
{
    TempFolder folder;
    const Bytes spr = RandomSpr(5, 20);
    WriteBytes(folder.Path("s.spr"), spr);
    CSpriteDocument document;
    ASSERT_TRUE(document.Open(folder.Path("s.spr")).result);
    document.ChoosePaletteRow(3);
    const CSpriteImage& shown = *document.Display();
    CSpriteImage rgb;
    ASSERT_TRUE(rgb.Create(shown.GetWidth(), shown.GetHeight(), 24));
    for (std::int32_t i = 0; i < shown.GetPixelBytes(); ++i)
    {
        const ColorEntry* colour = shown.GetColor(shown.GetPixels()[i]);
        std::uint8_t* pixel = rgb.GetPixels() + 3 * i;
        std::tie(pixel[0], pixel[1], pixel[2]) = std::tie(colour->red, colour->green, colour->blue);
    }
    ASSERT_TRUE(SavePngFile(rgb, folder.Path("rgb.png").c_str(), {}));
    const CliRun matched =
        RunConvert(folder, {"rgb.png", "--match-palette", "s.spr", "--palette-row", "3",
                            "--trailing-from", "s.spr", "-o", "back.spr"});
    ASSERT_EQ(matched.status, 0) << matched.err;
    EXPECT_EQ(ReadBytes(folder.Path("back.spr")), spr);

    std::uint8_t* foreign = rgb.GetPixels() + 3 * (7 * 256 + 5);
    std::tie(foreign[0], foreign[1], foreign[2]) = std::make_tuple(1, 2, 3);
    ASSERT_TRUE(SavePngFile(rgb, folder.Path("rgb.png").c_str(), {}));
    const CliRun failed = RunConvert(
        folder, {"rgb.png", "--match-palette", "s.spr", "--palette-row", "3", "-o", "no.spr"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "tavrel-convert: rgb.png: colour #010203 at pixel (5, 7) is in none of "
                          "the palette's entries\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path("no.spr")));
}

TEST(PaletteConversion, OptionsThatDoNotFitAreBadUsage)
{
    TempFolder folder;
    const std::vector<std::string> misuses[] = {
        {"a.spr", "--palette-at", "3", "-o", "b.spr"},
        {"a.spr", "--transparent-zero", "-o", "b.bmp"},
        {"a.spr", "--palette-row", "3", "-o", "b.spr"},
        {"a.spr", "--palette-at", "256", "--palette", "p.pal", "-o", "b.spr"},
    };
    for (const auto& arguments : misuses)
        EXPECT_EQ(RunConvert(folder, arguments).status, 2) << arguments[1];
}

} // namespace
