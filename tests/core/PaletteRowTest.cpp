// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"

#include <gtest/gtest.h>

// Entry i of the source is (i, 255 - i, 7, 255); row 1 of 20 colours holds
// only four, and a picture without a table takes none.
TEST(PaletteRow, SkipsEntriesEitherTableDoesNotHold)
{
    CSpriteImage source;
    source.m_colorTable.SetSize(20);
    for (std::int32_t i = 0; i < 20; ++i)
        source.SetColor(i, std::uint8_t(i), std::uint8_t(255 - i), 7, 255);
    CSpriteImage display = source;
    ApplyPaletteRow(source, display, 1);
    for (std::int32_t i = 0; i < 16; ++i)
        EXPECT_EQ(display.GetColor(i)->red, i < 4 ? 16 + i : i) << i;

    CSpriteImage trueColour;
    ApplyPaletteRow(source, trueColour, 0);
    EXPECT_EQ(trueColour.m_colorTable.GetSize(), 0);
}
