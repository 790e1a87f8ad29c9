// SPDX-License-Identifier: GPL-3.0-or-later
// The options that change colours or indices, together: the input's colours
// are matched first, then the edits apply in the order given, exactly as
// the document's operations do in that sequence.
#include "CliRunner.h"

#include "document/PaletteSource.h"
#include "document/SpriteDocument.h"
#include "image/ColorTable.h"

#include <gtest/gtest.h>

namespace
{

struct PaletteEdit
{
    std::string file;
    std::int32_t first;
};

// What the document writes for t.png matched onto row 3 of s.spr, then
// given the palettes in order.
Bytes ThroughTheDocument(const TempFolder& folder, const std::vector<PaletteEdit>& edits)
{
    CSpriteDocument document;
    CColorTable table;
    EXPECT_TRUE(document.ImportAsNew(folder.Path("t.png"), SpriteLayout::Spr, {}));
    EXPECT_TRUE(LoadColorTable(folder.Path("s.spr"), 3, table));
    EXPECT_TRUE(document.MapOntoColors(table, 3));
    for (const PaletteEdit& edit : edits)
    {
        std::vector<ColorEntry> colors;
        EXPECT_TRUE(LoadPaletteColors(folder.Path(edit.file), colors));
        EXPECT_TRUE(document.ReplaceColors(colors, edit.first));
    }
    EXPECT_TRUE(document.SaveAsLayout(folder.Path("expected.spr"), SpriteLayout::Spr));
    return ReadBytes(folder.Path("expected.spr"));
}

TEST(EditOrder, MatchComesFirstAndEditsApplyInTheOrderGiven)
{
    TempFolder folder;
    WriteBytes(folder.Path("s.spr"), RandomSpr(1, 0));
    WriteBytes(folder.Path("a.spr"), RandomSpr(2, 0));
    WriteBytes(folder.Path("b.spr"), RandomSpr(3, 0));
    ASSERT_EQ(RunConvert(folder, {"s.spr", "--palette-row=3", "-o", "t.png"}).status, 0);
    ASSERT_EQ(RunConvert(folder, {"a.spr", "--palette-row=1", "-o", "a.pal"}).status, 0);
    ASSERT_EQ(RunConvert(folder, {"b.spr", "--palette-row=2", "-o", "b.pal"}).status, 0);

    const std::vector<std::string> match = {"--match-palette", "s.spr", "--palette-row", "3"};
    const std::vector<std::string> a = {"--palette", "a.pal", "--palette-at", "40"};
    const std::vector<std::string> b = {"--palette-at", "48", "--palette", "b.pal"};
    const auto join = [](std::vector<std::vector<std::string>> parts)
    {
        std::vector<std::string> arguments = {"t.png", "-o", "out.spr"};
        for (const auto& part : parts)
            arguments.insert(arguments.end(), part.begin(), part.end());
        return arguments;
    };
    // a and b overlap in entries 48 to 55: the later one wins there.
    const std::pair<std::vector<std::string>, std::vector<PaletteEdit>> cases[] = {
        {join({match, a}), {{"a.pal", 40}}},
        {join({a, match}), {{"a.pal", 40}}},
        {join({match, a, b}), {{"a.pal", 40}, {"b.pal", 48}}},
        {join({b, match, a}), {{"b.pal", 48}, {"a.pal", 40}}},
    };
    for (const auto& [arguments, edits] : cases)
    {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CliRun run = RunConvert(folder, arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadBytes(folder.Path("out.spr")), ThroughTheDocument(folder, edits));
    }
}

// A palette that cannot fit from its first entry fails every input alike:
// it is bad usage, found before any input is read.
TEST(EditOrder, APaletteRunningPastTheTableIsBadUsage)
{
    TempFolder folder;
    WriteBytes(folder.Path("s.spr"), RandomSpr(1, 0));
    ASSERT_EQ(RunConvert(folder, {"s.spr", "--palette-row=3", "-o", "row.pal"}).status, 0);
    const CliRun run = RunConvert(folder, {"s.spr", "missing.spr", "--palette", "row.pal",
                                           "--palette-at", "250", "--to", "spr", "-o", "."});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "tavrel-convert: --palette-at 250 leaves room for 6 colours, but "
                       "'row.pal' has 16\nTry 'tavrel-convert --help' for more information.\n");
}

} // namespace
