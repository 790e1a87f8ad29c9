// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <gtest/gtest.h>

namespace
{

Bytes Words(const Bytes& spr)
{
    return {spr.begin(), spr.begin() + kSprPaletteBytes};
}

// --palette-row and --transparent-zero reach the PNG (a 4-bit picture of one
// row, a tRNS chunk); the picture's indices come back onto the sheet's own
// table through --match-palette.
TEST(PngConversion, OptionsReachThePngAndItComesBackThroughMatchPalette)
{
    TempFolder folder;
    WriteBytes(folder.Path("s.spr"), RandomSpr(1, 70));
    ASSERT_EQ(RunConvert(folder, {"s.spr", "--palette-row=3", "--transparent-zero", "-o", "t.png"})
                  .status,
              0);
    const Bytes png = ReadBytes(folder.Path("t.png"));
    EXPECT_EQ(png.at(24), 4); // the bit depth in IHDR
    EXPECT_NE(std::string(png.begin(), png.end()).find("tRNS"), std::string::npos);
    EXPECT_EQ(RunConvert(folder, {"--info", "t.png"}).out.substr(0, 26),
              "t.png: PNG, 256x288, 8-bit");

    const CliRun matched = RunConvert(folder, {"t.png", "--match-palette", "s.spr", "--palette-row",
                                               "3", "--trailing-from", "s.spr", "-o", "m.spr"});
    ASSERT_EQ(matched.status, 0) << matched.err;
    EXPECT_EQ(ReadBytes(folder.Path("m.spr")), RandomSpr(1, 70));

    // A picture's colour table serves as a palette too; a file with no
    // colour table, or none Tavrel can tell, is refused naming what it is.
    ASSERT_EQ(RunConvert(folder, {"t.png", "--match-palette", "t.png", "--palette-row", "3", "-o",
                                  "own.spr"})
                  .status,
              0);
    const Bytes own = ReadBytes(folder.Path("own.spr"));
    EXPECT_TRUE(std::equal(own.begin() + kSprPaletteBytes, own.end(),
                           RandomSpr(1).begin() + kSprPaletteBytes));
    WriteTrueColourBmp(folder.Path("photo.bmp"), 2, 2);
    WriteBytes(folder.Path("notes.txt"), Bytes(kSprSheetBytes, 'x'));
    const std::pair<const char*, const char*> refused[] = {
        {"photo.bmp", "a 24-bit picture has no colour table"},
        {"notes.txt", "neither its content nor its name tells what it is: Tavrel reads SPR, SP2, "
                      "BMP, PNG, JASC-PAL, GIMP, ACT, RIFF PAL and colour words"}};
    for (const auto& [palette, reason] : refused)
        EXPECT_EQ(RunConvert(folder, {"t.png", "--match-palette", palette, "-o", "x.spr"}).err,
                  "tavrel-convert: " + std::string(palette) +
                      ": Error: Could not load palette file. (" + reason + ")\n");
}

// Palettes are written in the format their name asks for, whole or one row,
// become each other, and give a sheet their colours from an entry on.
TEST(PaletteConversion, PalettesCarryTheColourWordsIntoSheets)
{
    TempFolder folder;
    const Bytes from = RandomSpr(3, 0);
    const Bytes into = RandomSpr(4, 0);
    WriteBytes(folder.Path("from.spr"), from);
    WriteBytes(folder.Path("into.spr"), into);
    ASSERT_EQ(RunConvert(folder, {"from.spr", "-o", "all.gpl"}).status, 0);
    ASSERT_EQ(RunConvert(folder, {"all.gpl", "-o", "all.act"}).status, 0);
    ASSERT_EQ(RunConvert(folder, {"from.spr", "--palette-row", "2", "-o", "row.pal"}).status, 0);
    EXPECT_EQ(RunConvert(folder, {"--info", "all.gpl", "all.act", "row.pal"}).out,
              "all.gpl: palette, GIMP, 256 colours\nall.act: palette, ACT, 256 colours\n"
              "row.pal: palette, JASC-PAL, 16 colours\n");

    ASSERT_EQ(RunConvert(folder, {"into.spr", "--palette", "all.act", "-o", "whole.spr"}).status,
              0);
    EXPECT_EQ(Words(ReadBytes(folder.Path("whole.spr"))), Words(from));
    ASSERT_EQ(
        RunConvert(folder, {"into.spr", "--palette", "row.pal", "--palette-at=32", "-o", "row.spr"})
            .status,
        0);
    Bytes expected = Words(into);
    std::copy_n(from.begin() + 64, 32, expected.begin() + 64);
    EXPECT_EQ(Words(ReadBytes(folder.Path("row.spr"))), expected);
}

} // namespace
