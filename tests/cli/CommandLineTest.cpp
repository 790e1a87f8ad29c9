// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <gtest/gtest.h>

namespace
{

TEST(CommandLine, BadUsageExitsTwoAndWritesNothing)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.spr"), RandomSpr(1, 0));
    WriteBytes(folder.Path("b.spr"), RandomSpr(2, 0));
    const std::vector<std::vector<std::string>> misuses = {
        {},
        {"a.spr"},
        {"--bogus", "a.spr", "-o", "x.bmp"},
        {"a.spr", "-o", "x.gif"},
        {"a.spr", "b.spr", "-o", "x.bmp"},
        {"a.spr", "-o", "."},
        {"a.spr", "-o", "missing/", "--to", "bmp"},
        {"a.spr", "-o", "x.bmp", "--palette-row", "16"},
        {"a.spr", "-o", "x.bmp", "--palette-row", "2x"},
        {"a.spr", "-o", "x.spr", "--palette-row", "2"},
        {"a.spr", "-o", "x.sp2", "--trailing-from", "b.spr"},
        {"a.spr", "-o", "x.spr", "--trailing-from", "b.bmp"}, // its bytes are no block
        {"a.spr", "--palette-at", "3", "-o", "x.spr"},
        {"a.spr", "--palette-at", "256", "--palette", "p.pal", "-o", "x.spr"},
        {"a.spr", "--transparent-zero", "-o", "x.bmp"},
        {"a.spr", "a.spr", "--to", "bmp", "-o", "-"},
        {"a.spr", "-o", "-"},
        {"--json", "a.spr", "-o", "x.bmp"},
        {"--info", "a.spr", "-o", "x.bmp"}};
    for (const auto& arguments : misuses)
    {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CliRun run = RunConvert(folder, arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("Try 'tavrel-convert --help' for more information."),
                  std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(FileCount(folder.Root()), 2u);
}

TEST(CommandLine, HelpAndVersion)
{
    TempFolder folder;
    const CliRun version = RunConvert(folder, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tavrel-convert (Tavrel) 1.0.0.2\n");
    const CliRun help = RunConvert(folder, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: tavrel-convert ", 0), 0u);
}

TEST(CommandLine, InfoDescribesEachFileAsTextOrJson)
{
    // Pixels use indices 0 and 1: palette row 0 shows two colours, the other
    // rows one; index 2 of row 1 differs but is not shown.
    Bytes known(kSprSheetBytes + 100, 0x10); // the last 100 bytes: trailing block
    std::fill_n(known.begin(), kSprPaletteBytes, 0);
    known[2 * 1] = known[2 * (16 + 2)] = 0x1F;
    TempFolder folder;
    WriteBytes(folder.Path("known.spr"), known);
    WriteBytes(folder.Path("bare.sp2"), RandomBytes(4, kSp2SheetBytes));
    WriteTrueColourBmp(folder.Path("photo.bmp"), 5, 3);

    const CliRun text =
        RunConvert(folder, {"--info", "known.spr", "nothing.sp2", "bare.sp2", "photo.bmp"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err,
              "tavrel-convert: nothing.sp2: Error: Could not load SP2 file. (No such file or "
              "directory)\n");
    EXPECT_EQ(text.out, "known.spr: SPR, 256x288, 8-bit, colours per palette row: "
                        "2 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1, trailing block: 100 bytes\n"
                        "bare.sp2: SP2, 256x256, 8-bit, colours per palette row: "
                        "16 16 16 16 16 16 16 16 16 16 16 16 16 16 16 16\n"
                        "photo.bmp: BMP, 5x3, 24-bit\n");

    // A name is bytes: well-formed UTF-8 stays, any other byte becomes U+FFFD.
    const std::string oddName = "caf\xC3\xA9\xFF\xE0\x80.bmp";
    WriteTrueColourBmp(folder.Path(oddName), 5, 3);
    const CliRun json = RunConvert(folder, {"--info", "--json", "known.spr", oddName});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "[\n"
                        R"(  {"file": "known.spr", "format": "SPR", "width": 256, "height": 288, )"
                        R"("bitsPerPixel": 8, "coloursPerPaletteRow": [2, 1, 1, 1, 1, 1, 1, 1, )"
                        R"(1, 1, 1, 1, 1, 1, 1, 1], "trailingBytes": 100},)"
                        "\n"
                        "  {\"file\": \"caf\xC3\xA9\\ufffd\\ufffd\\ufffd.bmp\", "
                        R"("format": "BMP", "width": 5, "height": 3, "bitsPerPixel": 24, )"
                        R"("coloursPerPaletteRow": null, "trailingBytes": null})"
                        "\n]\n");
}

TEST(CommandLine, ProgressLineOnATerminalIsLeftBehind)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.sp2"), RandomBytes(1, kSp2SheetBytes));
    WriteBytes(folder.Path("b.sp2"), RandomBytes(2, kSp2SheetBytes));
    const std::string shown =
        RunConvert(folder, {"a.sp2", "b.sp2", "-o", ".", "--to", "spr", "--lossy"}, true).out;
    EXPECT_NE(shown.find("[1/2] a.sp2"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[2/2] b.sp2"), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K") << shown;
}

} // namespace
