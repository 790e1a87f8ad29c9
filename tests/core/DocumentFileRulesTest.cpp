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

TEST_F(DocumentFiles, OpenReplacesTheSheetOnlyWithWhatItReadAndSaveWritesTheFileOpened)
{
    ASSERT_TRUE(document.Open(Write("hero.spr", RandomSpr(1, 40))).result);
    ASSERT_TRUE(document.ReplaceColors({{8, 8, 8, 255}}, 5));
    const Bytes edited = Saved();
    ASSERT_EQ(mkfifo(Path("fifo.spr").c_str(), 0600), 0);
    std::filesystem::create_directory(Path("folder.spr"));
    Write("junk.png", Bytes(50, 'x'));
    for (const char* name : {"missing.spr", "fifo.spr", "folder.spr", "junk.png"})
    {
        const OpenOutcome failed = document.Open(Path(name));
        EXPECT_FALSE(failed.result.Ok() || failed.opened) << name;
        EXPECT_EQ(Saved(), edited) << name;
        EXPECT_TRUE(document.IsModified() && document.CanUndo()) << name;
    }
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(ReadBytes(Path("hero.spr")), edited);

    // A picture's name opens as a new, unnamed sheet of the picture.
    ASSERT_TRUE(document.Export(Path("hero.png")));
    EXPECT_TRUE(document.Open(Path("hero.png")).opened);
    EXPECT_TRUE(document.FileName().empty() && document.IsModified());
    EXPECT_EQ(Saved(), Bytes(edited.begin(), edited.begin() + kSprSheetBytes));
}

// Colours enter rounded; a picture keeps its own until a save lists them.
// After any save the sheet is what its file holds, and Undo brings back
// what the file lost.
TEST_F(DocumentFiles, ColoursEnterRoundedAndASaveLeavesTheSheetAsItsFileNowIs)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(2, 100))).result);
    std::int32_t rounded = -1;
    std::ofstream(Path("p.gpl")) << "GIMP Palette\n16 239 40\n16 232 40\n";
    ASSERT_TRUE(document.LoadPalette(Path("p.gpl"), &rounded));
    EXPECT_EQ(rounded, 1);
    EXPECT_EQ(*document.Display()->GetColor(0), (ColorEntry{16, 232, 40, 255}));
    const Bytes before = Saved();
    EXPECT_EQ(SaveLossText(document.LossesOfSaveAs(Path("out.sp2"))),
              "Saving as SP2 changes the picture: 32 rows beyond 256 are cut; 100 bytes after "
              "the sheet are dropped; the colour table is dropped (an SP2 file keeps none and "
              "shows a grey ramp).");
    ASSERT_TRUE(document.SaveAs(Path("out.sp2"), nullptr, LossySave::Accept));
    EXPECT_EQ(Saved(), ReadBytes(Path("out.sp2")));
    EXPECT_FALSE(document.IsModified() || document.LossesOfSave().Any());
    document.Undo();
    EXPECT_TRUE(document.IsModified()) << "the file holds none of what came back";
    ASSERT_TRUE(document.SaveAs(Path("back.spr")));
    EXPECT_EQ(ReadBytes(Path("back.spr")), before);

    CSpriteImage picture;
    ASSERT_TRUE(FillRandom(picture, 256, 288, 8, 3));
    std::fill_n(picture.GetPixels(), picture.GetPixelBytes(), 1);
    ASSERT_TRUE(SavePngFile(picture, Path("picture.png").c_str(), {}));
    ASSERT_TRUE(document.Import(Path("picture.png")));
    const std::int32_t changed = document.LossesOfSave().colorsChanged;
    EXPECT_EQ(SaveLossText(document.LossesOfSave()),
              "Saving as SPR changes the picture: " + std::to_string(changed) +
                  " colours are rounded to 15-bit colour words.");
    ASSERT_TRUE(document.Save(nullptr, LossySave::Accept));
    EXPECT_FALSE(document.LossesOfSave().Any());
}

// An editor that saves the file again merges a colour row 0 holds twice:
// each pixel keeps its entry. Where nothing tells the two apart, the
// colour is refused as ambiguous.
TEST_F(DocumentFiles, EditsAndImportsKeepEachPixelsEntryOfARepeatedColour)
{
    Bytes spr = RandomSpr(21);
    for (const int at : {6, 14})
        std::copy_n("\x21\x04", 2, spr.begin() + at); // entries 3 and 7: #080808
    for (std::size_t at = kSprPaletteBytes; at < spr.size(); ++at)
        spr[at] = std::uint8_t((at - kSprPaletteBytes) % kSheetRowBytes / 8 * 0x11);
    ASSERT_TRUE(document.Open(Write("sheet.spr", spr)).result);
    const std::string png = Path("edit.png");
    ASSERT_TRUE(document.WriteForEditing(png) && RunConvert(png + " " + png));
    ASSERT_TRUE(document.BringBackEdited(png));
    EXPECT_FALSE(document.IsModified());
    ImportMatch match;
    ASSERT_TRUE(document.PrepareImport(png, match));
    EXPECT_EQ(match.fit, ImportFit::MapsOntoSheet);
    document.FinishImport(true);
    EXPECT_EQ(Saved(), spr);

    ASSERT_TRUE(RunPython(folder, "im = Image.open('" + png + "').convert('RGB')\n" +
                                      "im.putpixel((80, 2), (8, 8, 8))\nim.save('" + png + "')"));
    EXPECT_EQ(FullText(document.BringBackEdited(png)),
              "Error: The edited picture uses a colour that is ambiguous in the sheet's palette. "
              "(colour #080808 at pixel (80, 2) is in more than one of the palette's entries)");
}

TEST_F(DocumentFiles, AFileLostOnDiskIsAChangeThatItsReturnLosesNothingOf)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(5))).result);
    document.MarkUnsaved();
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.DecideOutsideChange(), OutsideChange::Reload);
    ASSERT_TRUE(document.ReplaceColors({{8, 8, 8, 255}}, 5));
    EXPECT_EQ(document.DecideOutsideChange(), OutsideChange::Ask);
    document.Undo();
    EXPECT_TRUE(document.IsModified());

    // A picture still being written ends early: the window waits for it.
    ASSERT_TRUE(document.WriteForEditing(Path("edit.png")));
    Bytes half = ReadBytes(Path("edit.png"));
    half.resize(half.size() / 2);
    EXPECT_EQ(document.BringBackEdited(Write("edit.png", half)).reason, Reason::EndedEarly);
}

// Counts the reports and stops the job at the one numbered stopAt.
struct CountingProgress : IProgress
{
    int reports = 0;
    int stopAt = 0;
    std::int64_t done = 0;
    bool Advance(std::int64_t now, std::int64_t total) override
    {
        EXPECT_TRUE(now > done && now <= total);
        done = now;
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
    CountingProgress progress;
    progress.stopAt = 3;
    document.SetProgress(&progress);
    EXPECT_EQ(document.SaveAs(Write("other.spr", other)).reason, Reason::Cancelled);
    EXPECT_EQ(ReadBytes(Path("other.spr")), other);
    EXPECT_EQ(FileCount(folder.Root()), 2u) << "no half-written file is left";

    progress = CountingProgress();
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(progress.reports, 16) << "one report per 64 KiB copied";
    EXPECT_EQ(ReadBytes(Path("other.spr")), spr);
}

} // namespace
