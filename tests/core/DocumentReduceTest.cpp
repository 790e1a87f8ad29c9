// SPDX-License-Identifier: GPL-3.0-or-later
// Reduce Colours and Import Colourways as document steps: what the preview
// shows is what Save writes, the rows not written stay, and Undo gives the
// sheet back. The reduction's own exactness is the core's tests'.
#include "ReduceTestPictures.h"
#include "SpriteFileTestFiles.h"

#include "document/DocumentFiles.h"
#include "document/SpriteDocument.h"

#include <gtest/gtest.h>

namespace
{

constexpr int kRow = 3;

// Many colours, a transparent lattice and two columns of partial alpha.
CSpriteImage Art()
{
    return DrawPicture(256, 288,
                       [](int x, int y)
                       {
                           const auto alpha = std::uint8_t(x == 5 ? 100 : x == 6 ? 200 : 255);
                           if ((x + y) % 9 == 0)
                               return kClear;
                           return ColorEntry{std::uint8_t(x), std::uint8_t(y * 255 / 287),
                                             std::uint8_t((x ^ y) & 255), alpha};
                       });
}

// The colour words of a saved SPR file, and its pixel indices.
std::uint16_t WordAt(const Bytes& spr, int entry)
{
    return std::uint16_t(spr[2 * entry] | spr[2 * entry + 1] << 8);
}

int IndexAt(const Bytes& spr, int i)
{
    const std::uint8_t pair = spr[kSprPaletteBytes + i / 2];
    return i % 2 ? pair >> 4 : pair & 15;
}

// A sheet opened from an SPR file, a truecolour picture imported over it.
class DocumentReduce : public ::testing::Test
{
protected:
    DocumentReduce()
    {
        WriteBytes(Path("sheet.spr"), RandomSpr(26, 40));
        EXPECT_TRUE(document.Open(Path("sheet.spr")).opened);
        EXPECT_TRUE(SavePicture(Art(), Path("art.png"), {FileFormat::Png}));
    }
    std::string Path(const char* name) const { return folder.Path(name); }
    Bytes Saved()
    {
        EXPECT_TRUE(document.SaveAs(Path("out.spr")));
        return ReadBytes(Path("out.spr"));
    }

    TempFolder folder;
    CSpriteDocument document;
};

TEST_F(DocumentReduce, ThePreviewIsWhatSaveWritesAndUndoGivesThePictureBack)
{
    const Bytes before = ReadBytes(Path("sheet.spr"));
    const ReduceTarget targets[] = {ReduceTarget::NewColors, ReduceTarget::FixedColors,
                                    ReduceTarget::KeepUsedColors};
    const std::pair<Dithering, int> ditherings[] = {
        {Dithering::None, 100}, {Dithering::Ordered, 100}, {Dithering::Diffusion, 60}};
    EXPECT_FALSE(document.CanReduceColors()) << "a sheet of indices 0-15";
    ASSERT_TRUE(document.Import(Path("art.png")));
    const CSpriteImage imported = *document.Source();
    for (const ReduceTarget target : targets)
        for (const auto& [dithering, strength] : ditherings)
        {
            SCOPED_TRACE(int(target) * 3 + int(dithering));
            EXPECT_TRUE(document.CanReduceColors());
            ReducedPicture preview;
            const ReduceOptions options{target, dithering, strength, 150};
            ASSERT_TRUE(document.PreviewReduceColors(kRow, options, preview));
            EXPECT_EQ(preview.report.madeTransparent, 256)
                << "alpha 100 is below 150, off the lattice";
            EXPECT_EQ(preview.report.madeOpaque, 256);
            ASSERT_TRUE(document.ReduceColors(kRow, options));
            EXPECT_EQ(*document.UndoKind(), EditKind::ReduceColors);
            EXPECT_EQ(document.PaletteRow(), kRow);
            EXPECT_FALSE(document.CanReduceColors());

            const Bytes saved = Saved();
            ASSERT_EQ(saved.size(), before.size());
            for (int entry = 0; entry < kSprColorCount; ++entry)
            {
                const bool written = entry / kPaletteRowSize == kRow;
                const std::uint16_t expected =
                    written && target != ReduceTarget::FixedColors
                        ? EntryToColorWord(preview.row[std::size_t(entry % kPaletteRowSize)])
                        : WordAt(before, entry);
                ASSERT_EQ(WordAt(saved, entry), expected) << entry;
            }
            for (int i = 0; i < 256 * 288; ++i)
                ASSERT_EQ(IndexAt(saved, i), preview.picture.GetPixels()[i]) << i;
            EXPECT_TRUE(std::equal(saved.begin() + kSprSheetBytes, saved.end(),
                                   before.begin() + kSprSheetBytes));

            document.Undo();
            const CSpriteImage& back = *document.Source();
            ASSERT_EQ(back.GetBitsPerPixel(), 32);
            EXPECT_TRUE(std::equal(back.GetPixels(), back.GetPixels() + back.GetPixelBytes(),
                                   imported.GetPixels()));
        }
    document.Undo();
    EXPECT_EQ(Saved(), before) << "the import undone";
}

// Three colourways into rows 4, 0 and 9; a 16th class is refused with its
// pixel, and reduced on request.
TEST_F(DocumentReduce, ColourwaysWriteTheirRowsOnlyAndUndoGivesTheBytesBack)
{
    const Bytes before = ReadBytes(Path("sheet.spr"));
    const auto way = [](int shift, int classes)
    {
        return DrawPicture(256, 288,
                           [=](int x, int y)
                           {
                               const int c = (x / 16 + y / 32) % classes;
                               return y % 7 == 0 ? kClear : Word(c + shift, 31 - c, shift);
                           });
    };
    const CSpriteImage a = way(0, 15), b = way(5, 15), c = way(9, 15), sixteen = way(2, 16);
    ColorwayRequest request{{&a, &b, &c}, {4, 0, 9}, false, {}};
    ColorwaySheet preview;
    ASSERT_TRUE(document.PreviewColorways(request, preview));
    EXPECT_EQ(preview.classCount, 15);
    ASSERT_TRUE(document.ImportColorways(request));
    EXPECT_EQ(document.PaletteRow(), 4);
    const Bytes saved = Saved();
    for (int entry = 0; entry < kSprColorCount; ++entry)
    {
        const int row = entry / kPaletteRowSize;
        const auto way = std::find(request.rows.begin(), request.rows.end(), row);
        const std::uint16_t expected =
            way == request.rows.end()
                ? WordAt(before, entry)
                : EntryToColorWord(preview.rows[std::size_t(way - request.rows.begin())]
                                               [std::size_t(entry % kPaletteRowSize)]);
        ASSERT_EQ(WordAt(saved, entry), expected) << entry;
    }
    document.Undo();
    EXPECT_EQ(Saved(), before);

    request.pictures[2] = &sixteen;
    const Result refused = document.ImportColorways(request);
    EXPECT_EQ(refused.message, Message::ColorwaysFailed);
    EXPECT_EQ(refused.reason, Reason::ColorwayTooManyClasses);
    EXPECT_EQ(refused.detail, "(240, 1)") << "the first pixel of class 16";
    EXPECT_FALSE(document.UndoKind().has_value()) << "nothing changed";
    request.reduce = true;
    ASSERT_TRUE(document.ImportColorways(request));
    EXPECT_EQ(*document.UndoKind(), EditKind::ImportColorways);

    request.rows = {4, 0, 4};
    EXPECT_EQ(document.ImportColorways(request).reason, Reason::ColorwayRowTwice);
}

} // namespace
