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
            SCOPED_TRACE(std::to_string(int(format)) + " " + std::to_string(count));
            // Channels that are no multiples of 8, as an edited palette has them.
            const std::vector<ColorEntry> colors = RandomColors(std::uint32_t(count), count);
            const std::string path = folder.Path("palette");
            ASSERT_TRUE(SavePaletteFile(colors, format, path.c_str()));
            PaletteContent read;
            ASSERT_TRUE(LoadPaletteFile(path.c_str(), read));
            EXPECT_EQ(read.format, format);
            EXPECT_EQ(Words(read.colors), Words(colors));
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
    const struct
    {
        const char* name;
        Bytes bytes;
        PaletteFormat format;
        std::size_t count;
        ColorEntry first, last;
    } cases[] = {
        {"JASC CRLF",
         Text("JASC-PAL\r\n0100\r\n2\r\n10 20 30\r\n40 50 60\r\n"),
         PaletteFormat::Jasc,
         2,
         {10, 20, 30, 255},
         {40, 50, 60, 255}},
        {"JASC LF, no last line end",
         Text("JASC-PAL\n0100\n2\n10 20 30\n40 50 60"),
         PaletteFormat::Jasc,
         2,
         {10, 20, 30, 255},
         {40, 50, 60, 255}},
        {"GIMP with comments and names",
         Text("GIMP Palette\nName: Test\nColumns: 4\n# a comment\n\n 10  20  30\tDark\n# mid\n40 "
              "50 60 Light blue\n"),
         PaletteFormat::Gimp,
         2,
         {10, 20, 30, 255},
         {40, 50, 60, 255}},
        {"GIMP named .pal, CRLF",
         Text("GIMP Palette\r\n10 20 30\r\n40 50 60\r\n"),
         PaletteFormat::Gimp,
         2,
         {10, 20, 30, 255},
         {40, 50, 60, 255}},
        {"RIFF with a chunk before data",
         riff,
         PaletteFormat::Riff,
         2,
         {10, 20, 30, 255},
         {40, 50, 60, 255}},
        {"ACT 768", act768, PaletteFormat::Act, 256, {10, 0, 0, 255}, {0, 0, 60, 255}},
        {"ACT 772 of 2 colours", act772, PaletteFormat::Act, 2, {0, 0, 0, 255}, {40, 0, 0, 255}},
        {"colour words", words, PaletteFormat::ColorWords, 16, {248, 0, 0, 255}, {0, 0, 248, 255}},
        // Found by fuzzing: colour words whose bytes begin "JASC-PAL".
        {"colour words spelling JASC-PAL",
         Text("JASC-PAL\r\n0100\r\n3\r\n0 0 0\n\r\n0\x7F\x7F\x7F\x7F"),
         PaletteFormat::ColorWords,
         16,
         {80, 80, 128, 255},
         {248, 216, 248, 255}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        PaletteContent palette;
        ASSERT_TRUE(Parse(c.bytes, palette)) << ReasonText(Parse(c.bytes, palette));
        EXPECT_EQ(palette.format, c.format);
        ASSERT_EQ(palette.colors.size(), c.count);
        EXPECT_EQ(palette.colors.front(), c.first);
        EXPECT_EQ(palette.colors.back(), c.last);
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
    const struct
    {
        const char* name;
        Bytes bytes;
        Reason reason;
        const char* detail;
    } cases[] = {
        {"empty", {}, Reason::PaletteUnknownFormat, ""},
        {"text of no palette", Text("hello\n1 2 3\n"), Reason::PaletteUnknownFormat, ""},
        {"JASC count over", Text("JASC-PAL\n0100\n3\n1 2 3\n4 5 6\n"), Reason::PaletteBadContent,
         "the count is 3 but 2 colours follow"},
        {"JASC extra colour", Text("JASC-PAL\n0100\n1\n1 2 3\n4 5 6\n"), Reason::PaletteBadContent,
         "line 5: more colours than the count of 1"},
        {"JASC value", Text("JASC-PAL\n0100\n2\n1 2 3\n4 256 6\n"), Reason::PaletteBadContent,
         "line 5: value 256 is out of range 0-255"},
        {"JASC version", Text("JASC-PAL\n0200\n1\n1 2 3\n"), Reason::PaletteBadContent,
         "line 2: version \"0200\" is not 0100"},
        {"JASC count 0", Text("JASC-PAL\n0100\n0\n"), Reason::PaletteBadContent, "line 3"},
        {"JASC count 257", Text("JASC-PAL\n0100\n257\n"), Reason::PaletteBadContent,
         "line 3: value 257"},
        {"JASC two channels", Text("JASC-PAL\n0100\n1\n1 2\n"), Reason::PaletteBadContent,
         "line 4: a colour needs red, green and blue"},
        {"JASC negative", Text("JASC-PAL\n0100\n1\n1 -2 3\n"), Reason::PaletteBadContent,
         "line 4: \"-2\" is not a number"},
        {"GIMP no colours", Text("GIMP Palette\nName: x\n# none\n"), Reason::PaletteBadContent,
         "no colours"},
        {"GIMP 257 colours", gimp257, Reason::PaletteBadContent, "line 258: more than 256 colours"},
        {"GIMP word", Text("GIMP Palette\nred 2 3\n"), Reason::PaletteBadContent,
         "line 2: \"red\" is not a number"},
        {"ACT count 0", act0, Reason::PaletteBadContent, "colour count 0 is not 1 to 256"},
        {"RIFF cut short", riffShort, Reason::EndedEarly, ""},
        {"RIFF version", riffVersion, Reason::PaletteBadContent, "version 256"},
        {"RIFF no data", Text("RIFFxxxxPAL junk"), Reason::PaletteBadContent, "no \"data\" chunk"},
        {"33 bytes", Bytes(33), Reason::PaletteUnknownFormat, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        PaletteContent palette;
        const Result result = Parse(c.bytes, palette);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_NE(result.detail.find(c.detail), std::string::npos) << result.detail;
        EXPECT_TRUE(palette.colors.empty());
    }
}

TEST(PaletteFile, WritersRefuseWhatTheFormatCannotHold)
{
    TempFolder folder;
    const std::string path = folder.Path("kept.pal");
    WriteBytes(path, {7});
    const struct
    {
        std::size_t count;
        PaletteFormat format;
    } cases[] = {{0, PaletteFormat::Jasc},
                 {257, PaletteFormat::Gimp},
                 {5, PaletteFormat::ColorWords},
                 {17, PaletteFormat::ColorWords}};
    for (const auto& c : cases)
    {
        const Result result = SavePaletteFile(RandomColors(1, c.count), c.format, path.c_str());
        EXPECT_EQ(result.reason, Reason::PaletteWrongCount) << c.count;
        EXPECT_EQ(result.value, std::int64_t(c.count));
    }
    EXPECT_EQ(ReadBytes(path), Bytes{7});
    PaletteContent none;
    EXPECT_EQ(LoadPaletteFile(folder.Path("missing.pal").c_str(), none).reason, Reason::System);
}

TEST(PaletteFile, ExtensionsChooseTheFormatToWrite)
{
    const struct
    {
        const char* path;
        std::optional<PaletteFormat> format;
    } cases[] = {{"a.pal", PaletteFormat::Jasc}, {"dir.x/B.PAL", PaletteFormat::Jasc},
                 {"c.gpl", PaletteFormat::Gimp}, {"d.Act", PaletteFormat::Act},
                 {"e.bin", std::nullopt},        {"pal", std::nullopt},
                 {"dir.pal/file", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(PaletteFormatForPath(c.path), c.format) << c.path;
}

} // namespace
