#include "CliRunner.h"

#include "formats/SpriteFile.h"

#include <gtest/gtest.h>

namespace
{

using Bytes = std::vector<std::uint8_t>;

std::size_t FilesIn(const TempFolder& folder)
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Root()))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

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
        {"--info", "a.spr", "-o", "x.bmp"},
    };
    for (const auto& arguments : misuses)
    {
        const CliRun run = RunConvert(folder, arguments);
        const std::string shown = arguments.empty() ? "(none)" : arguments.front() + " ...";
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_NE(run.err.find("Try 'tavrel-convert --help' for more information."),
                  std::string::npos)
            << shown;
        EXPECT_EQ(run.out, "") << shown;
    }
    EXPECT_EQ(FilesIn(folder), 2u);
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

// Pixels use indices 0 to 3 only. Row 0 holds four different colours there,
// row 1 one colour four times, the other rows are all black; index 4 differs
// in every row but is not used.
Bytes SheetWithKnownColours()
{
    Bytes spr(kSprSheetBytes, 0);
    for (int row = 0; row < 16; ++row)
        spr[2 * (16 * row + 4)] = 0x1F;
    for (int i = 0; i < 4; ++i)
        spr[2 * i] = std::uint8_t(i + 1);
    for (int i = 16; i < 20; ++i)
        spr[2 * i] = 9;
    for (std::size_t k = 512; k < spr.size(); ++k)
        spr[k] = std::uint8_t((k % 4) | (k % 4) << 4);
    spr.insert(spr.end(), 100, 0xAB);
    return spr;
}

TEST(CommandLine, InfoDescribesEachFileAsTextOrJson)
{
    TempFolder folder;
    WriteBytes(folder.Path("known.spr"), SheetWithKnownColours());
    WriteBytes(folder.Path("bare.sp2"), RandomSp2(4));
    WriteTrueColourBmp(folder.Path("photo.bmp"), 5, 3);

    const CliRun text =
        RunConvert(folder, {"--info", "known.spr", "nothing.sp2", "bare.sp2", "photo.bmp"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "tavrel-convert: nothing.sp2: Error: Could not load SP2 file.\n");
    EXPECT_EQ(Lines(text.out), (std::vector<std::string>{
                                   "known.spr: SPR, 256x288, 8-bit, colours per palette row: "
                                   "4 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1, trailing block: 100 bytes",
                                   "bare.sp2: SP2, 256x256, 8-bit, colours per palette row: "
                                   "16 16 16 16 16 16 16 16 16 16 16 16 16 16 16 16",
                                   "photo.bmp: BMP, 5x3, 24-bit",
                               }));

    const CliRun json = RunConvert(folder, {"--info", "--json", "known.spr", "photo.bmp"});
    EXPECT_EQ(json.status, 0);
    WriteBytes(folder.Path("info.json"), Bytes(json.out.begin(), json.out.end()));
    const CliRun parsed = RunProgram(folder, {"/usr/bin/python3", "-c", R"(
import json
known, photo = json.load(open("info.json"))
assert known == {"file": "known.spr", "format": "SPR", "width": 256, "height": 288,
                 "bitsPerPixel": 8, "coloursPerPaletteRow": [4] + [1] * 15, "trailingBytes": 100}, known
assert photo["bitsPerPixel"] == 24 and photo["coloursPerPaletteRow"] is None, photo
assert photo["trailingBytes"] is None, photo
)"});
    EXPECT_EQ(parsed.status, 0) << json.out << parsed.err;
}

TEST(CommandLine, ProgressLineOnlyOnATerminal)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.sp2"), RandomSp2(1));
    WriteBytes(folder.Path("b.sp2"), RandomSp2(2));
    const CliRun piped = RunConvert(folder, {"a.sp2", "b.sp2", "-o", ".", "--to", "bmp"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");

    const std::string shown = RunOnTerminal(folder, {"a.sp2", "b.sp2", "-o", ".", "--to", "spr"});
    EXPECT_NE(shown.find("[1/2] a.sp2"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[2/2] b.sp2"), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K") << "the line is left behind";
}

} // namespace
