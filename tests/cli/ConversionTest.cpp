#include "CliRunner.h"

#include "core/BmpFiles.h"
#include "doc/SpriteDocument.h"

#include <gtest/gtest.h>

namespace
{

// Sheets go to BMP as the viewer exports them and come back index for index,
// in batches; the trailing block comes back only through --trailing-from.
TEST(Conversion, SprToBmpIsTheViewersExportAndComesBackIndexExact)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.Path("back"));
    for (unsigned seed = 1; seed <= 3; ++seed)
        WriteBytes(folder.Path("s" + std::to_string(seed) + ".spr"), RandomSpr(seed, 100 * seed));
    ASSERT_EQ(RunConvert(folder, {"s1.spr", "s2.spr", "s3.spr", "-o", ".", "--to", "bmp"}).status,
              0);
    const CliRun back =
        RunConvert(folder, {"s1.bmp", "s2.bmp", "s3.bmp", "-o", "back", "--to=spr"});
    ASSERT_EQ(back.status, 0) << back.err;
    for (unsigned seed = 1; seed <= 3; ++seed) // each the same sheet without its block
        EXPECT_EQ(ReadBytes(folder.Path("back/s" + std::to_string(seed) + ".spr")),
                  RandomSpr(seed, 0));

    // The viewer's Export, and the picture it shows for row 5.
    CSpriteDocument viewer;
    ASSERT_TRUE(viewer.Open(folder.Path("s1.spr")).result);
    ASSERT_TRUE(viewer.Export(folder.Path("export.bmp")));
    viewer.ChoosePaletteRow(5);
    ASSERT_TRUE(viewer.Display()->SaveBMP(folder.Path("shown5.bmp").c_str()));
    EXPECT_EQ(ReadBytes(folder.Path("s1.bmp")), ReadBytes(folder.Path("export.bmp")));
    ASSERT_EQ(RunConvert(folder, {"--palette-row=5", "s1.spr", "-o", "row5.bmp"}).status, 0);
    EXPECT_EQ(ReadBytes(folder.Path("row5.bmp")), ReadBytes(folder.Path("shown5.bmp")));
    EXPECT_NE(ReadBytes(folder.Path("row5.bmp")), ReadBytes(folder.Path("s1.bmp")));

    ASSERT_EQ(RunConvert(folder, {"s1.bmp", "--trailing-from", "s1.spr", "-o", "full.spr"}).status,
              0);
    EXPECT_EQ(ReadBytes(folder.Path("full.spr")), ReadBytes(folder.Path("s1.spr")));
}

TEST(Conversion, Sp2AndSprConvertBothWaysAsTheViewerSaves)
{
    TempFolder folder;
    const Bytes sp2 = RandomBytes(3, kSp2SheetBytes);
    const Bytes tall = RandomSpr(4, 50);
    WriteBytes(folder.Path("bare.sp2"), sp2);
    WriteBytes(folder.Path("tall.spr"), tall);
    CSpriteDocument viewer;
    ASSERT_TRUE(viewer.Open(folder.Path("bare.sp2")).result);
    ASSERT_TRUE(viewer.SaveAs(folder.Path("viewer.spr"), nullptr, LossySave::Accept));

    // Across layouts rows are added or cut: only with --lossy.
    EXPECT_EQ(RunConvert(folder, {"bare.sp2", "-o", "sheet.spr"}).err,
              "tavrel-convert: bare.sp2: Error: Saving would change the picture. (Saving as SPR "
              "changes the picture: 32 transparent rows are added to make 288.)\n");
    ASSERT_EQ(RunConvert(folder, {"bare.sp2", "--lossy", "-o", "sheet.spr"}).status, 0);
    EXPECT_EQ(ReadBytes(folder.Path("sheet.spr")), ReadBytes(folder.Path("viewer.spr")));
    ASSERT_EQ(
        RunConvert(folder, {"sheet.spr", "tall.spr", "-o", ".", "--to", "sp2", "--lossy"}).status,
        0);
    EXPECT_EQ(ReadBytes(folder.Path("sheet.sp2")), sp2);
    const auto tallPixels = tall.begin() + kSprPaletteBytes; // the last 32 rows are cut
    EXPECT_EQ(ReadBytes(folder.Path("tall.sp2")), Bytes(tallPixels, tallPixels + kSp2SheetBytes));
}

// Each failure is one line in the viewer's words, naming its file; the other
// files are still converted, and a failure replaces nothing.
TEST(Conversion, FailuresStandAloneAndReplaceNothing)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.Path("out"));
    const Bytes good = RandomSpr(5, 10);
    WriteBytes(folder.Path("good.spr"), good);
    WriteBytes(folder.Path("good.sp2"), RandomBytes(5, kSp2SheetBytes));
    WriteTrueColourBmp(folder.Path("photo.bmp"), 3, 2);
    WriteBytes(folder.Path("out/photo.spr"), Bytes{1, 2, 3});

    const CliRun batch = RunConvert(folder, {"missing.spr", "photo.bmp", "gone.sp2", "good.spr",
                                             "good.sp2", "-o", "out", "--to", "spr"});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err,
              "tavrel-convert: missing.spr: Error: Could not load SPR file. (No such file or "
              "directory)\n"
              "tavrel-convert: photo.bmp: Error: Only 8-bit images can be saved as sprite files. "
              "(24-bit picture: only 8-bit pictures become sheets)\n"
              "tavrel-convert: gone.sp2: Error: Could not load SP2 file. (No such file or "
              "directory)\n"
              "tavrel-convert: good.sp2: 'out/good.spr' is already written from 'good.spr'\n");
    EXPECT_EQ(ReadBytes(folder.Path("out/good.spr")), good); // the first, with its block
    EXPECT_EQ(ReadBytes(folder.Path("out/photo.spr")), (Bytes{1, 2, 3}));

    EXPECT_EQ(ReadBytes(folder.Path("good.spr")), good);
}

// Why a file failed, as the converter prints it: the viewer's line, then the
// reason in brackets. Nothing is left behind.
TEST(Conversion, EachFailureNamesItsReason)
{
    TempFolder folder;
    WriteBytes(folder.Path("text.bmp"), Bytes(100, 'x'));
    WriteTrueColourBmp(folder.Path("photo.bmp"), 3, 2);
    Bytes wide = ReadBytes(folder.Path("photo.bmp"));
    SetDword(wide, 18, 20000);
    WriteBytes(folder.Path("wide.bmp"), wide);
    WriteBytes(folder.Path("good.spr"), RandomSpr(6, 10));
    std::filesystem::create_directory(folder.Path("folder.spr"));
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{"text.bmp", "-o", "a.spr"},
         "text.bmp: Error: Could not load BMP file. (not a BMP file: no \"BM\" signature)"},
        {{"wide.bmp", "-o", "a.spr"},
         "wide.bmp: Error: Could not load BMP file. (width 20000 is over the limit of 16384)"},
        {{"photo.bmp", "-o", "a.sp2"},
         "photo.bmp: Error: Only 8-bit images can be saved as sprite files. (24-bit picture: "
         "only 8-bit pictures become sheets)"},
        {{"folder.spr", "-o", "a.bmp"},
         "folder.spr: Error: Could not load SPR file. (not a regular file)"},
        {{"good.spr", "--to", "spr", "-o", "/dev/full"},
         "good.spr: Error: Could not write sprite file. (No space left on device)"},
        {{"good.spr", "--to", "bmp", "-o", "/dev/full"},
         "good.spr: Could not export to BMP file. (No space left on device)"},
        {{"good.spr", "-o", "no/such/a.bmp"},
         "good.spr: Could not export to BMP file. (No such file or directory)"},
        {{"good.spr", "--lossy", "-o", "no/such/a.sp2"},
         "good.spr: Error: Could not create sprite file. (No such file or directory)"},
        {{"photo.bmp", "--trailing-from", "none.spr", "-o", "a.spr"},
         "none.spr: Error: Unable to read sprite data. (No such file or directory)"},
        {{"--to", "bmp", "good.spr", "-o", "./good.spr"},
         "good.spr: the output would replace the input itself"},
    };
    for (const auto& [arguments, error] : failures)
    {
        const CliRun run = RunConvert(folder, arguments);
        EXPECT_EQ(run.status, 1) << error;
        EXPECT_EQ(run.err, "tavrel-convert: " + error + "\n");
    }
    EXPECT_EQ(FileNames(folder.Root()), (std::set<std::string>{"text.bmp", "photo.bmp", "wide.bmp",
                                                               "good.spr", "folder.spr"}));
}

} // namespace
