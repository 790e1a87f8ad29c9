// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// What an import learnt about a picture beyond its pixels, whatever its format.
struct ImportOutcome
{
    // How many entries of the colour table the file defines (an indexed
    // picture's palette length); the entries after them are zero. 0 for a
    // picture without a table.
    std::int32_t definedColors = 0;
};
