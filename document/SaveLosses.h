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
    std::int32_t colorsRounded = 0; // SPR: table entries a colour word holds only rounded

    bool Any() const
    {
        return pixelsOverFifteen || columnsCut || columnsAdded || rowsCut || rowsAdded ||
               colorsRounded;
    }
};

SaveLosses FindSaveLosses(const CSpriteImage& image, SpriteLayout layout);

// "Saving as SPR changes the picture: 1,024 pixels use colour entries above
// 15 and would become entry mod 16; 64 columns beyond 256 are cut; 3
// colours are rounded to 15-bit colour words."
std::string SaveLossText(const SaveLosses& losses);
