// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// One colour, stored red, green, blue, alpha and copied as one 4-byte unit.
struct ColorEntry
{
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t alpha; // 255 opaque, 0 fully transparent
};

static_assert(sizeof(ColorEntry) == 4, "ColorEntry is exactly four bytes");
