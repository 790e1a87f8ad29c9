// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpriteFileTestFiles.h"

#include "formats/PaletteFile.h"
#include "formats/SpriteFile.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

Bytes Text(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::vector<ColorEntry> RandomColors(std::uint32_t seed, std::size_t count)
{
    const Bytes bytes = RandomBytes(seed, 3 * count);
    std::vector<ColorEntry> colors;
    for (std::size_t i = 0; i < count; ++i)
        colors.push_back({bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2], 255});
    return colors;
}

// A RIFF palette of two colours with a chunk before "data".
const Bytes kRiff = {'R', 'I', 'F', 'F', 34, 0, 0,   0,  'P', 'A', 'L', ' ', 'n', 'o',
                     't', 'e', 1,   0,   0,  0, 'x', 0,  'd', 'a', 't', 'a', 12,  0,
                     0,   0,   0,   3,   2,  0, 10,  20, 30,  0,   40,  50,  60,  0};

TEST(PaletteFile, EveryFormatRoundTripsItsColours)
{
    TempFolder folder;
    using F = PaletteFormat;
    for (const PaletteFormat format : {F::Jasc, F::Riff, F::Gimp, F::Act, F::ColorWords})
        for (const std::size_t count : {1, 5, 16, 255, 256})
        {
            if (format == F::ColorWords && count != 16 && count != 256)
                continue;
            // Channels that are no multiples of 8, as an edited palette has
            // them; colour words keep the top five bits of each.
            const std::vector<ColorEntry> colors = RandomColors(std::uint32_t(count), count);
            std::vector<ColorEntry> expected = colors;
            for (ColorEntry& color : expected)
                color = format == F::ColorWords ? ColorWordToEntry(EntryToColorWord(color)) : color;
            PaletteContent read;
            ASSERT_TRUE(SavePaletteFile(colors, format, folder.Path("p").c_str()));
            ASSERT_TRUE(LoadPaletteFile(folder.Path("p").c_str(), read));
            EXPECT_EQ(std::pair(read.format, read.colors), std::pair(format, expected)) << count;
        }
}

TEST(PaletteFile, FilesOfOtherProgramsReadAsTheyListTheirColours)
{
    Bytes act(768);
    act[0] = 10, act[4] = 20, act[767] = 60;
    // Found by fuzzing: colour words whose bytes begin "JASC-PAL".
    const Bytes jascLikeWords = Text("JASC-PAL\r\n0100\r\n3\r\n0 0 0\n\r\n0\x7F\x7F\x7F\x7F");
    const ColorEntry a{10, 20, 30, 255}, b{40, 50, 60, 255};
    using F = PaletteFormat;
    // Our writers give CRLF text, a count in each colour table and no
    // other RIFF chunk; other programs may not.
    const std::tuple<Bytes, PaletteFormat, std::size_t, ColorEntry, ColorEntry> cases[] = {
        {Text("JASC-PAL\n0100\n2\n10 20 30\n40 50 60"), F::Jasc, 2, a, b},
        {Text("GIMP Palette\r\nName: Test\nColumns: 4\n# a comment\n\n 10  20  30\tDark\n"
              "# mid\n40 50 60 Light blue\n"),
         F::Gimp, 2, a, b},
        {kRiff, F::Riff, 2, a, b},
        {act, F::Act, 256, {10, 0, 0, 255}, {0, 0, 60, 255}},
        {jascLikeWords, F::ColorWords, 16, {80, 80, 128, 255}, {248, 216, 248, 255}},
    };
    for (const auto& [bytes, format, count, first, last] : cases)
    {
        PaletteContent palette;
        const Result result = ParsePalette(bytes.data(), bytes.size(), palette);
        ASSERT_TRUE(result) << ReasonText(result);
        EXPECT_EQ(std::tuple(palette.format, palette.colors.size(), palette.colors.front(),
                             palette.colors.back()),
                  std::tuple(format, count, first, last))
            << std::string(bytes.begin(), bytes.begin() + 12);
    }
}

TEST(PaletteFile, BadFilesFailNamingWhatAndWhere)
{
    Bytes gimp257 = Text("GIMP Palette\n");
    for (int i = 0; i < 257; ++i)
        gimp257.insert(gimp257.end(), {'1', ' ', '2', ' ', '3', '\n'});
    Bytes riffVersion = kRiff;
    riffVersion[31] = 1;
    const Reason bad = Reason::PaletteBadContent;
    const std::tuple<Bytes, Reason, const char*> cases[] = {
        {Bytes(33), Reason::PaletteUnknownFormat, ""},
        {Text("JASC-PAL\n0100\n3\n1 2 3\n4 5 6\n"), bad, "the count is 3 but 2 colours follow"},
        {Text("JASC-PAL\n0100\n1\n1 2 3\n4 5 6\n"), bad, "line 5: more colours than the count"},
        {Text("JASC-PAL\n0100\n2\n1 2 3\n4 256 6\n"), bad, "line 5: value 256 is out of range"},
        {Text("JASC-PAL\n0200\n1\n1 2 3\n"), bad, "line 2: version \"0200\" is not 0100"},
        {Text("JASC-PAL\n0100\n0\n"), bad, "line 3"},
        {Text("JASC-PAL\n0100\n1\n1 2\n"), bad, "line 4: a colour needs red, green and blue"},
        {Text("JASC-PAL\n0100\n1\n1 -2 3\n"), bad, "line 4: \"-2\" is not a number"},
        {Text("GIMP Palette\nName: x\n# none\n"), bad, "no colours"},
        {gimp257, bad, "line 258: more than 256 colours"},
        {Bytes(772), bad, "colour count 0 is not 1 to 256"},
        {Bytes(kRiff.begin(), kRiff.end() - 2), Reason::EndedEarly, ""},
        {riffVersion, bad, "version 256"},
        {Text("RIFFxxxxPAL junk"), bad, "no \"data\" chunk"},
    };
    for (const auto& [bytes, reason, detail] : cases)
    {
        PaletteContent palette;
        const Result result = ParsePalette(bytes.data(), bytes.size(), palette);
        EXPECT_EQ(result.reason, reason) << detail;
        EXPECT_NE(result.detail.find(detail), std::string::npos) << result.detail;
        EXPECT_TRUE(palette.colors.empty());
    }
}

TEST(PaletteFile, WritersRefuseWhatTheFormatCannotHold)
{
    TempFolder folder;
    const std::string path = folder.Path("kept.pal");
    WriteBytes(path, {7});
    using F = PaletteFormat;
    const std::pair<std::size_t, PaletteFormat> cases[] = {
        {0, F::Jasc}, {257, F::Gimp}, {5, F::ColorWords}, {17, F::ColorWords}};
    for (const auto& [count, format] : cases)
    {
        const Result result = SavePaletteFile(RandomColors(1, count), format, path.c_str());
        EXPECT_EQ(std::tuple(result.reason, result.value),
                  std::tuple(Reason::PaletteWrongCount, std::int64_t(count)));
    }
    EXPECT_EQ(ReadBytes(path), Bytes{7});
}

} // namespace
