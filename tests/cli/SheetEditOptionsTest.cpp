// SPDX-License-Identifier: GPL-3.0-or-later
// --set-color, --swap-rows, --swap-entries and --paste: the window's palette
// and paste commands, from a script, byte for byte.
#include "CliRunner.h"

#include "document/SpriteDocument.h"

#include <gtest/gtest.h>

namespace
{

std::uint16_t WordAt(const Bytes& spr, int entry)
{
    return std::uint16_t(spr[2 * entry] | spr[2 * entry + 1] << 8);
}

// The sheet's pixel (x, y): two 4-bit pixels a byte, the left one low.
int PixelAt(const Bytes& spr, int x, int y)
{
    const std::uint8_t pair = spr[512 + (y * 256 + x) / 2];
    return x % 2 == 0 ? pair & 0x0F : pair >> 4;
}

TEST(SheetEditOptions, EachEditIsTheWindowsCommandInTheOrderGiven)
{
    TempFolder folder;
    WriteBytes(folder.Path("s.spr"), RandomSpr(7, 24));
    // A badge in row 5's colours, of other indices than the sheet's: a
    // 16-colour picture of the whole sheet, pasted where most falls outside.
    ASSERT_EQ(RunConvert(folder, {"s.spr", "--palette-row=5", "-o", "badge.png"}).status, 0);

    const CliRun run = RunConvert(
        folder, {"s.spr", "--set-color", "17=#F80701", "--swap-rows", "2,9", "--swap-entries",
                 "3,12,pixels", "--paste", "badge.png@-3,250", "--swap-entries", "1,4",
                 "--palette-row", "5", "-o", "out.spr"});
    ASSERT_EQ(run.status, 0) << run.err;

    CSpriteDocument document;
    ASSERT_TRUE(document.Open(folder.Path("s.spr")).result);
    ASSERT_TRUE(document.SetColor(17, {0xF8, 0x07, 0x01, 0}));
    ASSERT_TRUE(document.SwapRows(2, 9));
    ASSERT_TRUE(document.SwapIndices(3, 12, IndexSwap::ColorsAndPixels));
    document.ChoosePaletteRow(5);
    ASSERT_TRUE(document.PasteFile(folder.Path("badge.png"), -3, 250));
    ASSERT_TRUE(document.SwapIndices(1, 4, IndexSwap::ColorsOnly));
    ASSERT_TRUE(document.Save());
    const Bytes out = ReadBytes(folder.Path("out.spr"));
    EXPECT_EQ(out, ReadBytes(folder.Path("s.spr")));

    // Red rounded down to five bits; besides indices 3 and 12 trading
    // places, the paste changed the bottom rows.
    EXPECT_EQ(WordAt(out, 20), 0x001F); // entry 17 became 20 when indices 1 and 4 swapped
    const Bytes before = RandomSpr(7, 24);
    int changed = 0;
    for (int y = 250; y < 288; ++y)
        for (int x = 0; x < 253; ++x)
        {
            const int index = PixelAt(before, x, y);
            changed += PixelAt(out, x, y) != (index == 3 ? 12 : index == 12 ? 3 : index);
        }
    EXPECT_GT(changed, 1000);
}

TEST(SheetEditOptions, BadArgumentsAreBadUsageAndAPasteThatDoesNotMapFailsTheFile)
{
    TempFolder folder;
    WriteBytes(folder.Path("s.spr"), RandomSpr(3, 0));
    const std::pair<std::vector<std::string>, std::string> usage[] = {
        {{"--set-color", "17=#GG0000"}, "--set-color '17=#GG0000': \"#GG0000\" is not a colour"},
        {{"--set-color", "256=#000000"}, "entry from 0 to 255, not '256=#000000'"},
        {{"--swap-rows", "2,16"}, "two rows A,B from 0 to 15, not '2,16'"},
        {{"--swap-entries", "1,2,colours"}, "then ,pixels if the pixels follow, not '1,2,colours'"},
        {{"--paste", "badge.png"}, "FILE@X,Y with X and Y from -16384 to 16384"},
        {{"--paste", "badge.png@1,99999"}, "not 'badge.png@1,99999'"},
        {{"--palette-row", "2"}, "--palette-row goes with BMP, PNG or palette output"},
    };
    for (const auto& [arguments, message] : usage)
    {
        std::vector<std::string> line = {"s.spr", "-o", "out.spr"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const CliRun run = RunConvert(folder, line);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }

    // A picture of colours the row does not hold: refused, nothing written.
    ASSERT_EQ(RunConvert(folder, {"s.spr", "--palette-row=5", "-o", "badge.png"}).status, 0);
    const CliRun refused = RunConvert(folder, {"s.spr", "--paste", "badge.png@0,0", "-o", "out.spr"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Could not paste the picture"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(folder.Path("out.spr")));
    // A palette for a picture without indices serves only a reduction after it.
    WriteTrueColourBmp(folder.Path("photo.bmp"), 2, 2);
    ASSERT_EQ(RunConvert(folder, {"s.spr", "-o", "s.pal"}).status, 0);
    EXPECT_EQ(RunConvert(folder, {"photo.bmp", "--palette", "s.pal", "-o", "p.png"}).err,
              "tavrel-convert: photo.bmp: Error: Could not load palette file. (a 24-bit picture "
              "has no colour table)\n");
    EXPECT_EQ(RunConvert(folder, {"photo.bmp", "--palette", "s.pal", "--reduce", "2",
                                  "--fixed-row-colors", "--lossy", "-o", "p.spr"})
                  .status,
              0);
    const CliRun missing =
        RunConvert(folder, {"s.spr", "--paste", "none.png@0,0", "-o", "out.spr"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.png"), std::string::npos) << missing.err;
}

} // namespace
