// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureTools.h"
#include "SpriteFileTestFiles.h"

#include "document/SpriteDocument.h"
#include "document/ToolStroke.h"
#include "formats/PngFile.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace
{
using Pixels = std::map<std::pair<int, int>, int>; // (x, y) -> index

// A sheet whose colour words are all different (entry i is word i + 1), with
// a staircase of index 5 where x + y == 12 in the top-left corner.
Bytes StairSheet()
{
    Bytes bytes(kSprSheetBytes, 0);
    for (int i = 0; i < 256; ++i)
        bytes[2 * i] = std::uint8_t(i + 1);
    for (int x = 0; x <= 12; ++x)
    {
        const int y = 12 - x;
        bytes[512 + (y * 256 + x) / 2] |= std::uint8_t(5 << (x % 2 ? 4 : 0));
    }
    return bytes;
}

int PixelIn(const Bytes& spr, int x, int y)
{
    return spr[512 + (y * 256 + x) / 2] >> (x % 2 ? 4 : 0) & 15;
}

// Every pixel of a saved sheet that differs from another's.
Pixels Differences(const Bytes& before, const Bytes& after)
{
    Pixels changed;
    for (int y = 0; y < 288; ++y)
        for (int x = 0; x < 256; ++x)
            if (PixelIn(before, x, y) != PixelIn(after, x, y))
                changed[{x, y}] = PixelIn(after, x, y);
    return changed;
}

class PixelEdits : public ::testing::Test, protected IDocumentObserver
{
protected:
    PixelEdits() { document.AddObserver(this); }
    ~PixelEdits() override { document.RemoveObserver(this); }

    void Open(const Bytes& spr, CSpriteDocument& into)
    {
        const std::string path = folder.Path("sheet" + std::to_string(++files) + ".spr");
        WriteBytes(path, spr);
        ASSERT_TRUE(into.Open(path).result);
    }
    Bytes Saved(const CSpriteDocument& from)
    {
        const std::string path = folder.Path("probe.spr");
        EXPECT_TRUE(
            SaveSpriteFile(*from.Source(), path.c_str(), SpriteLayout::Spr, &from.TrailingBlock()));
        return ReadBytes(path);
    }
    // A press, moves and a release of the tool, with the keys held.
    void Stroke(PixelTool tool, int index, std::vector<SheetPoint> points, ToolKeys keys = {})
    {
        CToolStroke stroke(document, tool, index, points.front(), keys);
        for (std::size_t i = 1; i + 1 < points.size(); ++i)
            stroke.Move(points[i], keys);
        stroke.Release(points.back(), keys);
        picked = stroke.Picked();
    }
    void OnPixelsChanged(const SheetRect& a) override { announced = Union(announced, a); }

    TempFolder folder;
    int files = 0;
    CSpriteDocument document;
    SheetRect announced;
    std::optional<PickedIndex> picked;
};

Pixels Filled(int value, const std::vector<std::pair<int, int>>& at)
{
    Pixels pixels;
    for (const auto& point : at)
        pixels[point] = value;
    return pixels;
}

TEST_F(PixelEdits, EachToolDrawsWhatSaveWrites)
{
    Pixels triangle; // the fill stops at the staircase, which has diagonal gaps only
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x + y < 12; ++x)
            triangle[{x, y}] = 7;
    Pixels diagonal;
    for (int i = 0; i <= 9; ++i)
        diagonal[{20 + i, 20 + i}] = 2;
    struct Case
    {
        const char* name;
        PixelTool tool;
        int index;
        std::vector<SheetPoint> points;
        ToolKeys keys;
        Pixels expected;
        EditKind kind;
    };
    const Case cases[] = {
        {"pencil joins its points",
         PixelTool::Pencil,
         3,
         {{1, 40}, {4, 41}, {4, 41}},
         {},
         Filled(3, {{1, 40}, {2, 40}, {3, 41}, {4, 41}}),
         EditKind::Pencil},
        {"line",
         PixelTool::Line,
         3,
         {{20, 30}, {40, 40}, {23, 31}},
         {},
         Filled(3, {{20, 30}, {21, 30}, {22, 31}, {23, 31}}),
         EditKind::Line},
        {"line with Shift at 45 degrees",
         PixelTool::Line,
         2,
         {{20, 20}, {30, 27}},
         {true, false},
         Pixels(diagonal),
         EditKind::Line},
        {"rectangle",
         PixelTool::Rectangle,
         3,
         {{43, 52}, {40, 50}},
         {},
         Filled(3, {{40, 50},
                    {41, 50},
                    {42, 50},
                    {43, 50},
                    {40, 51},
                    {43, 51},
                    {40, 52},
                    {41, 52},
                    {42, 52},
                    {43, 52}}),
         EditKind::Rectangle},
        {"filled rectangle past the edge",
         PixelTool::FilledRectangle,
         3,
         {{254, 286}, {300, 400}},
         {},
         Filled(3, {{254, 286}, {255, 286}, {254, 287}, {255, 287}}),
         EditKind::Rectangle},
        {"eraser",
         PixelTool::Eraser,
         3,
         {{0, 12}, {1, 11}},
         {},
         Filled(0, {{0, 12}, {1, 11}}),
         EditKind::Eraser},
        {"fill, 4-connected", PixelTool::Fill, 7, {{3, 3}}, {}, triangle, EditKind::Fill},
    };
    for (const Case& test : cases)
    {
        Open(StairSheet(), document);
        const Bytes before = Saved(document);
        Stroke(test.tool, test.index, test.points, test.keys);
        EXPECT_EQ(Differences(before, Saved(document)), test.expected) << test.name;
        EXPECT_EQ(document.UndoKind(), test.kind) << test.name;
        document.Undo();
        EXPECT_EQ(Saved(document), before) << test.name;
    }

    // The picker and Alt with a drawing tool read a pixel and draw nothing.
    Stroke(PixelTool::Picker, 0, {{9, 9}, {3, 9}});
    EXPECT_EQ(picked, (PickedIndex{5, std::nullopt}));
    Stroke(PixelTool::Pencil, 3, {{0, 0}}, {false, true});
    EXPECT_EQ(picked, (PickedIndex{0, std::nullopt}));
    EXPECT_FALSE(document.CanUndo());
}

TEST_F(PixelEdits, AStrokeIsOneStepHoldingOnlyItsRectangle)
{
    Open(RandomSpr(7), document);
    const Bytes opened = Saved(document);
    // A line dragged far and brought back keeps only the last figure's rectangle.
    const std::size_t held = document.History().Bytes();
    announced = {};
    Stroke(PixelTool::Line, 9, {{100, 100}, {200, 250}, {103, 101}});
    const Bytes drawn = Saved(document);
    EXPECT_EQ(announced, (SheetRect{100, 100, 101, 151})) << "every preview was announced";
    EXPECT_LE(document.History().Bytes() - held, 4u * 2 + 256) << "a step of 8 pixels";

    announced = {};
    document.Undo();
    EXPECT_EQ(Saved(document), opened);
    // The step traded exactly the line's rectangle, within which only changed pixels count.
    const Pixels line = Differences(opened, drawn);
    ASSERT_FALSE(line.empty());
    int left = 255, right = 0, top = 287, bottom = 0;
    for (const auto& [at, value] : line)
    {
        left = std::min(left, at.first);
        right = std::max(right, at.first);
        top = std::min(top, at.second);
        bottom = std::max(bottom, at.second);
    }
    EXPECT_EQ(announced, (SheetRect{left, top, right - left + 1, bottom - top + 1}));
    document.Redo();
    EXPECT_EQ(Saved(document), drawn);

    // A stroke over pixels that already hold its index leaves no step; Escape's cancel none either.
    const int index = PixelIn(drawn, 50, 60);
    Stroke(PixelTool::Pencil, index, {{50, 60}});
    EXPECT_EQ(document.UndoKind(), EditKind::Line);
    CToolStroke cancelled(document, PixelTool::FilledRectangle, 1, {0, 0}, {});
    cancelled.Move({255, 287}, {});
    cancelled.Cancel();
    EXPECT_EQ(Saved(document), drawn);
    EXPECT_EQ(document.UndoKind(), EditKind::Line);
}

TEST_F(PixelEdits, CutCopyAndPasteWithinASheetAndIntoAnother)
{
    Open(RandomSpr(11), document);
    const Bytes opened = Saved(document);
    document.Select({8, 8, 16, 16});
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(document.CutSelection(png));
    EXPECT_EQ(document.UndoKind(), EditKind::Cut);
    const Pixels cut = Differences(opened, Saved(document));
    for (const auto& [at, value] : cut)
        EXPECT_TRUE(value == 0 && Contains({8, 8, 16, 16}, {at.first, at.second}));

    // The paste floats, index 0 showing the sheet through, until it is placed.
    const Bytes afterCut = Saved(document);
    ASSERT_TRUE(document.PastePng(png.data(), png.size(), {100, 100}));
    EXPECT_TRUE(document.IsFloatingPaste() && document.IsModified());
    EXPECT_EQ(document.Selection(), (SheetRect{100, 100, 16, 16}));
    EXPECT_EQ(document.UndoKind(), EditKind::Paste);
    ASSERT_TRUE(document.PlaceFloating());
    const Bytes pasted = Saved(document);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            const int block = PixelIn(opened, 8 + x, 8 + y);
            EXPECT_EQ(PixelIn(pasted, 100 + x, 100 + y),
                      block != 0 ? block : PixelIn(afterCut, 100 + x, 100 + y));
        }
    document.Undo();
    EXPECT_EQ(Saved(document), afterCut);

    // Another sheet: with the same table the indices are kept; with the
    // colours of the shown row in another order they are mapped; with
    // other colours the paste is refused, naming the first pixel.
    Bytes other = RandomSpr(12);
    std::copy(opened.begin(), opened.begin() + 512, other.begin());
    CSpriteDocument second;
    Open(other, second);
    ASSERT_TRUE(second.PastePng(png.data(), png.size(), {0, 0}));
    second.PlaceFloating();
    const int source = PixelIn(opened, 11, 12);
    EXPECT_EQ(PixelIn(Saved(second), 3, 4), source != 0 ? source : PixelIn(other, 3, 4));

    for (int i = 0; i < 16; ++i) // row 0 reversed
        std::copy_n(opened.begin() + 2 * (15 - i), 2, other.begin() + 2 * i);
    Open(other, second);
    ASSERT_TRUE(second.PastePng(png.data(), png.size(), {0, 0}));
    second.PlaceFloating();
    // Index 0's colour is now entry 15's, which is not transparent.
    EXPECT_EQ(PixelIn(Saved(second), 3, 4), 15 - source);

    Open(RandomSpr(13), second);
    const Result refused = second.PastePng(png.data(), png.size(), {0, 0});
    EXPECT_EQ(refused.message, Message::PasteFailed);
    EXPECT_NE(FullText(refused).find("at pixel (0, 0)"), std::string::npos) << FullText(refused);
    EXPECT_FALSE(second.IsFloating() || second.IsModified());
}

TEST_F(PixelEdits, TheClipboardPngHoldsTheIndicesAndTheWholeTable)
{
    Open(RandomSpr(21), document);
    document.Select({250, 280, 20, 20}); // cut to the picture: 6 x 8
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(document.CopySelection(png));
    WriteBytes(folder.Path("copy.png"), png);
    const PillowDecoded decoded = DecodeWithPillow(folder, folder.Path("copy.png"));
    ASSERT_EQ(decoded.mode, "P");
    const Bytes saved = Saved(document);
    Bytes indices;
    for (int y = 280; y < 288; ++y)
        for (int x = 250; x < 256; ++x)
            indices.push_back(std::uint8_t(PixelIn(saved, x, y)));
    EXPECT_EQ(decoded.pixels, indices);
    Bytes table;
    for (int i = 0; i < 256; ++i)
    {
        const ColorEntry* colour = document.Source()->GetColor(i);
        table.insert(table.end(), {colour->red, colour->green, colour->blue});
    }
    EXPECT_EQ(decoded.palette, table);
}

TEST_F(PixelEdits, ATrueColourPasteMapsOntoTheShownRowExactlyOrIsRefused)
{
    Open(RandomSpr(31), document);
    document.ChoosePaletteRow(3);
    CSpriteImage picture;
    ASSERT_TRUE(picture.Create(3, 1, 32));
    const auto put = [&](int x, int entry, std::uint8_t alpha)
    {
        const ColorEntry* colour = document.Source()->GetColor(entry);
        std::uint8_t* pixel = picture.GetPixels() + 4 * x;
        *pixel++ = colour->red, *pixel++ = colour->green, *pixel++ = colour->blue, *pixel = alpha;
    };
    put(0, 3 * 16 + 9, 255);
    put(1, 3 * 16 + 4, 255);
    put(2, 200, 0); // fully transparent: index 0, whatever its colour
    document.SetZeroInPaste(ZeroInPaste::Opaque);
    const std::string file = folder.Path("rgba.png");
    ASSERT_TRUE(SavePngFile(picture, file.c_str(), PngWriteOptions{}));
    ASSERT_TRUE(document.PasteFile(file, 254, 0)); // the third pixel falls off the sheet
    ASSERT_TRUE(document.PasteFile(file, 0, 287));
    const Bytes saved = Saved(document);
    EXPECT_EQ(PixelIn(saved, 254, 0), 9);
    EXPECT_EQ(PixelIn(saved, 255, 0), 4);
    EXPECT_EQ(PixelIn(saved, 2, 287), 0) << "opaque index 0";
    EXPECT_EQ(document.UndoKind(), EditKind::Paste);
    EXPECT_FALSE(document.IsFloating());

    put(1, 2 * 16 + 4, 255); // a colour of another row
    const Result refused = document.PastePicture(picture, {0, 0});
    EXPECT_EQ(refused.reason, Reason::ColorMissing);
    EXPECT_EQ(refused.detail, "(1, 0)");
    EXPECT_EQ(Saved(document), saved);
}

TEST_F(PixelEdits, MovesAndFlipsKeepWhatLiesUnderTheBlock)
{
    Open(StairSheet(), document);
    const Bytes opened = Saved(document);
    // Rows 10-12, columns 0-2: the staircase's foot, (0, 12) (1, 11) (2, 10).
    document.Select({0, 10, 3, 3});
    document.MoveSelection(1, 0);
    document.MoveSelection(2, -1);
    EXPECT_EQ(document.Selection(), (SheetRect{3, 9, 3, 3}));
    EXPECT_EQ(document.UndoKind(), EditKind::Move);
    document.FlipSelection(true); // a floating block flips within the same step
    ASSERT_TRUE(document.PlaceFloating());
    // Lifted from its place (left empty), set down over the staircase,
    // whose (3, 9) shows through the block's index 0.
    EXPECT_EQ(Differences(opened, Saved(document)),
              (Pixels{{{0, 12}, 0}, {{1, 11}, 0}, {{2, 10}, 0}, {{5, 11}, 5}, {{4, 10}, 5}}));
    document.Undo();
    EXPECT_EQ(Saved(document), opened) << "the move was one step";

    // A flip of a selection in place trades the selection's pixels alone;
    // an arrow past the edge leaves the part beyond it behind.
    document.Select({0, 0, 13, 13});
    document.FlipSelection(false);
    EXPECT_EQ(document.UndoKind(), EditKind::FlipVertical);
    EXPECT_EQ(PixelIn(Saved(document), 0, 0), 5);
    EXPECT_EQ(PixelIn(Saved(document), 12, 12), 5);
    document.Undo();
    document.Select({0, 0, 13, 13});
    document.MoveSelection(-8, 0);
    document.Deselect();
    EXPECT_EQ(Differences(opened, Saved(document)).size(), 18u)
        << "13 lifted, of which 8 fell off the edge and 5 came down elsewhere";

    // Delete takes a floating block away: a moved one leaves its origin
    // empty, a paste leaves no trace and no step.
    document.Undo();
    document.Select({0, 10, 3, 3});
    document.MoveSelection(5, 5);
    document.DeleteSelection();
    EXPECT_EQ(document.UndoKind(), EditKind::Delete);
    EXPECT_EQ(Differences(opened, Saved(document)),
              (Pixels{{{0, 12}, 0}, {{1, 11}, 0}, {{2, 10}, 0}}));
    std::vector<std::uint8_t> png;
    document.Select({0, 0, 13, 13});
    ASSERT_TRUE(document.CopySelection(png));
    const Bytes deleted = Saved(document);
    ASSERT_TRUE(document.PastePng(png.data(), png.size(), {100, 100}));
    document.DeleteSelection();
    EXPECT_EQ(Saved(document), deleted);
    EXPECT_EQ(document.UndoKind(), EditKind::Delete);
}

TEST_F(PixelEdits, EscapeDropsAPasteThenEndsTheSelection)
{
    Open(RandomSpr(41), document);
    const Bytes opened = Saved(document);
    std::vector<std::uint8_t> png;
    document.Select({0, 0, 4, 4});
    ASSERT_TRUE(document.CopySelection(png));
    ASSERT_TRUE(document.PastePng(png.data(), png.size(), {50, 50}));
    EXPECT_TRUE(document.EndPasteOrSelection());
    EXPECT_EQ(Saved(document), opened);
    EXPECT_EQ(document.Selection(), (SheetRect{0, 0, 4, 4})) << "the selection before the paste";
    EXPECT_FALSE(document.IsModified() || document.CanUndo());
    EXPECT_TRUE(document.EndPasteOrSelection());
    EXPECT_FALSE(document.Selection());
    EXPECT_FALSE(document.EndPasteOrSelection());
}

TEST_F(PixelEdits, OnAPictureOfHigherEntriesTheToolsDrawTheShownRowsEntry)
{
    CSpriteImage picture;
    ASSERT_TRUE(FillRandom(picture, 8, 8, 8, 51));
    picture.GetPixels()[0] = 200;
    const std::string path = folder.Path("wide.png");
    ASSERT_TRUE(SavePngFile(picture, path.c_str(), PngWriteOptions{}));
    ASSERT_TRUE(document.ImportAsNew(path, SpriteLayout::Spr, CTrailingBlock()));
    document.ChoosePaletteRow(2);
    Stroke(PixelTool::Pencil, 3, {{1, 1}});
    Stroke(PixelTool::Eraser, 3, {{2, 1}});
    EXPECT_EQ(document.Source()->GetPixels()[9], 2 * 16 + 3);
    EXPECT_EQ(document.Source()->GetPixels()[10], 0);
    Stroke(PixelTool::Picker, 0, {{0, 0}});
    EXPECT_EQ(picked, (PickedIndex{200 % 16, 200 / 16}));

    // A truecolour picture takes no pixel edits.
    WriteTrueColourBmp(folder.Path("rgb.bmp"), 4, 4);
    ASSERT_TRUE(document.ImportAsNew(folder.Path("rgb.bmp"), SpriteLayout::Spr, CTrailingBlock()));
    EXPECT_EQ(document.CanEditPixels().reason, Reason::PictureNotEightBit);
    Stroke(PixelTool::Pencil, 3, {{1, 1}});
    document.SelectAll();
    EXPECT_FALSE(document.CanUndo() || document.Selection());
}

} // namespace
