// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureTools.h"

#include "document/SpriteDocument.h"
#include "formats/PngFile.h"
#include "io/Progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace
{

// A sheet whose row 0 holds colour word 0x0421 at entries 3 and 7, as game
// palettes often repeat a colour; pixel x shows index x / 16.
Bytes SheetWithRepeatedColour()
{
    Bytes spr = RandomSpr(21);
    for (const int entry : {3, 7})
    {
        spr[2 * entry] = 0x21;
        spr[2 * entry + 1] = 0x04;
    }
    for (std::size_t at = kSprPaletteBytes; at < std::size_t(kSprSheetBytes); ++at)
    {
        const std::size_t x = (at - kSprPaletteBytes) % kSheetRowBytes * 2;
        spr[at] = PackPixelPair(std::uint8_t(x / 16), std::uint8_t((x + 1) / 16));
    }
    return spr;
}

class DocumentFiles : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const { return folder.Path(name); }
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
    // The bytes a Save would write now.
    Bytes Saved()
    {
        EXPECT_TRUE(SaveSpriteFile(*document.Source(), Path("probe").c_str(), document.Layout(),
                                   &document.TrailingBlock()));
        return ReadBytes(Path("probe"));
    }

    TempFolder folder;
    CSpriteDocument document;
};

TEST_F(DocumentFiles, OpenReadsFirstSaveWritesTheFileOpenedAndPicturesBecomeNewSheets)
{
    const Bytes spr = RandomSpr(1, 40);
    ASSERT_TRUE(document.Open(Write("hero.spr", spr)).result);
    ASSERT_TRUE(document.ReplaceColors({{8, 8, 8, 255}}, 5));
    const Bytes edited = Saved();
    // Nothing that cannot be read replaces the sheet, its name or its history.
    ASSERT_EQ(mkfifo(Path("fifo.spr").c_str(), 0600), 0);
    std::filesystem::create_directory(Path("folder.spr"));
    for (const char* name : {"missing.spr", "fifo.spr", "folder.spr", "junk.png"})
    {
        Write("junk.png", Bytes(50, 'x'));
        const OpenOutcome failed = document.Open(Path(name));
        EXPECT_FALSE(failed.result.Ok() || failed.opened) << name;
        EXPECT_EQ(Saved(), edited) << name;
        EXPECT_EQ(document.FileName(), Path("hero.spr"));
        EXPECT_TRUE(document.IsModified() && document.CanUndo()) << name;
    }
    // Save writes the file the sheet was opened from, without asking a name.
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(ReadBytes(Path("hero.spr")), edited);

    // A picture's name opens as a new, unnamed sheet of the picture.
    ASSERT_TRUE(document.Export(Path("hero.png")));
    const OpenOutcome picture = document.Open(Path("hero.png"));
    EXPECT_TRUE(picture.result.Ok() && picture.opened);
    EXPECT_EQ(document.FileName(), "");
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.Save().message, Message::NoFileName);
}

TEST_F(DocumentFiles, ColoursEnterRoundedAndAPictureKeepsItsOwnUntilSaveListsThem)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(2))).result);
    std::int32_t rounded = -1;
    const std::string gpl = Path("p.gpl");
    std::ofstream(gpl) << "GIMP Palette\n16 239 40\n16 232 40\n";
    ASSERT_TRUE(document.LoadPalette(gpl, &rounded));
    EXPECT_EQ(rounded, 1);
    for (const int entry : {0, 1})
    {
        const ColorEntry shown = *document.Display()->GetColor(entry);
        EXPECT_EQ((std::array{shown.red, shown.green, shown.blue}),
                  (std::array<std::uint8_t, 3>{16, 232, 40}));
    }
    EXPECT_EQ(document.LossesOfSave().colorsChanged, 0);

    // A picture comes in with its own colours; Save lists and then rounds them.
    CSpriteImage picture;
    ASSERT_TRUE(FillRandom(picture, 256, 288, 8, 3));
    for (int i = 0; i < picture.GetPixelBytes(); ++i)
        picture.GetPixels()[i] &= 0x0F;
    ASSERT_TRUE(SavePngFile(picture, Path("picture.png").c_str(), {}));
    ASSERT_TRUE(document.Import(Path("picture.png")));
    const SaveLosses losses = document.LossesOfSave();
    EXPECT_GT(losses.colorsChanged, 200);
    EXPECT_EQ(SaveLossText(losses),
              "Saving as SPR changes the picture: " + std::to_string(losses.colorsChanged) +
                  " colours are rounded to 15-bit colour words.");
    EXPECT_EQ(document.Save().reason, Reason::PictureChanged);
    ASSERT_TRUE(document.Save(nullptr, LossySave::Accept));
    EXPECT_EQ(document.LossesOfSave().colorsChanged, 0) << "the sheet is what was written";
}

// SPR to SP2 loses rows, the trailing block and the colour table; afterwards
// the sheet is what the file holds, and Undo brings back what it lost.
TEST_F(DocumentFiles, ASaveListsEveryLossAndLeavesTheSheetAsTheFileNowIs)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(4, 100))).result);
    const Bytes before = Saved();
    EXPECT_EQ(SaveLossText(document.LossesOfSaveAs(Path("out.sp2"))),
              "Saving as SP2 changes the picture: 32 rows beyond 256 are cut; 100 bytes after "
              "the sheet are dropped; the colour table is dropped (an SP2 file keeps none and "
              "shows a grey ramp).");
    ASSERT_TRUE(document.SaveAs(Path("out.sp2"), nullptr, LossySave::Accept));
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(EditKindText(*document.UndoKind()), std::string("Save"));
    EXPECT_EQ(Saved(), ReadBytes(Path("out.sp2")));
    EXPECT_EQ(document.Height(), 256);
    EXPECT_EQ(document.TrailingBlock().Size(), 0);
    EXPECT_FALSE(document.LossesOfSave().Any());

    document.Undo();
    EXPECT_TRUE(document.IsModified()) << "the file holds none of what came back";
    EXPECT_EQ(document.Height(), 288);
    EXPECT_EQ(document.TrailingBlock().Size(), 100);
    ASSERT_TRUE(document.SaveAs(Path("back.spr")));
    EXPECT_EQ(ReadBytes(Path("back.spr")), before);
    EXPECT_FALSE(document.CanUndo()) << "a save that lost nothing is no step";
}

// An editor that only saves the file again merges the repeated colour of
// row 0; each pixel keeps the entry it had. A colour with nothing to tell its
// entries apart is refused as ambiguous.
TEST_F(DocumentFiles, EditedPicturesAndImportsKeepEachPixelsEntryOfARepeatedColour)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", SheetWithRepeatedColour())).result);
    const Bytes sheet = Saved();
    const std::string png = Path("edit.png");
    ASSERT_TRUE(document.WriteForEditing(png));
    ASSERT_TRUE(RunConvert(png + " " + png));
    ASSERT_TRUE(document.BringBackEdited(png));
    EXPECT_FALSE(document.IsModified()) << "nothing changed";
    ImportMatch match;
    ASSERT_TRUE(document.PrepareImport(png, match));
    EXPECT_EQ(match.fit, ImportFit::MapsOntoSheet);
    document.FinishImport(true);
    EXPECT_EQ(Saved(), sheet) << "mapped back to the same indices";

    // The repeated colour painted where entry 5 was.
    ASSERT_TRUE(RunPython(folder, "im = Image.open('" + png + "').convert('RGB')\n" +
                                      "im.putpixel((80, 2), im.getpixel((48, 0)))\n" + "im.save('" +
                                      png + "')"));
    const Result ambiguous = document.BringBackEdited(png);
    EXPECT_EQ(FullText(ambiguous),
              "Error: The edited picture uses a colour that is ambiguous in the sheet's palette. "
              "(colour #080808 at pixel (80, 2) is in more than one of the palette's entries)");
    EXPECT_EQ(Saved(), sheet);
}

TEST_F(DocumentFiles, AFileLostOnDiskMarksChangesThatItsReturnDoesNotNeedToAskAbout)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(5))).result);
    document.MarkUnsaved();
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.DecideOutsideChange(), OutsideChange::Reload);
    ASSERT_TRUE(document.ReplaceColors({{8, 8, 8, 255}}, 5));
    document.Undo();
    EXPECT_TRUE(document.IsModified());
    document.Redo();
    EXPECT_EQ(document.DecideOutsideChange(), OutsideChange::Ask);
    ASSERT_TRUE(document.Save());
    EXPECT_FALSE(document.IsModified());

    // A picture still being written ends early: the front end waits for it.
    ASSERT_TRUE(document.WriteForEditing(Path("edit.png")));
    Bytes half = ReadBytes(Path("edit.png"));
    half.resize(half.size() / 2);
    EXPECT_EQ(document.BringBackEdited(Write("edit.png", half)).reason, Reason::EndedEarly);
}

// Stops the job at the report numbered stopAt.
struct StoppingProgress : IProgress
{
    int reports = 0;
    int stopAt = 0;
    std::int64_t lastDone = 0;
    bool Advance(std::int64_t done, std::int64_t total) override
    {
        EXPECT_GT(done, lastDone);
        EXPECT_LE(done, total);
        lastDone = done;
        return ++reports != stopAt;
    }
};

TEST_F(DocumentFiles, ALongSaveTellsItsProgressAndStoppedLeavesTheFileAsItWas)
{
    document.SetTrailingBlockReader([](const char* path, CTrailingBlock& block)
                                    { return CTrailingBlock::Read(path, block, 8); });
    const Bytes spr = RandomSpr(6, 1 << 20);
    ASSERT_TRUE(document.Open(Write("big.spr", spr)).result);
    const Bytes other = RandomSpr(7);
    Write("other.spr", other);
    StoppingProgress progress;
    progress.stopAt = 3;
    document.SetProgress(&progress);
    EXPECT_EQ(document.SaveAs(Path("other.spr")).reason, Reason::Cancelled);
    EXPECT_EQ(ReadBytes(Path("other.spr")), other);
    EXPECT_EQ(FileCount(folder.Root()), 2u) << "no half-written file is left";

    progress = {};
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(progress.reports, 16) << "one report per 64 KiB copied";
    EXPECT_EQ(progress.lastDone, 1 << 20);
    EXPECT_EQ(ReadBytes(Path("other.spr")), spr);
}

} // namespace
