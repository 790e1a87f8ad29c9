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

std::vector<std::uint16_t> Words(const std::vector<ColorEntry>& colors)
{
    std::vector<std::uint16_t> words;
    for (const ColorEntry& color : colors)
        words.push_back(EntryToColorWord(color));
    return words;
}

std::vector<ColorEntry> RandomColors(std::uint32_t seed, std::size_t count)
{
    const Bytes bytes = RandomBytes(seed, 3 * count);
    std::vector<ColorEntry> colors;
    for (std::size_t i = 0; i < count; ++i)
        colors.push_back({bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2], 255});
    return colors;
}

Result Parse(const Bytes& bytes, PaletteContent& palette)
{
    return ParsePalette(bytes.data(), bytes.size(), palette);
}

TEST(PaletteFile, EveryFormatRoundTripsTheColourWords)
{
    TempFolder folder;
    const PaletteFormat formats[] = {PaletteFormat::Jasc, PaletteFormat::Riff, PaletteFormat::Gimp,
                                     PaletteFormat::Act, PaletteFormat::ColorWords};
    for (const PaletteFormat format : formats)
        for (const std::size_t count : {1, 5, 16, 255, 256})
        {
            if (format == PaletteFormat::ColorWords && count != 16 && count != 256)
                continue;
            // Channels that are no multiples of 8, as an edited palette has them.
            const std::vector<ColorEntry> colors = RandomColors(std::uint32_t(count), count);
            PaletteContent read;
            ASSERT_TRUE(SavePaletteFile(colors, format, folder.Path("p").c_str()));
            ASSERT_TRUE(LoadPaletteFile(folder.Path("p").c_str(), read));
            EXPECT_EQ(std::pair(read.format, Words(read.colors)), std::pair(format, Words(colors)))
                << int(format) << " " << count;
        }
}

TEST(PaletteFile, FilesOfOtherProgramsReadAsTheyListTheirColours)
{
    const Bytes riff = {'R', 'I', 'F', 'F', 34, 0, 0,   0,  'P', 'A', 'L', ' ', 'n', 'o',
                        't', 'e', 1,   0,   0,  0, 'x', 0,  'd', 'a', 't', 'a', 12,  0,
                        0,   0,   0,   3,   2,  0, 10,  20, 30,  0,   40,  50,  60,  0};
    Bytes act768(768);
    act768[0] = 10, act768[4] = 20, act768[767] = 60;
    Bytes act772(772);
    act772[3] = 40, act772[768] = 0, act772[769] = 2, act772[770] = 0xFF, act772[771] = 0xFF;
    Bytes words(32);
    words[0] = 0x1F, words[31] = 0x7C; // red 31 in the first, blue 31 in the last
    const ColorEntry a{10, 20, 30, 255}, b{40, 50, 60, 255};
    using F = PaletteFormat;
    const std::tuple<Bytes, PaletteFormat, std::size_t, ColorEntry, ColorEntry> cases[] = {
        {Text("JASC-PAL\r\n0100\r\n2\r\n10 20 30\r\n40 50 60\r\n"), F::Jasc, 2, a, b},
        {Text("JASC-PAL\n0100\n2\n10 20 30\n40 50 60"), F::Jasc, 2, a, b},
        {Text("GIMP Palette\nName: Test\nColumns: 4\n# a comment\n\n 10  20  30\tDark\n"
              "# mid\n40 50 60 Light blue\n"),
         F::Gimp, 2, a, b},
        {Text("GIMP Palette\r\n10 20 30\r\n40 50 60\r\n"), F::Gimp, 2, a, b},
        {riff, F::Riff, 2, a, b}, // with a chunk before "data"
        {act768, F::Act, 256, {10, 0, 0, 255}, {0, 0, 60, 255}},
        {act772, F::Act, 2, {0, 0, 0, 255}, {40, 0, 0, 255}},
        {words, F::ColorWords, 16, {248, 0, 0, 255}, {0, 0, 248, 255}},
        // Found by fuzzing: colour words whose bytes begin "JASC-PAL".
        {Text("JASC-PAL\r\n0100\r\n3\r\n0 0 0\n\r\n0\x7F\x7F\x7F\x7F"),
         F::ColorWords,
         16,
         {80, 80, 128, 255},
         {248, 216, 248, 255}},
    };
    for (const auto& [bytes, format, count, first, last] : cases)
    {
        PaletteContent palette;
        ASSERT_TRUE(Parse(bytes, palette)) << ReasonText(Parse(bytes, palette));
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
        gimp257 = Text(std::string(gimp257.begin(), gimp257.end()) + "1 2 3\n");
    Bytes act0(772);
    const Bytes riffShort = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ', 'd',
                             'a', 't', 'a', 12,  0, 0, 0, 0, 3,   2,   0,   1,   2};
    const Bytes riffVersion = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a',
                               't', 'a', 8,   0,   0, 0, 0, 1, 1,   0,   1,   2,   3,   0};
    const Reason bad = Reason::PaletteBadContent, unknown = Reason::PaletteUnknownFormat;
    const std::tuple<Bytes, Reason, const char*> cases[] = {
        {{}, unknown, ""},
        {Text("hello\n1 2 3\n"), unknown, ""},
        {Text("JASC-PAL\n0100\n3\n1 2 3\n4 5 6\n"), bad, "the count is 3 but 2 colours follow"},
        {Text("JASC-PAL\n0100\n1\n1 2 3\n4 5 6\n"), bad,
         "line 5: more colours than the count of 1"},
        {Text("JASC-PAL\n0100\n2\n1 2 3\n4 256 6\n"), bad,
         "line 5: value 256 is out of range 0-255"},
        {Text("JASC-PAL\n0200\n1\n1 2 3\n"), bad, "line 2: version \"0200\" is not 0100"},
        {Text("JASC-PAL\n0100\n0\n"), bad, "line 3"},
        {Text("JASC-PAL\n0100\n257\n"), bad, "line 3: value 257"},
        {Text("JASC-PAL\n0100\n1\n1 2\n"), bad, "line 4: a colour needs red, green and blue"},
        {Text("JASC-PAL\n0100\n1\n1 -2 3\n"), bad, "line 4: \"-2\" is not a number"},
        {Text("GIMP Palette\nName: x\n# none\n"), bad, "no colours"},
        {gimp257, bad, "line 258: more than 256 colours"},
        {Text("GIMP Palette\nred 2 3\n"), bad, "line 2: \"red\" is not a number"},
        {act0, bad, "colour count 0 is not 1 to 256"},
        {riffShort, Reason::EndedEarly, ""},
        {riffVersion, bad, "version 256"},
        {Text("RIFFxxxxPAL junk"), bad, "no \"data\" chunk"},
        {Bytes(33), unknown, ""},
    };
    for (const auto& [bytes, reason, detail] : cases)
    {
        PaletteContent palette;
        const Result result = Parse(bytes, palette);
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
    const std::pair<std::size_t, PaletteFormat> cases[] = {{0, PaletteFormat::Jasc},
                                                           {257, PaletteFormat::Gimp},
                                                           {5, PaletteFormat::ColorWords},
                                                           {17, PaletteFormat::ColorWords}};
    for (const auto& [count, format] : cases)
    {
        const Result result = SavePaletteFile(RandomColors(1, count), format, path.c_str());
        EXPECT_EQ(std::tuple(result.reason, result.value),
                  std::tuple(Reason::PaletteWrongCount, std::int64_t(count)));
    }
    EXPECT_EQ(ReadBytes(path), Bytes{7});
    PaletteContent none;
    EXPECT_EQ(LoadPaletteFile(folder.Path("missing.pal").c_str(), none).reason, Reason::System);
}

TEST(PaletteFile, ExtensionsChooseTheFormatToWrite)
{
    const std::pair<const char*, std::optional<PaletteFormat>> cases[] = {
        {"a.pal", PaletteFormat::Jasc}, {"dir.x/B.PAL", PaletteFormat::Jasc},
        {"c.gpl", PaletteFormat::Gimp}, {"d.Act", PaletteFormat::Act},
        {"e.bin", std::nullopt},        {"pal", std::nullopt},
        {"dir.pal/file", std::nullopt}};
    for (const auto& [path, format] : cases)
        EXPECT_EQ(PaletteFormatForPath(path), format) << path;
}

} // namespace
