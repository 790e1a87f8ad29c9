#include "SpriteFileTestFiles.h"

#include "doc/SpriteDocument.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

namespace
{

// An SPR file whose colour words keep bit 15 clear, so a save gives it back
// byte for byte.
Bytes SprFile(std::uint32_t seed, std::size_t trailing)
{
    Bytes bytes = RandomBytes(seed, 37376 + trailing);
    for (std::size_t i = 1; i < 512; i += 2)
        bytes[i] &= 0x7F;
    return bytes;
}

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
    const Bytes spr = SprFile(1, 100);
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

TEST_F(Document, AnSprBlockThatCannotBeReadLeavesTheSheetOpenWithoutIt)
{
    // Beyond 2 GiB the block cannot be measured; the file is sparse.
    const std::string huge = Write("huge.spr", SprFile(3, 10));
    std::filesystem::resize_file(huge, (std::uintmax_t(1) << 31) + 4096);
    EXPECT_EQ(FullText(document.Open(huge).result),
              "Error: Unable to read sprite data. (the file is too large to measure (over 2 GiB))");
    EXPECT_EQ(State(), "256x288x8 tail 0 SPR name '' row 0");
    // A program that will not write SPR need not read it at all.
    EXPECT_TRUE(document.Open(huge, TrailingBlockUse::Skip).result);
}

TEST_F(Document, ImportKeepsNameLayoutAndBlockAndSaveWritesTheLayoutOpenedLast)
{
    const Bytes spr = SprFile(4, 50);
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

    // After an SP2 file the same picture is saved bare, its colours dropped.
    const Bytes sp2 = RandomBytes(5, 32768);
    ASSERT_TRUE(document.Open(Write("grey.sp2", sp2)).result);
    ASSERT_TRUE(document.Import(Path("sheet.bmp")));
    EXPECT_EQ(document.Save().message, Message::NoFileName);
    ASSERT_TRUE(document.SaveAs(Path("out.spr")));
    EXPECT_EQ(ReadBytes(Path("out.spr")), Bytes(spr.begin() + 512, spr.begin() + 512 + 32768));
}

TEST_F(Document, FailedSavesKeepTheNameAndTheChangesAndSayWhy)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", SprFile(6, 0))).result);
    CSpriteImage rgb;
    ASSERT_TRUE(FillRandom(rgb, 3, 2, 24, 1));
    ASSERT_TRUE(rgb.SaveBMP(Path("rgb.bmp").c_str()));
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
    ASSERT_TRUE(document.Open(Write("sheet.spr", SprFile(7, 0))).result);
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
    CSpriteImage shown;
    ASSERT_TRUE(shown.LoadBMP(Path("row.bmp").c_str()));
    EXPECT_EQ(*shown.GetColor(3), *document.Display()->GetColor(3));
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
