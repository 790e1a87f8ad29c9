// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/PaletteRow.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

void ApplyPaletteRow(const CSpriteImage& source, CSpriteImage& display, std::int32_t row)
{
    for (std::int32_t i = 0; i < kPaletteRowSize; ++i)
    {
        const ColorEntry* colour = source.GetColor(row * kPaletteRowSize + i);
        if (colour != nullptr && i < display.m_colorTable.GetSize())
            display.m_colorTable.SetAt(i, *colour);
    }
}
