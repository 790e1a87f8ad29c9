// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpriteFileTestFiles.h"

#include "document/DocumentFiles.h"
#include "document/PaletteSource.h"
#include "document/SpriteDocument.h"
#include "formats/PngFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

Bytes PngBytes(const TempFolder& folder)
{
    CSpriteImage picture;
    const std::string path = folder.Path("made.png");
    EXPECT_TRUE(FillRandom(picture, 3, 2, 8, 9) && SavePngFile(picture, path.c_str(), {}));
    return ReadBytes(path);
}

// Each name, with its content, has one answer for every command that asks:
// what Open, a drop and the converter read it as, and what Save As, Export
// and Save Palette write to it.
TEST(FileFormats, EachFileHasOneAnswerForEveryCommand)
{
    TempFolder folder;
    std::filesystem::create_directories(folder.Path("x/dir.sp2"));
    const Bytes png = PngBytes(folder);
    const Bytes text = {'J', 'A', 'S', 'C', '-', 'P', 'A', 'L', '\r', '\n'};
    const Bytes other = RandomBytes(1, 40);
    using F = FileFormat;
    using L = SpriteLayout;
    using P = PaletteFormat;
    const std::tuple<const char*, Bytes, FileFormat, SpriteLayout, FileFormat, PaletteFormat>
        cases[] = {
            {"a.Sp2", other, F::Sp2, L::Sp2, F::Bmp, P::Jasc},
            {"a.spr.sp2", other, F::Sp2, L::Sp2, F::Bmp, P::Jasc},
            {"a.sp2.bak", other, F::Spr, L::Spr, F::Bmp, P::Jasc},
            {"x/dir.sp2/sheet", other, F::Spr, L::Spr, F::Bmp, P::Jasc},
            // A name that is only an extension names that format too.
            {"x/.png", other, F::Png, L::Spr, F::Png, P::Jasc},
            {"x/.sp2", other, F::Sp2, L::Sp2, F::Bmp, P::Jasc},
            // Bytes of UTF-8 names have no case; only ASCII letters do.
            {"caf\xC3\xA9.PNG", other, F::Png, L::Spr, F::Png, P::Jasc},
            {"\xC3\x89t\xC3\xA9.Gpl", other, F::Gimp, L::Spr, F::Bmp, P::Gimp},
            {"x.sp\xB2", other, F::Spr, L::Spr, F::Bmp, P::Jasc},
            {"\xFF.aCT", other, F::Act, L::Spr, F::Bmp, P::Act},
            // The content wins for reading; the name tells what a save writes.
            {"photo.bmp", png, F::Png, L::Spr, F::Bmp, P::Jasc},
            {"sheet.spr", text, F::Jasc, L::Spr, F::Bmp, P::Jasc},
            {"colours.pal", png, F::Png, L::Spr, F::Bmp, P::Jasc},
        };
    for (const auto& [name, content, read, saveAs, exported, palette] : cases)
    {
        const std::string path = folder.Path(name);
        WriteBytes(path, content);
        EXPECT_EQ(FormatToOpen(path), read) << name;
        EXPECT_EQ(CSpriteDocument::IsPicturePath(path), KindOf(read) == FormatKind::Picture)
            << name;
        EXPECT_EQ(LayoutForName(path), saveAs) << name;
        EXPECT_EQ(PictureFormatForName(path), exported) << name;
        EXPECT_EQ(PaletteFormatForName(path), palette) << name;
    }
}

// A PNG named ".bmp" imports as the PNG it is; a name that says PNG over
// other bytes fails as a PNG; a file of another kind is refused naming it.
TEST(FileFormats, ReadersFollowTheContentAndRefuseOtherKinds)
{
    TempFolder folder;
    WriteBytes(folder.Path("photo.bmp"), PngBytes(folder));
    WriteBytes(folder.Path(".png"), RandomBytes(2, 40));
    WriteBytes(folder.Path("p.pal"), {'G', 'I', 'M', 'P', ' ', 'P', 'a', 'l', 'e', 't', 't', 'e'});
    WriteBytes(folder.Path("sheet.spr"), RandomSpr(3));
    CSpriteImage picture;
    std::vector<ColorEntry> colours;
    ASSERT_TRUE(ReadPictureFile(folder.Path("photo.bmp"), picture));
    EXPECT_EQ(std::pair(picture.GetWidth(), picture.GetHeight()), std::pair(3, 2));

    const std::tuple<Result, Message, Reason> cases[] = {
        {ReadPictureFile(folder.Path(".png"), picture), Message::LoadPngFailed,
         Reason::PngNoSignature},
        {ReadPictureFile(folder.Path("p.pal"), picture), Message::LoadBmpFailed,
         Reason::WrongKindOfFile},
        {ReadPictureFile(folder.Path("sheet.spr"), picture), Message::LoadBmpFailed,
         Reason::WrongKindOfFile},
        {CSpriteDocument().Open(folder.Path("p.pal")).result, Message::LoadSprFailed,
         Reason::WrongKindOfFile},
        {CSpriteDocument().OpenPath(folder.Path("photo.bmp")).result, Message::None, Reason::None},
        {LoadPaletteColors(folder.Path("photo.bmp"), colours), Message::LoadPaletteFailed,
         Reason::WrongKindOfFile},
    };
    for (const auto& [result, message, reason] : cases)
        EXPECT_EQ(std::pair(result.message, result.reason), std::pair(message, reason))
            << FullText(result);
    EXPECT_EQ(ReasonText(std::get<0>(cases[1])), "a GIMP palette file: Import reads BMP and PNG");
}

// A failure that has a reason but no message still has a headline.
TEST(FileFormats, EveryFailureHasAHeadline)
{
    EXPECT_EQ(HeadlineText(WithMessage(Failure(Reason::EndedEarly), Message::LoadPngFailed)),
              "Error: Could not load PNG file.");
    EXPECT_EQ(HeadlineText(Failure(Reason::EndedEarly)), "The file ends early.");
}

} // namespace
