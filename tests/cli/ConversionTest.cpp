// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include "document/SpriteDocument.h"

#include <gtest/gtest.h>

namespace
{

// A batch writes what the viewer's Export writes, and a palette row what
// that row shows; the trailing block comes back only through --trailing-from.
TEST(Conversion, BatchWritesTheViewersExportAndComesBackWithItsBlock)
{
    TempFolder folder;
    for (const unsigned seed : {1, 2, 3})
        WriteBytes(folder.Path("s" + std::to_string(seed) + ".spr"), RandomSpr(seed, 100 * seed));
    ASSERT_EQ(RunConvert(folder, {"s1.spr", "s2.spr", "s3.spr", "-o", ".", "--to", "bmp"}).status,
              0);
    EXPECT_EQ(FileCount(folder.Root()), 6u);
    ASSERT_EQ(RunConvert(folder, {"--palette-row=5", "s3.spr", "-o", "row5.bmp"}).status, 0);

    CSpriteDocument viewer;
    ASSERT_TRUE(viewer.Open(folder.Path("s3.spr")).result);
    ASSERT_TRUE(viewer.Export(folder.Path("export.bmp")));
    ASSERT_TRUE(viewer.ExportPaletteRow(folder.Path("shown5.bmp"), 5));
    EXPECT_EQ(ReadBytes(folder.Path("s3.bmp")), ReadBytes(folder.Path("export.bmp")));
    EXPECT_EQ(ReadBytes(folder.Path("row5.bmp")), ReadBytes(folder.Path("shown5.bmp")));

    ASSERT_EQ(RunConvert(folder, {"s3.bmp", "--trailing-from", "s3.spr", "-o", "full.spr"}).status,
              0);
    EXPECT_EQ(ReadBytes(folder.Path("full.spr")), ReadBytes(folder.Path("s3.spr")));
}

// Across layouts rows are added or cut: only with --lossy.
TEST(Conversion, ChangingTheLayoutTakesLossy)
{
    TempFolder folder;
    const Bytes sp2 = RandomBytes(3, kSp2SheetBytes);
    WriteBytes(folder.Path("bare.sp2"), sp2);
    EXPECT_EQ(RunConvert(folder, {"bare.sp2", "-o", "sheet.spr"}).status, 1);
    ASSERT_EQ(RunConvert(folder, {"bare.sp2", "--lossy", "-o", "sheet.spr"}).status, 0);
    ASSERT_EQ(RunConvert(folder, {"sheet.spr", "--to", "sp2", "--lossy", "-o", "back.sp2"}).status,
              0);
    EXPECT_EQ(ReadBytes(folder.Path("back.sp2")), sp2);
}

// Each failure is one line in the viewer's words, naming its file; the other
// files are still converted.
TEST(Conversion, FailuresStandAlone)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.Path("out"));
    const Bytes good = RandomSpr(5, 10);
    WriteBytes(folder.Path("good.spr"), good);
    WriteTrueColourBmp(folder.Path("photo.bmp"), 3, 2);

    const CliRun batch = RunConvert(
        folder, {"missing.spr", "photo.bmp", "good.spr", "good.bmp", "-o", "out", "--to", "spr"});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err,
              "tavrel-convert: missing.spr: Error: Could not load SPR file. (No such file or "
              "directory)\n"
              "tavrel-convert: photo.bmp: Error: Only 8-bit images can be saved as sprite files. "
              "(24-bit picture: only 8-bit pictures become sheets)\n"
              "tavrel-convert: good.bmp: Error: Could not write sprite file. ('out/good.spr' is "
              "already written from 'good.spr')\n");
    EXPECT_EQ(ReadBytes(folder.Path("out/good.spr")), good); // the first, with its block
}

// Why a file failed, as the converter prints it: the viewer's line, then the
// reason in brackets. Nothing is left behind.
TEST(Conversion, EachFailureNamesItsReason)
{
    TempFolder folder;
    WriteTrueColourBmp(folder.Path("photo.bmp"), 3, 2);
    WriteBytes(folder.Path("good.spr"), RandomSpr(6, 10));
    WriteBytes(folder.Path("good.pal"), Bytes{'x'});
    // An 8-bit picture whose pixels would start inside its own headers.
    ASSERT_EQ(RunConvert(folder, {"good.spr", "-o", "offset.bmp"}).status, 0);
    Bytes offset = ReadBytes(folder.Path("offset.bmp"));
    offset[10] = 20;
    offset[11] = 0;
    WriteBytes(folder.Path("offset.bmp"), offset);
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{"photo.bmp", "--trailing-from", "none.spr", "-o", "a.spr"},
         "none.spr: Error: Unable to read sprite data. (No such file or directory)"},
        {{"good.spr", "--palette", "none.pal", "-o", "a.spr"},
         "none.pal: Error: Could not load palette file. (No such file or directory)"},
        {{"photo.bmp", "--match-palette", "good.spr", "-o", "a.spr"},
         "photo.bmp: Error: The picture's colours do not match the palette. (colour #808080 at "
         "pixel (0, 0) is in none of the palette's entries)"},
        {{"good.pal", "-o", "a.bmp"},
         "good.pal: a palette file becomes only another palette "
         "file, without --palette or --match-palette"},
        {{"--to", "bmp", "good.spr", "-o", "./good.spr"},
         "good.spr: Could not export to BMP file. (the output would replace the input itself)"},
        {{"offset.bmp", "-o", "a.spr"},
         "offset.bmp: Error: Could not load BMP file. (pixel data offset 20 lies inside the "
         "headers, which end at 54)"},
    };
    for (const auto& [arguments, error] : failures)
    {
        const CliRun run = RunConvert(folder, arguments);
        EXPECT_EQ(run.status, 1) << error;
        EXPECT_EQ(run.err, "tavrel-convert: " + error + "\n");
    }
    EXPECT_EQ(FileNames(folder.Root()),
              (std::set<std::string>{"photo.bmp", "good.spr", "good.pal", "offset.bmp"}));

    // Standard output closed: nothing else may be written in its place.
    const CliRun closed = RunShell(folder, "$C good.spr --to bmp -o - >&-");
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "tavrel-convert: good.spr: Could not export to BMP file. (standard "
                          "output is closed)\n");
}

} // namespace
