// SPDX-License-Identifier: GPL-3.0-or-later
// The options that fit truecolour art into palette rows: their misuse, and
// --colorways taking its pictures up to the next option. That they write
// the window's bytes is the window's test.
#include "CliRunner.h"
#include "core/ReduceTestPictures.h"

#include "document/DocumentFiles.h"

#include <gtest/gtest.h>

namespace
{

// Colourway k: bands of 15-bit colours on a transparent lattice.
void WriteColorway(const std::string& path, int k)
{
    const CSpriteImage way = DrawPicture(256, 288,
                                         [k](int x, int y)
                                         {
                                             const int c = (x / 16 + y / 32) % 12;
                                             return y % 7 ? Word(c + k, 31 - c, k) : kClear;
                                         });
    EXPECT_TRUE(SavePicture(way, path, {FileFormat::Png}));
}

TEST(ReduceOptions, MisuseIsNamed)
{
    TempFolder folder;
    WriteColorway(folder.Path("a.png"), 0);
    const std::pair<std::vector<std::string>, std::string> misuses[] = {
        {{"a.png", "--reduce", "16"}, "palette row must be a number from 0 to 15, not '16'"},
        {{"a.png", "--dither", "ordered"}, "--dither goes with --reduce or --reduce-classes"},
        {{"a.png", "--fixed-row-colors"}, "--fixed-row-colors goes with --reduce or"},
        {{"a.png", "--alpha-threshold", "9"},
         "--alpha-threshold goes with --reduce or --colorways"},
        {{"a.png", "--reduce-classes"}, "--reduce-classes goes with --colorways"},
        {{"a.png", "--reduce", "1", "--keep-row-colors", "--fixed-row-colors"},
         "--keep-row-colors and --fixed-row-colors exclude each other"},
        {{"a.png", "--reduce", "1", "--dither", "diffusion:101"}, "not 'diffusion:101'"},
        {{"a.png", "--reduce", "1", "--dither", "diffusion40"}, "not 'diffusion40'"},
        {{"a.png", "--reduce", "1", "--alpha-threshold", "0"}, "from 1 to 255, not '0'"},
        {{"--colorways", "a.png:0", "b.png"}, "pictures as FILE:ROW, not 'b.png'"},
        {{"--colorways", "a.png:x"}, "not 'x'"}};
    for (const auto& [arguments, message] : misuses)
    {
        std::vector<std::string> run = arguments;
        run.insert(run.end(), {"-o", "out.spr"});
        const CliRun misuse = RunConvert(folder, run);
        EXPECT_EQ(misuse.status, 2) << message;
        EXPECT_NE(misuse.err.find(message), std::string::npos) << misuse.err;
    }
    EXPECT_EQ(FileCount(folder.Root()), 1u);
}

TEST(ReduceOptions, ColorwaysTakeThePicturesUpToTheNextOption)
{
    TempFolder folder;
    WriteBytes(folder.Path("sheet.spr"), RandomSpr(9, 5));
    for (const char* name : {"a.png", "b.png", "c.png"})
        WriteColorway(folder.Path(name), name[0] - 'a');
    // A truecolour picture is refused without them, as always.
    EXPECT_EQ(RunConvert(folder, {"a.png", "-o", "a.spr"}).status, 1);
    const CliRun run = RunConvert(folder, {"sheet.spr", "--colorways", "a.png:7", "b.png:2",
                                           "c.png:12", "-o", "out.spr", "--alpha-threshold", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    // Classes come in the order of their first pixels: band c is entry c + 1.
    const Bytes before = ReadBytes(folder.Path("sheet.spr"));
    const Bytes after = ReadBytes(folder.Path("out.spr"));
    ASSERT_EQ(after.size(), before.size());
    const int rows[] = {7, 2, 12};
    for (int entry = 0; entry < kSprColorCount; ++entry)
    {
        const int* way = std::find(std::begin(rows), std::end(rows), entry / 16);
        const int c = entry % 16 - 1;
        const bool written = way != std::end(rows) && c >= 0 && c < 12;
        const std::uint16_t word =
            written ? EntryToColorWord(Word(c + int(way - rows), 31 - c, int(way - rows)))
                    : std::uint16_t(before[2 * entry] | before[2 * entry + 1] << 8);
        EXPECT_EQ(after[2 * entry] | after[2 * entry + 1] << 8, word) << entry;
    }
}

} // namespace
