#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

namespace
{

// A table whose entry i is (i, 255 - i, 7, 255).
void FillNumbered(CSpriteImage& image, std::int32_t count)
{
    image.m_colorTable.SetSize(count);
    for (std::int32_t i = 0; i < count; ++i)
        image.SetColor(i, std::uint8_t(i), std::uint8_t(255 - i), 7, 255);
}

TEST(PaletteRow, SkipsEntriesTheSourceDoesNotHold)
{
    CSpriteImage source;
    FillNumbered(source, 20); // row 1 holds only four colours
    CSpriteImage display;
    display = source;
    ApplyPaletteRow(source, display, 1);
    for (std::int32_t i = 0; i < 16; ++i)
        EXPECT_EQ(display.GetColor(i)->red, i < 4 ? 16 + i : i) << i;

    CSpriteImage trueColour; // no table at all: nothing to copy, nothing to touch
    CSpriteImage shown;
    FillNumbered(shown, 4);
    ApplyPaletteRow(trueColour, shown, 0);
    EXPECT_EQ(shown.GetColor(3)->red, 3);
    ApplyPaletteRow(source, trueColour, 0);
    EXPECT_EQ(trueColour.m_colorTable.GetSize(), 0);
}

} // namespace
