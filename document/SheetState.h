// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/DocumentObserver.h"
#include "formats/SpriteFile.h"
#include "formats/TrailingBlock.h"

#include <cstdint>
#include <memory>

class CSpriteImage;

// What the history takes back and gives again: the source image with its
// colour table, the trailing block an SPR save appends, and the layout a
// Save writes. The file names and the palette row shown are not part of it.
struct SheetState
{
    SheetState();
    SheetState(SheetState&&) noexcept;
    SheetState& operator=(SheetState&&) noexcept;
    ~SheetState();

    std::unique_ptr<CSpriteImage> source;
    CTrailingBlock trailing;
    SpriteLayout layout = SpriteLayout::Spr;
};

// What a step changed, gathered so that observers hear of each kind once.
struct SheetChanges
{
    bool replaced = false; // another picture
    bool layout = false;
    SheetRect pixels;
    std::int32_t firstColor = -1; // -1: no colour changed
    std::int32_t lastColor = -1;

    void AddPixels(const SheetRect& area) { pixels = Union(pixels, area); }
    void AddColors(std::int32_t first, std::int32_t last);
    bool Any() const { return replaced || layout || !pixels.IsEmpty() || firstColor >= 0; }
};
