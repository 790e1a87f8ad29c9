#include "BmpFiles.h"
#include "SpriteFileTestFiles.h"

#include "doc/SpriteDocument.h"
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

TEST_F(Document, OpenTakesTheLayoutFromTheNameAndForgetsEverythingFirst)
{
    const Bytes spr = RandomSpr(1, 100);
    const OpenOutcome opened = document.Open(Write("a.spr", spr));
    EXPECT_TRUE(opened.result.Ok() && !opened.showSp2Note);
    EXPECT_EQ(State(), "256x288x8 tail 100 SPR name '' row 0");

    // SP2: the grey ramp, no block, and a note for the user.
    ASSERT_TRUE(document.SaveAs(Path("named.spr")));
    const OpenOutcome sp2 = document.Open(Write("b.Sp2", RandomBytes(2, 40000)));
    EXPECT_TRUE(sp2.result.Ok() && sp2.showSp2Note);
    EXPECT_EQ(State(), "256x256x8 tail 0 SP2 name '' row 0");
    EXPECT_EQ(document.Display()->GetColor(15)->red, 240);

    // A failed Open leaves nothing, not even the name; the reason says why.
    document.ChoosePaletteRow(3);
    ASSERT_TRUE(document.SaveAs(Path("named.sp2")));
    const std::tuple<std::string, const char*> failures[] = {
        {Path("missing.spr"), "Error: Could not load SPR file. (No such file or directory)"},
        {Path("missing.SP2"), "Error: Could not load SP2 file. (No such file or directory)"},
        {folder.Root().string(), "Error: Could not load SPR file. (not a regular file)"},
    };
    for (const auto& [path, text] : failures)
    {
        ASSERT_TRUE(document.Open(Write("c.spr", spr)).result);
        ASSERT_TRUE(document.SaveAs(Path("kept.spr")));
        EXPECT_EQ(FullText(document.Open(path).result), text);
        EXPECT_FALSE(document.HasSheet());
        EXPECT_EQ(State(), "0x0x0 tail 0 SPR name '' row 0");
    }
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
    // A source changed since is refused, not copied.
    Write("a.spr", RandomSpr(9, 200001));
    EXPECT_EQ(FullText(document.SaveAs(Path("b.spr"))),
              "Error: Could not write sprite file. (the file the bytes after the sheet are copied "
              "from has changed since it was opened)");
    EXPECT_FALSE(std::filesystem::exists(Path("b.spr")));

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
    EXPECT_EQ(ReadBytes(Path("c.spr")), spr);
    EXPECT_TRUE(document.SaveAs(Path("elsewhere.spr")));
}

// A folder that takes no new file makes a save write its file in place,
// which would destroy a block still to be copied out of that very file.
TEST_F(Document, ABlockKeptInItsFileIsNeverOverwrittenInPlace)
{
    document.SetTrailingBlockReader([](const char* path, CTrailingBlock& block)
                                    { return CTrailingBlock::Read(path, block, 8); });
    std::filesystem::create_directory(Path("locked"));
    const Bytes spr = RandomSpr(8, 5000);
    ASSERT_TRUE(document.Open(Write("locked/a.spr", spr)).result);
    const int folder = open(Path("locked").c_str(), O_RDONLY | O_DIRECTORY);
    int flags = FS_APPEND_FL;
    const bool appendOnly = ioctl(folder, FS_IOC_SETFLAGS, &flags) == 0;
    const std::string saved = appendOnly ? FullText(document.SaveAs(Path("locked/a.spr"))) : "";
    flags = 0;
    ioctl(folder, FS_IOC_SETFLAGS, &flags);
    close(folder);
    if (!appendOnly)
        GTEST_SKIP() << "cannot make a folder append-only here";
    EXPECT_EQ(saved, "Error: Could not create sprite file. (the folder takes no new file, and "
                     "rewriting this file in place would destroy the bytes after the sheet "
                     "before they are copied)");
    EXPECT_EQ(ReadBytes(Path("locked/a.spr")), spr);
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
    EXPECT_EQ(State(), "256x288x8 tail 50 SPR name 'copy.spr' row 0 modified");
    // The picture goes back as the SPR file it came from, block and all.
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(ReadBytes(Path("copy.spr")), spr);
    EXPECT_FALSE(document.IsModified());

    // Save As writes the layout of the new name, as Open reads it.
    const Bytes sp2 = RandomBytes(5, 32768);
    const std::tuple<std::string, std::string, std::size_t> saves[] = {
        {Write("grey.sp2", sp2), "out.spr", 37376},
        {Path("sheet.spr"), "out.SP2", 32768},
    };
    for (const auto& [opened, saved, size] : saves)
    {
        ASSERT_TRUE(document.Open(opened).result);
        ASSERT_TRUE(document.SaveAs(Path(saved), nullptr, LossySave::Accept));
        EXPECT_EQ(std::filesystem::file_size(Path(saved)), size) << saved;
        EXPECT_EQ(document.Layout(), ChooseSpriteLayout(saved.c_str()));
    }
    ASSERT_TRUE(document.Open(Path("grey.sp2")).result);
    ASSERT_TRUE(document.Import(Path("sheet.bmp")));
    EXPECT_EQ(document.Save().message, Message::NoFileName);
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
    const std::tuple<std::string, std::string, const char*> cases[] = {
        {bmp("purple.bmp", 256, 288, 200), "a.spr",
         "Saving as SPR changes the picture: 73,728 pixels use colour entries above 15 and would "
         "become entry mod 16."},
        {bmp("wide.bmp", 320, 200, 1), "b.spr",
         "Saving as SPR changes the picture: 64 columns beyond 256 are cut; 88 transparent rows "
         "are added to make 288."},
        {bmp("tall.bmp", 256, 288, 1), "c.sp2",
         "Saving as SP2 changes the picture: 32 rows beyond 256 are cut."},
        {bmp("one.bmp", 255, 288, 16), "d.spr",
         "Saving as SPR changes the picture: 73,440 pixels use colour entries above 15 and would "
         "become entry mod 16; 1 transparent column is added to make 256."},
        {bmp("exact.bmp", 256, 288, 15), "e.spr", ""},
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
        EXPECT_EQ(std::filesystem::exists(Path(name)), !*text);
        ASSERT_TRUE(document.Save(nullptr, LossySave::Accept));
    }
    // Entry 200 comes back as 200 mod 16.
    ASSERT_TRUE(document.Open(Path("a.spr")).result);
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
        ASSERT_TRUE(document.SaveAs(Path("sheet.spr")));
        const Bytes saved = ReadBytes(Path("sheet.spr"));
        EXPECT_EQ(Bytes(saved.begin() + 32, saved.begin() + 512),
                  Bytes(spr.begin() + 32, spr.begin() + 512))
            << bits;
        ASSERT_TRUE(document.ImportAsNew(picture, SpriteLayout::Spr, CTrailingBlock()));
        EXPECT_EQ(document.Source()->GetColor(16)->green, 0);
    }
}

TEST_F(Document, FailedSavesKeepTheNameAndTheChangesAndSayWhy)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(6, 0))).result);
    WriteTrueColourBmp(Path("rgb.bmp"), 3, 2);
    ASSERT_TRUE(document.Import(Path("rgb.bmp")));
    EXPECT_EQ(FullText(document.SaveAs(Path("a.spr"))),
              "Error: Only 8-bit images can be saved as sprite files. (24-bit picture: only "
              "8-bit pictures become sheets)");
    EXPECT_EQ(State(), "3x2x24 tail 0 SPR name 'a.spr' row 0 modified");
    EXPECT_FALSE(std::filesystem::exists(Path("a.spr")));

    ASSERT_TRUE(document.Open(Path("sheet.spr")).result);
    ASSERT_TRUE(document.Export(Path("sheet.bmp")) && document.Import(Path("sheet.bmp")));
    const std::tuple<std::string, const char*> writes[] = {
        {Path("no/such/folder.spr"),
         "Error: Could not create sprite file. (No such file or directory)"},
        {"/dev/full", "Error: Could not write sprite file. (No space left on device)"},
    };
    for (const auto& [path, text] : writes)
    {
        EXPECT_EQ(FullText(document.SaveAs(path)), text);
        EXPECT_TRUE(document.IsModified());
    }
    EXPECT_EQ(FullText(document.Export("/dev/full")),
              "Could not export to BMP file. (No space left on device)");
}

TEST_F(Document, ExportWritesTheWholeTableAndAPaletteRowWhatThatRowShows)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(7, 0))).result);
    document.ChoosePaletteRow(9);
    ASSERT_TRUE(document.Export(Path("all.bmp")) && document.ExportPaletteRow(Path("row.bmp"), 9));
    const Bytes all = ReadBytes(Path("all.bmp"));
    const Bytes row = ReadBytes(Path("row.bmp"));
    // Entry i of the BMP palette sits at 54 + 4 i.
    const auto entry = [](const Bytes& bmp, int i)
    { return Bytes(&bmp[54 + 4 * i], &bmp[58 + 4 * i]); };
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(entry(row, i), entry(all, 144 + i)) << i;
        EXPECT_NE(entry(all, i), entry(all, 144 + i)) << i;
    }
    EXPECT_EQ(Bytes(all.begin() + 54 + 64, all.end()), Bytes(row.begin() + 54 + 64, row.end()));
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

// A palette row puts source colours 16 row to 16 row + 15 in display
// entries 0 to 15 and leaves the rest; a true-colour picture has none.
TEST_F(Document, APaletteRowShowsItsSixteenColoursOnly)
{
    CSpriteImage picture;
    ASSERT_TRUE(FillRandom(picture, 4, 4, 8, 2, 40));
    ASSERT_TRUE(picture.SaveBMP(Path("p.bmp").c_str()));
    ASSERT_TRUE(document.ImportAsNew(Path("p.bmp"), SpriteLayout::Spr, CTrailingBlock()));
    const CSpriteImage& source = *document.Source();
    document.ChoosePaletteRow(1);
    for (std::int32_t i = 0; i < 40; ++i)
        EXPECT_EQ(*document.Display()->GetColor(i), *source.GetColor(i < 16 ? 16 + i : i)) << i;

    ASSERT_TRUE(FillRandom(picture, 4, 4, 24, 3));
    ASSERT_TRUE(picture.SaveBMP(Path("rgb.bmp").c_str()));
    ASSERT_TRUE(document.Import(Path("rgb.bmp")));
    document.ChoosePaletteRow(2);
    EXPECT_EQ(document.Display()->m_colorTable.GetSize(), 0);
}

} // namespace
