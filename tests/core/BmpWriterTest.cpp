// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureTools.h"

#include "image/SpriteImage.h"

#include <gtest/gtest.h>

#include <tuple>

namespace
{

// Pillow, an independent decoder, reads the exports back: the palette as
// red, green, blue (missing colours black), then the pixels top row first
// without their alpha.
TEST(BmpWriter, PillowSeesEveryPixelAndColour)
{
    TempFolder folder;
    // Sheets, rows that need filling, colours with alpha and missing ones,
    // and rows wider than any buffer the writer might use.
    const std::tuple<int, int, int, int, std::size_t> cases[] = {
        {256, 288, 8, 256, 74806}, {3, 2, 8, 2, 1086},      {3, 2, 24, 0, 78},
        {1999, 2, 24, 0, 12054},   {1999, 2, 32, 0, 16046},
    };
    for (const auto& [width, height, bits, colours, size] : cases)
    {
        SCOPED_TRACE(size);
        CSpriteImage image;
        ASSERT_TRUE(FillRandom(image, width, height, bits, size, colours));
        const std::string path = folder.Path("export.bmp");
        ASSERT_TRUE(image.SaveBMP(path.c_str()));
        EXPECT_EQ(ReadBytes(path).size(), size);
        Bytes pixels;
        for (int i = 0; i < image.GetPixelBytes(); ++i)
            if (bits != 32 || i % 4 != 3)
                pixels.push_back(image.GetPixels()[i]);
        Bytes palette;
        for (int i = 0; bits == 8 && i < 256; ++i)
        {
            const ColorEntry colour = i < colours ? *image.GetColor(i) : ColorEntry{};
            palette.insert(palette.end(), {colour.red, colour.green, colour.blue});
        }
        const PillowDecoded decoded = DecodeWithPillow(folder, path);
        EXPECT_EQ(std::tuple(decoded.mode, decoded.pixels, decoded.palette),
                  std::tuple(bits == 8 ? "P" : "RGB", pixels, palette));
    }
}

TEST(BmpWriter, WhatCannotBeWrittenFailsAndLeavesNoFile)
{
    TempFolder folder;
    CSpriteImage empty;
    CSpriteImage sheet;
    ASSERT_TRUE(FillRandom(sheet, 256, 288, 8, 5));
    CBinaryFile notOpen;
    EXPECT_FALSE(sheet.WriteBMP(notOpen));
    EXPECT_FALSE(empty.SaveBMP(folder.Path("empty.bmp").c_str()));
    EXPECT_FALSE(sheet.SaveBMP(folder.Path("missing/out.bmp").c_str()));
    EXPECT_EQ(FileCount(folder.Root()), 0u);
}

} // namespace
