// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/SpriteFile.h"

#include <cstdint>
#include <string>

class CSpriteImage;

// How a save in a layout would change an 8-bit picture: a sheet holds 4-bit
// indices in a sheet of fixed size, and an SPR file its colours as 15-bit
// colour words. Other depths have no losses to list: a save refuses them.
struct SaveLosses
{
    SpriteLayout layout = SpriteLayout::Spr;
    std::int64_t pixelsOverFifteen = 0; // among the pixels kept; saved as entry mod 16
    std::int32_t columnsCut = 0;
    std::int32_t columnsAdded = 0; // transparent, on the right
    std::int32_t rowsCut = 0;
    std::int32_t rowsAdded = 0; // transparent, at the bottom
    // SPR: colours a colour word cannot hold; SP2: colours of the table,
    // which the file does not keep, that differ from the grey ramp.
    std::int32_t colorsChanged = 0;
    std::int64_t trailingBytesDropped = 0; // SP2 keeps no trailing block

    bool Any() const
    {
        return pixelsOverFifteen || columnsCut || columnsAdded || rowsCut || rowsAdded ||
               colorsChanged || trailingBytesDropped;
    }
};

// trailingBytes: the size of the sheet's trailing block, which only SPR keeps.
SaveLosses FindSaveLosses(const CSpriteImage& image, SpriteLayout layout,
                          std::int64_t trailingBytes = 0);

// "Saving as SPR changes the picture: 1,024 pixels use colour entries above
// 15 and would become entry mod 16; 64 columns beyond 256 are cut; 3
// colours are rounded to 15-bit colour words."
std::string SaveLossText(const SaveLosses& losses);
