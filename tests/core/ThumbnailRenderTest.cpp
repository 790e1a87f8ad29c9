// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"
#include "render/ShrinkSurface.h"
#include "render/ZoomCompose.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{

std::vector<std::uint32_t> Pixels(const CSurface& surface)
{
    return {surface.GetBits(), surface.GetBits() + surface.GetWidth() * surface.GetHeight()};
}

// A 3 x 3 picture halved: whole blocks average four pixels, the blocks the
// right and bottom edges cut average what they hold.
TEST(Thumbnails, ShrinkingAveragesEachBlockAndTheCutBlocksAtTheEdges)
{
    CSurface picture;
    ASSERT_TRUE(picture.Allocate(3, 3));
    const std::uint8_t levels[9] = {0, 10, 100, 20, 31, 200, 7, 9, 255};
    for (int i = 0; i < 9; ++i)
        picture.SetPixel(i % 3, i / 3, MakeRgb(levels[i], 255 - levels[i], 40));
    CSurface half;
    ASSERT_TRUE(ShrinkSurface(picture, 2, half));
    EXPECT_EQ(Pixels(half), (std::vector<std::uint32_t>{MakeRgb(15, 240, 40), MakeRgb(150, 105, 40),
                                                        MakeRgb(8, 247, 40), MakeRgb(255, 0, 40)}));
    ASSERT_TRUE(ShrinkSurface(picture, 1, half));
    EXPECT_EQ(Pixels(half), Pixels(picture));
    EXPECT_FALSE(ShrinkSurface(picture, 0, half));
    EXPECT_EQ(half.GetWidth(), 0);
}

// One palette row of many: the indices show the colours given, not the
// picture's own, and index 0 stays transparent.
TEST(Thumbnails, APictureComposesInTheColoursGiven)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(3, 1, 8) && image.m_colorTable.SetSize(3));
    for (std::uint8_t i = 0; i < 3; ++i)
    {
        image.GetPixels()[i] = i;
        image.SetColor(i, 1, 2, 3, 255);
    }
    CColorTable row;
    ASSERT_TRUE(row.SetSize(3));
    row.SetAt(1, 10, 20, 30, 255);
    row.SetAt(2, 40, 50, 60, 255);
    ZoomedView view;
    view.area = {0, 0, 3, 1};
    view.colors = &row;
    CSurface surface;
    ASSERT_TRUE(ComposeZoomed(&image, view, surface));
    EXPECT_EQ(Pixels(surface),
              (std::vector<std::uint32_t>{MakeRgb(192, 192, 192), MakeRgb(10, 20, 30),
                                          MakeRgb(40, 50, 60)}));
}

} // namespace
