// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpFiles.h"
#include "SpriteFileTestFiles.h"

#include "document/SpriteDocument.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <string>
#include <tuple>

namespace
{

class Document : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const { return folder.Path(name); }
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
    // What the document holds, in one line.
    std::string State() const
    {
        const CSpriteImage* shown = document.Display();
        return std::to_string(document.Width()) + "x" + std::to_string(document.Height()) + "x" +
               std::to_string(shown ? shown->GetBitsPerPixel() : 0) + " tail " +
               std::to_string(document.TrailingBlock().Size()) +
               (document.Layout() == SpriteLayout::Sp2 ? " SP2" : " SPR") + " name '" +
               std::filesystem::path(document.FileName()).filename().string() + "' row " +
               std::to_string(document.PaletteRow()) + (document.IsModified() ? " modified" : "");
    }

    TempFolder folder;
    CSpriteDocument document;
};

TEST_F(Document, OpenTakesTheLayoutFromTheNameAndForgetsEverythingOnlyOnceItHasRead)
{
    const OpenOutcome opened = document.Open(Write("a.spr", RandomSpr(1, 100)));
    EXPECT_TRUE(opened.result.Ok() && !opened.showSp2Note);
    EXPECT_EQ(State(), "256x288x8 tail 100 SPR name 'a.spr' row 0");

    // SP2: no block, and a note for the user.
    ASSERT_TRUE(document.SaveAs(Path("named.spr")));
    document.ChoosePaletteRow(3);
    const OpenOutcome sp2 = document.Open(Write("b.Sp2", RandomBytes(2, 40000)));
    EXPECT_TRUE(sp2.result.Ok() && sp2.showSp2Note);
    EXPECT_EQ(State(), "256x256x8 tail 0 SP2 name 'b.Sp2' row 0");

    // A failed Open leaves the sheet as it was; the reason says why.
    ASSERT_TRUE(document.SaveAs(Path("kept.sp2")));
    document.ChoosePaletteRow(3);
    EXPECT_EQ(FullText(document.Open(Path("missing.SP2")).result),
              "Error: Could not load SP2 file. (No such file or directory)");
    EXPECT_EQ(State(), "256x256x8 tail 0 SP2 name 'kept.sp2' row 3");
}

TEST_F(Document, LargeTrailingBlocksAreCopiedFromTheirFileAndAnUnreadOneIsNeverOverwritten)
{
    // Beyond 2 GiB the block stays in its sparse file, read by nothing yet.
    const std::string huge = Write("huge.spr", RandomSpr(3, 10));
    const std::int64_t hugeSize = (std::int64_t(3) << 30) + 4096;
    std::filesystem::resize_file(huge, std::uintmax_t(hugeSize));
    ASSERT_TRUE(document.Open(huge).result);
    EXPECT_TRUE(document.TrailingBlock().IsByReference());
    EXPECT_EQ(document.TrailingBlock().Size(), hugeSize - 37376);

    // Any block over the limit is copied through a buffer, even onto its
    // own file, and again after that file was replaced.
    document.SetTrailingBlockReader([](const char* path, CTrailingBlock& block)
                                    { return CTrailingBlock::Read(path, block, 8); });
    const Bytes spr = RandomSpr(8, 200000);
    ASSERT_TRUE(document.Open(Write("a.spr", spr)).result);
    EXPECT_TRUE(document.TrailingBlock().IsByReference());
    for (const char* name : {"copy.spr", "a.spr", "a.spr"})
    {
        ASSERT_TRUE(document.SaveAs(Path(name)));
        EXPECT_EQ(ReadBytes(Path(name)), spr) << name;
    }
    // A folder that takes no new file would have the file written in place,
    // destroying the block before it is copied: refused.
    const int root = open(folder.Root().c_str(), O_RDONLY | O_DIRECTORY);
    int flags = FS_APPEND_FL;
    const bool appendOnly = ioctl(root, FS_IOC_SETFLAGS, &flags) == 0;
    const std::string inPlace = appendOnly ? FullText(document.SaveAs(Path("a.spr"))) : "";
    flags = 0;
    ioctl(root, FS_IOC_SETFLAGS, &flags);
    close(root);
    EXPECT_EQ(inPlace, appendOnly ? "Error: Could not create sprite file. (the folder takes no "
                                    "new file, and rewriting this file in place would destroy "
                                    "the bytes after the sheet before they are copied)"
                                  : "");
    // A source changed since is refused, not copied.
    Write("a.spr", RandomSpr(9, 200001));
    EXPECT_EQ(FullText(document.SaveAs(Path("b.spr"))),
              "Error: Could not write sprite file. (the file the bytes after the sheet are copied "
              "from has changed since it was opened)");

    // A block that truly cannot be read: the sheet opens, its file is kept.
    document.SetTrailingBlockReader([](const char*, CTrailingBlock&)
                                    { return SystemFailure(EIO); });
    ASSERT_EQ(FullText(document.Open(Write("c.spr", spr)).result),
              "Error: Unable to read sprite data. (Input/output error)");
    std::filesystem::create_hard_link(Path("c.spr"), Path("link.spr"));
    for (const char* name : {"c.spr", "link.spr"})
        EXPECT_EQ(FullText(document.SaveAs(Path(name))),
                  "Error: Could not create sprite file. (the bytes after the sheet in this file "
                  "could not be read, and saving over it would lose them)");
    EXPECT_TRUE(document.SaveAs(Path("elsewhere.spr")));
}

TEST_F(Document, ImportKeepsNameLayoutAndBlockAndSaveWritesTheLayoutOpenedLast)
{
    const Bytes spr = RandomSpr(4, 50);
    ASSERT_TRUE(document.Open(Write("sheet.spr", spr)).result);
    ASSERT_TRUE(document.Export(Path("sheet.bmp")));
    ASSERT_TRUE(document.SaveAs(Path("copy.spr")));
    document.ChoosePaletteRow(7);
    ASSERT_TRUE(document.Import(Path("sheet.bmp")));
    EXPECT_EQ(State(), "256x288x8 tail 50 SPR name 'copy.spr' row 0 modified");
    // An import that fails changes nothing.
    EXPECT_EQ(FullText(document.Import(Write("text.bmp", Bytes(80, 'x')))),
              "Error: Could not load BMP file. (not a BMP file: no \"BM\" signature)");
    EXPECT_FALSE(document.Import(Path("missing.bmp")));
    EXPECT_EQ(State(), "256x288x8 tail 50 SPR name 'copy.spr' row 0 modified");
    // The picture goes back as the SPR file it came from, block and all.
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(ReadBytes(Path("copy.spr")), spr);

    // Save As writes the layout of the new name, as Open reads it; Save
    // writes the file opened, in its layout.
    ASSERT_TRUE(document.SaveAs(Path("out.SP2"), nullptr, LossySave::Accept));
    EXPECT_EQ(std::filesystem::file_size(Path("out.SP2")), 32768u);
    ASSERT_TRUE(document.Open(Path("out.SP2")).result);
    ASSERT_TRUE(document.Import(Path("sheet.bmp")));
    EXPECT_EQ(SaveLossText(document.LossesOfSave()).substr(0, 54),
              "Saving as SP2 changes the picture: 32 rows beyond 256 ");
}

// A picture the layout cannot hold exactly is saved only when the loss was
// accepted; what is listed is what changes.
TEST_F(Document, ALossySaveListsEveryChangeAndNeedsConsent)
{
    const auto bmp = [&](const std::string& name, int width, int height, std::uint32_t index)
    {
        const BmpRows rows(std::size_t(height),
                           std::vector<std::uint32_t>(std::size_t(width), index));
        const auto bytes = BuildBmp(IndexedBmp(rows, 8, 256));
        return Write(name, Bytes(bytes.begin(), bytes.end()));
    };
    // The test colours have channels no colour word holds; a sheet's own do not.
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(10, 0))).result);
    ASSERT_TRUE(document.Export(Path("exact.bmp")));
    const std::tuple<std::string, std::string, const char*> cases[] = {
        {bmp("wide.bmp", 320, 200, 1), "b.spr",
         "Saving as SPR changes the picture: 64 columns beyond 256 are cut; 88 transparent rows "
         "are added to make 288; 256 colours are rounded to 15-bit colour words."},
        {bmp("tall.bmp", 256, 288, 1), "c.sp2",
         "Saving as SP2 changes the picture: 32 rows beyond 256 are cut; the colour table is "
         "dropped (an SP2 file keeps none and shows a grey ramp)."},
        {bmp("one.bmp", 255, 288, 200), "d.spr",
         "Saving as SPR changes the picture: 73,440 pixels use colour entries above 15 and would "
         "become entry mod 16; 1 transparent column is added to make 256; 256 colours are "
         "rounded to 15-bit colour words."},
        {bmp("size.bmp", 256, 288, 15), "e.spr",
         "Saving as SPR changes the picture: 256 colours are rounded to 15-bit colour words."},
        {Path("exact.bmp"), "f.spr", ""},
    };
    for (const auto& [picture, name, text] : cases)
    {
        ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(10, 0))).result);
        ASSERT_TRUE(document.Import(picture));
        EXPECT_EQ(SaveLossText(document.LossesOfSaveAs(Path(name))), text);
        const Result refused = document.SaveAs(Path(name));
        EXPECT_EQ(FullText(refused),
                  *text ? "Error: Saving would change the picture. (" + std::string(text) + ")"
                        : "")
            << name;
        ASSERT_TRUE(document.Save(nullptr, LossySave::Accept));
    }
    // Entry 200 comes back as 200 mod 16.
    ASSERT_TRUE(document.Open(Path("d.spr")).result);
    EXPECT_EQ(document.Source()->GetPixels()[0], 200 % 16);
}

// Entries a picture's file does not define keep the open sheet's colours;
// without a sheet before, they stay 0.
TEST_F(Document, ImportKeepsTheColoursAPictureLeavesUndefined)
{
    const Bytes spr = RandomSpr(11, 0);
    const BmpRows rows(288, std::vector<std::uint32_t>(256, 3));
    for (const int bits : {4, 8})
    {
        const auto bmp = BuildBmp(IndexedBmp(rows, bits, 16));
        const std::string picture = Write("p.bmp", Bytes(bmp.begin(), bmp.end()));
        ASSERT_TRUE(document.Open(Write("sheet.spr", spr)).result);
        ASSERT_TRUE(document.Import(picture));
        EXPECT_EQ(document.Source()->GetColor(15)->green, TestColours(16)[15].green) << bits;
        for (const int i : {16, 255})
            EXPECT_EQ(EntryToColorWord(*document.Source()->GetColor(i)),
                      spr[2 * i] | spr[2 * i + 1] << 8)
                << bits << " " << i;
        ASSERT_TRUE(document.ImportAsNew(picture, SpriteLayout::Spr, CTrailingBlock()));
        EXPECT_EQ(document.Source()->GetColor(16)->green, 0);
    }
}

TEST_F(Document, ExportsWriteTheTableOrARowAndFailedSavesKeepTheNameAndTheChanges)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(7, 0))).result);
    document.ChoosePaletteRow(9);
    EXPECT_EQ(*document.Display()->GetColor(0), *document.Source()->GetColor(144));
    ASSERT_TRUE(document.Export(Path("all.bmp")) && document.ExportPaletteRow(Path("row.bmp"), 9));
    const Bytes all = ReadBytes(Path("all.bmp"));
    const Bytes row = ReadBytes(Path("row.bmp"));
    // Entry i of the BMP palette sits at 54 + 4 i.
    const auto entry = [](const Bytes& bmp, int i)
    { return Bytes(&bmp[54 + 4 * i], &bmp[58 + 4 * i]); };
    EXPECT_NE(entry(all, 0), entry(row, 0));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(entry(row, i), entry(all, 144 + i)) << i;
    EXPECT_EQ(Bytes(all.begin() + 54 + 64, all.end()), Bytes(row.begin() + 54 + 64, row.end()));

    // Failed saves and exports say why; the name is taken all the same.
    EXPECT_EQ(FullText(document.SaveAs(Path("no/such/folder.spr"))),
              "Error: Could not create sprite file. (No such file or directory)");
    EXPECT_EQ(FullText(document.Export("/dev/full")),
              "Could not export to BMP file. (No space left on device)");
    WriteTrueColourBmp(Path("rgb.bmp"), 3, 2);
    ASSERT_TRUE(document.Import(Path("rgb.bmp")));
    EXPECT_EQ(FullText(document.SaveAs(Path("a.spr"))),
              "Error: Only 8-bit images can be saved as sprite files. (24-bit picture: only "
              "8-bit pictures become sheets)");
    EXPECT_EQ(State(), "3x2x24 tail 0 SPR name 'a.spr' row 0 modified");
}

// Load Palette: up to 16 colours replace the row shown, more the table from
// entry 0. Pixels never change; Save writes the colours.
TEST_F(Document, LoadPaletteReplacesTheRowShownOrTheWholeTable)
{
    const Bytes from = RandomSpr(3);
    ASSERT_TRUE(document.Open(Write("from.spr", from)).result);
    ASSERT_TRUE(document.SavePalette(Path("row.pal"), PaletteFormat::Jasc, 3));
    ASSERT_TRUE(document.SavePalette(Path("all.pal"), PaletteFormat::Jasc, std::nullopt));
    Bytes expected = RandomSpr(4, 10);
    ASSERT_TRUE(document.Open(Write("into.spr", expected)).result);
    document.ChoosePaletteRow(5);
    ASSERT_TRUE(document.LoadPalette(Path("row.pal")));
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(*document.Display()->GetColor(0), *document.Source()->GetColor(80));
    ASSERT_TRUE(document.SaveAs(Path("into.spr")));
    std::copy_n(from.begin() + 2 * 48, 32, expected.begin() + 2 * 80);
    EXPECT_EQ(ReadBytes(Path("into.spr")), expected);

    ASSERT_TRUE(document.LoadPalette(Path("all.pal")));
    ASSERT_TRUE(document.Save());
    std::copy_n(from.begin(), kSprPaletteBytes, expected.begin());
    EXPECT_EQ(ReadBytes(Path("into.spr")), expected);

    // Colours past entry 255 and files that are no palette change nothing.
    EXPECT_EQ(document.ReplaceColors(std::vector<ColorEntry>(16), 250).reason,
              Reason::PalettePastTable);
    EXPECT_EQ(document.LoadPalette(Write("junk.pal", Bytes(7, 'x'))).message,
              Message::LoadPaletteFailed);
    EXPECT_FALSE(document.IsModified());

    // A truecolour picture takes colours for Reduce Colours to fit it into,
    // but has no colour table of its own to save.
    WriteTrueColourBmp(Path("photo.bmp"), 3, 2);
    ASSERT_TRUE(document.ImportAsNew(Path("photo.bmp"), SpriteLayout::Spr, CTrailingBlock()));
    ASSERT_TRUE(document.ReplaceColors({{8, 16, 24, 255}}, 16));
    EXPECT_EQ(document.UndoKind(), EditKind::LoadPalette);
    EXPECT_EQ(document.Source()->GetColor(16)->blue, 24);
    EXPECT_EQ(FullText(document.SavePalette(Path("p.gpl"), PaletteFormat::Gimp, std::nullopt)),
              "Error: Could not save palette file. (a 24-bit picture has no colour table)");
    EXPECT_FALSE(std::filesystem::exists(Path("p.gpl")));
}

TEST_F(Document, CommandsWithoutASheetDoNothing)
{
    EXPECT_TRUE(document.Import(Path("none.bmp")) && document.Save() &&
                document.SaveAs(Path("a.spr")) && document.Export(Path("a.bmp")) &&
                document.ExportPaletteRow(Path("b.bmp"), 2));
    document.ChoosePaletteRow(4);
    EXPECT_EQ(State(), "0x0x0 tail 0 SPR name '' row 0");
    EXPECT_EQ(FileCount(folder.Root()), 0u);
}

} // namespace
