// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

class CSpriteImage;

// Shows palette row `row` of the source in the display image: display
// entries 0 to 15 become source colours 16 * row to 16 * row + 15. An entry
// that either table does not hold is skipped, so a picture without a colour
// table (16, 24 or 32 bits) is left as it is.
void ApplyPaletteRow(const CSpriteImage& source, CSpriteImage& display, std::int32_t row);
