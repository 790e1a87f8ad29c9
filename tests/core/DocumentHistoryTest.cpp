// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpFiles.h"
#include "SpriteFileTestFiles.h"

#include "document/SpriteDocument.h"
#include "formats/PngFile.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

// Writes down what the document tells, one word a notification.
class Recorder : public IDocumentObserver
{
public:
    std::string Take() { return std::exchange(m_told, {}); }

private:
    void Add(const std::string& what) { m_told += (m_told.empty() ? "" : " ") + what; }
    void OnSheetReplaced(Replacement why) override
    {
        Add(why == Replacement::NewSheet ? "new-sheet" : "sheet");
    }
    void OnPixelsChanged(const SheetRect& a) override
    {
        Add("pixels(" + std::to_string(a.x) + "," + std::to_string(a.y) + " " +
            std::to_string(a.width) + "x" + std::to_string(a.height) + ")");
    }
    void OnColorsChanged(std::int32_t first, std::int32_t last) override
    {
        Add("colours(" + std::to_string(first) + "-" + std::to_string(last) + ")");
    }
    void OnPaletteRowChanged(std::int32_t row) override { Add("row" + std::to_string(row)); }
    void OnNameChanged() override { Add("name"); }
    void OnLayoutChanged() override { Add("layout"); }
    void OnModifiedChanged(bool modified) override { Add(modified ? "modified" : "clean"); }
    void OnSaved() override { Add("saved"); }
    void OnHistoryChanged() override { Add("history"); }

    std::string m_told;
};

class History : public ::testing::Test
{
protected:
    History() { document.AddObserver(&told); }
    ~History() override { document.RemoveObserver(&told); }

    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        WriteBytes(folder.Path(name), bytes);
        return folder.Path(name);
    }
    // The bytes a Save would write now.
    Bytes Saved()
    {
        const std::string path = folder.Path("probe.spr");
        EXPECT_TRUE(SaveSpriteFile(*document.Source(), path.c_str(), document.Layout(),
                                   &document.TrailingBlock()));
        return ReadBytes(path);
    }
    // A BMP of the sheet's size whose pixels all hold index.
    std::string Picture(const std::string& name, std::uint32_t index) const
    {
        const BmpRows rows(288, std::vector<std::uint32_t>(256, index));
        const auto bmp = BuildBmp(IndexedBmp(rows, 8, 16));
        return Write(name, Bytes(bmp.begin(), bmp.end()));
    }

    TempFolder folder;
    CSpriteDocument document;
    Recorder told;
};

// Each command's step undoes to the bytes a Save wrote before it and redoes
// to those after it; the unsaved state follows where the history stands.
TEST_F(History, EveryStepUndoesAndRedoesToTheBytesSaveWrites)
{
    const std::string sheet = Write("sheet.spr", RandomSpr(1, 300));
    ASSERT_TRUE(document.Open(sheet).result);
    ASSERT_TRUE(document.SaveAs(folder.Path("named.spr")));
    const std::string gimp = Write("row.gpl", {'G', 'I', 'M', 'P', ' ', 'P', 'a', 'l', 'e', 't',
                                               't', 'e', '\n', '8', ' ', '1', '6', ' ', '2',
                                               '4', '\n'});
    // An editor's save that changed one pixel.
    const auto edit = [&]
    {
        const std::string png = folder.Path("edit.png");
        CSpriteImage edited;
        if (!document.WriteForEditing(png) || !LoadPngFile(png.c_str(), edited))
            return Failure(Reason::EndedEarly);
        edited.GetPixels()[300] ^= 1;
        if (Result saved = SavePngFile(edited, png.c_str(), PngWriteOptions{}); !saved)
            return saved;
        return document.BringBackEdited(png);
    };
    struct Command
    {
        const char* name;
        std::function<Result()> run;
        // Undoing a reload goes back to what the file no longer holds.
        bool changedOnDisk = false;
    };
    const Command commands[] = {
        {"Import", [&] { return document.Import(Picture("p.bmp", 7)); }},
        {"Load Palette", [&] { document.ChoosePaletteRow(2); return document.LoadPalette(gimp); }},
        {"Edit Externally", edit},
        {"Revert", [&] { return document.Revert(); }},
        {"Reload", [&] { Write("named.spr", RandomSpr(2, 10)); return document.Reload(); }, true},
    };
    for (const Command& command : commands)
    {
        const Bytes before = Saved();
        const bool wasModified = document.IsModified();
        ASSERT_TRUE(command.run()) << command.name;
        ASSERT_EQ(EditKindText(*document.UndoKind()), std::string(command.name));
        const Bytes after = Saved();
        const bool nowModified = document.IsModified();
        EXPECT_NE(after, before) << command.name;

        document.Undo();
        EXPECT_EQ(Saved(), before) << command.name;
        EXPECT_EQ(document.IsModified(), wasModified || command.changedOnDisk) << command.name;
        EXPECT_EQ(EditKindText(*document.RedoKind()), std::string(command.name));
        document.Redo();
        EXPECT_EQ(Saved(), after) << command.name;
        EXPECT_EQ(document.IsModified(), nowModified) << command.name;
    }
    // Revert and Reload leave the sheet as its file holds it: no changes.
    EXPECT_FALSE(document.IsModified());
}

TEST_F(History, TheCleanPointFollowsSavesAndUndoingPastItMarksChanges)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(3, 0))).result);
    EXPECT_FALSE(document.CanUndo());
    ASSERT_TRUE(document.Import(Picture("a.bmp", 1)));
    // The picture's colours are rounded as it is saved: one more step.
    ASSERT_TRUE(document.SaveAs(folder.Path("saved.spr"), nullptr, LossySave::Accept));
    ASSERT_TRUE(document.Import(Picture("b.bmp", 2)));
    EXPECT_TRUE(document.IsModified());
    document.Undo();
    EXPECT_FALSE(document.IsModified()) << "back at what was saved";
    document.Undo();
    EXPECT_TRUE(document.IsModified()) << "undone past the save";
    document.Redo();
    EXPECT_FALSE(document.IsModified());

    // A new step after an undo drops the redo, and the clean point with it.
    document.Undo();
    ASSERT_TRUE(document.Import(Picture("c.bmp", 3)));
    EXPECT_FALSE(document.CanRedo());
    document.Undo();
    document.Redo();
    EXPECT_TRUE(document.IsModified());

    // A file deleted on disk holds nothing the history can reach.
    ASSERT_TRUE(document.Save(nullptr, LossySave::Accept));
    document.MarkUnsaved();
    EXPECT_TRUE(document.IsModified());

    // Open starts a new history; a converter keeps none, yet has changes to save.
    ASSERT_TRUE(document.Open(folder.Path("saved.spr")).result);
    EXPECT_FALSE(document.CanUndo() || document.CanRedo() || document.IsModified());
    document.SetHistoryLimit(0);
    ASSERT_TRUE(document.Import(Picture("d.bmp", 4)));
    EXPECT_FALSE(document.CanUndo());
    EXPECT_TRUE(document.IsModified());
}

TEST_F(History, PastItsMemoryLimitTheOldestStepsGoFirst)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(4, 0))).result);
    // Each import holds the 73,728 pixels it replaced, and a table.
    document.SetHistoryLimit(2 * 80000);
    for (std::uint32_t index = 1; index <= 5; ++index)
        ASSERT_TRUE(document.Import(Picture("p.bmp", index)));
    EXPECT_EQ(document.History().StepCount(), 2u);
    EXPECT_LE(document.History().Bytes(), 2u * 80000);
    document.Undo();
    document.Undo();
    EXPECT_FALSE(document.CanUndo());
    EXPECT_EQ(document.Source()->GetPixels()[0], 3) << "the third import, the oldest kept";
    // The opened sheet can no longer be reached.
    EXPECT_TRUE(document.IsModified());

    // The newest step is kept whatever its size.
    document.SetHistoryLimit(1);
    ASSERT_TRUE(document.Import(Picture("p.bmp", 6)));
    EXPECT_EQ(document.History().StepCount(), 1u);
    EXPECT_TRUE(document.CanUndo());
}

// What a view needs to follow each command, told once, and nothing it does not.
TEST_F(History, ObserversHearWhatEachCommandChanged)
{
    ASSERT_TRUE(document.Open(Write("sheet.spr", RandomSpr(5, 0))).result);
    EXPECT_EQ(told.Take(), "new-sheet row0 name layout clean history "  // Clear
                           "new-sheet row0 name layout clean history"); // the new sheet
    document.ChoosePaletteRow(4);
    document.ChoosePaletteRow(4);
    EXPECT_EQ(told.Take(), "row4");
    ASSERT_TRUE(document.ReplaceColors({{8, 16, 24, 255}, {32, 40, 48, 255}}, 70));
    EXPECT_EQ(told.Take(), "colours(70-71) modified history");
    EXPECT_EQ(document.Display()->GetColor(6)->red, 8) << "row 4's entry 6 shown";
    document.Undo();
    EXPECT_EQ(told.Take(), "colours(70-71) clean history");
    ASSERT_TRUE(document.Import(Picture("p.bmp", 2)));
    EXPECT_EQ(told.Take(), "sheet modified history row0");
    // The save cut the picture: the sheet becomes what the file holds.
    ASSERT_TRUE(document.SaveAs(folder.Path("other.sp2"), nullptr, LossySave::Accept));
    EXPECT_EQ(told.Take(), "name layout sheet history name saved clean history");

    // An editor that changed one pixel: the step and the notice hold that pixel alone.
    ASSERT_TRUE(document.WriteForEditing(folder.Path("edit.png")));
    CSpriteImage edited;
    ASSERT_TRUE(LoadPngFile(folder.Path("edit.png").c_str(), edited));
    edited.GetPixels()[5 * 256 + 9] = 3;
    ASSERT_TRUE(SavePngFile(edited, folder.Path("edit.png").c_str(), PngWriteOptions{}));
    const std::size_t before = document.History().Bytes();
    ASSERT_TRUE(document.BringBackEdited(folder.Path("edit.png")));
    EXPECT_EQ(told.Take(), "pixels(9,5 1x1) modified history");
    EXPECT_LT(document.History().Bytes() - before, 1024u) << "a one-pixel step is small";
    EXPECT_EQ(document.Display()->GetPixels()[5 * 256 + 9], 3);
}

} // namespace
