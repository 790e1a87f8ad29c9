// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/ColorEntry.h"

#include <cstdint>

// A sheet's colours come in palette rows of 16: row n is entries 16 * n to
// 16 * n + 15 of the colour table.
constexpr std::int32_t kPaletteRowSize = 16;
constexpr std::int32_t kPaletteRowCount = 16;

// The 15-bit colour word of a sheet (red in bits 0-4, green 5-9, blue
// 10-14) to a colour and back. Reading shifts each field to the top of its
// byte (31 becomes 248); writing keeps the top five bits of each channel
// and clears bit 15.
ColorEntry ColorWordToEntry(std::uint16_t word);
std::uint16_t EntryToColorWord(const ColorEntry& entry);

// The colour a sheet's file holds for this one: the colour of its colour
// word, opaque. Colours entering a sheet's table go through it, so what the
// screen shows is what a Save writes.
ColorEntry RoundToColorWord(const ColorEntry& entry);
