// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpFiles.h"
#include "SpriteFileTestFiles.h"

#include "document/PaletteText.h"
#include "document/SpriteDocument.h"
#include "formats/PaletteFile.h"
#include "render/Render.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace
{

// The colour word an SPR file keeps for an entry.
std::uint16_t WordAt(const Bytes& spr, int entry)
{
    return std::uint16_t(spr[std::size_t(2 * entry)] | spr[std::size_t(2 * entry + 1)] << 8);
}

void PutWord(Bytes& spr, int entry, std::uint16_t word)
{
    spr[std::size_t(2 * entry)] = std::uint8_t(word);
    spr[std::size_t(2 * entry + 1)] = std::uint8_t(word >> 8);
}

// A word's red, green and blue fields.
std::array<int, 3> Fields(std::uint16_t word)
{
    return {word & 31, word >> 5 & 31, word >> 10 & 31};
}

class PaletteEdits : public ::testing::Test
{
protected:
    PaletteEdits()
    {
        WriteBytes(folder.Path("sheet.spr"), RandomSpr(11, 20));
        EXPECT_TRUE(document.Open(folder.Path("sheet.spr")).result);
    }
    // The bytes a Save in SPR layout would write now.
    Bytes Saved()
    {
        const std::string path = folder.Path("probe.spr");
        EXPECT_TRUE(SaveSpriteFile(*document.Source(), path.c_str(), SpriteLayout::Spr,
                                   &document.TrailingBlock()));
        return ReadBytes(path);
    }
    // Every row as the view composes it.
    std::vector<std::vector<std::uint32_t>> ComposedRows()
    {
        std::vector<std::vector<std::uint32_t>> rows;
        for (int row = 0; row < kPaletteRowCount; ++row)
        {
            document.ChoosePaletteRow(row);
            CSurface surface;
            EXPECT_TRUE(ComposePicture(document.Display(), surface));
            rows.emplace_back(surface.GetBits(),
                              surface.GetBits() + surface.GetWidth() * surface.GetHeight());
        }
        return rows;
    }

    TempFolder folder;
    CSpriteDocument document;
};

// Each command writes exactly the words (and pixels) it names, is one step
// named for it, and undoes to the bytes before and redoes to those after.
TEST_F(PaletteEdits, EachEditWritesItsWordsAndUndoesToTheBytesBefore)
{
    const std::vector<ColorEntry> row(16, ColorEntry{0x7F, 0x80, 0x0F, 200});
    struct Command
    {
        const char* name;
        std::function<Result()> run;
        std::function<void(Bytes&)> expect; // the file's bytes before, made what they become
    };
    const Command commands[] = {
        {"Edit Colour",
         [&] {
             return document.SetColor(37, {200, 100, 50, 255});
         },
         [](Bytes& b) { PutWord(b, 37, 25 | 12 << 5 | 6 << 10); }},
        {"Paste Colour",
         [&] {
             return document.PasteColor(5, {{255, 255, 255, 0}});
         },
         [](Bytes& b) { PutWord(b, 5, 0x7FFF); }},
        {"Swap Colours", [&] { return document.SwapColors(3, 200); },
         [](Bytes& b)
         {
             const std::uint16_t third = WordAt(b, 3);
             PutWord(b, 3, WordAt(b, 200));
             PutWord(b, 200, third);
         }},
        {"Copy Colour", [&] { return document.CopyColor(3, 200); },
         [](Bytes& b) { PutWord(b, 200, WordAt(b, 3)); }},
        {"Paste Row", [&] { return document.PasteRow(4, row); },
         [](Bytes& b)
         {
             for (int i = 64; i < 80; ++i)
                 PutWord(b, i, 15 | 16 << 5 | 1 << 10);
         }},
        {"Swap Rows", [&] { return document.SwapRows(9, 2); },
         [](Bytes& b) { std::swap_ranges(b.begin() + 64, b.begin() + 96, b.begin() + 288); }},
        {"Swap Indices", [&] { return document.SwapIndices(2, 7, IndexSwap::ColorsOnly); },
         [](Bytes& b)
         {
             for (int start = 0; start < 256; start += 16)
             {
                 const std::uint16_t second = WordAt(b, start + 2);
                 PutWord(b, start + 2, WordAt(b, start + 7));
                 PutWord(b, start + 7, second);
             }
         }},
        {"Swap Indices and Pixels",
         [&] { return document.SwapIndices(7, 2, IndexSwap::ColorsAndPixels); },
         [](Bytes& b)
         {
             for (int start = 0; start < 256; start += 16)
             {
                 const std::uint16_t second = WordAt(b, start + 2);
                 PutWord(b, start + 2, WordAt(b, start + 7));
                 PutWord(b, start + 7, second);
             }
             const auto swapped = [](int v) { return v == 2 ? 7 : v == 7 ? 2 : v; };
             for (std::size_t at = kSprPaletteBytes; at < std::size_t(kSprSheetBytes); ++at)
                 b[at] = PackPixelPair(std::uint8_t(swapped(b[at] & 15)),
                                       std::uint8_t(swapped(b[at] >> 4)));
         }},
    };
    for (const Command& command : commands)
    {
        const Bytes before = Saved();
        Bytes expected = before;
        command.expect(expected);
        ASSERT_TRUE(command.run()) << command.name;
        EXPECT_EQ(EditKindText(*document.UndoKind()), std::string(command.name));
        const Bytes after = Saved();
        EXPECT_EQ(after, expected) << command.name;
        EXPECT_TRUE(document.IsModified());
        document.Undo();
        EXPECT_EQ(Saved(), before) << command.name;
        document.Redo();
        EXPECT_EQ(Saved(), after) << command.name;
    }
}

// Red rises from 0 to 31 in steps of 2 or 3, green falls one a step, blue
// stays: only the entries between the two change.
TEST_F(PaletteEdits, AGradientsWordsAreEvenlySpaced)
{
    ASSERT_TRUE(document.SetColor(48, {0, 20 << 3, 7 << 3, 255}));
    ASSERT_TRUE(document.SetColor(63, {31 << 3, 5 << 3, 7 << 3, 255}));
    const Bytes before = Saved();
    ASSERT_TRUE(document.FillGradient(63, 48));
    const Bytes after = Saved();
    for (int entry = 0; entry < 256; entry += entry == 48 ? 15 : 1)
        EXPECT_EQ(WordAt(after, entry), WordAt(before, entry)) << entry;
    for (int step = 1; step <= 15; ++step)
    {
        const auto [red, green, blue] = Fields(WordAt(after, 48 + step));
        const int redStep = red - Fields(WordAt(after, 47 + step))[0];
        EXPECT_TRUE(redStep == 2 || redStep == 3) << step;
        EXPECT_EQ(green, 20 - step);
        EXPECT_EQ(blue, 7);
    }
    document.Undo();
    EXPECT_EQ(Saved(), before);
}

// Reordering the palette keeps every row's picture, for a sheet and for a
// picture whose indices go past 15 (they swap within their own row);
// index 0 is drawn transparent, so swapping it moves the transparency.
TEST_F(PaletteEdits, SwapIndicesWithPixelsLeavesEveryRowsPictureUnchanged)
{
    std::mt19937 random(3);
    BmpRows rows(64, std::vector<std::uint32_t>(48));
    for (auto& line : rows)
        for (auto& index : line)
            index = random() % 256;
    const auto bmp = BuildBmp(IndexedBmp(rows, 8, 256));
    WriteBytes(folder.Path("wide.bmp"), Bytes(bmp.begin(), bmp.end()));

    for (const bool picture : {false, true})
    {
        if (picture)
        {
            ASSERT_TRUE(document.Import(folder.Path("wide.bmp")));
        }
        const auto [i, j] = picture ? std::pair(12, 3) : std::pair(1, 15);
        const auto before = ComposedRows();
        ASSERT_TRUE(document.SwapIndices(i, j, IndexSwap::ColorsAndPixels));
        EXPECT_EQ(ComposedRows(), before) << (picture ? "picture" : "sheet");
        ASSERT_TRUE(document.SwapIndices(i, j, IndexSwap::ColorsOnly));
        EXPECT_NE(ComposedRows(), before);
    }
    const auto before = ComposedRows();
    ASSERT_TRUE(document.SwapIndices(0, 5, IndexSwap::ColorsAndPixels));
    EXPECT_NE(ComposedRows(), before);
}

// The colour editor's preview changes the sheet without a step; OK keeps
// it as one step from the colour before, Cancel puts that colour back.
TEST_F(PaletteEdits, APreviewIsNoStepUntilKeptAndCancelRestoresTheColour)
{
    const Bytes opened = Saved();
    for (const bool keep : {false, true})
    {
        ASSERT_TRUE(document.PreviewColor(40, {255, 0, 0, 255}));
        ASSERT_TRUE(document.PreviewColor(40, {255, 0, 255, 255}));
        EXPECT_EQ(WordAt(Saved(), 40), 0x7C1F);
        EXPECT_EQ(document.Display()->GetColor(40)->blue, 248) << "the views see it";
        EXPECT_FALSE(document.CanUndo() || document.IsModified());
        document.FinishColorPreview(keep);
    }
    EXPECT_EQ(WordAt(Saved(), 40), 0x7C1F);
    EXPECT_EQ(EditKindText(*document.UndoKind()), std::string("Edit Colour"));
    document.Undo();
    EXPECT_EQ(Saved(), opened);
    EXPECT_FALSE(document.CanUndo());

    // A preview moved back to the colour it started from is no change;
    // one moved to another entry puts the first back.
    ASSERT_TRUE(document.PreviewColor(40, {0, 0, 0, 255}));
    ASSERT_TRUE(document.PreviewColor(41, {0, 0, 0, 255}));
    ASSERT_TRUE(document.PreviewColor(41, ColorWordToEntry(WordAt(opened, 41))));
    document.FinishColorPreview(true);
    EXPECT_EQ(Saved(), opened);
    EXPECT_FALSE(document.CanUndo());
}

TEST_F(PaletteEdits, BadEntriesRowsAndIndicesAreRefusedAndNoChangeIsNoStep)
{
    const std::pair<std::function<Result()>, Reason> refused[] = {
        {[&] { return document.SetColor(256, {}); }, Reason::BadColorEntry},
        {[&] { return document.SwapColors(-1, 3); }, Reason::BadColorEntry},
        {[&] { return document.SwapRows(0, 16); }, Reason::BadPaletteRow},
        {[&] { return document.PasteRow(3, std::vector<ColorEntry>(17)); }, Reason::TooManyColors},
        {[&] { return document.PasteColor(3, std::vector<ColorEntry>(2)); }, Reason::TooManyColors},
        {[&] { return document.SwapIndices(3, 16, IndexSwap::ColorsOnly); }, Reason::BadRowIndex},
        {[&] { return document.FillGradient(0, 300); }, Reason::BadColorEntry},
    };
    for (const auto& [run, reason] : refused)
    {
        const Result result = run();
        EXPECT_EQ(result.message, Message::EditPaletteFailed);
        EXPECT_EQ(result.reason, reason) << ReasonText(result);
    }
    // Nothing to do: the same colour, one entry with itself, no entry between.
    const ColorEntry third = *document.Source()->GetColor(3);
    for (const Result& nothing :
         {document.SetColor(3, third), document.SwapColors(4, 4), document.SwapRows(2, 2),
          document.SwapIndices(6, 6, IndexSwap::ColorsAndPixels), document.FillGradient(8, 9),
          document.PasteRow(2, document.RowColors(2))})
        EXPECT_TRUE(nothing);
    EXPECT_FALSE(document.CanUndo() || document.IsModified());

    // A truecolour picture has no palette to edit.
    WriteTrueColourBmp(folder.Path("rgb.bmp"), 3, 2);
    ASSERT_TRUE(document.Import(folder.Path("rgb.bmp")));
    EXPECT_EQ(document.SwapRows(1, 2).reason, Reason::NoColorTable);
    EXPECT_EQ(ReasonText(document.SetColor(1, {})), "24-bit picture: it has no palette rows");
}

TEST(PaletteText, ColoursGoToTheClipboardAndBackThroughThePaletteReaders)
{
    std::vector<ColorEntry> row;
    for (int i = 0; i < 16; ++i)
        row.push_back(ColorWordToEntry(std::uint16_t(i * 2047 + 5)));
    const std::string text = ColorsAsPaletteText(row);
    PaletteContent gimp;
    ASSERT_TRUE(
        ParsePalette(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), gimp));
    EXPECT_EQ(gimp.format, PaletteFormat::Gimp);
    EXPECT_EQ(gimp.colors, row);
    std::vector<ColorEntry> back;
    ASSERT_TRUE(ColorsFromClipboard(ColorsAsWords(row), "", back));
    EXPECT_EQ(back, row);
    ASSERT_TRUE(ColorsFromClipboard({}, text, back));
    EXPECT_EQ(back, row);

    // Colours as typed: one "#RRGGBB" (the '#' may go), or a text palette.
    const std::pair<std::string, std::vector<ColorEntry>> typed[] = {
        {" #f800F8\n", {{248, 0, 248, 255}}},
        {"123456", {{0x12, 0x34, 0x56, 255}}},
        {"JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n4 5 6\r\n", {{1, 2, 3, 255}, {4, 5, 6, 255}}},
    };
    for (const auto& [clipboard, colors] : typed)
    {
        ASSERT_TRUE(ColorsFromClipboard({}, clipboard, back)) << clipboard;
        EXPECT_EQ(back, colors) << clipboard;
    }
    EXPECT_EQ(ColorText({248, 0, 248, 255}), "#F800F8");
    // Anything else is named in the reason, even 32 bytes that a file of
    // colour words would be.
    for (const std::string junk : {"#12345", "#GG0000", "red", "0123456789abcdef0123456789abcdef"})
    {
        const Result result = ColorsFromClipboard({}, junk, back);
        EXPECT_EQ(result.reason, Reason::NotAColor) << junk;
        EXPECT_NE(ReasonText(result).find('"' + junk.substr(0, 20)), std::string::npos);
    }
}

struct NewCase
{
    SpriteLayout layout;
    NewSheetColors colors;
    std::string palette; // a file's text, for NewSheetColors::PaletteFile
    int height;
    // Entry i's colour word.
    std::function<std::uint16_t(int, const Bytes& previous)> word;
};

TEST_F(PaletteEdits, NewGivesTheLayoutAndColoursChosenWithEveryPixelZero)
{
    const auto grey = [](int i) { return std::uint16_t((i % 16 * 2) * 0x421); };
    const NewCase cases[] = {
        {SpriteLayout::Sp2, NewSheetColors::CurrentSheet, "", 256,
         [](int i, const Bytes& previous) { return WordAt(previous, i); }},
        {SpriteLayout::Spr, NewSheetColors::GreyRamp, "", 288,
         [&](int i, const Bytes&) { return grey(i); }},
        {SpriteLayout::Spr, NewSheetColors::PaletteFile, "GIMP Palette\n8 16 24\n255 0 255\n", 288,
         [&](int i, const Bytes&)
         {
             return i % 16 == 0   ? std::uint16_t(1 | 2 << 5 | 3 << 10)
                    : i % 16 == 1 ? std::uint16_t(0x7C1F)
                                  : grey(i);
         }},
    };
    for (const NewCase& test : cases)
    {
        const Bytes previous = Saved();
        WriteBytes(folder.Path("row.gpl"), Bytes(test.palette.begin(), test.palette.end()));
        ASSERT_TRUE(document.NewSheet(test.layout, test.colors, folder.Path("row.gpl")));
        EXPECT_EQ(document.Height(), test.height);
        EXPECT_EQ(document.Layout(), test.layout);
        EXPECT_TRUE(document.FileName().empty() && document.SourcePath().empty());
        EXPECT_TRUE(document.IsModified() && !document.CanUndo());
        EXPECT_EQ(document.Save().message, Message::NoFileName) << "Save asks for a name";
        const Bytes sheet = Saved();
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(WordAt(sheet, i), test.word(i, previous)) << i;
        EXPECT_TRUE(std::all_of(sheet.begin() + kSprPaletteBytes, sheet.end(),
                                [](std::uint8_t pair) { return pair == 0; }));
    }
    // A palette that cannot be read leaves the sheet as it was.
    WriteBytes(folder.Path("junk.pal"), Bytes(7, 'x'));
    const Bytes kept = Saved();
    EXPECT_EQ(
        document.NewSheet(SpriteLayout::Spr, NewSheetColors::PaletteFile, folder.Path("junk.pal"))
            .message,
        Message::LoadPaletteFailed);
    EXPECT_EQ(Saved(), kept);
}

} // namespace
