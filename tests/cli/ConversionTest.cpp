#include "CliRunner.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

namespace
{

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBmpHeaderBytes = 54;
constexpr std::size_t kSprPixelOffset = kSprPaletteBytes;

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return Bytes(bytes.begin() + std::ptrdiff_t(from),
                 bytes.begin() + std::ptrdiff_t(from + count));
}

// The BMP colour-table entry (blue, green, red, 0) of an SPR colour word.
Bytes BmpEntryOfWord(const Bytes& spr, int index)
{
    const ColorEntry colour =
        ColorWordToEntry(std::uint16_t(spr[2 * index] | spr[2 * index + 1] << 8));
    return {colour.blue, colour.green, colour.red, 0};
}

TEST(Conversion, SpriteToBmpIsTheViewersExportWholeOrOneRow)
{
    TempFolder folder;
    const Bytes spr = RandomSpr(7, 2624);
    WriteBytes(folder.Path("sheet.spr"), spr);

    CSpriteImage viewer;
    ASSERT_TRUE(viewer.LoadSPR(folder.Path("sheet.spr").c_str()));
    ASSERT_TRUE(viewer.SaveBMP(folder.Path("viewer.bmp").c_str()));

    ASSERT_EQ(RunConvert(folder, {"sheet.spr", "-o", "whole.bmp"}).status, 0);
    const Bytes whole = ReadBytes(folder.Path("whole.bmp"));
    EXPECT_EQ(whole, ReadBytes(folder.Path("viewer.bmp")));
    EXPECT_EQ(whole.size(), 74806u); // the trailing block stays out

    ASSERT_EQ(RunConvert(folder, {"--palette-row=5", "sheet.spr", "-o", "row5.bmp"}).status, 0);
    const Bytes row5 = ReadBytes(folder.Path("row5.bmp"));
    ASSERT_EQ(row5.size(), whole.size());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Slice(row5, kBmpHeaderBytes + 4 * i, 4), BmpEntryOfWord(spr, 5 * 16 + i)) << i;
    EXPECT_EQ(Slice(row5, kBmpHeaderBytes + 64, row5.size() - kBmpHeaderBytes - 64),
              Slice(whole, kBmpHeaderBytes + 64, whole.size() - kBmpHeaderBytes - 64));
}

TEST(Conversion, BmpToSprRoundTripIsIndexExactInOneBatch)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.Path("bmp"));
    std::filesystem::create_directory(folder.Path("spr"));
    std::vector<std::string> sheets;
    for (unsigned seed = 1; seed <= 4; ++seed)
    {
        sheets.push_back("s" + std::to_string(seed) + ".spr");
        WriteBytes(folder.Path(sheets.back()), RandomSpr(seed, 0));
    }
    std::vector<std::string> toBmp = sheets;
    toBmp.insert(toBmp.end(), {"-o", "bmp", "--to", "bmp"});
    ASSERT_EQ(RunConvert(folder, toBmp).status, 0);

    std::vector<std::string> toSpr;
    for (const std::string& sheet : sheets)
        toSpr.push_back("bmp/" + std::filesystem::path(sheet).stem().string() + ".bmp");
    toSpr.insert(toSpr.end(), {"-o", "spr", "--to=spr"});
    const CliRun back = RunConvert(folder, toSpr);
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.err, "");
    for (const std::string& sheet : sheets)
        EXPECT_EQ(ReadBytes(folder.Path("spr/" + sheet)), ReadBytes(folder.Path(sheet))) << sheet;
}

TEST(Conversion, TrailingBlockTravelsWithSprAndFromTrailingFrom)
{
    TempFolder folder;
    const Bytes spr = RandomSpr(11, 999);
    WriteBytes(folder.Path("orig.spr"), spr);

    ASSERT_EQ(RunConvert(folder, {"orig.spr", "-o", "copy.spr"}).status, 0);
    EXPECT_EQ(ReadBytes(folder.Path("copy.spr")), spr);

    ASSERT_EQ(RunConvert(folder, {"orig.spr", "-o", "edit.bmp"}).status, 0);
    ASSERT_EQ(RunConvert(folder, {"edit.bmp", "-o", "bare.spr"}).status, 0);
    EXPECT_EQ(ReadBytes(folder.Path("bare.spr")), Slice(spr, 0, kSprSheetBytes));
    ASSERT_EQ(
        RunConvert(folder, {"edit.bmp", "--trailing-from", "orig.spr", "-o", "full.spr"}).status,
        0);
    EXPECT_EQ(ReadBytes(folder.Path("full.spr")), spr);
}

TEST(Conversion, Sp2AndSprConvertBothWays)
{
    TempFolder folder;
    const Bytes sp2 = RandomSp2(3);
    WriteBytes(folder.Path("bare.sp2"), sp2);

    ASSERT_EQ(RunConvert(folder, {"bare.sp2", "-o", "sheet.spr"}).status, 0);
    const Bytes spr = ReadBytes(folder.Path("sheet.spr"));
    ASSERT_EQ(spr.size(), std::size_t(kSprSheetBytes));
    for (int i = 0; i < 256; ++i) // the grey ramp, 16 * (i mod 16), as colour words
    {
        const std::uint16_t grey = std::uint16_t((i % 16) * 2);
        EXPECT_EQ(spr[2 * i] | spr[2 * i + 1] << 8, grey | grey << 5 | grey << 10) << i;
    }
    EXPECT_EQ(Slice(spr, kSprPixelOffset, sp2.size()), sp2);
    EXPECT_EQ(Slice(spr, kSprPixelOffset + sp2.size(), 32 * 128), Bytes(32 * 128, 0));

    ASSERT_EQ(RunConvert(folder, {"sheet.spr", "-o", "again.sp2"}).status, 0);
    EXPECT_EQ(ReadBytes(folder.Path("again.sp2")), sp2);

    const Bytes tall = RandomSpr(4, 50);
    WriteBytes(folder.Path("tall.spr"), tall);
    ASSERT_EQ(RunConvert(folder, {"tall.spr", "-o", "cut.sp2"}).status, 0);
    EXPECT_EQ(ReadBytes(folder.Path("cut.sp2")), Slice(tall, kSprPixelOffset, sp2.size()));
}

TEST(Conversion, BadFilesFailAloneInTheViewersWords)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.Path("out"));
    WriteBytes(folder.Path("good.spr"), RandomSpr(5, 0));
    WriteBytes(folder.Path("junk.bmp"), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'});
    WriteTrueColourBmp(folder.Path("photo.bmp"), 3, 2);
    WriteBytes(folder.Path("other.sp2"), RandomSp2(6));
    WriteBytes(folder.Path("out/photo.spr"), Bytes{1, 2, 3});

    const CliRun run = RunConvert(folder, {"good.spr", "missing.spr", "junk.bmp", "photo.bmp",
                                           "gone.sp2", "other.sp2", "-o", "out", "--to", "spr"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        Lines(run.err),
        (std::vector<std::string>{
            "tavrel-convert: missing.spr: Error: Could not load SPR file.",
            "tavrel-convert: junk.bmp: Error: Could not load BMP file.",
            "tavrel-convert: photo.bmp: Error: Only 8-bit images can be saved as sprite files.",
            "tavrel-convert: gone.sp2: Error: Could not load SP2 file.",
        }));
    EXPECT_EQ(ReadBytes(folder.Path("out/good.spr")), ReadBytes(folder.Path("good.spr")));
    EXPECT_EQ(ReadBytes(folder.Path("out/other.spr")).size(), std::size_t(kSprSheetBytes));
    EXPECT_EQ(ReadBytes(folder.Path("out/photo.spr")), (Bytes{1, 2, 3}))
        << "a refused save replaced a file";
    EXPECT_FALSE(std::filesystem::exists(folder.Path("out/junk.spr")));
}

TEST(Conversion, UnwritableOutputsFailInTheViewersWords)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.spr"), RandomSpr(8, 0));
    const CliRun bmp = RunConvert(folder, {"a.spr", "-o", "no/such/folder/a.bmp"});
    EXPECT_EQ(bmp.status, 1);
    EXPECT_EQ(bmp.err, "tavrel-convert: a.spr: Could not export to BMP file.\n");
    const CliRun spr = RunConvert(folder, {"a.spr", "-o", "no/such/folder/a.sp2"});
    EXPECT_EQ(spr.status, 1);
    EXPECT_EQ(spr.err, "tavrel-convert: a.spr: Error: Could not create sprite file.\n");
}

TEST(Conversion, NeverReplacesAnInputOrWritesOneOutputTwice)
{
    TempFolder folder;
    const Bytes spr = RandomSpr(9, 10);
    WriteBytes(folder.Path("a.spr"), spr);
    WriteBytes(folder.Path("a.sp2"), RandomSp2(9));

    const CliRun self = RunConvert(folder, {"--to", "bmp", "a.spr", "-o", "./a.spr"});
    EXPECT_EQ(self.status, 1);
    EXPECT_NE(self.err.find("a.spr: "), std::string::npos);
    EXPECT_EQ(ReadBytes(folder.Path("a.spr")), spr);

    const CliRun twice = RunConvert(folder, {"a.spr", "a.sp2", "-o", ".", "--to", "bmp"});
    EXPECT_EQ(twice.status, 1);
    ASSERT_EQ(Lines(twice.err).size(), 1u);
    EXPECT_EQ(twice.err.rfind("tavrel-convert: a.sp2: ", 0), 0u);
    EXPECT_EQ(ReadBytes(folder.Path("a.bmp")).size(), 74806u); // the SPR's, 288 rows high
}

TEST(Conversion, MissingTrailingSourceConvertsNothing)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.sp2"), RandomSp2(2));
    const CliRun run = RunConvert(folder, {"a.sp2", "--trailing-from", "none.spr", "-o", "a.spr"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tavrel-convert: none.spr: Error: Unable to read sprite data.\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path("a.spr")));
}

} // namespace
